#!/usr/bin/env bash
# The real game started with a picture, as a file manager's "Open with" does:
# it lands in the cuts room with the picture and its cuts; dragging the
# difficulty slider changes the number of pieces and the drawn cuts; a
# shape, a category and a name with an accented letter are chosen; OK writes
# the puzzle, and after quitting the library file holds the new entry. Then
# the store room's way in: Create, Modify and Cancel, and a large photo made
# as a "Full picture" whose file holds the photo at its own size.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"

e2e_start_x 1280x800x24
cp "$bin_dir/tandrill" "$E2E_WORK/"
data="$E2E_WORK/data"
report="$E2E_WORK/report.txt"
shots="$bin_dir/e2e_screens"
mkdir -p "$data" "$shots"

# A library with two categories, so the category list has something to pick.
base64_of() { printf '%s' "$1" | base64 -w0; }
convert -size 64x48 xc:teal "$E2E_WORK/folder.png"
folder_picture=$(base64 -w0 "$E2E_WORK/folder.png")
category() { printf '<puzzle-category>\r\n<title>%s</title>\r\n<img-data>%s</img-data>\r\n</puzzle-category>\r\n' "$(base64_of "$1")" "$folder_picture"; }
{
  printf '<puzzle-config>\r\n<color-gradient>0x666666</color-gradient>\r\n'
  category Beaches
  category Mountains
  printf '</puzzle-config>\r\n'
} >"$data/tandrill.pzl"

picture="$E2E_WORK/photos/sea view - été.jpg"
mkdir -p "$(dirname "$picture")"
convert -size 1000x700 gradient:orange-navy "$picture"

: >"$report"
TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" "$picture" &
E2E_APP_PID=$!
e2e_wait_for "$report" '^room cutsRoom' 200
grep -q '^caption Tandrill: sea view - été.jpg (1000 x 700)$' "$report" || e2e_fail "caption does not name the picture"

# Where the dialog's parts are, from the layout lines.
part() { grep "^cuts $1 " "$report" | tail -1 | cut -d' ' -f3-; }
read -r dx dy dw dh <<<"$(part difficulty)"
read -r sx sy sw sh <<<"$(part shapes)"
read -r cx cy cw ch <<<"$(part category)"
read -r nx ny nw nh <<<"$(part name)"
read -r ox oy ow oh <<<"$(part ok)"
read -r px py pw ph <<<"$(part picture)"

sleep 0.5
e2e_screenshot "$shots/cuts_room_start.png"
first=$(grep '^Number of puzzle pieces: ' "$report" | tail -1)

# Drag the difficulty thumb from the middle to the far right: more pieces.
mid=$((dx + dw / 2))
e2e_drag "$mid" $((dy + dh / 2)) $((dx + dw + 20)) $((dy + dh / 2)) 12
e2e_wait_until "a new number of pieces" 50 bash -c "[ \"\$(grep '^Number of puzzle pieces: ' '$report' | tail -1)\" != '$first' ]"
last=$(grep '^Number of puzzle pieces: ' "$report" | tail -1)
[ "${last##*: }" -gt "${first##*: }" ] || e2e_fail "more difficulty did not give more pieces ($first -> $last)"
sleep 0.5
e2e_screenshot "$shots/cuts_room_dragged.png"
# The drawn cuts changed over the picture.
diff_pixels=$(compare -metric AE -crop "${pw}x${ph}+${px}+${py}" "$shots/cuts_room_start.png" "$shots/cuts_room_dragged.png" null: 2>&1 || true)
[ "${diff_pixels%% *}" -gt 1000 ] 2>/dev/null || e2e_fail "the cuts over the picture did not change ($diff_pixels)"

# The shape list's left arrow: from "Classic" to "Half Circle";
# the category list's right arrow: the first category after the empty one.
xdotool mousemove $((sx + 10)) $((sy + sh / 2)) click 1
sleep 0.3
xdotool mousemove $((cx + cw - 10)) $((cy + ch / 2)) click 1
sleep 0.3

