#!/usr/bin/env bash
# The MIDI library check in the real game. A gift puzzle carries MIDI music;
# the machine has no General MIDI sound bank (the system's bank is pointed at
# a file that does not exist) and the bank's address is a loopback server
# started here, with the bank's size and SHA-256 configured beside it.
#
# 1. The server holds the right bank: opening the puzzle asks "Libraries not
#    found" with the "not found" text, Yes opens the download window, which
#    shows "Completed!" and closes; the bank lies in the data folder, byte
#    for byte, with no partial file beside it; and the music really plays:
#    SDL's disk audio driver writes the mixed output to a file, which soon
#    holds the bank's tone.
#    The puzzle's name holds characters beyond Latin-1, and the title the
#    desktop shows (both of the window's title fields) is the caption.
# 2. The server holds a wrong file under the same address, configured this
#    time in the data folder's soundbank.conf: after Yes the game says
#    "Download failed !!!" titled "FAILED", leaves no file behind and plays
#    on.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"
[ -x "$bin_dir/tandrill" ] || e2e_fail "no game in $bin_dir"
[ -x "$bin_dir/tandrill_gift_maker" ] || e2e_fail "no gift maker in $bin_dir"

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  server_pid=""
}
trap 'stop_server; e2e_cleanup' EXIT

# A small but complete sound bank (one looped sine-wave instrument as
# preset 0, so General MIDI's first program sounds) and a short MIDI tune
# that uses it, both made here so the test depends on no system file.
python3 - "$E2E_WORK/bank.sf3" "$E2E_WORK/tune.mid" "$E2E_WORK/wrong.sf3" <<'PY'
import math, struct, sys

def chunk(tag, data):
    if len(data) % 2: data += b'\0'
    return tag + struct.pack('<I', len(data)) + data

def name20(text):
    return text.encode().ljust(20, b'\0')[:20]

def soundbank(amplitude):
    period, periods = 100, 20
    count = period * periods
    samples = [int(amplitude * math.sin(2 * math.pi * i / period)) for i in range(count)] + [0] * 46
    smpl = struct.pack('<%dh' % len(samples), *samples)
    info = chunk(b'ifil', struct.pack('<HH', 2, 1)) + chunk(b'isng', b'EMU8000\0') + chunk(b'INAM', b'Loopback Bank\0')
    phdr = name20('Sine') + struct.pack('<HHHIII', 0, 0, 0, 0, 0, 0) + name20('EOP') + struct.pack('<HHHIII', 0, 0, 1, 0, 0, 0)
    pbag = struct.pack('<HHHH', 0, 0, 1, 0)
    pgen = struct.pack('<HHHH', 41, 0, 0, 0)            # instrument 0
    inst = name20('Sine') + struct.pack('<H', 0) + name20('EOI') + struct.pack('<H', 1)
    ibag = struct.pack('<HHHH', 0, 0, 2, 0)
    igen = struct.pack('<HHHHHH', 54, 1, 53, 0, 0, 0)   # looped, sample 0
    shdr = name20('Sine') + struct.pack('<IIIIIBbHH', 0, count, period, count - period, 44100, 69, 0, 0, 1)
    shdr += name20('EOS') + struct.pack('<IIIIIBbHH', 0, 0, 0, 0, 0, 0, 0, 0, 0)
    pdta = b''.join(chunk(t, d) for t, d in ((b'phdr', phdr), (b'pbag', pbag), (b'pmod', b'\0' * 10),
                                             (b'pgen', pgen), (b'inst', inst), (b'ibag', ibag),
                                             (b'imod', b'\0' * 10), (b'igen', igen), (b'shdr', shdr)))
    body = (b'sfbk' + chunk(b'LIST', b'INFO' + info) + chunk(b'LIST', b'sdta' + chunk(b'smpl', smpl)) +
            chunk(b'LIST', b'pdta' + pdta))
    return chunk(b'RIFF', body)

def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))

def tune():
    events = vlq(0) + bytes([0xC0, 0])
    for note in (60, 64, 67, 72):
        events += vlq(0) + bytes([0x90, note, 110]) + vlq(960) + bytes([0x80, note, 0])
    events += vlq(0) + b'\xff\x2f\x00'
    return b'MThd' + struct.pack('>IHHH', 6, 0, 1, 480) + b'MTrk' + struct.pack('>I', len(events)) + events

