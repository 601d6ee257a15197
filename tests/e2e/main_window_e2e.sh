#!/usr/bin/env bash
# The real game in a real X server: the main window fills the screen with the
# built-in wood under the player's gradient, names itself, opens help on F1,
# ends on Alt+F4 with exit code 0 writing back the library it read, and a
# broken library is reported in a box while the first room still opens.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"

e2e_start_x 1280x800x24
cp "$bin_dir/tandrill" "$bin_dir/tandrill.hlp" "$E2E_WORK/"
data="$E2E_WORK/data"
report="$E2E_WORK/report.txt"
mkdir -p "$data"

run_game() {
  : >"$report"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^room storeRoom'
}

end_game() {
  xdotool key --clearmodifiers alt+F4
  local i
  for i in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
  set +e
  wait "$E2E_APP_PID"
  local rc=$?
  set -e
  [ "$rc" -eq 0 ] || e2e_fail "exit code $rc after Alt+F4"
}

# A returning player (no first-start samples on the floor, so the background
# shows). A first run makes the library; the player's colour and music go
# into it.
touch "$data/samples.made"
run_game
end_game
[ -f "$data/tandrill.pzl" ] || e2e_fail "no library written"
sed -i 's#<color-gradient>0x666666</color-gradient>#<color-gradient>0x2a5599</color-gradient>\r\n<store-room-music-filename>/home/me/Music/calm.ogg</store-room-music-filename>#' "$data/tandrill.pzl"
cp "$data/tandrill.pzl" "$E2E_WORK/expected.pzl"

run_game
grep -q '^caption Tandrill$' "$report" || e2e_fail "first caption is not 'Tandrill'"
sleep 0.3
e2e_screenshot "$E2E_WORK/main.png"
size=$(identify -format '%wx%h' "$E2E_WORK/main.png")
# The window covers the screen: its title bar runs to the right edge.
[ "$(e2e_pixel "$E2E_WORK/main.png" 1270 5)" != "000000" ] || e2e_fail "window does not reach the right edge ($size)"
[ "$(e2e_pixel "$E2E_WORK/main.png" 640 795)" != "000000" ] || e2e_fail "window does not reach the bottom edge"

# The background: the built-in wood tiled from the window's corner, with the
# gradient laid over it, faint at the top left and dense at the bottom right.
convert "$(dirname "$0")/../../resources/images/default_background.jpg" -depth 8 txt:- >"$E2E_WORK/wood.txt"
python3 - "$E2E_WORK/main.png" "$E2E_WORK/wood.txt" <<'PY' || e2e_fail "background is not the wood under the gradient"
import subprocess, sys
shot, wood_txt = sys.argv[1], sys.argv[2]
wood = {}
for line in open(wood_txt):
    if line.startswith('#'):
        continue
    pos, rest = line.split(':', 1)
    x, y = map(int, pos.split(','))
    rgb = rest.split('(')[1].split(')')[0].split(',')[:3]
    wood[(x, y)] = tuple(float(v) for v in rgb)
def pixel(x, y):
    out = subprocess.check_output(['convert', shot, '-crop', '1x1+{}+{}'.format(x, y), '-depth', '8', 'txt:-']).decode()
    line = [l for l in out.splitlines() if not l.startswith('#')][0]
    return tuple(float(v) for v in line.split('(')[1].split(')')[0].split(',')[:3])
d = 1280.0
colour = (0x2a, 0x55, 0x99)
bad = 0
# The store room's logo wanders over the floor: most points, not all, must
# show the background.
points = [(200, 150), (600, 400), (1000, 650), (1200, 760), (900, 200), (400, 700), (1100, 450), (700, 120)]
for (x, y) in points:
    a = (0x30 + (0xF0 - 0x30) * ((x + y) / (2 * d))) / 255.0
    w = wood[(x % 238, y % 179)]
    want = tuple(w[i] * (1 - a) + colour[i] * a for i in range(3))
    got = pixel(x, y)
    if max(abs(want[i] - got[i]) for i in range(3)) > 24:
        print('at', x, y, 'want', want, 'got', got)
        bad += 1
sys.exit(1 if bad > 2 else 0)
PY

# F1 opens the help window.
xdotool key F1
e2e_wait_for "$report" '^window Tandrill Help'
sleep 0.3
e2e_screenshot "$E2E_WORK/help.png"
xdotool key Escape
end_game
cmp -s "$data/tandrill.pzl" "$E2E_WORK/expected.pzl" || e2e_fail "the library written back differs from the one read"

# A broken library: the box says so, and the store room still opens.
printf '<puzzle-config>\r\n' >"$data/tandrill.pzl"
run_game
e2e_wait_for "$report" '^message Parsing ERROR: '
grep '^message Parsing ERROR' "$report" | grep -q 'line' || e2e_fail "parse error without its line"
e2e_screenshot "$E2E_WORK/broken.png"
end_game
[ -f "$data/tandrill.pzl.damaged" ] || e2e_fail "the damaged library was not kept aside"

# A new player's first start: three sample puzzles in their own category.
data="$E2E_WORK/fresh"
mkdir -p "$data"
run_game
e2e_wait_for "$report" '^first-frame'
end_game
[ "$(grep -c '<puzzle-image>' "$data/tandrill.pzl")" -eq 3 ] || e2e_fail "the first start did not bring three samples"
grep -q '<puzzle-category>' "$data/tandrill.pzl" || e2e_fail "the samples have no category"

mkdir -p "$bin_dir/e2e-shots"
cp "$E2E_WORK/main.png" "$bin_dir/e2e-shots/main_window.png"
cp "$E2E_WORK/help.png" "$bin_dir/e2e-shots/help_window.png"
echo "ok: main window"