# The name: click the field, clear it and type a name with an accent.
xdotool mousemove $((nx + nw / 2)) $((ny + nh / 2)) click 1
sleep 0.2
for _ in $(seq 30); do xdotool key BackSpace; done
xdotool type --delay 30 "Mer été"
sleep 0.3
e2e_screenshot "$shots/cuts_room_settings.png"

xdotool mousemove $((ox + ow / 2)) $((oy + oh / 2)) click 1
e2e_wait_for "$report" '^puzzle saved sea view - été.jpg' 100
e2e_wait_for "$report" '^room storeRoom' 100
[ -f "$data/puzzles/sea view - été.jpg.pzl" ] || e2e_fail "no puzzle file written"

xdotool key --clearmodifiers alt+F4
for _ in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
set +e
wait "$E2E_APP_PID"
rc=$?
set -e
[ "$rc" -eq 0 ] || e2e_fail "exit code $rc"

# The library holds the new entry with its title, category and piece count.
python3 - "$data/tandrill.pzl" "${last##*: }" <<'PY' || e2e_fail "the library does not hold the new puzzle"
import base64, re, sys
text = open(sys.argv[1], encoding='utf-8').read()
def field(block, tag):
    m = re.search(r'<%s>(.*?)</%s>' % (tag, tag), block, re.S)
    return m.group(1).strip() if m else None
blocks = re.findall(r'<puzzle-image>(.*?)</puzzle-image>', text, re.S)
assert len(blocks) == 1, blocks
b = blocks[0]
def dec(v):
    try:
        return base64.b64decode(v).decode('utf-8')
    except Exception:
        return v
values = {tag: dec(field(b, tag) or '') for tag in re.findall(r'<([a-z-]+)>', b)}
print(values.get('name'), values.get('title'), values.get('category'))
assert 'sea view - été.jpg' in values.values(), values
assert 'Mer été' in values.values(), values
assert 'Beaches' in values.values(), values
assert values.get('number-of-pieces') == sys.argv[2], (values.get('number-of-pieces'), sys.argv[2])
PY

# The player's way in: the store room's "&Create", the open dialog, the
# settings, OK; then Modify of the same puzzle and Cancel. On the way, the
# gallery (no puzzle is solved yet) says it is empty, and Enter closes its
# box as the first button would.
home="$E2E_WORK/home"
mkdir -p "$home"
photo="$E2E_WORK/photos/harbour.jpg"
convert -size 1000x700 gradient:khaki-darkgreen "$photo"

# Waits for a line that comes after the report's first `since` lines.
wait_after() {
  local since="$1" pattern="$2" what="$3"
  e2e_wait_until "$what" 150 bash -c "tail -n +$((since + 1)) '$report' | grep -q -- '$pattern'"
}
lines() { wc -l <"$report"; }

: >"$report"
HOME="$home" TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
E2E_APP_PID=$!
e2e_wait_for "$report" '^room storeRoom' 200
e2e_wait_for "$report" '^first-frame' 200
sleep 0.3
since=$(lines)
xdotool key --clearmodifiers alt+g
wait_after "$since" '^message Tandrill: The Gallery Room is empty' "the empty gallery's box"
sleep 0.5
e2e_screenshot "$shots/dialogs_message_box.png"
since=$(lines)
xdotool key Return
wait_after "$since" '^room storeRoom' "the store room after Enter in the gallery's box"
sleep 0.3
xdotool key --clearmodifiers alt+c
e2e_wait_for "$report" '^window Open Puzzle Image:' 100
sleep 0.5
e2e_screenshot "$shots/dialogs_open_dialog.png"
# A path typed over the list, without clicking the path field first: its
# first slash takes the keyboard there and starts the path afresh.
xdotool type --delay 20 "$photo"
xdotool key Return
e2e_wait_for "$report" '^room cutsRoom' 200
e2e_wait_for "$report" '^cuts picture ' 100
grep -q '^caption Tandrill: harbour.jpg (1000 x 700)$' "$report" || e2e_fail "caption does not name the photo"

