#!/usr/bin/env bash
# Plays a gift with the real game: a 4 x 3 puzzle appended to a copy of the
# gift template is opened as "tandrill GIFTFILE". The build window appears,
# Ghost and Picture show their items, Hint moves the piece in hand, the
# pointer solves the puzzle by dragging pieces to where the program reports
# their neighbours, and the "Puzzle Solved !!!" box appears with the time.
# Closing the box ends a gift.
#
# Then, on the same X server, a library game: the store room's Play opens a
# puzzle, a few drags move pieces and join two, Back returns to the store
# room; after quitting and starting again the same puzzle reopens with every
# piece where it was, the joined pieces still joined and the clock going on
# from where it stood. A piece held over the menu is drawn above it. Last,
# the saved game is moved by hand past the window's top and left edges:
# reopened, every piece lies exactly where the file says, and Back saves
# the same places again.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
[ -x "$bin_dir/tandrill" ] || e2e_fail "no game in $bin_dir"
[ -x "$bin_dir/tandrill_gift_maker" ] || e2e_fail "no gift maker in $bin_dir"
cp "$bin_dir/tandrill" "$E2E_WORK/"
"$bin_dir/tandrill_gift_maker" "$bin_dir/gift.pzl" "$E2E_WORK/puzzle_gift" || e2e_fail "could not make the gift"
report="$E2E_WORK/report.txt"
mkdir -p "$E2E_WORK/data"

e2e_start_x 1280x800x24
TANDRILL_REPORT="$report" TANDRILL_DATA_DIR="$E2E_WORK/data" SDL_AUDIODRIVER=dummy \
  "$E2E_WORK/tandrill" "$E2E_WORK/puzzle_gift" &
E2E_APP_PID=$!

e2e_wait_for "$report" "^play building" 150
e2e_wait_for "$report" "^play ready 12 " 150
grep -q "^caption Tandrill Gift: Checkers (400 x 300)" "$report" || e2e_fail "no gift caption"
sleep 0.5
wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
[ -n "$wid" ] || e2e_fail "no window"
eval "$(xdotool getwindowgeometry --shell "$wid")"
origin_x="$X"; origin_y="$Y"

# The last reported place of every piece, as "x y" of one piece or a plan.
python_common='
import sys
def last_block(path):
    block, pieces, dist = [], {}, 0.0
    for line in open(path):
        f = line.split()
        if not f: continue
        if f[0] == "play" and len(f) > 4 and f[1] == "ready": dist = float(f[4])
        if f[0] == "piece": block.append(f)
        if f[0] == "pieces": pieces, block = {(int(b[1]), int(b[2])): b for b in block}, []
    return {k: dict(group=int(b[4]), x=float(b[6]), y=float(b[7]), free=b[11] == "1",
                    box=[float(v) for v in b[13:17]]) for k, b in pieces.items()}, dist
'
piece_at() {
  python3 -c "$python_common
pieces, _ = last_block(sys.argv[1])
p = pieces[(int(sys.argv[2]), int(sys.argv[3]))]
print(round(p['x']), round(p['y']), int(p['free']))" "$report" "$1" "$2"
}

e2e_screenshot "$E2E_WORK/opened.png"
# Ghost and picture: Alt with the underlined letter presses the buttons.
xdotool key alt+g
e2e_wait_for "$report" "^play ghost on" 50
xdotool key alt+p
e2e_wait_for "$report" "^play preview open" 50
sleep 0.5
e2e_screenshot "$E2E_WORK/ghost_and_picture.png"
changed="$(compare -metric AE "$E2E_WORK/opened.png" "$E2E_WORK/ghost_and_picture.png" null: 2>&1 || true)"
[ "${changed%% *}" -gt 5000 ] 2>/dev/null || e2e_fail "ghost and picture changed nothing on screen ($changed)"
xdotool key alt+p
e2e_wait_for "$report" "^play preview closed" 50

# Hint: pick up a free piece, then ask where it belongs.
read -r hx hy free <<<"$(python3 -c "$python_common
pieces, _ = last_block(sys.argv[1])
k, p = next((k, p) for k, p in sorted(pieces.items()) if p['free'])
print(round(p['x']), round(p['y']), 1)" "$report")"
xdotool mousemove $((origin_x + hx)) $((origin_y + hy)) click 1
sleep 0.3
hints_before="$(grep -c '^play hint' "$report" || true)"
xdotool key alt+h
e2e_wait_for "$report" "^play hint" 50
[ "$(grep -c '^play hint' "$report")" -gt "$hints_before" ] || e2e_fail "Hint did nothing"
python3 -c "$python_common
pieces, _ = last_block(sys.argv[1])
hx, hy = float(sys.argv[2]), float(sys.argv[3])
assert not any(abs(p['x'] - hx) < 0.5 and abs(p['y'] - hy) < 0.5 for p in pieces.values()), 'the piece did not move'
" "$report" "$hx" "$hy" || e2e_fail "Hint did not move the piece"
xdotool key alt+g
e2e_wait_for "$report" "^play ghost off" 50

