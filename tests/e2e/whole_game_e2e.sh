#!/usr/bin/env bash
# A new player's whole game, on a copy installed the way a packager installs
# it (staged under a temporary DESTDIR with the prefix /usr), started through
# its bin/ link from an unrelated folder with an empty data folder:
#
#   the first start brings the "Samples" category; Create opens the game's
#   own open dialog in the player's Pictures folder, a photo is chosen there,
#   12 pieces are set in the cuts room's dialog and OK saves the puzzle,
#   which comes back selected; Play, the pieces are dragged home from the
#   places the program reports; the "Puzzle Solved !!!" box leads to the
#   gallery, where the frame hangs and its window shows the playing time;
#   Back, Quit. A second start finds everything as it was left, and the data
#   folder holds exactly the files the game should have written.
#
# A screenshot of every room is kept in the build folder (whole_game/). When
# TANDRILL_README_SHOTS names a folder, one small PNG per room is written
# there too, for the README:
#   TANDRILL_README_SHOTS=docs/screenshots ctest -R e2e.whole_game
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
[ -x "$bin_dir/tandrill" ] || e2e_fail "no game in $bin_dir"

shots="$bin_dir/whole_game"
rm -rf "$shots"
mkdir -p "$shots"

# ---- the install --------------------------------------------------------------
# The install step `make install` runs, on the build folder this test runs in.
# The component names every rule of ours; with it the install writes its list
# to install_manifest_Unspecified.txt, so that a player's own install list
# (install_manifest.txt, which `make uninstall` reads) is left alone.
root="$E2E_WORK/root"
DESTDIR="$root" cmake --install "$bin_dir" --prefix /usr --component Unspecified >"$E2E_WORK/install.log" ||
  e2e_fail "the install failed: $(cat "$E2E_WORK/install.log")"
rm -f "$bin_dir/install_manifest_Unspecified.txt"
game="$root/usr/bin/tandrill"
[ -L "$game" ] && [ -x "$game" ] || e2e_fail "no bin/tandrill link in the staged install"
installed="$(cd "$root" && find . | sort)"
for f in gift.pzl tandrill.hlp; do
  [ -f "$root/usr/lib/tandrill/$f" ] || e2e_fail "the program folder lacks $f"
done

# ---- the player's home ----------------------------------------------------------
# Pictures is named by the user-dirs settings, as desktops write them; the
# photo is the only file there. It is made photo-like: a sky over fractal
# land, detailed everywhere, so the cuts and the pieces show on it.
home="$E2E_WORK/home"
pictures="$home/Photos"
mkdir -p "$home/.config" "$pictures"
printf 'XDG_PICTURES_DIR="$HOME/Photos"\n' >"$home/.config/user-dirs.dirs"
photo_name="lakeside.jpg"
convert -size 720x480 -seed 11 plasma:green-brown \
  \( -size 720x190 gradient:'#5c8fd6'-'#cfe3f5' \) -geometry +0+0 -composite \
  -blur 0x0.6 -quality 88 "$pictures/$photo_name" || e2e_fail "could not make the photo"

elsewhere="$E2E_WORK/somewhere/else"
mkdir -p "$elsewhere"
data="$E2E_WORK/data"
report="$E2E_WORK/report.txt"

# The screen is larger than the window the rooms are shown in: the player
# enlarges the window to lay out the pieces, and shrinks it back.
e2e_start_x 1280x800x24
window_size() {
  local w="$1" h="$2" wid
  wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
  [ -n "$wid" ] || e2e_fail "no game window"
  xdotool windowsize "$wid" "$w" "$h"
  e2e_wait_until "a window of $w x $h" 50 bash -c "xdotool getwindowgeometry --shell $wid | grep -qx 'WIDTH=$w'"
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  origin_x="$X"; origin_y="$Y"
}

start_game() {
  : >"$report"
  (cd "$elsewhere" && exec env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" TANDRILL_DATA_DIR="$data" \
     TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$game") &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^room storeRoom' 300
  e2e_wait_for "$report" '^first-frame' 300
  window_size 1024 640
}