# The whole preview is beside the dialog, not under it.
read -r px py pw ph <<<"$(part picture)"
read -r ox oy ow oh <<<"$(part ok)"
read -r dx dy dw dh <<<"$(part difficulty)"
[ $((px + pw)) -le "$dx" ] || e2e_fail "the picture ($px+$pw) reaches under the dialog ($dx)"
sleep 0.3
e2e_screenshot "$shots/cuts_room_create.png"

# Twelve pieces (4 x 3: a piece size from 201 to 233) with the difficulty
# thumb. The thumb follows the pointer, so each drag starts where the
# last one ended; the pieces line says which way to go next.
read -r tx ty tw th <<<"$(part difficulty-thumb)"
thumb=$((tx + tw / 2))
ymid=$((ty + th / 2))
pieces() { grep '^Number of puzzle pieces: ' "$report" | tail -1 | sed 's/.*: //'; }
travel=$((dw - tw))
for _ in $(seq 12); do
  now=$(pieces)
  [ "$now" -eq 12 ] && break
  # One unit of the 40..350 range is travel/310 pixels; aim at 174
  # (piece size 216) from the current position.
  count=$(grep -c '^Number of puzzle pieces: ' "$report")
  if [ "$now" -gt 12 ]; then step=-$((travel / 40 + 1)); else step=$((travel / 40 + 1)); fi
  e2e_drag "$thumb" "$ymid" $((thumb + step)) "$ymid" 4
  thumb=$((thumb + step))
  # A drag too short to change the piece size reports nothing: wait a
  # little for the line, and go on without it.
  for _ in $(seq 30); do
    [ "$(grep -c '^Number of puzzle pieces: ' "$report")" -gt "$count" ] && break
    sleep 0.1
  done
done
[ "$(pieces)" -eq 12 ] || e2e_fail "the difficulty slider did not reach 12 pieces ($(pieces))"

# A name and a category: the list starts at the selected puzzle's
# category, Beaches, and its right arrow steps to Mountains.
read -r nx ny nw nh <<<"$(part name)"
read -r cx cy cw ch <<<"$(part category)"
xdotool mousemove $((cx + cw - 10)) $((cy + ch / 2)) click 1
sleep 0.3
xdotool mousemove $((nx + nw / 2)) $((ny + nh / 2)) click 1
sleep 0.2
xdotool key End
for _ in $(seq 20); do xdotool key BackSpace; done
xdotool type --delay 30 "Harbour at dusk"
sleep 0.3
e2e_screenshot "$shots/cuts_room_create_settings.png"
since=$(lines)
xdotool mousemove $((ox + ow / 2)) $((oy + oh / 2)) click 1
wait_after "$since" '^puzzle saved harbour.jpg$' "the puzzle to be saved"
wait_after "$since" '^room storeRoom' "the store room"
wait_after "$since" '^selected harbour.jpg$' "the new puzzle selected"
puzzle_file="$data/puzzles/harbour.jpg.pzl"
[ -f "$puzzle_file" ] || e2e_fail "no puzzle file for the new puzzle"
stamp() { stat -c '%i %y %s' "$puzzle_file"; }
before=$(stamp)
sum_before=$(sha256sum <"$puzzle_file")