open(sys.argv[1], 'wb').write(soundbank(16000))
open(sys.argv[2], 'wb').write(tune())
# A bank of its own right, but not the one whose checksum is configured.
open(sys.argv[3], 'wb').write(soundbank(12000))
PY

cp "$bin_dir/tandrill" "$E2E_WORK/"
title='Été à la plage – 1.jpg'
"$bin_dir/tandrill_gift_maker" "$bin_dir/gift.pzl" "$E2E_WORK/music_gift" 4 3 100 "$E2E_WORK/tune.mid" "$title" ||
  e2e_fail "could not make the gift"

# Serves one folder on a free loopback port and writes the port to a file.
start_server() {
  local folder="$1"
  rm -f "$E2E_WORK/port"
  python3 - "$folder" "$E2E_WORK/port" <<'PY' >"$E2E_WORK/server.log" 2>&1 &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
with open(sys.argv[2] + '.new', 'w') as f:
    f.write(str(server.server_address[1]))
import os
os.rename(sys.argv[2] + '.new', sys.argv[2])
server.serve_forever()
PY
  server_pid=$!
  e2e_wait_until "the loopback server" 100 test -s "$E2E_WORK/port"
}

bank_size="$(stat -c %s "$E2E_WORK/bank.sf3")"
bank_sha="$(sha256sum "$E2E_WORK/bank.sf3" | cut -d' ' -f1)"

# True when both title fields of one of the game's windows read the text
# exactly: the UTF-8 one, and the older one in Latin-1 or compound text.
titles_read() {
  local wid fields
  for wid in $(xdotool search --pid "$E2E_APP_PID" 2>/dev/null); do
    fields="$(LC_ALL=C.UTF-8 xprop -id "$wid" _NET_WM_NAME WM_NAME 2>/dev/null)"
    grep -qxF "_NET_WM_NAME(UTF8_STRING) = \"$1\"" <<<"$fields" || continue
    grep -qxF -e "WM_NAME(STRING) = \"$1\"" -e "WM_NAME(COMPOUND_TEXT) = \"$1\"" <<<"$fields" && return 0
  done
  return 1
}

# Starts the gift with no system bank and the mixed sound written to a file.
# The loopback address, size and checksum come from the environment, or
# with "file" from the configuration file in the data folder.
run_game() {
  local data="$1" how="${2:-environment}"
  local url="http://127.0.0.1:$(cat "$E2E_WORK/port")/general-midi.sf3"
  report="$data.report"
  audio="$data.audio"
  mkdir -p "$data"
  : >"$report"
  local source=(TANDRILL_SOUNDBANK_URL="$url" TANDRILL_SOUNDBANK_SIZE="$bank_size" TANDRILL_SOUNDBANK_SHA256="$bank_sha")
  if [ "$how" = file ]; then
    printf 'url=%s\nsize=%s\nsha256=%s\n' "$url" "$bank_size" "$bank_sha" >"$data/soundbank.conf"
    source=()
  fi
  env "${source[@]}" TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" \
    TANDRILL_SYSTEM_SOUNDBANK="$E2E_WORK/no-such-bank.sf3" \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" \
    "$E2E_WORK/tandrill" "$E2E_WORK/music_gift" >"$data.out" 2>&1 &
  E2E_APP_PID=$!
}

# The id of the platform's message box with the given title, once it is on
# screen. The box names itself in UTF-8 only, which xdotool's name search
# does not read, so the window is found in the server's window tree.
find_box() {
  local title="$1" wid="" i
  for i in $(seq 100); do
    wid="$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\":" 'index($0, t) {print $1; exit}')"
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || e2e_fail "no '$title' box on screen"
  echo "$wid"
}

# Presses a key in the platform's message box with the given title.
answer_box() {
  local wid
  wid="$(find_box "$1")"
  # Without a window manager the box gets the keyboard only when told to.
  xdotool windowfocus --sync "$wid"
  xdotool key "$2"
}