quit_game() {
  xdotool key --clearmodifiers alt+q
  e2e_wait_until "the game to end after Quit" 150 bash -c "! kill -0 $E2E_APP_PID 2>/dev/null"
  set +e
  wait "$E2E_APP_PID"
  local rc=$?
  set -e
  E2E_APP_PID=""
  [ "$rc" -eq 0 ] || e2e_fail "exit code $rc after Quit"
}

count() { grep -c -- "$1" "$report" || true; }
# Waits until the pattern has been reported more often than before.
wait_more() {
  local pattern="$1" before="$2" tries="${3:-100}"
  e2e_wait_until "a new '$pattern'" "$tries" bash -c "[ \$(grep -c -- '$pattern' '$report') -gt $before ]"
}
last_field() { grep -- "$1" "$report" | tail -1 | cut -d' ' -f"$2"; }

# A screenshot of the window once the screen has had a moment to show the
# last change.
shot() {
  sleep 0.4
  e2e_screenshot "$E2E_WORK/screen.png"
  convert "$E2E_WORK/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/$1.png"
}

# ---- first start ------------------------------------------------------------------
start_game
e2e_wait_for "$report" '^item Samples '
e2e_wait_for "$report" '^selected Glass Marbles$'
for sample in "Glass Marbles" "Stained Glass" "Paint Swirls"; do
  [ -f "$data/puzzles/$sample.pzl" ] || e2e_fail "the sample '$sample' has no puzzle file"
done
shot store_room

# ---- Create: the photo from the open dialog -------------------------------------
xdotool key --clearmodifiers alt+c
e2e_wait_for "$report" '^window Open Puzzle Image:$'
# The dialog lists Pictures on a worker thread: the player types the photo's
# first letter (the list jumps to it) and presses Enter, again if the listing
# was not there yet. Attempts lie further apart than the typing pause, so
# each starts a fresh search.
for attempt in $(seq 12); do
  xdotool type --delay 40 "l"
  xdotool key Return
  for _ in $(seq 15); do
    grep -q '^room cutsRoom' "$report" && break 2
    sleep 0.1
  done
done
grep -q '^room cutsRoom' "$report" || e2e_fail "the photo was not chosen in the open dialog"
grep -q "^caption Tandrill: $photo_name (720 x 480)$" "$report" || e2e_fail "the cuts room does not name the photo"

# The dialog offers the category of the selected sample; the player's own
# photo is not a sample, so the list's left arrow takes it back to the empty
# entry (no category): the puzzle will lie on the floor, not in the folder.
read -r cx cy cw ch <<<"$(grep '^cuts category ' "$report" | tail -1 | cut -d' ' -f3-)"
xdotool mousemove $((origin_x + cx + 10)) $((origin_y + cy + ch / 2)) click 1

# 12 pieces: a press on the difficulty track moves it a step towards the
# press; fewer pieces lie to the left.
read -r dx dy dw dh <<<"$(grep '^cuts difficulty ' "$report" | tail -1 | cut -d' ' -f3-)"
pieces() { grep '^Number of puzzle pieces: ' "$report" | tail -1 | sed 's/.*: //'; }
for _ in $(seq 12); do
  now="$(pieces)"
  [ "$now" = 12 ] && break
  lines="$(count '^Number of puzzle pieces: ')"
  if [ "$now" -gt 12 ]; then x=$((dx + 3)); else x=$((dx + dw - 3)); fi
  xdotool mousemove $((origin_x + x)) $((origin_y + dy + dh / 2)) click 1
  # A step that keeps the grid reports nothing new: the next press follows.
  for _ in $(seq 30); do
    [ "$(count '^Number of puzzle pieces: ')" -gt "$lines" ] && break
    sleep 0.1
  done
done
[ "$(pieces)" = 12 ] || e2e_fail "the dialog did not come to 12 pieces (has $(pieces))"
shot cuts_room

read -r ox oy ow oh <<<"$(grep '^cuts ok ' "$report" | tail -1 | cut -d' ' -f3-)"
rooms_before="$(count '^room storeRoom')"
xdotool mousemove $((origin_x + ox + ow / 2)) $((origin_y + oy + oh / 2)) click 1
e2e_wait_for "$report" "^puzzle saved $photo_name\$" 150
wait_more '^room storeRoom' "$rooms_before" 150
e2e_wait_until "the new puzzle selected" 100 bash -c "grep '^selected ' '$report' | tail -1 | grep -qx 'selected $photo_name'"
e2e_wait_for "$report" "^item $photo_name "
[ -f "$data/puzzles/$photo_name.pzl" ] || e2e_fail "no puzzle file for the photo"
shot store_room_new_puzzle

