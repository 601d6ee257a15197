#!/usr/bin/env bash
# The gallery in the real game: four solved puzzles (two of them in a
# category) hang as two frames and a folder on the wallpaper; the folder's
# window, closed and opened again, comes back as it was left; a double click
# shows the completed picture with its playing time; a narrower window
# reflows the wall; Remove sends a puzzle back to the store room, where the
# library keeps it selected and unsolved. A library with no solved puzzle
# says the gallery is empty and goes home.
#
# The gallery is entered with the store room's Alt+G. A store room that does
# not offer it yet is left, and the same game is started through
# tandrill_gallery_demo, which asks the root object for the gallery once the
# store room is up; the script says which way it went in.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/category_window_steps.sh"

e2e_start_x 1280x800x24
cp "$bin_dir/tandrill" "$bin_dir/tandrill.hlp" "$bin_dir/tandrill_gallery_demo" "$E2E_WORK/"
report="$E2E_WORK/report.txt"
shots="$bin_dir/e2e_gallery"
mkdir -p "$shots"

prepare() {  # folder solved-count
  rm -rf "$1"
  mkdir -p "$1"
  TANDRILL_DATA_DIR="$1" "$E2E_WORK/tandrill_gallery_demo" --prepare "$2" || e2e_fail "could not prepare $1"
}

quit_game() {
  xdotool key --clearmodifiers alt+F4
  local i
  for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
  set +e
  wait "$E2E_APP_PID"
  local rc=$?
  set -e
  [ "$rc" -eq 0 ] || e2e_fail "exit code $rc after Alt+F4"
}

count_lines() { grep -c -- "$2" "$1" 2>/dev/null || true; }

# Starts the game on a data folder and walks into the gallery.
enter_gallery() {
  local data="$1"
  : >"$report"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^room storeRoom' 150
  sleep 0.3
  xdotool key --clearmodifiers alt+g
  local i
  for i in $(seq 30); do
    if grep -q '^room galleryRoom' "$report"; then
      echo "entered the gallery with Alt+G"
      return 0
    fi
    sleep 0.1
  done
  quit_game
  : >"$report"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill_gallery_demo" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^room galleryRoom' 150
  echo "entered the gallery through tandrill_gallery_demo (no Alt+G in this store room)"
}

# The last reported place of a wall item: x y w h.
item_box() { grep "^gallery item $1 " "$report" | tail -1 | cut -d' ' -f4-7; }

# ---- three solved puzzles ----------------------------------------------------
data="$E2E_WORK/data"
prepare "$data" 4
enter_gallery "$data"
e2e_wait_for "$report" '^gallery items 3$'
grep -q '^gallery item Travel ' "$report" || e2e_fail "no folder for Travel"
grep -q '^gallery item harbour ' "$report" || e2e_fail "no frame for harbour"
grep -q '^gallery item meadow ' "$report" || e2e_fail "no frame for meadow"
! grep -q '^gallery item castle ' "$report" || e2e_fail "castle belongs in the Travel window, not on the wall"
! grep -q '^gallery item tower ' "$report" || e2e_fail "tower belongs in the Travel window, not on the wall"
sleep 0.5
e2e_screenshot "$shots/wall.png"

read -r hx hy hw hh <<<"$(item_box harbour)"
read -r mx my mw mh <<<"$(item_box meadow)"
[ "$my" -lt "$((hy + hh))" ] || e2e_fail "harbour and meadow are not in one row"
[ "$mx" -gt "$hx" ] || e2e_fail "meadow is not right of harbour"
python3 - "$shots/wall.png" "$hx" "$hy" "$hw" "$hh" <<'PY' || e2e_fail "the frame is not gilded moulding on the wallpaper"
import subprocess, sys
shot = sys.argv[1]
x, y, w, h = map(int, sys.argv[2:6])
def pixel(px, py):
    out = subprocess.check_output(['convert', shot, '-crop', '1x1+%d+%d' % (px, py), '-depth', '8', 'txt:-']).decode()
    line = [l for l in out.splitlines() if not l.startswith('#')][0]
    return tuple(int(float(v)) for v in line.split('(')[1].split(')')[0].split(',')[:3])