# Solve by dragging: each step puts a free piece (or its group) beside a
# neighbour that is not yet joined to it. A piece scattered under the menu
# cannot be taken: as a player would, the planner asks for Reveal first
# ('reveal'), and with $1 set to 'revealed' moves the pieces it raised.
plan() {
  python3 -c "$python_common
pieces, dist = last_block(sys.argv[1])
ww, wh = int(sys.argv[2]), int(sys.argv[3])
revealed = sys.argv[4] == 'revealed'
if len({p['group'] for p in pieces.values()}) == 1:
    print('done'); sys.exit()
options = []
for (c, r), p in pieces.items():
    for dc, dr in ((1, 0), (0, 1), (-1, 0), (0, -1)):
        n = pieces.get((c + dc, r + dr))
        if not n or n['group'] == p['group'] or not (p['free'] or revealed): continue
        tx, ty = n['x'] - dc * dist, n['y'] - dr * dist
        bx, by, bw, bh = p['box']
        nx, ny = bx + tx - p['x'], by + ty - p['y']
        fits = nx >= 2 and ny >= 40 and nx + bw <= ww - 2 and ny + bh <= wh - 40
        options.append((not fits, p['free'], -bw * bh, p['x'], p['y'], tx, ty))
options.sort()
if options and not options[0][0]:
    _, _, _, x0, y0, x1, y1 = options[0]
    print(round(x0), round(y0), round(x1), round(y1)); sys.exit()
if not revealed and any(not p['free'] for p in pieces.values()):
    print('reveal'); sys.exit()
# Nothing fits where it belongs: the largest free group may be lying over
# the pieces it needs. It moves to a clear corner, right of the menu.
free = [p for p in pieces.values() if p['free']]
if not free:
    print('stuck'); sys.exit()
big = max(free, key=lambda p: p['box'][2] * p['box'][3])
bx, by, bw, bh = big['box']
tx, ty = (ww - bw - 10, 60) if bx < ww / 2 else (130, 60)
print(round(big['x']), round(big['y']), round(big['x'] + tx - bx), round(big['y'] + ty - by))" "$report" "$WIDTH" "$HEIGHT" "${1:-}"
}

# The next drag of the plan, with Reveal pressed first when it asks for it.
next_move() {
  local move
  move="$(plan)"
  if [ "$move" = "reveal" ]; then
    xdotool key --clearmodifiers alt+r
    sleep 0.3
    move="$(plan revealed)"
  fi
  echo "$move"
}

step=0
for step in $(seq 1 40); do
  move="$(next_move)"
  [ "$move" = "done" ] && break
  [ "$move" = "stuck" ] && e2e_fail "no piece can be moved"
  read -r x0 y0 x1 y1 <<<"$move"
  reports="$(grep -c '^pieces reported' "$report")"
  e2e_drag $((origin_x + x0)) $((origin_y + y0)) $((origin_x + x1)) $((origin_y + y1)) 8
  # The program reports the places again when the piece is put down.
  for i in $(seq 50); do
    [ "$(grep -c '^pieces reported' "$report")" -gt "$reports" ] && break
    sleep 0.1
  done
  sleep 0.1
done
e2e_wait_for "$report" "^message Puzzle Solved !!!: Congratulations!!!" 300
grep -q "You've completed the puzzle in [0-9][0-9]:[0-9][0-9] seconds!!!" "$report" || e2e_fail "no time in the box"
grep -q "placed in the gallery" "$report" && e2e_fail "a gift has no gallery"
grep -q "^caption Tandrill Gift: Checkers" "$report" || e2e_fail "caption lost"
e2e_screenshot "$E2E_WORK/solved.png"
echo "ok: solved in $step drags"

# Closing the box ends the gift.
xdotool key alt+o
for i in $(seq 50); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$E2E_APP_PID" 2>/dev/null && e2e_fail "the gift did not end after its box"
wait "$E2E_APP_PID" || e2e_fail "the game ended with an error"
[ -f "$E2E_WORK/data/tandrill.pzl" ] && e2e_fail "a gift wrote a library"
cp "$E2E_WORK/ghost_and_picture.png" "$bin_dir/play_room_ghost_and_picture.png" 2>/dev/null || true
cp "$E2E_WORK/solved.png" "$bin_dir/play_room_solved.png" 2>/dev/null || true
echo "ok: the gift ended with its box"

