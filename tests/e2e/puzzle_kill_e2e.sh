#!/usr/bin/env bash
# Killing the game at any moment while it saves the puzzle being played
# never leaves a damaged puzzle file: after each kill the file is the one
# from before, byte for byte, or a whole new one that the game reads back.
# A puzzle of 2,400 pieces makes the save long enough to be hit in the
# middle; the game is asked to stop (as a desktop logging out does) while
# the puzzle is open, which saves the puzzle and then the library.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"
cp "$bin_dir/tandrill" "$E2E_WORK/"
data="$E2E_WORK/data"
report="$E2E_WORK/report.txt"
mkdir -p "$data"
set -m
TANDRILL_DATA_DIR="$data" "$bin_dir/tandrill_monkey_library" make "" 2400 1600 40 >/dev/null ||
  e2e_fail "could not make the data folder"
puzzle="$data/puzzles/large.pzl"
e2e_start_x 1280x800x24

# Starts the game and opens the large puzzle from the store room.
open_puzzle() {
  : >"$report"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
  E2E_APP_PID=$!
  e2e_wait_for "$report" '^item large ' 300
  e2e_wait_for "$report" '^first-frame' 300
  local wid x y cx cy
  wid="$(xdotool search --pid "$E2E_APP_PID" 2>/dev/null | head -1)"
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  # The first start's Samples window lies over the floor: closed first.
  if grep -q '^window Category: ' "$report"; then
    read -r cx cy <<<"$(grep '^window Category: ' "$report" | tail -1 | sed 's/.*| close \([0-9]*\) \([0-9]*\).*/\1 \2/')"
    xdotool mousemove $((X + cx)) $((Y + cy)) click 1
    sleep 0.3
  fi
  read -r cx cy <<<"$(grep '^item large ' "$report" | tail -1 | awk '{print $(NF-1), $NF}')"
  xdotool mousemove $((X + cx)) $((Y + cy)) click 1
  e2e_wait_for "$report" '^selected large'
  xdotool key --clearmodifiers alt+p
  e2e_wait_for "$report" '^pieces reported' 600
  # A piece moved, so that each save writes a file that differs from the
  # one before it.
  read -r px py <<<"$(grep ' free 1 ' "$report" | shuf -n 1 | sed 's/.* centre \([0-9]*\)[.0-9]* \([0-9]*\).*/\1 \2/')"
  local moves
  moves="$(grep -c '^pieces reported' "$report")"
  e2e_drag $((X + px)) $((Y + py)) $((X + 100 + RANDOM % 500)) $((Y + 100 + RANDOM % 400))
  e2e_wait_until "the moved piece to be reported" 100 bash -c "[ \$(grep -c '^pieces reported' '$report') -gt $moves ]"
}

# One whole run first: the puzzle's first save, as the game writes it.
# How long its end takes here decides the moments of the kills: spread
# over the end from the signal to the exit, closer together early on,
# where the puzzle is written.
open_puzzle
started=$(date +%s%N)
kill -TERM "$E2E_APP_PID"
wait "$E2E_APP_PID" || e2e_fail "the game did not end cleanly on SIGTERM"
ending_ms=$((($(date +%s%N) - started) / 1000000))
grep -q '^play saved ' "$report" || e2e_fail "leaving the puzzle did not save it"

kept=0
renewed=0
for percent in 0 2 4 7 10 14 20 30 45 70; do
  delay="$(awk -v ms="$ending_ms" -v p="$percent" 'BEGIN { printf "%.3f", ms * p / 100000 }')"
  cp "$puzzle" "$E2E_WORK/before.pzl"
  open_puzzle
  kill -TERM "$E2E_APP_PID"
  sleep "$delay"
  kill -KILL "$E2E_APP_PID" 2>/dev/null || true
  wait "$E2E_APP_PID" 2>/dev/null || true
  E2E_APP_PID=""
  if cmp -s "$puzzle" "$E2E_WORK/before.pzl"; then
    kept=$((kept + 1))
  else
    TANDRILL_DATA_DIR="$data" "$bin_dir/tandrill_monkey_library" check >"$E2E_WORK/check.txt" ||
      e2e_fail "killed $delay s into its end, the game left a damaged puzzle: $(cat "$E2E_WORK/check.txt")"
    renewed=$((renewed + 1))
  fi
  leftovers="$(find "$data" -name '*.tmp-*')"
  [ -z "$leftovers" ] || rm -f $leftovers
done
echo "ok: killed at ten moments of an end of $ending_ms ms, the puzzle file was kept $kept times and whole and new $renewed times"
