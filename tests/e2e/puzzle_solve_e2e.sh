#!/usr/bin/env bash
# Solves a 4 x 3 puzzle with the real pointer: the demo program reports where
# every piece lies, this script drags a piece (or its group) beside a
# neighbour it is not yet joined to, and repeats until the program reports
# the puzzle solved at 100 %. The program is then stopped with SIGTERM, which
# saves the game, and started again: the groups must come back where they
# were, joined, without a single connect sound.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
demo="$bin_dir/tandrill_puzzle_demo"
[ -x "$demo" ] || e2e_fail "no demo program beside $bin_dir"
cp "$demo" "$E2E_WORK/"
report="$E2E_WORK/report.txt"
set -m

e2e_start_x 1280x800x24

start_demo() {
  rm -f "$report"
  SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill_puzzle_demo" "$E2E_WORK/puzzles" "$report" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" "^event 0 built" 100
  sleep 0.5
}

stop_demo() {
  kill -TERM "$E2E_APP_PID"
  local i
  for i in $(seq 50); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$E2E_APP_PID" 2>/dev/null && e2e_fail "demo still running after SIGTERM"
  wait "$E2E_APP_PID" || e2e_fail "demo ended with an error"
}

# Prints "x0 y0 x1 y1" for the next drag, or "done" once everything is one
# group, from the positions in the report.
plan() {
  python3 - "$report" <<'PY'
import sys
pieces, window, dist = {}, None, 0.0
for line in open(sys.argv[1]):
    f = line.split()
    if not f: continue
    if f[0] == "window": window = [int(v) for v in f[1:5]]
    elif f[0] == "distance": dist = float(f[1])
    elif f[0] == "piece":
        pieces[(int(f[1]), int(f[2]))] = dict(group=int(f[4]), x=float(f[6]), y=float(f[7]),
                                             free=f[11] == "1", box=[float(v) for v in f[13:17]])
if len({p["group"] for p in pieces.values()}) == 1:
    print("done"); sys.exit()
wx, wy, ww, wh = window
options = []
for (c, r), p in pieces.items():
    for dc, dr in ((1, 0), (0, 1), (-1, 0), (0, -1)):
        n = pieces.get((c + dc, r + dr))
        if not n or n["group"] == p["group"] or not p["free"]: continue
        # p goes beside n: its anchor lands one cell away from n's.
        tx, ty = n["x"] - dc * dist, n["y"] - dr * dist
        bx, by, bw, bh = p["box"]
        nx, ny = bx + tx - p["x"], by + ty - p["y"]
        fits = nx >= 2 and ny >= 2 and nx + bw <= ww - 2 and ny + bh <= wh - 2
        options.append((not fits, -bw * bh, p["x"], p["y"], tx, ty))
if not options:
    print("stuck"); sys.exit()
options.sort()
_, _, x0, y0, x1, y1 = options[0]
print(round(x0) + wx, round(y0) + wy, round(x1) + wx, round(y1) + wy)
PY
}

start_demo
for step in $(seq 1 40); do
  move="$(plan)"
  [ "$move" = "done" ] && break
  [ "$move" = "stuck" ] && e2e_fail "no piece can be moved"
  # shellcheck disable=SC2086
  e2e_drag $move 8
  sleep 0.3
done
e2e_wait_for "$report" "^percent 100" 30
e2e_wait_for "$report" "^event [0-9]* solved" 30
[ "$(grep -c ' solved$' "$report")" -eq 1 ] || e2e_fail "solved reported more than once"
grep -q "connect-sound" "$report" || e2e_fail "joining made no connect sound"
e2e_screenshot "$E2E_WORK/solved.png"
echo "ok: solved in $step drags"

stop_demo
[ -f "$E2E_WORK/puzzles/demo.pzl" ] || e2e_fail "the puzzle was not saved"
grep '^piece' "$report" > "$E2E_WORK/before.txt"

start_demo
grep -q "^percent 100" "$report" || e2e_fail "progress was not restored"
grep -q "connect-sound" "$report" && e2e_fail "restoring made connect sounds"
python3 - "$E2E_WORK/before.txt" "$report" <<'PY' || e2e_fail "pieces did not come back where they were"
import sys
def read(path):
    out = {}
    for line in open(path):
        f = line.split()
        if f and f[0] == "piece": out[(f[1], f[2])] = (int(f[4]), float(f[6]), float(f[7]))
    return out
a, b = read(sys.argv[1]), read(sys.argv[2])
assert a.keys() == b.keys() and len(a) == 12
assert len({v[0] for v in b.values()}) == 1, "not one group"
worst = max(abs(a[k][1] - b[k][1]) + abs(a[k][2] - b[k][2]) for k in a)
assert worst < 1.0, worst
PY
e2e_screenshot "$E2E_WORK/restored.png"
stop_demo
echo "ok: restored as one group without connect sounds"
