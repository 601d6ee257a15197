#!/usr/bin/env bash
# The store room in the real game: a prepared library's folders and
# thumbnails appear, a click selects and names the puzzle, a dragged
# thumbnail keeps its new place in the library, a double-clicked folder
# opens its window, which comes back as it was left after its close
# button, Delete asks and removes the puzzle's file, Alt+S toggles
# the sound label, and a gift saved from "Email Gi&ft" runs and shows
# itself as a gift without touching the library. Mailing without a mail
# client shows nothing and leaves no gift behind.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/category_window_steps.sh"

e2e_start_x 1280x800x24
cp "$bin_dir/tandrill" "$bin_dir/gift.pzl" "$bin_dir/tandrill.hlp" "$E2E_WORK/"
data="$E2E_WORK/data"
home="$E2E_WORK/home"
nobin="$E2E_WORK/nobin"
report="$E2E_WORK/report.txt"
mkdir -p "$data" "$home" "$nobin"
TANDRILL_DATA_DIR="$data" SDL_VIDEODRIVER=dummy "$bin_dir/tandrill_store_room_library" >/dev/null ||
  e2e_fail "could not write the library"

run_game() {
  : >"$report"
  # No xdg-email on this PATH: mailing a gift has no client to go to.
  HOME="$home" PATH="$nobin" TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy \
    "${1:-$E2E_WORK/tandrill}" &
  E2E_APP_PID=$!
}

wait_end() {
  local i
  for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
  set +e
  wait "$E2E_APP_PID"
  local rc=$?
  set -e
  [ "$rc" -eq 0 ] || e2e_fail "exit code $rc"
}

# The centre of a floor item on the screen, from its last report line.
centre_of() {
  grep "^item $1 " "$report" | tail -1 | awk '{print $5, $6}'
}

run_game
e2e_wait_for "$report" '^room storeRoom'
e2e_wait_for "$report" '^item tree '
e2e_wait_for "$report" '^item Animals '
sleep 0.5
e2e_screenshot "$E2E_WORK/store_room.png"

# The folder shows its red picture; the solved puzzle is nowhere.
read -r ax ay < <(centre_of Animals)
read -r tx ty < <(centre_of tree)
python3 - "$E2E_WORK/store_room.png" "$ax" "$ay" <<'PY' || e2e_fail "the Animals folder is not on the floor"
import subprocess, sys
shot, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
out = subprocess.run(['convert', shot, '-crop', f'30x30+{x-15}+{y-15}', '-depth', '8', 'txt:-'],
                     capture_output=True, text=True).stdout
def reddish(line):
    h = line.split('#')[1][:6]
    return int(h[0:2], 16) > 180 and int(h[2:4], 16) < 90
red = sum(1 for l in out.splitlines() if not l.startswith('#') and '#' in l and reddish(l))
sys.exit(0 if red > 50 else 1)
PY
grep -q '^item done ' "$report" && e2e_fail "a solved puzzle lies on the store room's floor"

# A click selects the thumbnail and names it in the caption.
xdotool mousemove "$tx" "$ty" click 1
e2e_wait_for "$report" '^selected tree'
e2e_wait_for "$report" '^caption Tandrill: tree title (300 x 200)'

# Dragging it moves it; the report gives its new place. (A pause first, so
# the press is not taken as the second half of a double click.)
sleep 0.8
e2e_drag "$tx" "$ty" $((tx - 120)) $((ty + 200)) 12
e2e_wait_until "the dropped thumbnail" 50 bash -c "grep '^item tree ' '$report' | tail -1 | awk '{exit !(\$3 != \"300.0\")}'"
read -r nx ny < <(grep '^item tree ' "$report" | tail -1 | awk '{print $3, $4}')
read -r tx ty < <(centre_of tree)

# A double click on the folder opens its window; closed with the title
# bar's button and opened again, it shows the same thumbnails, in the same
# order, at the size and place the player left it.
category_window_round_trip Animals "$ax" "$ay" "$E2E_WORK/category_window.png"
category_window_line window Animals | grep -q '| entries cat owl$' || e2e_fail "Animals does not list cat and owl"

