#!/usr/bin/env bash
# The play room's tools for large puzzles, with the real game: a library
# game entered through the store room. A rubber band on the empty table
# selects the pieces it touches, dragging one of them moves them all; New
# Tray makes "Tray 1", a piece dragged onto it goes in and dragged out comes
# back onto the table; Edges fills the tray "Edges" with the border's loose
# pieces, Arrange lays the table's pieces in rows that do not overlap. Back
# and Play again: the trays come back with their pieces. Screenshots of the
# trays and the arranged table, at 100 % and zoomed out.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
e2e_library_scene "$bin_dir"
e2e_start_x 1280x800x24

start_and_play() { e2e_play_tree_puzzle "$report" "$library"; }

# Asks the last piece report: "empty W H" prints a table point with nothing
# within the given box to its lower right; "inside X Y W H" a free loose
# piece whose centre lies in the box; "tray TITLE" a free piece in a tray.
ask() {
  python3 - "$report" "$WIDTH" "$HEIGHT" "$@" <<'PY'
import sys
path, ww, wh, what = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
block, pieces, trays, menu = [], [], [], (0, 0, 0, 0)
for line in open(path):
    f = line.split()
    if not f: continue
    if f[0] == "piece": block.append(f)
    if f[0] == "pieces": pieces, block, trays = block, [], []
    if f[0] == "tray" and len(f) > 7 and f[2] == "box":
        trays.append(([float(v) for v in f[3:7]], " ".join(f[10:])))
    # A tray made since the last report covers what lies under it.
    if f[:2] == ["tray", "new"]: trays.append(([float(v) for v in f[2:6]], " ".join(f[6:])))
    if f[:2] == ["play", "menu"]: menu = [float(v) for v in f[2:6]]
boxes = [[float(v) for v in p[13:17]] for p in pieces]
def in_tray(x, y):
    return next((t for (bx, by, bw, bh), t in trays if bx <= x <= bx + bw and by <= y <= by + bh), None)
def overlaps(b, c):
    return b[0] < c[0] + c[2] and c[0] < b[0] + b[2] and b[1] < c[1] + c[3] and c[1] < b[1] + b[3]
if what == "empty":
    w, h = float(sys.argv[5]), float(sys.argv[6])
    # Right of the menu and below the room's title, where only the table is.
    for y in range(int(menu[1]) + 20, wh - int(h) - 10, 10):
        for x in range(int(menu[0] + menu[2]) + 30, ww - int(w) - 10, 10):
            free = not any(overlaps((x - 8, y - 8, 16, 16), b) for b in boxes)
            clear = not any(overlaps((x, y, w, h), t[0]) for t in trays)
            touches = any(p[11] == "1" and x < float(p[6]) < x + w and y < float(p[7]) < y + h for p in pieces)
            if free and clear and (touches or len(sys.argv) > 7):
                print(x, y); sys.exit()
    print("none")
elif what == "inside":
    x, y, w, h = [float(v) for v in sys.argv[5:9]]
    for p in pieces:
        cx, cy = float(p[6]), float(p[7])
        if p[11] == "1" and x <= cx <= x + w and y <= cy <= y + h and not in_tray(cx, cy):
            print(round(cx), round(cy)); sys.exit()
    print("none")
elif what == "tray":
    for p in pieces:
        cx, cy = float(p[6]), float(p[7])
        if p[11] == "1" and in_tray(cx, cy) == sys.argv[5]:
            print(round(cx), round(cy)); sys.exit()
    print("none")
elif what == "overlaps":
    loose = [b for p, b in zip(pieces, boxes) if not in_tray(float(p[6]), float(p[7]))]
    n = sum(overlaps(a, b) for i, a in enumerate(loose) for b in loose[i + 1:])
    print(n)
PY
}
reports() { grep -c '^pieces reported' "$report" || true; }
wait_report_after() {
  e2e_wait_until "$1" 80 bash -c "[ \$(grep -c '^pieces reported' '$report') -gt $2 ]"
}

start_and_play
pieces="$(grep '^play ready ' "$report" | tail -1 | awk '{print $3}')"

# --- a rubber band, and the selection dragged --------------------------------
read -r bx by < <(ask empty 300 200)
[ "$bx" != none ] || e2e_fail "no empty place for the band"
e2e_drag $((ox + bx)) $((oy + by)) $((ox + bx + 300)) $((oy + by + 200)) 10
e2e_wait_for "$report" '^table selected [1-9]' 50
selected="$(grep '^table selected ' "$report" | tail -1 | awk '{print $3}')"
e2e_screenshot "$E2E_WORK/selected.png"
read -r px py < <(ask inside "$bx" "$by" 300 200)
[ "$px" != none ] || e2e_fail "the band touched no free piece"
n="$(reports)"
e2e_drag $((ox + px)) $((oy + py)) $((ox + px + 60)) $((oy + py + 40)) 8
if [ "$selected" -gt 1 ]; then e2e_wait_for "$report" "^table dropped $selected" 50; fi
wait_report_after "the report after the selection's drop" "$n"
echo "ok: a band selected $selected items and they moved together"