# Modify opens the same puzzle with its twelve pieces; Cancel writes nothing.
sleep 0.5
since=$(lines)
xdotool key --clearmodifiers alt+m
wait_after "$since" '^room cutsRoom' "the cuts room for Modify"
wait_after "$since" '^caption Tandrill: Harbour at dusk (1000 x 700)$' "the puzzle's title in the caption"
tail -n +$((since + 1)) "$report" | grep -q '^Number of puzzle pieces: 12$' || e2e_fail "Modify does not show the twelve pieces"
# The dialog moves by its title: dragged 300 to the left and 100 down, its
# "&Cancel" is clicked where it went.
sleep 0.5
read -r wx wy ww wh <<<"$(part dialog)"
read -r kx ky kw kh <<<"$(part cancel)"
e2e_drag $((wx + 60)) $((wy + 12)) $((wx - 240)) $((wy + 112)) 10
sleep 0.3
e2e_screenshot "$shots/cuts_room_modify_moved.png"
since=$(lines)
xdotool mousemove $((kx - 300 + kw / 2)) $((ky + 100 + kh / 2)) click 1
wait_after "$since" '^room storeRoom' "the store room after Cancel in the moved dialog"
tail -n +$((since + 1)) "$report" | grep -q '^puzzle saved' && e2e_fail "Cancel saved the puzzle"
[ "$(stamp)" = "$before" ] || e2e_fail "Cancel touched the puzzle file ($before -> $(stamp))"
[ "$(sha256sum <"$puzzle_file")" = "$sum_before" ] || e2e_fail "Cancel changed the puzzle file"

