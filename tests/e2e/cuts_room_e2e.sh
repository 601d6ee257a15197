#!/usr/bin/env bash
# The real game started with a picture, as a file manager's "Open with" does:
# it lands in the cuts room with the picture and its cuts; dragging the
# difficulty slider changes the number of pieces and the drawn cuts; a
# shape, a category and a name with an accented letter are chosen; OK writes
# the puzzle, and after quitting the library file holds the new entry.
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
echo "cuts room e2e: OK"
