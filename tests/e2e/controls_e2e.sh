#!/usr/bin/env bash
# The drawn controls in a real window: a button's normal, hover and pressed
# faces show the style's colours over what lies behind them, clicks and a
# toggle reach the program, a disabled button ignores the mouse, a scroll
# thumb follows a drag, the wheel scrolls a list, a tool window moves by its
# title and resizes by its edges, a modal message box blocks a click outside
# it and closes with its hot key, and the root's close button ends the
# program. Places come from the program's own report; colours from
# screenshots.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"

e2e_start_x 1280x800x24
cp "$bin_dir/tandrill_controls_demo" "$E2E_WORK/"
report="$E2E_WORK/report.txt"
set -m
TANDRILL_CONTROLS_REPORT="$report" "$E2E_WORK/tandrill_controls_demo" >"$E2E_WORK/demo.log" 2>&1 &
E2E_APP_PID=$!
e2e_wait_for "$report" "ready 1"

value() { grep "^$1 " "$report" | head -1 | cut -d' ' -f2-; }
# control NAME FIELD: 1 x, 2 y, 3 width, 4 height (screen pixels)
control() { grep "^control $1 " "$report" | head -1 | cut -d' ' -f$(($2 + 2)); }
centre() { echo "$(($(control "$1" 1) + $(control "$1" 3) / 2)) $(($(control "$1" 2) + $(control "$1" 4) / 2))"; }
expect_value() {
  local key="$1" want="$2" i
  for i in $(seq 50); do
    [ "$(value "$key")" = "$want" ] && return 0
    sleep 0.1
  done
  e2e_fail "$key is '$(value "$key")', expected '$want'"
}

