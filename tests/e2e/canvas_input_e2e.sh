#!/usr/bin/env bash
# The canvas in a real window: a piece is dragged, turned clockwise with the
# right button and back with Ctrl+right, Alt+P reaches the key handler as a
# system key, hovering and leaving are reported, and Alt+F4 ends the program
# with exit code 0. Positions come from the program's own report; colours
# from screenshots.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"

e2e_start_x 1280x800x24
cp "$bin_dir/tandrill_canvas_demo" "$E2E_WORK/"
report="$E2E_WORK/report.txt"
set -m
"$E2E_WORK/tandrill_canvas_demo" "$report" >"$E2E_WORK/demo.log" 2>&1 &
E2E_APP_PID=$!
e2e_wait_for "$report" "ready 1"

field() { grep "^$1 " "$report" | cut -d' ' -f"$2"; }
int() { printf '%.0f' "$1"; }

wx=$(field window 2); wy=$(field window 3)
# Centre of the piece on screen.
piece_centre() {
  local x y w h
  x=$(field piece-bounds 2); y=$(field piece-bounds 3); w=$(field piece-bounds 4); h=$(field piece-bounds 5)
  echo "$(int "$(echo "$wx + $x + $w / 2" | bc -l)") $(int "$(echo "$wy + $y + $h / 2" | bc -l)")"
}
# True once the piece rests (no turn under way) at one of the given angles.
rests_at() {
  [ "$(field turning 2)" = "0" ] || return 1
  local angle rot
  rot=$(field piece-rotation 2)
  for angle in "$@"; do [ "$rot" = "$angle" ] && return 0; done
  return 1
}
moved_by() { [ "$(int "$(echo "$(field piece-bounds 2) - $1" | bc -l)")" -ge "$2" ]; }

# 1. The piece is painted where the report says: red on the left, blue on the right.
read -r cx cy < <(piece_centre)
e2e_screenshot "$E2E_WORK/start.png"
left=$(e2e_pixel "$E2E_WORK/start.png" $((cx - 30)) "$cy")
right=$(e2e_pixel "$E2E_WORK/start.png" $((cx + 30)) "$cy")
[ "$left" = "E02020" ] || e2e_fail "left half is $left, expected red"
[ "$right" = "2040E0" ] || e2e_fail "right half is $right, expected blue"
echo "ok: piece painted at $cx,$cy"

# The root's rounded outline is the window's: its corner shows the screen
# behind it, a little further in shows the root.
corner=$(e2e_pixel "$E2E_WORK/start.png" $((wx + 3)) $((wy + 3)))
inner=$(e2e_pixel "$E2E_WORK/start.png" $((wx + 30)) $((wy + 30)))
[ "$inner" = "D8D0C0" ] || e2e_fail "inside the rounded corner is $inner"
[ "$corner" != "D8D0C0" ] || e2e_fail "the window's corner is not cut round"
echo "ok: the window takes the root's rounded outline"

# 2. Drag by (+200, +100): the piece follows the pointer.
x0=$(field piece-bounds 2)
e2e_drag "$cx" "$cy" $((cx + 200)) $((cy + 100)) 10
e2e_wait_until "the piece to follow the drag" 100 moved_by "$x0" 198
x1=$(field piece-bounds 2)
moved=$(int "$(echo "$x1 - $x0" | bc -l)")
[ "$moved" -ge 198 ] && [ "$moved" -le 202 ] || e2e_fail "piece moved by $moved, expected 200"
echo "ok: dragged by $moved"

# 3. Right click: a quarter turn clockwise, animated, ending at 90 degrees.
read -r cx cy < <(piece_centre)
xdotool mousemove "$cx" "$cy" click 3
sleep 0.1
[ "$(field turning 2)" = "1" ] || echo "note: the turn was not under way at the first look"
e2e_wait_until "the turn to end at 90 (rotation $(field piece-rotation 2))" 100 rests_at 90
read -r cx cy < <(piece_centre)
e2e_screenshot "$E2E_WORK/turned.png"
top=$(e2e_pixel "$E2E_WORK/turned.png" "$cx" $((cy - 30)))
bottom=$(e2e_pixel "$E2E_WORK/turned.png" "$cx" $((cy + 30)))
[ "$top" = "E02020" ] && [ "$bottom" = "2040E0" ] || e2e_fail "after a clockwise turn top=$top bottom=$bottom"
echo "ok: turned clockwise to 90"

# 4. Ctrl+right click: back to 0 degrees, counter-clockwise.
xdotool mousemove "$cx" "$cy" keydown ctrl click 3 keyup ctrl
e2e_wait_until "the turn back to end at 0" 100 rests_at 0 360
echo "ok: turned back counter-clockwise"

# The turns leave nothing behind: around the piece, beyond the reach of its
# shadow, every pixel shows the background again.
e2e_screenshot "$E2E_WORK/after-turns.png"
bx=$(int "$(echo "$wx + $(field piece-bounds 2)" | bc -l)"); by=$(int "$(echo "$wy + $(field piece-bounds 3)" | bc -l)")
bw=$(int "$(field piece-bounds 4)"); bh=$(int "$(field piece-bounds 5)")
stale=$(convert "$E2E_WORK/after-turns.png" -crop $((bw + 120))x$((bh + 120))+$((bx - 60))+$((by - 60)) +repage txt:- |
  awk -v w="$bw" -v h="$bh" 'NR > 1 {
      split($1, xy, /[,:]/); x = xy[1] - 60; y = xy[2] - 60
      inside = (x >= -12 && x < w + 12 && y >= -12 && y < h + 12)
      if (!inside && $3 != "#D8D0C0") n++
    } END { print n + 0 }')
[ "$stale" -eq 0 ] || e2e_fail "$stale pixels around the piece still show an old shadow"
echo "ok: no trace of the turns around the piece"

# 5. Alt+P reaches the key handler as system keys (260 with the key 80).
xdotool key alt+p
e2e_wait_for "$report" "^keys .*260:80" 100
kill -0 "$E2E_APP_PID" || e2e_fail "Alt+P ended the program"
echo "ok: Alt+P delivered as a system key"

# 6. Hover the green target, then move to the background: one leave notice.
at_least() { [ "$(field "$1" 2)" -ge "$2" ]; }
xdotool mousemove $((wx + 650)) $((wy + 85)); sleep 0.2
xdotool mousemove $((wx + 650)) $((wy + 400))
e2e_wait_until "the item leave" 100 at_least item-leaves 1
# A second notice for the same leave would come right behind the first.
sleep 0.3
[ "$(field item-leaves 2)" = "1" ] || e2e_fail "item leaves: $(field item-leaves 2), expected 1"
# Leaving the window reaches the program as a leave message.
xdotool mousemove 5 5
e2e_wait_until "the window leave" 100 at_least window-leaves 1
echo "ok: hover leave and window leave"

# 7. Alt+F4 closes the window and the program ends with 0.
xdotool mousemove $((wx + 400)) $((wy + 300)); sleep 0.1
xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$E2E_APP_PID" 2>/dev/null && e2e_fail "Alt+F4 did not close the program"
set +e
wait "$E2E_APP_PID"
rc=$?
set -e
[ "$rc" -eq 0 ] || e2e_fail "exit code $rc after Alt+F4"
echo "ok: Alt+F4 closed the program with exit code 0"
