#!/usr/bin/env bash
# The simple controls in a real window: a click gives the text field the
# keyboard and switches text input on; typed letters (a non-ASCII one
# included) arrive through the platform's text input and backspace removes
# a whole character; a click elsewhere takes the keyboard away again. The
# check box toggles, the wheel moves the slider one step and dragging its
# thumb to the end sets the maximum (the progress bar follows), and the
# choice list's step button stops at the last choice. State comes from the
# program's own report; colours from a screenshot.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"

e2e_start_x 1280x800x24
# A German keyboard has ü on a key of its own and an acute dead key, so the
# letters below come from the keyboard as a user's would (xdotool need not
# remap keys for them, which races with the program reading the keymap).
for i in $(seq 20); do
  setxkbmap -layout de 2>/dev/null && break
  [ "$i" = 20 ] && e2e_fail "no German keyboard layout"
  sleep 0.2
done
export LANG=C.UTF-8 LC_ALL=C.UTF-8
cp "$bin_dir/tandrill_simple_controls_demo" "$E2E_WORK/"
report="$E2E_WORK/report.txt"
set -m
"$E2E_WORK/tandrill_simple_controls_demo" "$report" >"$E2E_WORK/demo.log" 2>&1 &
E2E_APP_PID=$!
e2e_wait_for "$report" "ready 1"

field() { grep "^$1 " "$report" | cut -d' ' -f"$2"; }
int() { printf '%.0f' "$1"; }
wx=$(field window 2); wy=$(field window 3)
# The centre of an item on screen, or a point at a fraction of its width.
point_in() {
  local name="$1" fx="${2:-0.5}" x y w h
  x=$(field "$name" 2); y=$(field "$name" 3); w=$(field "$name" 4); h=$(field "$name" 5)
  echo "$(int "$(echo "$wx + $x + $w * $fx" | bc -l)") $(int "$(echo "$wy + $y + $h / 2" | bc -l)")"
}
expect() {
  local key="$1" want="$2" got i
  for i in $(seq 50); do
    got=$(field "$key" 2)
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  e2e_fail "$key is $got, expected $want"
}

# 1. The text field takes the keyboard when clicked.
read -r ex ey < <(point_in edit-bounds)
xdotool mousemove "$ex" "$ey" click 1
expect focus edit
expect text-input 1
echo "ok: the field holds the keyboard and text input is on"

# 2. Typing, a non-ASCII letter included, and a backspace that removes the
#    two-byte letter whole.
xdotool type --delay 60 "Mü"
expect edit-text 4dc3bc
xdotool key BackSpace
expect edit-text 4d
xdotool key --delay 80 dead_acute e
expect edit-text 4dc3a9
echo "ok: typed M, ü, backspace, and é through the dead acute key"
# An Alt shortcut typed while the field holds the keyboard types nothing.
xdotool key alt+o
sleep 0.3
expect edit-text 4dc3a9
echo "ok: Alt+O leaves the field alone"

# 3. A click on the picture takes the keyboard away; typing reaches nothing.
xdotool mousemove $((wx + 400)) $((wy + 320)) click 1
expect focus -
expect text-input 0
xdotool type --delay 60 "x"
sleep 0.3
expect edit-text 4dc3a9
echo "ok: the keyboard and text input go with a click elsewhere"

# 4. The check box toggles.
read -r cx cy < <(point_in check-bounds 0.2)
xdotool mousemove "$cx" "$cy" click 1
expect checked 1
echo "ok: check box checked"

# 5. The wheel moves the slider one step; the thumb dragged to the end gives
#    the maximum, and the progress bar follows.
read -r sx sy < <(point_in slider-bounds)
xdotool mousemove "$sx" "$sy" click 4
expect slider 10
expect progress 10
read -r tx ty < <(point_in thumb-bounds)
e2e_drag "$tx" "$ty" $((tx + 400)) "$ty" 10
expect slider 100
expect progress 100
echo "ok: wheel step and thumb drag"

# 6. The choice list's next button steps to the last choice and no further.
read -r nx ny < <(point_in next-bounds)
for i in 1 2 3; do
  xdotool mousemove "$nx" "$ny" click 1
  sleep 0.2
done
expect choice 2
echo "ok: the choice list stops at its last choice"

# 7. The full progress bar shows the pressed-face blue under its text.
e2e_screenshot "$E2E_WORK/controls.png"
read -r px py < <(point_in slider-bounds 0.05)
bar=$(e2e_pixel "$E2E_WORK/controls.png" "$px" $((py + 50)))
blue=$((16#${bar:4:2})); red=$((16#${bar:0:2}))
[ "$blue" -ge 180 ] && [ "$red" -le 120 ] || e2e_fail "the filled bar is $bar, expected blue"
echo "ok: the filled bar is blue ($bar)"
if [ -n "${E2E_KEEP:-}" ]; then cp "$E2E_WORK/controls.png" "${E2E_KEEP}/simple_controls.png" 2>/dev/null || true; fi

xdotool key alt+F4
wait "$E2E_APP_PID" || e2e_fail "the demo did not end cleanly"
E2E_APP_PID=""
echo "ok: all simple controls behave"
