#!/usr/bin/env bash
# Writes the fuzz targets' seeds (fuzz/seeds/) from real files: a small
# puzzle of every kind and the library that lists them, as the game writes
# them (tests/e2e/monkey_library.cpp), the elements inside them, the test
# pictures, sounds of every format we play, a gift's end and the sound
# bank's settings. The seeds are kept in the repository; run this again when
# a file format changes.
#   scripts/make-fuzz-seeds.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
seeds="$source_dir/fuzz/seeds"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rm -rf "$seeds"
mkdir -p "$seeds"/{library,puzzle,control_style,cuts,payload,images,audio,soundbank}

python3 - "$work/tune.wav" <<'PY'
import struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(1); w.setframerate(8000)
    w.writeframes(bytes((i * 7) & 0xFF for i in range(400)))
PY
mkdir -p "$work/data"
TANDRILL_DATA_DIR="$work/data" "$build/tandrill_monkey_library" seeds "$work/tune.wav" >/dev/null
cp "$work/data/tandrill.pzl" "$seeds/library/"
cp "$work/data/puzzles/"*.pzl "$seeds/puzzle/"
cp "$source_dir"/tests/data_files/library/*.pzl "$seeds/library/" 2>/dev/null || true
cp "$source_dir"/tests/data_files/images/* "$seeds/images/"
cp "$work/tune.wav" "$seeds/audio/"

python3 - "$seeds" "$work/data/puzzles" <<'PY'
import os, re, struct, sys
seeds, puzzles = sys.argv[1], sys.argv[2]
def put(folder, name, data):
    with open(os.path.join(seeds, folder, name), "wb") as f:
        f.write(data)
for name in sorted(os.listdir(puzzles)):
    text = open(os.path.join(puzzles, name), "rb").read()
    m = re.search(rb"<puzzle-cuts>.*?</puzzle-cuts>\r?\n", text, re.S)
    if m:
        put("cuts", name.replace(".pzl", ".xml"), m.group(0))
    # A gift's end: a program's last bytes, the puzzle and the trailer.
    h = 14695981039346656037
    for c in text:
        h = ((h ^ c) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    put("payload", name.replace(".pzl", ".gift"), b"\x7fELF program" + text + struct.pack("<QQ", len(text), h) +
        b"TandrillGift\x01\x00\x00\x00")
lib = open(os.path.join(seeds, "library", "tandrill.pzl"), "rb").read()
# The style element as the style writes it (the library carries one where
# the player's style differs from the default).
m = re.search(rb"<control-style-default>.*?</control-style-default>\r?\n", lib, re.S | re.I)
font = b"<font>\r\n<name>Times New Roman</name>\r\n<size>15.00</size>\r\n<style>bold </style>\r\n</font>\r\n"
data = lambda pairs: b"".join(b"<styleData %s=\"%s\" />\r\n" % p for p in pairs)
put("control_style", "default.xml", m.group(0) if m else
    b"<control-style-default>\r\n<rounded_corners_radius>15.00</rounded_corners_radius>\r\n<static-text>\r\n" +
    data([(b"color-text", b"0xffffffff")]) + font + b"</static-text>\r\n<button>\r\n" +
    data([(b"color-background", b"0x880000ff"), (b"color-background-up", b"0xaaffffff"),
          (b"color-background-down", b"0xdd0000ff"), (b"color-background-disabled", b"0x550000ff"),
          (b"color-text", b"0xffffffff"), (b"color-text-disabled", b"0x66cccccc"), (b"height", b"22.000000")]) +
    font + b"</button>\r\n<window>\r\n" +
    data([(b"color-background", b"0x9900008f"), (b"color-background-title", b"0x993366cc"),
          (b"color-border", b"0x99ffffff"), (b"color-text", b"0xffffff00"), (b"height-title", b"26.00"),
          (b"height-tool-title", b"19.00"), (b"width-button", b"26.00"), (b"margin", b"3.00")]) +
    font + b"</window>\r\n</control-style-default>\r\n")
# Sounds: MIDI plain and wrapped in RIFF, two MPEG frames, the heads of an
# Ogg and a FLAC stream.
events = b"\x00\x90\x3c\x40\x60\x80\x3c\x00\x00\xff\x2f\x00"
midi = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(events)) + events
put("audio", "tune.mid", midi)
put("audio", "tune.rmi", b"RIFF" + struct.pack("<I", len(midi) + 12) + b"RMIDdata" + struct.pack("<I", len(midi)) + midi)
frame = b"\xff\xfb\x90\x64" + bytes(413)
put("audio", "tune.mp3", b"ID3\x03\x00\x00\x00\x00\x00\x00" + frame + frame)
put("audio", "tune.ogg", b"OggS\x00\x02" + bytes(22) + b"\x01\x1e\x01vorbis" + bytes(23))
put("audio", "tune.flac", b"fLaC\x80\x00\x00\x22" + bytes(34))
put("soundbank", "soundbank.conf", b"url=https://example.org/banks/GeneralUser.sf2\nsize=31321516\n"
    b"sha256=" + b"0123456789abcdef" * 4 + b"\n")
put("soundbank", "bank.sf2", b"RIFF" + struct.pack("<I", 40) + b"sfbkLIST" + struct.pack("<I", 28) + b"INFOifil" +
    struct.pack("<IHH", 4, 2, 1) + b"isng" + struct.pack("<I", 8) + b"EMU8000\x00")
PY

# Pictures the dialogs probe: a photo with an orientation, a bitmap, a TIFF.
convert -size 64x48 plasma:fractal -seed 5 -orient RightTop "$seeds/images/turned.jpg"
convert -size 32x24 gradient:red-blue "$seeds/images/plain.bmp"
convert -size 16x16 xc:green -compress lzw "$seeds/images/plain.tif"
du -sh "$seeds"