# Alt+S toggles the sound label.
sleep 0.8
xdotool mousemove "$tx" "$ty" click 1
e2e_wait_until "the thumbnail selected again" 50 bash -c "tail -1 <(grep '^selected' '$report') | grep -q tree"
xdotool key --clearmodifiers alt+s
e2e_wait_for "$report" '^button &Sound On'
xdotool key --clearmodifiers alt+s
e2e_wait_for "$report" '^button &Sound Off'

# Quit writes the library with the thumbnail's new place.
xdotool key --clearmodifiers alt+q
wait_end
python3 - "$data/tandrill.pzl" "$nx" "$ny" <<'PY' || e2e_fail "the dragged place is not in the library"
import re, sys, base64
text = open(sys.argv[1], encoding='utf-8').read()
x, y = float(sys.argv[2]), float(sys.argv[3])
for block in text.split('<puzzle-image>')[1:]:
    if '<name>' + base64.b64encode(b'tree').decode() + '</name>' in block:
        m = re.search(r'<pointf x="([-\d.]+)" y="([-\d.]+)"', block)
        sys.exit(0 if m and abs(float(m.group(1)) - x) < 1 and abs(float(m.group(2)) - y) < 1 else 1)
sys.exit(1)
PY

# Again: the selection is back; mail without a client, then save a gift.
run_game
e2e_wait_for "$report" '^selected tree'
e2e_wait_for "$report" '^item tree '
sleep 0.3
xdotool key --clearmodifiers alt+f
e2e_wait_for "$report" '^message Tandrill: Send this puzzle as a gift?'
sleep 0.3
xdotool key --clearmodifiers alt+e
sleep 1

xdotool key --clearmodifiers alt+f
e2e_wait_until "the second gift box" 100 bash -c "[ \$(grep -c '^message Tandrill: Send this puzzle' '$report') -ge 2 ]"
# The mail was tried before the second box came up (the gift, a copy of the
# whole program, takes a while to write on a busy machine).
grep -q '^message Send Mail Failed' "$report" && e2e_fail "a missing mail client was reported"
[ -e "$data/puzzles/puzzle_gift.exe" ] && e2e_fail "the mailed gift was left behind"
sleep 0.3
xdotool key --clearmodifiers alt+s
e2e_wait_for "$report" '^window Save Puzzle Gift:'
sleep 1
xdotool key --clearmodifiers Return
e2e_wait_for "$report" "^gift $home/puzzle_gift.exe\$"
[ -x "$home/puzzle_gift.exe" ] || e2e_fail "the saved gift is not executable"
[ -e "$data/puzzles/puzzle_gift.exe" ] && e2e_fail "the saved gift was left in the puzzles folder"

# Delete asks, then removes the puzzle's file.
xdotool key --clearmodifiers alt+d
e2e_wait_for "$report" '^message Tandrill: Do you really want to delete the selected puzzle?'
sleep 0.3
xdotool key --clearmodifiers alt+y
e2e_wait_for "$report" '^deleted tree'
e2e_wait_until "the puzzle file to go" 30 test ! -e "$data/puzzles/tree.pzl"
xdotool key --clearmodifiers alt+q
wait_end
cp "$data/tandrill.pzl" "$E2E_WORK/library_before_gift.pzl"

# The gift, started, is a gift and leaves the library alone.
run_game "$home/puzzle_gift.exe"
e2e_wait_for "$report" '^caption Tandrill Gift'
sleep 0.5
xdotool key --clearmodifiers alt+F4
sleep 1
kill "$E2E_APP_PID" 2>/dev/null || true
wait "$E2E_APP_PID" 2>/dev/null || true
cmp -s "$data/tandrill.pzl" "$E2E_WORK/library_before_gift.pzl" || e2e_fail "the gift changed the library"
cp "$E2E_WORK/store_room.png" "$E2E_WORK/category_window.png" "$E2E_WORK/category_window_left.png" "$bin_dir/" 2>/dev/null || true
echo "store room e2e passed"