# The composite of a translucent ARGB colour over an opaque #RRGGBB pixel.
blend() {
  local argb="$1" under="$2"
  local a=$((16#${argb:0:2})) r=$((16#${argb:2:2})) g=$((16#${argb:4:2})) b=$((16#${argb:6:2}))
  local ur=$((16#${under:0:2})) ug=$((16#${under:2:2})) ub=$((16#${under:4:2}))
  printf '%02X%02X%02X' $(((r * a + ur * (255 - a)) / 255)) $(((g * a + ug * (255 - a)) / 255)) \
    $(((b * a + ub * (255 - a)) / 255))
}
near() {
  local p="$1" q="$2" tolerance="${3:-24}" i
  for i in 0 2 4; do
    local d=$((16#${p:$i:2} - 16#${q:$i:2}))
    [ "${d#-}" -le "$tolerance" ] || return 1
  done
}
# The face pixel left of the caption, where neither sheen nor shade reaches,
# against the backdrop just left of the button.
check_face() {
  local shot="$1" colour="$2" what="$3"
  local x=$(($(control hover 1) + 9)) y=$(($(control hover 2) + 11))
  local face under want
  face=$(e2e_pixel "$shot" "$x" "$y")
  under=$(e2e_pixel "$shot" $(($(control hover 1) - 4)) "$y")
  want=$(blend "$colour" "$under")
  near "$face" "$want" || e2e_fail "$what face is #$face over #$under, expected about #$want"
  echo "ok: $what face #$face"
}

# 1. Faces: normal, hover, pressed; the click arrives on release.
read -r hx hy < <(centre hover)
xdotool mousemove 20 20
sleep 0.3
e2e_screenshot "$E2E_WORK/normal.png"
check_face "$E2E_WORK/normal.png" 880000FF normal
xdotool mousemove "$hx" "$hy"
sleep 0.3
e2e_screenshot "$E2E_WORK/hover.png"
check_face "$E2E_WORK/hover.png" AAFFFFFF hover
xdotool mousedown 1
sleep 0.3
e2e_screenshot "$E2E_WORK/pressed.png"
check_face "$E2E_WORK/pressed.png" DD0000FF pressed
[ "$(value clicks-hover)" = "0" ] || e2e_fail "clicked before the release"
xdotool mouseup 1
expect_value clicks-hover 1
# Pressed on the button, released outside: no click.
xdotool mousedown 1
e2e_drag "$hx" "$hy" $((hx + 200)) $((hy + 150)) 5
sleep 0.3
[ "$(value clicks-hover)" = "1" ] || e2e_fail "a release outside clicked"
echo "ok: clicks only on release over the button"

# 2. Toggle and disabled buttons.
read -r tx ty < <(centre toggle)
xdotool mousemove "$tx" "$ty" click 1
expect_value toggle 1
read -r dx dy < <(centre disabled)
xdotool mousemove "$dx" "$dy" click 1
sleep 0.3
[ "$(value clicks-disabled)" = "0" ] || e2e_fail "the disabled button clicked"
echo "ok: toggle and disabled"

# 3. Dragging the scroll thumb by 100 pixels of a 320-pixel travel.
read -r sx sy < <(centre scrollThumb)
e2e_drag "$sx" "$sy" $((sx + 100)) "$sy" 10
sleep 0.3
sv=$(value scroll-value)
[ "$sv" -ge 240 ] && [ "$sv" -le 260 ] || e2e_fail "scroll value $sv after the drag, expected about 250"
echo "ok: thumb drag gives $sv"

# 4. The wheel scrolls the list, two notches of a tenth of a page each.
read -r lx ly < <(centre list)
xdotool mousemove "$lx" "$ly"
sleep 0.2
xdotool click 5
sleep 0.1
xdotool click 5
expect_value list-scroll 52
xdotool click 4
expect_value list-scroll 26
echo "ok: the wheel scrolls the list"

# 5. The tool window moves by its title and resizes by its left and bottom
# edges.
x0=$(control tool 1); y0=$(control tool 2); w0=$(control tool 3); h0=$(control tool 4)
e2e_drag $((x0 + 60)) $((y0 + 10)) $((x0 + 120)) $((y0 + 50)) 8
sleep 0.3
[ "$(control tool 1)" = $((x0 + 60)) ] && [ "$(control tool 2)" = $((y0 + 40)) ] ||
  e2e_fail "tool window at $(control tool 1),$(control tool 2) after the title drag"
x1=$(control tool 1); y1=$(control tool 2)
e2e_drag $((x1 + 1)) $((y1 + 90)) $((x1 - 39)) $((y1 + 90)) 8
sleep 0.3
[ "$(control tool 1)" = $((x1 - 40)) ] && [ "$(control tool 3)" = $((w0 + 40)) ] ||
  e2e_fail "left edge: $(control tool 1) wide $(control tool 3)"
e2e_drag $((x1 + 100)) $((y1 + h0 - 2)) $((x1 + 100)) $((y1 + h0 + 28)) 8
sleep 0.3
[ "$(control tool 4)" = $((h0 + 30)) ] || e2e_fail "bottom edge: height $(control tool 4)"
echo "ok: the tool window moves and resizes"
e2e_screenshot "$E2E_WORK/moved.png"

# 6. A modal message box: a click outside does nothing, Alt+N answers "No".
read -r mx my < <(centre message)
xdotool mousemove "$mx" "$my" click 1
expect_value modal 1
e2e_wait_for "$report" "^control messageBox-button1 "
sleep 0.3
e2e_screenshot "$E2E_WORK/message.png"
xdotool mousemove "$hx" "$hy" click 1
sleep 0.4
[ "$(value clicks-hover)" = "1" ] || e2e_fail "a click outside the modal box reached a button"
[ "$(value modal)" = "1" ] || e2e_fail "the box closed on a click outside it"
xdotool key alt+n
expect_value box-result 1
expect_value modal 0
expect_value top-modal 0
xdotool mousemove "$hx" "$hy" click 1
expect_value clicks-hover 2
echo "ok: the modal box blocks outside clicks and closes with Alt+N"

# 7. The root's close button ends the program normally.
read -r cx cy < <(centre root-close)
xdotool mousemove "$cx" "$cy" click 1
for i in $(seq 50); do
  kill -0 "$E2E_APP_PID" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$E2E_APP_PID" 2>/dev/null; then e2e_fail "the program did not end on its close button"; fi
wait "$E2E_APP_PID" || e2e_fail "the program ended with an error"
E2E_APP_PID=""
cp "$E2E_WORK"/*.png "$bin_dir/" 2>/dev/null || true
echo "ok: closed by its own close button"
