#!/usr/bin/env bash
# A category window's round trip, as a player makes it in the store room and
# in the gallery (sourced after lib.sh; the script sets $report). The game
# reports a shown category window as
#   window Category: TITLE | X Y W H | close CX CY | entries NAME…
# and a closed one as "window hidden …", on the root window's pixels.

category_window_line() { grep "^$1 Category: $2 |" "$report" | tail -1; }
category_window_field() { cut -d'|' -f"$1" <<<"$2" | sed 's/^ *\(close\|entries\)//' | xargs; }

# Double-clicks the folder and waits for the window's next report line.
category_window_open() {  # title folder-x folder-y
  local before
  before=$(grep -c "^window Category: $1 |" "$report" || true)
  sleep 0.8  # so the press does not end an earlier click as a double click
  xdotool mousemove "$2" "$3" click --repeat 2 --delay 80 1
  e2e_wait_until "the $1 window shown" 100 bash -c "[ \$(grep -c '^window Category: $1 |' '$report') -gt $before ]"
}

# Clicks the close button of the window as its report line placed it.
category_window_close() {  # title line
  local before cx cy
  before=$(grep -c "^window hidden Category: $1 |" "$report" || true)
  read -r cx cy <<<"$(category_window_field 3 "$2")"
  sleep 0.8
  xdotool mousemove "$cx" "$cy" click 1
  e2e_wait_until "the $1 window closed" 100 bash -c "[ \$(grep -c '^window hidden Category: $1 |' '$report') -gt $before ]"
}

# Opens the folder, makes the window smaller by its grip and moves it by
# its title bar beside the folder, closes it with the title bar's button and
# opens it again: same entries in the same order, same rectangle, and the
# same pixels as the screenshot taken before closing ($4 and $4_left.png).
# The window is closed again at the end.
category_window_round_trip() {  # title folder-x folder-y screenshot
  local title="$1" fx="$2" fy="$3" shot="$4" first left back x y w h cx cy
  category_window_open "$title" "$fx" "$fy"
  first=$(category_window_line window "$title")
  read -r x y w h <<<"$(category_window_field 2 "$first")"
  read -r cx cy <<<"$(category_window_field 3 "$first")"
  e2e_drag $((x + w - 10)) $((y + h - 10)) $((x + w - 210)) $((y + h - 130)) 10
  e2e_drag $((x + 80)) "$cy" $((fx + 140)) $((fy - 30 + cy - y)) 12
  category_window_open "$title" "$fx" "$fy"  # reports where the window is now
  left=$(category_window_line window "$title")
  read -r x y w h <<<"$(category_window_field 2 "$left")"
  [ "$w" -lt 600 ] && [ "$x" -gt "$fx" ] || e2e_fail "the $title window was not resized and moved: $left"
  sleep 0.4
  e2e_screenshot "${shot%.png}_left.png"
  category_window_close "$title" "$left"
  category_window_open "$title" "$fx" "$fy"
  back=$(category_window_line window "$title")
  [ "$(category_window_field 2 "$back")" = "$x $y $w $h" ] || e2e_fail "the $title window came back elsewhere: $back"
  [ "$(category_window_field 4 "$back")" = "$(category_window_field 4 "$first")" ] && [ -n "$(category_window_field 4 "$first")" ] ||
    e2e_fail "the $title window came back with other entries: $back (first: $first)"
  sleep 0.4
  e2e_screenshot "$shot"
  local crop="${w}x${h}+${x}+${y}" differ
  convert "${shot%.png}_left.png" -crop "$crop" +repage "$E2E_WORK/window_left.png"
  convert "$shot" -crop "$crop" +repage "$E2E_WORK/window_back.png"
  differ=$(compare -metric AE -fuzz 8% "$E2E_WORK/window_left.png" "$E2E_WORK/window_back.png" null: 2>&1 || true)
  echo "the $title window came back with $differ of $((w * h)) pixels changed"
  [ "${differ%%.*}" -lt $((w * h / 100)) ] || e2e_fail "the $title window does not look as it was left"
  category_window_close "$title" "$back"  # out of the way of what follows
}
