#!/usr/bin/env bash
# The drawn dialogs in a real window, over a prepared home folder whose
# user-dirs settings name the Pictures folder: the open dialog's Pictures
# place, a double click into a sub-folder, thumbnails on screen, a picture
# chosen by double click; Escape cancelling; a typed path confirmed with
# Enter; saving over an existing file and answering the question; and a
# palette colour taken with OK. Answers and places come from the program's
# report; thumbnails are checked in a screenshot.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"

e2e_start_x 1280x800x24
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# The prepared home: Pictures lives under a name with a space, as the
# settings file says, and holds a folder of photos.
home="$E2E_WORK/home"
pics="$home/My Photos"
mkdir -p "$home/.config" "$pics/holiday/older" "$home/Gifts" "$home/Documents"
printf 'XDG_PICTURES_DIR="$HOME/My Photos"\nXDG_DOCUMENTS_DIR="$HOME/Documents"\n' >"$home/.config/user-dirs.dirs"
convert -size 800x600 xc:'#e03020' "$pics/holiday/beach.jpg"
convert -size 600x800 xc:'#20c040' "$pics/holiday/forest.png"
echo "not a picture" >"$pics/holiday/notes.txt"
echo "old gift" >"$home/Gifts/gift.exe"
export HOME="$home"
unset XDG_CONFIG_HOME

cp "$bin_dir/tandrill_dialogs_demo" "$E2E_WORK/"
report="$E2E_WORK/report.txt"
set -m
"$E2E_WORK/tandrill_dialogs_demo" "$report" >"$E2E_WORK/demo.log" 2>&1 &
E2E_APP_PID=$!
e2e_wait_for "$report" "ready 1"

value() { grep "^$1 " "$report" | head -1 | cut -d' ' -f2-; }
# The centre of a reported part on screen.
centre() {
  local line x y w h
  line=$(grep "^part $1 " "$report" | head -1)
  [ -n "$line" ] || return 1
  read -r x y w h <<<"$(echo "$line" | awk '{print $(NF-3), $(NF-2), $(NF-1), $NF}')"
  echo "$((x + w / 2)) $((y + h / 2))"
}
has_part() { grep -q "^part $1 " "$report"; }
wait_part() { e2e_wait_until "part $1" 100 has_part "$1"; }
click() {
  local x y
  wait_part "$1"
  read -r x y < <(centre "$1")
  xdotool mousemove "$x" "$y" click 1
}
double_click() {
  local x y
  wait_part "$1"
  read -r x y < <(centre "$1")
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
}
answer_is() { [ "$(value answer)" = "$1" ]; }
expect_answer() { e2e_wait_until "answer '$1' (have '$(value answer)')" 100 answer_is "$1"; }
folder_is() { [ "$(value folder)" = "$1" ]; }
expect_folder() { e2e_wait_until "folder $1" 100 folder_is "$1"; }
no_modal() { [ "$(value modal)" = 0 ]; }

# 1. Open, go to Pictures by its place, into the holiday folder, and choose
#    the beach photo by a double click once its thumbnail is there.
click open
wait_part place-Pictures
click place-Pictures
expect_folder "$pics"
echo "ok: the Pictures place leads to the user's own Pictures folder"
double_click row-holiday
expect_folder "$pics/holiday"
has_part row-notes.txt && e2e_fail "a text file is listed under the picture filter"
thumbs_ready() { [ "$(value thumbs)" = 2 ]; }
e2e_wait_until "two thumbnails" 150 thumbs_ready
sleep 0.3
e2e_screenshot "$E2E_WORK/open.png"
[ -n "${E2E_KEEP:-}" ] && cp "$E2E_WORK/open.png" "$E2E_KEEP/dialogs_open.png"
# The thumbnails sit at the left of their rows: look for the photos' own
# colours there.
pixel_near() {
  local part="$1" want="$2" line x y w h px
  line=$(grep "^part $part " "$report" | head -1)
  read -r x y w h <<<"$(echo "$line" | awk '{print $(NF-3), $(NF-2), $(NF-1), $NF}')"
  px=$(e2e_pixel "$E2E_WORK/open.png" $((x + 4 + h / 2)) $((y + h / 2)))
  local r=$((16#${px:0:2})) g=$((16#${px:2:2})) b=$((16#${px:4:2}))
  case "$want" in
    red) [ "$r" -ge 180 ] && [ "$g" -le 90 ] ;;
    green) [ "$g" -ge 150 ] && [ "$r" -le 90 ] ;;
  esac || e2e_fail "the thumbnail of $part is $px, expected $want"
}
pixel_near row-beach.jpg red
pixel_near row-forest.png green
echo "ok: thumbnails of both photos are shown"
double_click row-beach.jpg
expect_answer "chosen $pics/holiday/beach.jpg"
e2e_wait_until "the dialog to close" 50 no_modal
echo "ok: a double click chooses the photo and the dialog closes"

# 2. Escape cancels; the dialog remembers the holiday folder meanwhile.
click open
wait_part row-beach.jpg
xdotool key Escape
expect_answer cancelled
e2e_wait_until "the dialog to close" 50 no_modal
echo "ok: Escape cancels"

# 3. A typed path and Enter: a fresh slash replaces the folder shown.
click open
wait_part pathEdit
click pathEdit
xdotool type --delay 30 "/$pics/holiday/forest.png"
xdotool key Return
expect_answer "chosen $pics/holiday/forest.png"
echo "ok: a typed path and Enter choose the file"

# 4. Saving over an existing file asks first; Yes answers the path.
e2e_wait_until "the dialog to close" 50 no_modal
click save
wait_part nameEdit
xdotool key Return
wait_part yes
e2e_screenshot "$E2E_WORK/save.png"
[ -n "${E2E_KEEP:-}" ] && cp "$E2E_WORK/save.png" "$E2E_KEEP/dialogs_save.png"
click yes
expect_answer "chosen $home/Gifts/gift.exe"
echo "ok: the overwrite question is asked and Yes saves"

# 5. A palette colour and OK.
e2e_wait_until "the dialog to close" 50 no_modal
click colour
wait_part cell-8
click cell-8
chosen_is() { [ "$(value chosen)" != "#336699" ]; }
e2e_wait_until "the palette pick" 50 chosen_is
picked=$(value chosen)
[ -n "${E2E_KEEP:-}" ] && { e2e_screenshot "$E2E_WORK/colour.png"; cp "$E2E_WORK/colour.png" "$E2E_KEEP/dialogs_colour.png"; }
click colour-ok
expect_answer "colour $picked"
echo "ok: the palette colour $picked is answered"

xdotool key alt+F4
wait "$E2E_APP_PID" || e2e_fail "the demo did not end cleanly"
E2E_APP_PID=""
echo "ok: the dialogs behave"