# True when the last seconds of the captured output hold a steady tone near
# the one the bank's instrument plays: mostly loud blocks, and a rate of
# sign changes that only a pitched note (not silence, not a click) gives.
music_sounds() {
  python3 - "$audio" <<'PY'
import struct, sys
rate, frame = 44100, 4
data = open(sys.argv[1], 'rb').read()
if len(data) < rate * frame * 2: sys.exit(1)
window = data[len(data) - rate * frame * 2:]
left = struct.unpack('<%dh' % (len(window) // 4 * 2), window[:len(window) // 4 * 4])[0::2]
loud = sum(1 for i in range(0, len(left) - 441, 441) if max(abs(v) for v in left[i:i + 441]) > 200)
crossings = sum(1 for a, b in zip(left, left[1:]) if (a < 0) != (b < 0)) / 2.0
# Two seconds of the tune: notes from middle C up an octave, so between
# about 520 and 1050 sign changes a second while they sound.
sys.exit(0 if loud > 150 and 400 < crossings < 1200 else 1)
PY
}

e2e_start_x 1280x800x24

# --- 1. The right bank: asked, downloaded, installed, heard -------------------
mkdir -p "$E2E_WORK/good"
cp "$E2E_WORK/bank.sf3" "$E2E_WORK/good/general-midi.sf3"
start_server "$E2E_WORK/good"
run_game "$E2E_WORK/data1"
# The question comes while the play room starts its music.
e2e_wait_for "$report" "^message Libraries not found: Some needed libraries were not found on this computer" 200
answer_box "Libraries not found" Return
e2e_wait_for "$report" "^answer Yes" 50
e2e_wait_for "$report" '^window DLL Library Not Found : "general-midi.sf3"' 100
e2e_wait_for "$report" "^download status Completed!" 150
e2e_screenshot "$E2E_WORK/download_completed.png"
e2e_wait_for "$report" "^download closed" 100
cmp -s "$E2E_WORK/bank.sf3" "$E2E_WORK/data1/general-midi.sf3" || e2e_fail "the bank is not in the data folder"
ls "$E2E_WORK/data1" | grep -q '\.part-' && e2e_fail "a partial download was left behind"
grep -q "^message FAILED" "$report" && e2e_fail "the installed bank was reported as failed"
e2e_wait_for "$report" "^play ready 12 " 200
caption="$(grep '^caption ' "$report" | tail -n 1 | cut -c9-)"
[ "$caption" = "Tandrill Gift: $title (400 x 300)" ] || e2e_fail "caption '$caption'"
e2e_wait_until "the caption in both title fields" 50 titles_read "$caption"
e2e_wait_until "the music in the audio output" 300 music_sounds
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the game ended"
kill -9 "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true
stop_server

# --- 2. A wrong file at the address: failed, nothing left behind ----------------
mkdir -p "$E2E_WORK/wrong"
cp "$E2E_WORK/wrong.sf3" "$E2E_WORK/wrong/general-midi.sf3"
start_server "$E2E_WORK/wrong"
run_game "$E2E_WORK/data2" file
e2e_wait_for "$report" "^message Libraries not found: Some needed libraries were not found" 200
answer_box "Libraries not found" Return
e2e_wait_for "$report" "^download closed" 150
e2e_wait_for "$report" '^message FAILED: Download failed !!!\\nCould not load the library...$' 100
grep -q "^download status Completed!" "$report" && e2e_fail "a file that failed its checks was called complete"
find_box "FAILED" >/dev/null
sleep 0.3
e2e_screenshot "$E2E_WORK/download_failed.png"
answer_box "FAILED" Return
e2e_wait_for "$report" "^closed FAILED" 100
leftovers="$(ls -A "$E2E_WORK/data2" | grep -v -e '^tandrill.lock$' -e '^soundbank.conf$' || true)"
[ -z "$leftovers" ] || e2e_fail "files left behind: $leftovers"
e2e_wait_for "$report" "^play ready 12 " 200
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the game ended after the failed download"
kill -9 "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true
stop_server
cp "$E2E_WORK/download_completed.png" "$E2E_WORK/download_failed.png" "$bin_dir/" 2>/dev/null || true
echo "library check e2e passed"