# ---- Play and solve ------------------------------------------------------------------
xdotool key --clearmodifiers alt+p
e2e_wait_for "$report" '^play ready 12 ' 300
e2e_wait_for "$report" '^pieces reported' 100
shot play_room_start

# The next drag, from the last reported places: the smallest free piece or
# group that can join a neighbour it is not joined to yet and stay on the
# screen, so the grown group stays where it is. When nothing can, the
# largest free group lies over the pieces it needs or too near an edge: it
# moves (right of the menu) to where it covers fewest other pieces and most
# of them could join it.
plan() {
  python3 - "$report" "$WIDTH" "$HEIGHT" "$E2E_WORK/missed.txt" <<'PY'
import sys
path, ww, wh = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
block, pieces, dist = [], {}, 0.0
for line in open(path):
    f = line.split()
    if not f: continue
    if f[0] == "play" and len(f) > 4 and f[1] == "ready": dist = float(f[4])
    if f[0] == "piece": block.append(f)
    if f[0] == "pieces": pieces, block = {(int(b[1]), int(b[2])): b for b in block}, []
pieces = {k: dict(group=int(b[4]), x=float(b[6]), y=float(b[7]), free=b[11] == "1",
                  box=[float(v) for v in b[13:17]]) for k, b in pieces.items()}
if pieces and len({p['group'] for p in pieces.values()}) == 1:
    print('done'); sys.exit()
# A piece whose anchor (the middle of its cell) lies under the menu or under
# a loose piece is taken by a corner of its cell that shows, as a player
# would; a point within another group's bounds or the menu is not used.
# A press that took nothing (the drag was not answered) is not tried again.
boxes = {p['group']: p['box'] for p in pieces.values()}
missed = [tuple(map(float, l.split()[:2])) for l in open(sys.argv[4])] if len(sys.argv) > 4 else []
def tried(x, y):
    return any(abs(x - mx) < 3 and abs(y - my) < 3 for mx, my in missed)
def clear(x, y, group):
    if x <= 130 and 60 <= y <= 330: return False
    m = 12
    return not any(g != group and b[0] - m <= x <= b[0] + b[2] + m and b[1] - m <= y <= b[1] + b[3] + m
                   for g, b in boxes.items())
for p in pieces.values():
    p['grab'] = (p['x'], p['y']) if p['free'] and not tried(p['x'], p['y']) else None
    for ox, oy in ((45, 45), (45, -45), (-45, 45), (-45, -45)):
        x, y = p['x'] + ox, p['y'] + oy
        if p['grab'] is None and clear(x, y, p['group']) and not tried(x, y):
            p['grab'] = (x, y)
options = []
for (c, r), p in pieces.items():
    for dc, dr in ((1, 0), (0, 1), (-1, 0), (0, -1)):
        n = pieces.get((c + dc, r + dr))
        if not n or n['group'] == p['group'] or not p['grab']: continue
        tx, ty = n['x'] - dc * dist, n['y'] - dr * dist
        bx, by, bw, bh = p['box']
        nx, ny = bx + tx - p['x'], by + ty - p['y']
        fits = nx >= 2 and ny >= 40 and nx + bw <= ww - 2 and ny + bh <= wh - 40
        gx, gy = p['grab']
        options.append((not fits, bw * bh, gx, gy, gx + tx - p['x'], gy + ty - p['y']))
options.sort()
if options and not options[0][0]:
    _, _, x0, y0, x1, y1 = options[0]
    print(round(x0), round(y0), round(x1), round(y1)); sys.exit()
free = [p for p in pieces.values() if p['grab']]
if not free:
    print('stuck'); sys.exit()
big = max(free, key=lambda p: p['box'][2] * p['box'][3])
bx, by, bw, bh = big['box']
others = [p for p in pieces.values() if p['group'] != big['group']]
members = {k for k, p in pieces.items() if p['group'] == big['group']}
def score(sx, sy):
    # A place where some piece could join the moved group on the screen
    # afterwards first (two large groups that each fill half the window are
    # joined only so), then fewest other pieces under the moved group, then
    # most pieces that could join, then the shortest way.
    covered = sum(1 for p in others if bx + sx <= p['x'] <= bx + sx + bw and by + sy <= p['y'] <= by + sy + bh)
    joinable = 0
    for (c, r), p in pieces.items():
        if p['group'] == big['group']: continue
        for dc, dr in ((1, 0), (0, 1), (-1, 0), (0, -1)):
            if (c + dc, r + dr) not in members: continue
            n = pieces[(c + dc, r + dr)]
            tx, ty = n['x'] + sx - dc * dist, n['y'] + sy - dr * dist
            pbx, pby, pbw, pbh = p['box']
            nx, ny = pbx + tx - p['x'], pby + ty - p['y']
            if nx >= 2 and ny >= 40 and nx + pbw <= ww - 2 and ny + pbh <= wh - 40: joinable += 1
    return (joinable == 0, covered, -joinable, abs(sx) + abs(sy))
candidates = [(x - bx, y - by) for x in range(130, max(131, int(ww - bw - 2)), 20)
              for y in range(40, max(41, int(wh - bh - 40)), 20)]
candidates = [c for c in candidates if abs(c[0]) + abs(c[1]) >= 40] or [(130 - bx, 60 - by)]
sx, sy = min(candidates, key=lambda c: score(*c))
gx, gy = big['grab']
print(round(gx), round(gy), round(gx + sx), round(gy + sy))
PY
}

