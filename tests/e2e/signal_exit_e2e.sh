#!/usr/bin/env bash
# The program ends cleanly with exit code 0 when asked to stop by SIGTERM or
# SIGINT, running its normal shutdown. It runs from a copy in a fresh folder,
# as every end-to-end test does, so it has a library of its own.
set -euo pipefail
bin_dir="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$bin_dir/tandrill" "$work/"
# Job control on, so the background program does not start with SIGINT ignored.
set -m

for sig in TERM INT; do
  rm -rf "$work/data"
  : >"$work/report.txt"
  TANDRILL_DATA_DIR="$work/data" TANDRILL_REPORT="$work/report.txt" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$work/tandrill" -admin &
  pid=$!
  # Asked to stop once the first room is up, so the normal end has work to do.
  for _ in $(seq 100); do grep -q '^room ' "$work/report.txt" 2>/dev/null && break; sleep 0.1; done
  kill -s "$sig" "$pid"
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    echo "FAIL: still running 5 s after SIG$sig" >&2
    exit 1
  fi
  set +e
  wait "$pid"
  rc=$?
  set -e
  if [ "$rc" -ne 0 ]; then
    echo "FAIL: exit code $rc after SIG$sig" >&2
    exit 1
  fi
  if [ ! -f "$work/data/tandrill.pzl" ]; then
    echo "FAIL: the library was not written after SIG$sig" >&2
    exit 1
  fi
  echo "ok: exit code 0 and the library written after SIG$sig"
done
