#!/usr/bin/env bash
# The category window's round trip, as a player makes it in the store room
# and in the gallery: open a folder, make its window smaller and move it
# beside the folder, close it with the title bar's close button, open the
# folder again. The window must come back with the same entries in the same
# order, at the size and place it was left. Sourced after lib.sh by the
# rooms' scripts; they set $report.
#
# The game reports every shown category window as
#   window Category: TITLE | X Y W H | close CX CY | entries NAME…
# and a closed one as "window hidden …" with the same fields, on the root
# window's pixels.

# The latest report line of the kind ("window" or "window hidden").
category_window_line() {
  grep "^$1 Category: $2 |" "$report" | tail -1
}
category_window_count() {
  grep -c "^$1 Category: $2 |" "$report" || true
}
# The fields of a report line: "X Y W H", "CX CY" and the entries.
category_window_rect() { cut -d'|' -f2 <<<"$1" | xargs; }
category_window_close() { cut -d'|' -f3 <<<"$1" | sed 's/close//' | xargs; }
category_window_entries() { cut -d'|' -f4 <<<"$1" | sed 's/entries//' | xargs; }

# Double-clicks the folder and waits for the window's next report line.
category_window_open() {  # title folder-x folder-y
  local before
  before=$(category_window_count window "$1")
  # A pause first, so the press is not taken as the end of an earlier click.
  sleep 0.8
  xdotool mousemove "$2" "$3" click --repeat 2 --delay 80 1
  e2e_wait_until "the $1 window shown" 100 bash -c "[ \$(grep -c '^window Category: $1 |' '$report') -gt $before ]"
}

# The whole round trip. The window as it was left and as it came back are
# saved as screenshots (the second one is $4) and must look the same.
category_window_round_trip() {  # title folder-x folder-y screenshot
  local title="$1" fx="$2" fy="$3" shot="$4"
  local x y w h cx cy
  category_window_open "$title" "$fx" "$fy"
  local first
  first=$(category_window_line window "$title")
  [ -n "$(category_window_entries "$first")" ] || e2e_fail "the $title window opened empty"
  read -r x y w h <<<"$(category_window_rect "$first")"
  read -r cx cy <<<"$(category_window_close "$first")"

  # Smaller by the grip in its lower right corner, then moved by its title bar to the
  # right of the folder, where it leaves the folder free.
  e2e_drag $((x + w - 10)) $((y + h - 10)) $((x + w - 210)) $((y + h - 130)) 10
  e2e_drag $((x + 80)) "$cy" $((fx + 140)) $((fy - 30 + cy - y)) 12
  # Opening the open folder shows where the window is now.
  category_window_open "$title" "$fx" "$fy"
  local left
  left=$(category_window_line window "$title")
  read -r x y w h <<<"$(category_window_rect "$left")"
  [ "$w" -lt 600 ] && [ "$x" -gt "$fx" ] || e2e_fail "the $title window was not resized and moved: $left"
  sleep 0.4
  e2e_screenshot "${shot%.png}_left.png"

  read -r cx cy <<<"$(category_window_close "$left")"
  sleep 0.8
  xdotool mousemove "$cx" "$cy" click 1
  e2e_wait_until "the $title window closed" 100 bash -c "grep -q '^window hidden Category: $title |' '$report'"
  local hidden
  hidden=$(category_window_line "window hidden" "$title")
  [ "$(category_window_rect "$hidden")" = "$x $y $w $h" ] || e2e_fail "the $title window closed elsewhere: $hidden"

  category_window_open "$title" "$fx" "$fy"
  local back
  back=$(category_window_line window "$title")
  [ "$(category_window_rect "$back")" = "$x $y $w $h" ] ||
    e2e_fail "the $title window came back elsewhere: $back (left at $x $y $w $h)"
  [ "$(category_window_entries "$back")" = "$(category_window_entries "$first")" ] ||
    e2e_fail "the $title window came back with other entries: $back (first: $first)"
  sleep 0.4
  e2e_screenshot "$shot"
  # Pixel by pixel, but for a few (the pointer's hover, anti-aliasing).
  local crop="${w}x${h}+${x}+${y}" differ
  convert "${shot%.png}_left.png" -crop "$crop" +repage "$E2E_WORK/window_left.png"
  convert "$shot" -crop "$crop" +repage "$E2E_WORK/window_back.png"
  differ=$(compare -metric AE -fuzz 8% "$E2E_WORK/window_left.png" "$E2E_WORK/window_back.png" null: 2>&1 || true)
  echo "the $title window came back with $differ of $((w * h)) pixels changed"
  [ "${differ%%.*}" -lt $((w * h / 100)) ] || e2e_fail "the $title window does not look as it was left"
}

# Closes the shown window again, out of the way of what a script does next.
category_window_close_again() {  # title
  local before cx cy
  before=$(category_window_count "window hidden" "$1")
  read -r cx cy <<<"$(category_window_close "$(category_window_line window "$1")")"
  sleep 0.8
  xdotool mousemove "$cx" "$cy" click 1
  e2e_wait_until "the $1 window closed again" 100 bash -c "[ \$(grep -c '^window hidden Category: $1 |' '$report') -gt $before ]"
}