drags=0
: >"$E2E_WORK/missed.txt"
for drags in $(seq 1 60); do
  move="$(plan)"
  [ "$move" = "done" ] && break
  [ "$move" = "stuck" ] && e2e_fail "no piece can be moved"
  echo "$move" >>"$E2E_WORK/moves.txt"
  read -r x0 y0 x1 y1 <<<"$move"
  reports="$(count '^pieces reported')"
  e2e_drag $((origin_x + x0)) $((origin_y + y0)) $((origin_x + x1)) $((origin_y + y1)) 8
  # The places are reported again when the piece is put down; a press that
  # took no piece brings no report and is remembered as missed.
  for _ in $(seq 30); do
    [ "$(count '^pieces reported')" -gt "$reports" ] && break
    sleep 0.1
  done
  [ "$(count '^pieces reported')" -gt "$reports" ] || echo "$x0 $y0" >>"$E2E_WORK/missed.txt"
  if [ "$drags" = 4 ]; then
    shot play_room
    window_size 1280 800
  fi
done
e2e_wait_for "$report" '^message Puzzle Solved !!!: Congratulations!!!' 300
e2e_wait_for "$report" '^play solved ' 50
clock="$(last_field '^play solved ' 3)"
grep -q "You've completed the puzzle in $clock seconds!!!" "$report" || e2e_fail "the box does not give the time $clock"
grep -q 'The puzzle will be placed in the gallery room.' "$report" || e2e_fail "the box does not name the gallery"
echo "ok: solved in $drags drags, $clock"
window_size 1024 640
shot solved_box

# ---- the gallery ------------------------------------------------------------------------
xdotool key --clearmodifiers alt+o
e2e_wait_for "$report" '^room galleryRoom' 150

# Double-clicks the frame of the photo's puzzle and waits for its window.
open_frame() {
  local fx fy fw fh
  e2e_wait_for "$report" "^gallery item $photo_name " 100
  read -r fx fy fw fh <<<"$(grep "^gallery item $photo_name " "$report" | tail -1 | cut -d' ' -f4-7)"
  xdotool mousemove $((origin_x + fx + fw / 2)) $((origin_y + fy + fh / 2 + 5))
  sleep 0.2
  xdotool click --repeat 2 --delay 90 1
  e2e_wait_for "$report" "^window Completed puzzle: Time to complete $clock\$" 100
}
open_frame
grep -q '^gallery items 1$' "$report" || e2e_fail "the gallery should hang exactly the one solved puzzle"
shot completed_puzzle
xdotool key --clearmodifiers alt+p
sleep 0.3
shot gallery
rooms_before="$(count '^room storeRoom')"
xdotool key --clearmodifiers alt+b
wait_more '^room storeRoom' "$rooms_before" 150
quit_game
cp "$data/tandrill.pzl" "$E2E_WORK/library_after_first.pzl"

