#!/usr/bin/env bash
# A whole game with the keyboard alone, in the real game: in the store room
# Tab walks the floor (the folder, then the puzzle) and Enter plays the
# 4 x 3 puzzle, whose pieces lie scattered with turns. In the play room Tab
# puts a focus frame on a piece (screenshot: the frame shows around it);
# R and Shift+R turn it upright;
# the arrows (Shift: 50 units, plain: 10, Alt: 1) carry it beside a
# neighbour of the growing group, with the places taken from the report,
# and Enter puts it down, which joins it; until the "Puzzle Solved !!!"
# box, which Enter closes into the gallery.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
e2e_library_scene "$bin_dir" keys
shots="$bin_dir/keyboard_play"
rm -rf "$shots"
mkdir -p "$shots"
e2e_start_x 1280x800x24

: >"$report"
TANDRILL_REPORT="$report" TANDRILL_DATA_DIR="$library" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
E2E_APP_PID=$!
e2e_wait_for "$report" '^room storeRoom' 150
e2e_wait_for "$report" '^item twelve ' 150
e2e_wait_for "$report" '^first-frame' 150
wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
[ -n "$wid" ] || e2e_fail "no window"
eval "$(xdotool getwindowgeometry --shell "$wid")"

count() { grep -c -- "$1" "$report" || true; }
# Presses the keys and waits until the pattern was reported once more per key.
press() {
  local pattern="$1"
  shift
  local before
  before="$(count "$pattern")"
  xdotool key --clearmodifiers --delay 30 "$@"
  e2e_wait_until "$# more '$pattern'" 100 bash -c "[ \$(grep -c -- '$pattern' '$report') -ge $((before + $#)) ]"
}
shot() {
  sleep 0.4
  e2e_screenshot "$E2E_WORK/screen.png"
  convert "$E2E_WORK/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/$1.png"
}

# ---- the store room: Tab over the floor in reading order, Enter plays ------
press '^selected ' Tab
[ "$(grep '^selected ' "$report" | tail -1)" = "selected Animals" ] || e2e_fail "Tab does not start at the folder"
press '^selected ' Tab
[ "$(grep '^selected ' "$report" | tail -1)" = "selected twelve" ] || e2e_fail "Tab does not go on to the puzzle"
shot store_room_selected
xdotool key --clearmodifiers Return
e2e_wait_for "$report" '^play ready 12 ' 150
e2e_wait_for "$report" '^pieces reported' 50
sleep 0.5

# ---- the play room -------------------------------------------------------------
focus() { grep '^table focus ' "$report" | tail -1; }
press '^table focus ' Tab
read -r _ _ _ _ _ _ _ _ _ _ _ _ fx fy fw fh <<<"$(focus)"
shot focus_frame
# The frame's colour shows on its top edge, a bar's width in from its corner.
colour="$(e2e_pixel "$shots/focus_frame.png" $((fx + fw / 2)) $((fy + 1)))"
[ "$colour" = "FFD23C" ] || e2e_fail "no focus frame on the screen (found #$colour at $fx,$fy)"

# Prints the keys that carry the focused item next to the group of the
# first piece put down, "turn KEY" while it is not upright, "skip" when it
# has no neighbour there (or is that group), "done" when all is one group.
plan() {
  python3 - "$report" "$WIDTH" "$HEIGHT" "${base:-}" <<'PY'
import sys
path, ww, wh, base = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
block, pieces, dist, focus = [], {}, 0.0, None
for line in open(path):
    f = line.split()
    if not f: continue
    if f[:2] == ["play", "ready"]: dist = float(f[4])
    if f[0] == "piece": block.append(f)
    if f[0] == "pieces": pieces, block = {(int(b[1]), int(b[2])): b for b in block}, []
    if f[:2] == ["table", "focus"]: focus = f
pieces = {k: dict(group=int(b[4]), x=float(b[6]), y=float(b[7]), angle=int(b[9])) for k, b in pieces.items()}
if len({p["group"] for p in pieces.values()}) == 1:
    print("done"); sys.exit()
c, r, angle = int(focus[2]), int(focus[3]), int(focus[8])
x, y = float(focus[5]), float(focus[6])
if angle == 90: print("turn shift+r"); sys.exit()
if angle != 0: print("turn r"); sys.exit()
group = pieces[(c, r)]["group"]
if not base:
    # The first piece goes where the whole picture fits right of the menu.
    tx, ty = ww / 2 + 60 - 200 + (c + 0.5) * dist, wh / 2 - 150 + (r + 0.5) * dist
else:
    bc, br = map(int, base.split(","))
    bgroup = pieces[(bc, br)]["group"]
    if group == bgroup: print("skip"); sys.exit()
    moves = [(k, n) for k, p in pieces.items() if p["group"] == group
             for n in ((k[0] + 1, k[1]), (k[0] - 1, k[1]), (k[0], k[1] + 1), (k[0], k[1] - 1))
             if n in pieces and pieces[n]["group"] == bgroup]
    if not moves: print("skip"); sys.exit()
    (pc, pr), (nc, nr) = moves[0]
    n = pieces[(nc, nr)]
    # Where the focused piece's anchor lies when its group's piece p sits
    # beside its neighbour n.
    tx = n["x"] + (pc - nc) * dist + (c - pc) * dist
    ty = n["y"] + (pr - nr) * dist + (r - pr) * dist
keys = []
for d, plus, minus in ((round(tx - x), "Right", "Left"), (round(ty - y), "Down", "Up")):
    key = plus if d > 0 else minus
    d = abs(d)
    keys += ["shift+" + key] * (d // 50) + [key] * (d % 50 // 10) + ["alt+" + key] * (d % 10)
print("move", " ".join(keys) if keys else "none")
PY
}

base=""
turned=0
tabs=0
for step in $(seq 1 80); do
  read -r what keys <<<"$(plan)"
  case "$what" in
    done) break ;;
    turn)
      turned=$((turned + 1))
      press '^table focus ' "$keys"
      continue ;;
    skip)
      tabs=$((tabs + 1))
      [ "$tabs" -lt 40 ] || e2e_fail "Tab found nothing that fits"
      press '^table focus ' Tab
      continue ;;
    move)
      # shellcheck disable=SC2086
      [ "$keys" = none ] || press '^table focus ' $keys
      reports="$(count '^pieces reported')"
      tabs=0
      press '^table dropped ' Return
      e2e_wait_until "the places after Enter" 50 bash -c "[ \$(grep -c '^pieces reported' '$report') -gt $reports ]"
      if [ -z "$base" ]; then
        base="$(focus | awk '{print $3 "," $4}')"
        grep -q '^table focus .* held 0 ' <(focus) || e2e_fail "Enter did not put the piece down"
      fi ;;
  esac
done
e2e_wait_for "$report" '^message Puzzle Solved !!!: Congratulations!!!' 100
echo "ok: solved with the keys in $step steps ($turned turns)"
shot solved
xdotool key --clearmodifiers Return
e2e_wait_for "$report" '^room galleryRoom' 150
kill -TERM "$E2E_APP_PID"
wait "$E2E_APP_PID" || true
E2E_APP_PID=""
echo "ok: Enter closed the box into the gallery"