# The middle of the left moulding, halfway down: gold (red over green over
# blue, bright). The wall beside the frame: dark red.
r, g, b = pixel(x + 6, y + 11 + (h - 11) // 2)
wr, wg, wb = pixel(x - 12, y + h // 2)
print('moulding', (r, g, b), 'wall', (wr, wg, wb))
ok = r > 150 and r >= g > b + 40 and wr > wg + 15 and wr < 200
sys.exit(0 if ok else 1)
PY

# The Travel folder's window, closed by its title bar's button and opened
# again, hangs castle and tower as before, where it was left.
read -r fx fy fw fh <<<"$(item_box Travel)"
category_window_round_trip Travel $((fx + fw / 2)) $((fy + fh / 2)) "$shots/category_window.png"
category_window_line window Travel | grep -q '| entries castle tower$' || e2e_fail "Travel does not hang castle, tower"

# A double click on the harbour frame opens its picture with the time.
xdotool mousemove "$((hx + hw / 2))" "$((hy + hh / 2 + 5))"
sleep 0.2
xdotool click --repeat 2 --delay 90 1
e2e_wait_for "$report" '^window Completed puzzle: Time to complete 01:05$' 100
grep -q '^caption Tandrill: harbour (400 x 300)$' "$report" || e2e_fail "the caption does not name the selected puzzle"
sleep 0.4
e2e_screenshot "$shots/completed_puzzle.png"
# "&Picture" is pressed; Alt+P releases it and the window goes.
xdotool key --clearmodifiers alt+p
sleep 0.4

# A narrow window: the wall reflows into two columns, the order kept.
win=$(xdotool search --name '^Tandrill' | head -1)
xdotool windowsize "$win" 460 700
e2e_wait_until "the wall to reflow into 2 columns" 100 grep -q '^gallery layout columns 2$' "$report"
sleep 0.3
read -r tx ty _ _ <<<"$(item_box Travel)"
read -r hx2 hy2 hw2 hh2 <<<"$(item_box harbour)"
read -r mx2 my2 _ _ <<<"$(item_box meadow)"
[ "$hx2" -gt "$tx" ] && [ "$my2" -gt "$hy2" ] && [ "$mx2" -lt "$hx2" ] || e2e_fail "the wall did not wrap meadow to a second row in order"
e2e_screenshot "$shots/narrow.png"
xdotool windowsize "$win" 1280 800
e2e_wait_until "the wall to spread again" 100 bash -c "tail -5 '$report' | grep -q '^gallery layout columns 3$' || grep '^gallery layout' '$report' | tail -1 | grep -q 'columns 3'"
sleep 0.3

# Remove the harbour: it leaves the wall and goes back, selected.
read -r hx hy hw hh <<<"$(item_box harbour)"
xdotool mousemove "$((hx + hw / 2))" "$((hy + hh / 2 + 5))" click 1
e2e_wait_until "harbour to be selected" 50 bash -c "tail -3 '$report' | grep -q '^caption Tandrill: harbour'"
xdotool key --clearmodifiers alt+r
e2e_wait_for "$report" '^message Tandrill: Do you want to move the selected puzzle'
sleep 0.3
xdotool key --clearmodifiers alt+y
e2e_wait_for "$report" '^gallery removed harbour$'
grep '^gallery item' "$report" | tail -2 | grep -q 'meadow' || e2e_fail "the wall was not laid out again"
sleep 0.3
e2e_screenshot "$shots/after_remove.png"
xdotool key --clearmodifiers alt+b
e2e_wait_until "the store room again" 100 bash -c "[ \$(grep -c '^room storeRoom' '$report') -ge 1 ] && tail -20 '$report' | grep -q '^room storeRoom'"
quit_game
python3 - "$data/tandrill.pzl" <<'PY' || e2e_fail "harbour is not back in the store room, selected at 0 %"
import sys
text = open(sys.argv[1], encoding='utf-8').read()
entries = text.split('<puzzle-image>')[1:]
harbour = [e for e in entries if '<name>aGFyYm91cg==</name>' in e]
meadow = [e for e in entries if '<name>bWVhZG93</name>' in e]
ok = (len(harbour) == 1 and '<percent-completed>0</percent-completed>' in harbour[0] and '<selected' in harbour[0]
      and '<percent-completed>100</percent-completed>' in meadow[0])
sys.exit(0 if ok else 1)
PY

# ---- no solved puzzle ----------------------------------------------------------
empty="$E2E_WORK/empty"
prepare "$empty" 0
enter_gallery "$empty"
e2e_wait_for "$report" '^message Tandrill: The Gallery Room is empty.'
sleep 0.4
e2e_screenshot "$shots/empty.png"
xdotool key --clearmodifiers alt+o
e2e_wait_until "the store room after the empty gallery" 100 bash -c "grep -A100 '^room galleryRoom' '$report' | grep -q '^room storeRoom'"
quit_game
echo "gallery e2e passed"