# --- A library game, entered through the store room ---------------------
[ -x "$bin_dir/tandrill_store_room_library" ] || e2e_fail "no library maker in $bin_dir"
cp "$bin_dir/gift.pzl" "$bin_dir/tandrill.hlp" "$E2E_WORK/" 2>/dev/null || true
library="$E2E_WORK/library"
mkdir -p "$library"
TANDRILL_DATA_DIR="$library" SDL_VIDEODRIVER=dummy "$bin_dir/tandrill_store_room_library" >/dev/null ||
  e2e_fail "could not write the library"
report="$E2E_WORK/library_report.txt"

run_library_game() {
  : >"$report"
  TANDRILL_REPORT="$report" TANDRILL_DATA_DIR="$library" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^room storeRoom' 150
  e2e_wait_for "$report" '^item tree ' 150
  wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
  [ -n "$wid" ] || e2e_fail "no window for the library game"
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  origin_x="$X"; origin_y="$Y"
}

# Every piece's place, angle and group from the last report, groups named
# by their first piece so that two runs compare whatever numbers they got.
snapshot() {
  python3 - "$report" <<'PY'
import sys
block, last = [], []
for line in open(sys.argv[1]):
    f = line.split()
    if f and f[0] == "piece": block.append(f)
    if f and f[0] == "pieces": last, block = block, []
names = {}
for f in last: names.setdefault(f[4], f[1] + "," + f[2])
for f in last: print(f[1], f[2], f[6], f[7], f[9], names[f[4]])
PY
}

# Places may differ by rounding only; angles and groups not at all.
same_game() {
  python3 - "$1" "$2" <<'PY'
import sys
a = [l.split() for l in open(sys.argv[1])]
b = [l.split() for l in open(sys.argv[2])]
ok = len(a) == len(b) > 0
for x, y in zip(a, b):
    ok = ok and x[:2] == y[:2] and x[4:] == y[4:]
    ok = ok and abs(float(x[2]) - float(y[2])) <= 1 and abs(float(x[3]) - float(y[3])) <= 1
sys.exit(0 if ok else 1)
PY
}

# The clock in seconds, from the last (or, with first, the first) line.
clock_seconds() {
  grep '^clock ' "$report" | { if [ "${1:-}" = first ]; then head -1; else tail -1; fi; } |
    awk '{split($2, t, ":"); print t[1] * 60 + t[2]}'
}

run_library_game
read -r tx ty < <(grep '^item tree ' "$report" | tail -1 | awk '{print $5, $6}')
xdotool mousemove $((origin_x + tx)) $((origin_y + ty)) click 1
e2e_wait_for "$report" '^selected tree'
sleep 0.8
xdotool key --clearmodifiers alt+p
e2e_wait_for "$report" '^play building' 150
e2e_wait_for "$report" '^play ready ' 150
e2e_wait_for "$report" '^pieces reported' 50
sleep 0.5

# A few drags, each putting a piece beside a neighbour, until two pieces are
# joined (and at least three drags were made).
drags=0
for step in $(seq 1 12); do
  joined="$(python3 -c "$python_common
pieces, _ = last_block(sys.argv[1])
print(len(pieces) - len({p['group'] for p in pieces.values()}))" "$report")"
  [ "$drags" -ge 3 ] && [ "$joined" -ge 1 ] && break
  move="$(next_move)"
  case "$move" in done|stuck) e2e_fail "no piece to move in the library game ($move)" ;; esac
  read -r x0 y0 x1 y1 <<<"$move"
  reports="$(grep -c '^pieces reported' "$report")"
  e2e_drag $((origin_x + x0)) $((origin_y + y0)) $((origin_x + x1)) $((origin_y + y1)) 8
  e2e_wait_until "the pieces reported after a drag" 50 \
    bash -c "[ \$(grep -c '^pieces reported' '$report') -gt $reports ]"
  drags=$((drags + 1))
done
[ "$joined" -ge 1 ] || e2e_fail "no two pieces were joined"
# The clock runs on from the time already played.
e2e_wait_until "the clock to run" 50 bash -c "[ \$(grep -c '^clock ' '$report') -ge 2 ]"
snapshot >"$E2E_WORK/before.txt"

xdotool key --clearmodifiers alt+b
e2e_wait_until "the store room again" 100 bash -c "[ \$(grep -c '^room storeRoom' '$report') -ge 2 ]"
grep -q '^play saved ' "$report" || e2e_fail "leaving the play room saved nothing"
clock_before="$(clock_seconds)"
e2e_screenshot "$E2E_WORK/back_in_store_room.png"
xdotool key --clearmodifiers alt+q
for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
wait "$E2E_APP_PID" || e2e_fail "the library game ended with an error"
echo "ok: played $drags drags from the store room and went back"