# --- a tray: a piece in and out ----------------------------------------------
xdotool key --clearmodifiers Escape
xdotool key --clearmodifiers alt+y
e2e_wait_for "$report" '^tray new .* Tray 1$' 50
read -r tx ty tw th < <(grep '^tray new ' "$report" | tail -1 | awk '{print $3, $4, $5, $6}')
# Renamed in place: a double-click on the title, a name typed, Enter.
xdotool mousemove $((ox + tx + 90)) $((oy + ty + 12)) click --repeat 2 --delay 80 1
e2e_wait_for "$report" '^tray rename Tray 1' 50
xdotool type --delay 40 "Sky"
xdotool key --clearmodifiers Return
e2e_wait_for "$report" '^tray title Sky$' 50
read -r px py < <(ask inside 0 0 "$WIDTH" "$HEIGHT")
n="$(reports)"
e2e_drag $((ox + px)) $((oy + py)) $((ox + tx + tw / 2)) $((oy + ty + th / 2)) 10
e2e_wait_for "$report" '^tray took 1 Sky' 50
wait_report_after "the report after the drop into the tray" "$n"
e2e_screenshot "$E2E_WORK/tray.png"
read -r px py < <(ask tray "Sky")
[ "$px" != none ] || e2e_fail "no free piece in the renamed tray"
read -r ex ey < <(ask empty 60 60 anywhere)
n="$(reports)"
e2e_drag $((ox + px)) $((oy + py)) $((ox + ex + 30)) $((oy + ey + 30)) 10
wait_report_after "the report after the drag out of the tray" "$n"
grep '^tray 0 box .* Sky$' "$report" | tail -1 | grep -q . || e2e_fail "the piece did not leave the tray"
echo "ok: Tray 1 was renamed, a piece went into it and came out again"

# --- Edges, Arrange, Gather ------------------------------------------------------
n="$(reports)"
xdotool key --clearmodifiers alt+e
e2e_wait_for "$report" '^tray edges [1-9]' 50
wait_report_after "the report after Edges" "$n"
edges="$(grep '^tray edges ' "$report" | tail -1 | awk '{print $3}')"
e2e_screenshot "$E2E_WORK/edges_tray.png"
n="$(reports)"
xdotool key --clearmodifiers alt+a
e2e_wait_for "$report" '^table arranged [1-9]' 50
wait_report_after "the report after Arrange" "$n"
[ "$(ask overlaps)" = 0 ] || e2e_fail "arranged pieces overlap"
e2e_screenshot "$E2E_WORK/arranged.png"
xdotool mousemove $((ox + 400)) $((oy + 90))
for i in 1 2 3; do xdotool click 4; sleep 0.1; done
e2e_wait_for "$report" '^play view 1\.[1-9]' 50
sleep 0.5
e2e_screenshot "$E2E_WORK/arranged_zoomed.png"
echo "ok: Edges took $edges pieces, Arrange laid the table out without overlaps"

# --- Back and Play again: the trays come back ---------------------------------------
xdotool key --clearmodifiers alt+b
e2e_wait_until "the store room again" 100 bash -c "[ \$(grep -c '^room storeRoom' '$report') -ge 2 ]"
grep -q '^play saved ' "$report" || e2e_fail "leaving saved nothing"
xdotool key --clearmodifiers alt+q
for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
wait "$E2E_APP_PID" || e2e_fail "the game ended with an error"
start_and_play
grep -q "^tray $edges box .* Edges$" "$report" || e2e_fail "the Edges tray did not come back with $edges pieces"
grep -q '^tray 0 box .* Sky$' "$report" || e2e_fail "the renamed tray did not come back"
e2e_screenshot "$E2E_WORK/reopened.png"
xdotool key --clearmodifiers alt+b
e2e_wait_until "the store room again" 100 bash -c "[ \$(grep -c '^room storeRoom' '$report') -ge 2 ]"
xdotool key --clearmodifiers alt+q
for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
wait "$E2E_APP_PID" || e2e_fail "the game ended with an error"
for shot in tray edges_tray arranged arranged_zoomed; do
  cp "$E2E_WORK/$shot.png" "$bin_dir/play_tools_$shot.png" 2>/dev/null || true
done
echo "ok: $pieces pieces, the trays came back after Back and Play"
