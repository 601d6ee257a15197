#!/usr/bin/env bash
# Shared helpers for end-to-end tests: a private X server, the program run
# from a copy in a fresh folder, pointer and keys through xdotool, and
# screenshots read back as pixels.

E2E_WORK="$(mktemp -d)"
E2E_XVFB_PID=""
# The scenes measure the screen in units of one pixel, whatever desktop
# scale the machine running them has; a scene that wants another sets it.
export TANDRILL_SCALE="${TANDRILL_SCALE:-1}"

# A game that ended by itself has left its process id free for the system
# to give to any other program: only a process that is still this script's
# own child is killed.
e2e_own_child() {
  [ -n "${1:-}" ] && [ "$(ps -o ppid= -p "$1" 2>/dev/null | tr -d ' ')" = "$$" ]
}

e2e_cleanup() {
  if e2e_own_child "${E2E_APP_PID:-}"; then kill -9 "$E2E_APP_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_XVFB_PID" ]; then kill "$E2E_XVFB_PID" 2>/dev/null || true; fi
  if [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_WORK"; else echo "kept $E2E_WORK"; fi
}
trap e2e_cleanup EXIT

# The install list in a build folder may be a player's own (from a real
# `make install`): a test that installs from that folder calls this first,
# and the list is put back however the test ends.
e2e_keep_install_manifest() {
  E2E_MANIFEST="$1/install_manifest.txt"
  [ -f "$E2E_MANIFEST" ] && cp -p "$E2E_MANIFEST" "$E2E_WORK/manifest.kept"
  trap e2e_restore_install_manifest EXIT
}
e2e_restore_install_manifest() {
  if [ -f "$E2E_WORK/manifest.kept" ]; then cp -p "$E2E_WORK/manifest.kept" "$E2E_MANIFEST"; else rm -f "$E2E_MANIFEST"; fi
  e2e_cleanup
}

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Starts Xvfb on a free display number with the given screen size.
e2e_start_x() {
  local size="${1:-1280x800x24}"
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
      if xdpyinfo >/dev/null 2>&1; then return 0; fi
      sleep 0.1
    done
    kill "$E2E_XVFB_PID" 2>/dev/null || true
  done
  e2e_fail "could not start Xvfb"
}

# Waits until the file exists and holds the given line pattern.
e2e_wait_for() {
  local file="$1" pattern="$2" tries="${3:-100}"
  local i
  for i in $(seq "$tries"); do
    if [ -f "$file" ] && grep -q -- "$pattern" "$file"; then return 0; fi
    sleep 0.1
  done
  e2e_fail "timed out waiting for '$pattern' in $file"
}

# Runs the command until it succeeds, a tenth of a second apart, for at most
# the given number of tries; fails the test with the description after that.
# A busy machine delivers input late, so checks wait for what they expect.
e2e_wait_until() {
  local what="$1" tries="$2"
  shift 2
  local i
  for i in $(seq "$tries"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  e2e_fail "timed out waiting for $what"
}

# Writes a screenshot of the whole screen and prints the colour of one pixel
# as #RRGGBB.
e2e_screenshot() {
  import -window root "$1" 2>/dev/null || e2e_fail "screenshot failed"
}
e2e_pixel() {
  local file="$1" x="$2" y="$3"
  convert "$file" -format "%[hex:p{$x,$y}]" info: 2>/dev/null | cut -c1-6
}

# Drags with the left button from one screen point to another in steps.
e2e_drag() {
  local x0="$1" y0="$2" x1="$3" y1="$4" steps="${5:-10}"
  xdotool mousemove "$x0" "$y0"
  sleep 0.05
  xdotool mousedown 1
  local i
  for i in $(seq 1 "$steps"); do
    xdotool mousemove $((x0 + (x1 - x0) * i / steps)) $((y0 + (y1 - y0) * i / steps))
    sleep 0.02
  done
  xdotool mouseup 1
  sleep 0.1
}

# Starts the game copied into $E2E_WORK on the data folder $2 with the report
# $1, selects the store room's "tree" puzzle and plays it, up to the first
# report of its pieces. Leaves the window's place in ox and oy.
e2e_play_tree_puzzle() {
  local report="$1" library="$2" wid tx ty
  : >"$report"
  TANDRILL_REPORT="$report" TANDRILL_DATA_DIR="$library" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^room storeRoom' 150
  e2e_wait_for "$report" '^item tree ' 150
  wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
  [ -n "$wid" ] || e2e_fail "no window"
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  ox="$X"; oy="$Y"
  read -r tx ty < <(grep '^item tree ' "$report" | tail -1 | awk '{print $5, $6}')
  xdotool mousemove $((ox + tx)) $((oy + ty)) click 1
  e2e_wait_for "$report" '^selected tree'
  sleep 0.8
  xdotool key --clearmodifiers alt+p
  e2e_wait_for "$report" '^play ready ' 150
  e2e_wait_for "$report" '^pieces reported' 50
  sleep 0.5
}

# The set-up of a scene on the store room's library: the game copied into
# $E2E_WORK and a data folder written by the library maker (its mode in $2).
# Sets library and report.
e2e_library_scene() {
  local bin="$1" mode="${2:-}"
  [ -x "$bin/tandrill" ] || e2e_fail "no game in $bin"
  [ -x "$bin/tandrill_store_room_library" ] || e2e_fail "no library maker in $bin"
  cp "$bin/tandrill" "$E2E_WORK/"
  library="$E2E_WORK/library"
  mkdir -p "$library"
  TANDRILL_DATA_DIR="$library" SDL_VIDEODRIVER=dummy "$bin/tandrill_store_room_library" $mode >/dev/null ||
    e2e_fail "could not write the library"
  report="$E2E_WORK/report.txt"
}