# Play on the kept selection, and Back and Quit, as a player does after a
# restart.
play_selected() {
  e2e_wait_for "$report" '^selected tree'
  sleep 0.8
  xdotool key --clearmodifiers alt+p
  e2e_wait_for "$report" '^play ready ' 150
  e2e_wait_for "$report" '^pieces reported' 50
}
back_and_quit() {
  xdotool key --clearmodifiers alt+b
  e2e_wait_until "the store room again" 100 bash -c "[ \$(grep -c '^room storeRoom' '$report') -ge 2 ]"
  xdotool key --clearmodifiers alt+q
  for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
  wait "$E2E_APP_PID" || e2e_fail "the library game ended with an error"
}

# Started again: the selection is kept, Play reopens the same game.
run_library_game
play_selected
e2e_wait_for "$report" '^clock ' 50
snapshot >"$E2E_WORK/after.txt"
same_game "$E2E_WORK/before.txt" "$E2E_WORK/after.txt" ||
  { diff "$E2E_WORK/before.txt" "$E2E_WORK/after.txt" >&2; e2e_fail "the pieces did not come back as they were"; }
clock_after="$(clock_seconds first)"
[ "$clock_after" -ge "$clock_before" ] && [ "$clock_after" -le $((clock_before + 1)) ] ||
  e2e_fail "the clock did not go on from $clock_before s (it shows $clock_after s)"
e2e_wait_until "the clock to run on" 30 bash -c "[ \$(grep -c '^clock ' '$report') -ge 2 ]"

# A free piece held over the menu's middle is what the screen shows there.
read -r mx my < <(grep '^play menu ' "$report" | tail -1 | awk '{print int($3 + $5 / 2), int($4 + $6 / 2)}')
read -r px py _ <<<"$(python3 -c "$python_common
pieces, _ = last_block(sys.argv[1])
p = max((p for p in pieces.values() if p['free']), key=lambda p: abs(p['x'] - 60) + abs(p['y'] - 150))
print(round(p['x']), round(p['y']), 1)" "$report")"
e2e_screenshot "$E2E_WORK/menu_alone.png"
xdotool mousemove $((origin_x + px)) $((origin_y + py)) mousedown 1 sleep 0.1 \
  mousemove $((origin_x + (px + mx) / 2)) $((origin_y + (py + my) / 2)) sleep 0.1 mousemove $((origin_x + mx)) $((origin_y + my))
sleep 0.5
e2e_screenshot "$E2E_WORK/piece_over_menu.png"
xdotool mouseup 1
alone="$(e2e_pixel "$E2E_WORK/menu_alone.png" $((origin_x + mx)) $((origin_y + my)))"
[ "$alone" != "$(e2e_pixel "$E2E_WORK/piece_over_menu.png" $((origin_x + mx)) $((origin_y + my)))" ] ||
  e2e_fail "the held piece went under the menu"
cp "$E2E_WORK/piece_over_menu.png" "$bin_dir/play_room_piece_over_menu.png" 2>/dev/null || true
back_and_quit
echo "ok: the library game came back as it was after a restart, and a held piece lies above the menu"

# The saved game moved by hand up and left, most pieces past the window's
# edges: reopened, they lie exactly there, and Back saves the same places.
records() {
  python3 - "$(ls -t "$library"/puzzles/*.pzl | head -1)" "$@" <<'PY'
import re, sys
path, shift = sys.argv[1], [float(v) for v in sys.argv[2:]]
text = open(path, encoding="latin-1").read()
pattern = re.compile(r'(<puzzle-piece x="\d+" y="\d+">\s*<pointf x=")([^"]+)(" y=")([^"]+)(")')
if shift:
    text = pattern.sub(lambda m: "%s%g%s%g%s" % (m[1], float(m[2]) + shift[0], m[3], float(m[4]) + shift[1], m[5]), text)
    open(path, "w", encoding="latin-1").write(text)
for m in pattern.finditer(text): print(m[1][:24], "%.2f %.2f" % (float(m[2]), float(m[4])))
PY
}
records -300 -200 >"$E2E_WORK/edited.txt"
run_library_game
play_selected
beyond="$(awk '$1 == "piece" && ($14 < 0 || $15 < 0)' "$report" | wc -l)"
[ "$beyond" -gt 0 ] || e2e_fail "no piece lies beyond the window's edges"
e2e_screenshot "$bin_dir/play_room_beyond_edges.png"
back_and_quit
records | diff "$E2E_WORK/edited.txt" - >&2 || e2e_fail "the saved places moved"
echo "ok: $beyond pieces beyond the edges came back and were saved where they lay"
