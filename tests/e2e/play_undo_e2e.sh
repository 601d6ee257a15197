#!/usr/bin/env bash
# Undo and redo on the table, with the real game: two neighbouring pieces
# joined by a drag, Ctrl+Z parts them and the dragged one goes back where it
# lay, Ctrl+Y joins them again; a Scatter is taken back whole. The "Undo"
# and "Redo" buttons of the "Tools" panel are enabled only while there is
# something to undo or redo, and pressing Undo through its Alt key works as
# Ctrl+Z does.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
e2e_library_scene "$bin_dir"
e2e_start_x 1280x800x24

e2e_play_tree_puzzle "$report" "$library"

reports() { grep -c '^pieces reported' "$report" || true; }
wait_report_after() {
  e2e_wait_until "$1" 80 bash -c "[ \$(grep -c '^pieces reported' '$report') -gt $2 ]"
}
# The last piece report, one line per piece: "c r group x y angle free".
pieces_free() {
  awk '$1 == "piece" { block = block $2 " " $3 " " $5 " " $7 " " $8 " " $10 " " $12 "\n" }
       $1 == "pieces" { last = block; block = "" } END { printf "%s", last }' "$report"
}
# The same without "free", which follows the order pieces are painted in.
last_pieces() { pieces_free | cut -d' ' -f1-6; }
groups() { grep '^pieces reported' "$report" | tail -1 | awk '{print $3}'; }
state() { [ "$(grep "^play tools $1 " "$report" | tail -1 | awk '{print $4}')" = "$2" ]; }
state undo off || e2e_fail "Undo was enabled before any step"
state redo off || e2e_fail "Redo was enabled before any step"

# Two free pieces side by side in the grid, turned alike: where the left one
# must go to join the right one.
zoom="$(grep '^play view ' "$report" | tail -1 | awk '{print $3}')"
zoom="${zoom:-1}"
distance="$(grep '^play ready ' "$report" | tail -1 | awk '{print $5}')"
read -r lx ly gx gy < <(pieces_free | python3 -c '
import math, sys
zoom, distance = float(sys.argv[1]), float(sys.argv[2])
pieces = {}
for line in sys.stdin:
    c, r, g, x, y, a, free = line.split()
    pieces[(int(c), int(r))] = (float(x), float(y), float(a), free == "1")
for (c, r), (x, y, a, free) in sorted(pieces.items()):
    right = pieces.get((c + 1, r))
    if not right or not free or not right[3] or right[2] != a: continue
    t = math.radians(a)
    gx, gy = right[0] - distance * zoom * math.cos(t), right[1] - distance * zoom * math.sin(t)
    if 60 < gx < 1180 and 60 < gy < 740 and math.hypot(gx - x, gy - y) > 40:
        print(round(x), round(y), round(gx), round(gy)); sys.exit()
print("none none none none")' "$zoom" "$distance")
[ "$lx" != none ] || e2e_fail "no two neighbouring pieces turned alike"
before_groups="$(groups)"
before="$(last_pieces)"

# --- a join, taken back and made again -------------------------------------------
n="$(reports)"
e2e_drag $((ox + lx)) $((oy + ly)) $((ox + gx)) $((oy + gy)) 12
wait_report_after "the report after the join" "$n"
[ "$(groups)" -eq $((before_groups - 1)) ] || e2e_fail "the drop did not join two pieces ($(groups) groups)"
e2e_wait_until "Undo enabled" 50 state undo on
joined="$(last_pieces)"
e2e_screenshot "$E2E_WORK/joined.png"

xdotool mousemove $((ox + 1200)) $((oy + 780))
xdotool key --clearmodifiers ctrl+z
e2e_wait_for "$report" '^table undo [1-9]' 50
e2e_wait_until "the report after Ctrl+Z" 50 bash -c "[ \"\$(grep -c '^pieces reported' '$report')\" -gt $((n + 1)) ]"
[ "$(groups)" -eq "$before_groups" ] || e2e_fail "Ctrl+Z did not part the pieces"
[ "$(last_pieces)" = "$before" ] || e2e_fail "Ctrl+Z did not put the pieces back where they lay"
e2e_wait_until "Redo enabled" 50 state redo on
e2e_wait_until "Undo disabled" 50 state undo off
sleep 0.4
e2e_screenshot "$E2E_WORK/undone.png"
echo "ok: Ctrl+Z parted the joined pieces and the dragged one went back"

n="$(reports)"
xdotool key --clearmodifiers ctrl+y
e2e_wait_for "$report" '^table redo [1-9]' 50
wait_report_after "the report after Ctrl+Y" "$n"
[ "$(groups)" -eq $((before_groups - 1)) ] || e2e_fail "Ctrl+Y did not join them again"
[ "$(last_pieces)" = "$joined" ] || e2e_fail "Ctrl+Y did not put them as the drop had"
e2e_wait_until "Redo disabled" 50 state redo off
echo "ok: Ctrl+Y joined them again"

# --- a Scatter taken back by the Undo button's key ----------------------------------
n="$(reports)"
xdotool key --clearmodifiers alt+s
e2e_wait_for "$report" '^play scattered' 50
wait_report_after "the report after Scatter" "$n"
[ "$(groups)" -eq "$before_groups" ] || e2e_fail "Scatter left a group"
sleep 0.3
n="$(reports)"
xdotool key --clearmodifiers alt+u
e2e_wait_until "the Scatter undone" 50 bash -c "[ \"\$(grep -c '^table undo ' '$report')\" -ge 2 ]"
wait_report_after "the report after the Scatter's undo" "$n"
[ "$(last_pieces)" = "$joined" ] || e2e_fail "undoing Scatter did not bring every piece back"
e2e_wait_until "Redo enabled after the Scatter's undo" 50 state redo on
sleep 0.4
e2e_screenshot "$E2E_WORK/scatter_undone.png"
echo "ok: Scatter was taken back whole"

xdotool key --clearmodifiers alt+b
e2e_wait_until "the store room again" 100 bash -c "[ \$(grep -c '^room storeRoom' '$report') -ge 2 ]"
xdotool key --clearmodifiers alt+q
for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
wait "$E2E_APP_PID" || e2e_fail "the game ended with an error"
for shot in joined undone scatter_undone; do cp "$E2E_WORK/$shot.png" "$bin_dir/play_undo_$shot.png" 2>/dev/null || true; done
echo "ok: undo and redo on the table"
