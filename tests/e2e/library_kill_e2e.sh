#!/usr/bin/env bash
# Killing the game at any moment of its final save never leaves a damaged or
# missing library: the file is always either the old one or a whole new one.
# A large library makes the save long enough to be hit in the middle.
set -euo pipefail
bin_dir="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$bin_dir/tandrill" "$work/"
data="$work/data"
mkdir -p "$data"
set -m

# 4,000 entries sharing one real JPEG thumbnail: several megabytes to write.
convert -size 120x90 plasma:fractal -seed 7 jpg:"$work/thumb.jpg"
python3 - "$work/thumb.jpg" "$data/tandrill.pzl" <<'PY'
import base64, sys
thumb = base64.b64encode(open(sys.argv[1], 'rb').read()).decode()
out = ['<puzzle-config>', '<color-gradient>0x666666</color-gradient>', '<puzzle-categories>', '</puzzle-categories>', '<puzzle-images>']
for i in range(4000):
    name = base64.b64encode(('Puzzle %d' % i).encode()).decode()
    out += ['<puzzle-image>', '<name>%s</name>' % name, '<title>%s</title>' % name,
            '<percent-completed>%d</percent-completed>' % (i % 100), '<number-of-pieces>48</number-of-pieces>',
            '<pointf x="%d.00" y="%d.00" />' % (i % 700, i % 500), '<size w="2000" h="1500" />',
            '<img-data>%s</img-data>' % thumb, '</puzzle-image>']
out += ['</puzzle-images>', '</puzzle-config>']
open(sys.argv[2], 'w', newline='').write('\r\n'.join(out) + '\r\n')
PY

# One normal run writes the library as the game writes it; every later run
# must leave exactly that file, or (killed before the rename) the same.
run() {
  : >"$work/report.txt"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$work/report.txt" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$work/tandrill" &
  pid=$!
  for _ in $(seq 1200); do grep -q '^first-frame' "$work/report.txt" 2>/dev/null && break; sleep 0.05; done
  grep -q '^first-frame' "$work/report.txt" || { echo "FAIL: the game did not start" >&2; kill -9 "$pid"; exit 1; }
}
run
kill -TERM "$pid"
wait "$pid" || true
cp "$data/tandrill.pzl" "$work/expected.pzl"
grep -c '<puzzle-image>' "$work/expected.pzl" | grep -qx 4000 || { echo "FAIL: entries lost in a normal save" >&2; exit 1; }

for delay in 0 0.01 0.03 0.06 0.1; do
  run
  kill -TERM "$pid"
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if ! cmp -s "$data/tandrill.pzl" "$work/expected.pzl"; then
    echo "FAIL: killed $delay s into its end, the game left a different library" >&2
    exit 1
  fi
done
echo "ok: the library survived being killed at five moments of its save"