# A photo larger than the screen, made as a "Full picture": the dialog's
# "Picture size" list steps from "Fit the screen" to "Full picture", the
# caption and the pieces follow, and OK writes the photo at its own size.
large="$E2E_WORK/photos/valley.jpg"
convert -size 3000x2000 gradient:skyblue-darkolivegreen "$large"
sleep 0.5
since=$(lines)
xdotool key --clearmodifiers alt+c
wait_after "$since" '^window Open Puzzle Image:' "the open dialog for the large photo"
sleep 0.5
xdotool type --delay 20 "$large"
xdotool key Return
wait_after "$since" '^cuts picture-size ' "the cuts room for the large photo"
read -r zx zy zw zh <<<"$(part picture-size)"
since=$(lines)
xdotool mousemove $((zx + zw - 10)) $((zy + zh / 2)) click 1
wait_after "$since" '^caption Tandrill: valley.jpg (3000 x 2000)$' "the full picture in the caption"
wait_after "$since" '^cuts ok ' "the dialog's layout after the choice"
full_pieces=$(pieces)
sleep 0.5
e2e_screenshot "$shots/cuts_room_full_picture.png"
read -r ox oy ow oh <<<"$(part ok)"
since=$(lines)
xdotool mousemove $((ox + ow / 2)) $((oy + oh / 2)) click 1
wait_after "$since" '^puzzle saved valley.jpg$' "the full picture puzzle to be saved"
wait_after "$since" '^room storeRoom' "the store room after the full picture"
python3 - "$data/puzzles/valley.jpg.pzl" "$full_pieces" <<'PY' || e2e_fail "the puzzle file does not hold the full picture"
import base64, re, struct, sys
text = open(sys.argv[1], encoding='utf-8').read()
assert '<full-picture/>' in text, 'no full-picture flag'
w, h = map(int, re.search(r'<puzzle-cuts>\s*<size w="(\d+)" h="(\d+)" />', text).groups())
piece = int(re.search(r'<piece-size>(\d+)</piece-size>', text).group(1))
assert (w, h) == (3000, 2000), (w, h)
assert (w // piece) * (h // piece) == int(sys.argv[2]), (w, h, piece, sys.argv[2])
jpeg = base64.b64decode(re.search(r'<img-data>(.*?)</img-data>', text, re.S).group(1))
at = 2
while jpeg[at] == 0xFF and jpeg[at + 1] not in (0xC0, 0xC1, 0xC2):
    at += 2 + struct.unpack('>H', jpeg[at + 2:at + 4])[0]
height, width = struct.unpack('>HH', jpeg[at + 5:at + 9])
assert (width, height) == (3000, 2000), (width, height)
print('full picture', width, height, 'pieces', sys.argv[2])
PY

# The full picture played on a table larger than the window: the wheel
# zooms out about the pointer, the middle button pans, a piece is dragged
# across, a click in the overview moves the view, and after Back and Play
# the view is the one left.
view_line() { grep '^play view ' "$report" | tail -1; }
since=$(lines)
xdotool key --clearmodifiers alt+p
wait_after "$since" '^play ready ' "the full picture in the play room"
wait_after "$since" '^play overview open$' "the overview offered for a table larger than the window"
wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
eval "$(xdotool getwindowgeometry --shell "$wid")"
mx=$((X + WIDTH / 2)); my=$((Y + HEIGHT / 2))
opened="$(view_line)"
xdotool mousemove "$mx" "$my"
for _ in 1 2 3 4 5 6; do xdotool click 5; done
e2e_wait_until "the wheel to zoom out" 100 bash -c "[ \"\$(grep '^play view ' '$report' | tail -1)\" != '$opened' ]"
zoomed="$(view_line)"
read -r _ _ zoom _ _ <<<"$zoomed"
python3 -c "import sys; sys.exit(0 if float('$zoom') < 0.9 else 1)" || e2e_fail "the wheel did not zoom out: $zoomed"
sleep 0.5
e2e_screenshot "$shots/play_table_zoomed_out.png"
xdotool mousemove "$mx" "$my" mousedown 2 mousemove $((mx - 200)) $((my - 120)) mousemove $((mx - 300)) $((my - 150)) mouseup 2
e2e_wait_until "the middle button to pan" 100 bash -c "[ \"\$(grep '^play view ' '$report' | tail -1)\" != '$zoomed' ]"
xdotool mousemove "$mx" "$my" mousedown 1 mousemove $((mx + 150)) $((my + 100)) mousemove $((mx + 250)) $((my + 150)) mouseup 1
sleep 0.5
read -r ox oy ow oh <<<"$(grep '^play overview at ' "$report" | tail -1 | cut -d' ' -f4-)"
panned="$(view_line)"
xdotool mousemove $((X + ox + ow / 4)) $((Y + oy + oh / 4)) click 1
e2e_wait_until "a click in the overview to move the view" 100 bash -c "[ \"\$(grep '^play view ' '$report' | tail -1)\" != '$panned' ]"
# Wheeled in to the largest zoom over the table, not over the overview.
xdotool mousemove "$mx" "$my"
for _ in $(seq 30); do xdotool click 4; done
e2e_wait_until "the wheel to zoom in to 4" 100 bash -c "grep '^play view ' '$report' | tail -1 | grep -q '^play view 4.000 '"
sleep 0.5
e2e_screenshot "$shots/play_table_zoomed_in.png"
left="$(view_line)"
since=$(lines)
xdotool key --clearmodifiers alt+b
wait_after "$since" '^room storeRoom' "the store room after Back"
since=$(lines)
xdotool key --clearmodifiers alt+p
wait_after "$since" '^play ready ' "the full picture played again"
[ "$(tail -n +$((since + 1)) "$report" | grep '^play view ' | tail -1)" = "$left" ] ||
  e2e_fail "the view after reopening is not the one left ($left)"
since=$(lines)
xdotool key --clearmodifiers alt+b
wait_after "$since" '^room storeRoom' "the store room after the second Back"

xdotool key --clearmodifiers alt+q
for _ in $(seq 100); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
set +e
wait "$E2E_APP_PID"
rc=$?
set -e
[ "$rc" -eq 0 ] || e2e_fail "exit code $rc after Create and Modify"
python3 - "$data/tandrill.pzl" <<'PY' || e2e_fail "the library does not hold the created puzzle"
import base64, re, sys
text = open(sys.argv[1], encoding='utf-8').read()
for block in re.findall(r'<puzzle-image>(.*?)</puzzle-image>', text, re.S):
    fields = {}
    for tag, value in re.findall(r'<([a-z-]+)>([^<]*)</\1>', block):
        try:
            fields[tag] = base64.b64decode(value, validate=True).decode('utf-8')
        except Exception:
            fields[tag] = value
    if 'harbour.jpg' in fields.values():
        assert 'Harbour at dusk' in fields.values(), fields
        assert 'Mountains' in fields.values(), fields
        assert fields.get('number-of-pieces') == '12', fields
        sys.exit(0)
sys.exit(1)
PY
echo "cuts room e2e: OK"