# ---- the next day ------------------------------------------------------------------------
start_game
e2e_wait_for "$report" '^item Samples '
grep -q "^item $photo_name " "$report" && e2e_fail "the solved puzzle lies on the store room's floor"
xdotool key --clearmodifiers alt+g
e2e_wait_for "$report" '^room galleryRoom' 150
open_frame
xdotool key --clearmodifiers alt+p
sleep 0.3
rooms_before="$(count '^room storeRoom')"
xdotool key --clearmodifiers alt+b
wait_more '^room storeRoom' "$rooms_before" 150
quit_game

# The library: three samples in their category, the photo's puzzle solved
# with its twelve pieces, and nothing else.
python3 - "$data/tandrill.pzl" "$photo_name" <<'PY' || e2e_fail "the library is not as the player left it"
import base64, re, sys
text = open(sys.argv[1], encoding='utf-8').read()
def dec(v):
    try:
        return base64.b64decode(v, validate=True).decode('utf-8')
    except Exception:
        return v
entries = []
for block in re.findall(r'<puzzle-image>(.*?)</puzzle-image>', text, re.S):
    entries.append({tag: dec(value.strip()) for tag, value in re.findall(r'<([a-z-]+)>([^<]*)</\1>', block)})
names = sorted(e.get('name') for e in entries)
print('entries:', names)
assert names == sorted(['Glass Marbles', 'Stained Glass', 'Paint Swirls', sys.argv[2]]), names
for e in entries:
    if e['name'] == sys.argv[2]:
        assert e.get('percent-completed') == '100', e
        assert not e.get('category'), e
        assert e.get('number-of-pieces') == '12', e
    else:
        assert e.get('category') == 'Samples', e
categories = [dec(t) for t in re.findall(r'<puzzle-category>.*?<title>([^<]*)</title>', text, re.S)]
assert categories == ['Samples'], categories
PY

# The data folder: the library, the samples' marker, the lock file that keeps
# a second copy of the game from writing too (it stays; only the lock on it
# goes with the process) and one file per puzzle. No temporary file is left.
expected="$(printf '%s\n' tandrill.pzl samples.made tandrill.lock "puzzles/Glass Marbles.pzl" "puzzles/Stained Glass.pzl" \
  "puzzles/Paint Swirls.pzl" "puzzles/$photo_name.pzl" | sort)"
found="$(cd "$data" && find . -mindepth 1 -not -type d | sed 's#^\./##' | sort)"
[ "$found" = "$expected" ] || e2e_fail "the data folder holds:
$found
expected:
$expected"
[ -z "$(find "$elsewhere" -mindepth 1)" ] || e2e_fail "the game wrote into the folder it was started from"
[ "$(cd "$root" && find . | sort)" = "$installed" ] || e2e_fail "the game wrote beside its installed files"

# ---- the README's pictures ----------------------------------------------------------------
# Scaled to 640 pixels across and cut down to a palette, so each stays small.
# A relative folder is taken from the source folder (docs/screenshots).
if [ -n "${TANDRILL_README_SHOTS:-}" ]; then
  case "$TANDRILL_README_SHOTS" in /*) ;; *) TANDRILL_README_SHOTS="$source_dir/$TANDRILL_README_SHOTS" ;; esac
  mkdir -p "$TANDRILL_README_SHOTS"
  for pair in store_room:store-room cuts_room:cuts-room play_room:play-room completed_puzzle:gallery; do
    from="$shots/${pair%%:*}.png"
    to="$TANDRILL_README_SHOTS/${pair##*:}.png"
    if command -v pngquant >/dev/null; then
      convert "$from" -resize 640x -strip "$E2E_WORK/scaled.png"
      pngquant --force --quality 70-95 --output "$to" "$E2E_WORK/scaled.png"
    else
      convert "$from" -resize 640x -strip -dither FloydSteinberg -colors 256 "PNG8:$to"
    fi
    command -v optipng >/dev/null && optipng -quiet -o3 "$to"
    echo "wrote $to ($(stat -c %s "$to") bytes)"
  done
fi
echo "ok: the whole game on an installed copy"
