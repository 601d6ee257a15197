#!/usr/bin/env bash
# The real game on a data folder it cannot use, and two copies of the game
# on one folder.
#
# 1. A file stands where the data folder should be: the game starts, says
#    once in its own box that the puzzles cannot be saved there and why, goes
#    on answering the player, ends normally, and leaves the file as it was.
# 2. A second copy started while the first runs says the game is already
#    running and runs without writing the library; only the first copy
#    writes it, when it ends.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"
[ -x "$bin_dir/tandrill" ] || e2e_fail "no game in $bin_dir"
cp "$bin_dir/tandrill" "$bin_dir/gift.pzl" "$bin_dir/tandrill.hlp" "$E2E_WORK/"
# Job control on, so the games do not start with SIGINT ignored.
set -m

# Starts the game on a data folder with a report of its own; the process id
# is left in E2E_APP_PID.
run_game() {
  local data="$1" report="$2"
  : >"$report"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$E2E_WORK/tandrill" &
  E2E_APP_PID=$!
}

# Asks a game to stop as the system does, and checks it ends normally.
stop_game() {
  local pid="$1" i rc
  kill -TERM "$pid"
  for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && e2e_fail "the game did not end"
  set +e
  wait "$pid"
  rc=$?
  set -e
  [ "$rc" -eq 0 ] || e2e_fail "exit code $rc"
}

e2e_start_x 1280x800x24

# --- 1. A file in place of the data folder --------------------------------------
blocked="$E2E_WORK/blocked"
printf 'the player keeps notes here' >"$blocked"
report="$E2E_WORK/blocked.report"
run_game "$blocked" "$report"
e2e_wait_for "$report" '^room storeRoom' 150
e2e_wait_for "$report" "^message Tandrill: Your puzzles cannot be saved in $blocked: Not a directory\\.\$" 50
e2e_wait_for "$report" '^first-frame' 100
sleep 0.5
e2e_screenshot "$E2E_WORK/cannot_save.png"
# The box closes with its Ok, and the game goes on: Alt+S toggles the sound.
xdotool key --clearmodifiers alt+o
sleep 0.3
xdotool key --clearmodifiers alt+s
e2e_wait_for "$report" '^button &Sound' 50
stop_game "$E2E_APP_PID"
[ "$(grep -c 'cannot be saved' "$report")" -eq 1 ] || e2e_fail "the player was told more than once"
[ "$(cat "$blocked")" = "the player keeps notes here" ] || e2e_fail "the file in the folder's place was changed"

# --- 2. Two copies on one data folder ---------------------------------------------
data="$E2E_WORK/data"
first_report="$E2E_WORK/first.report"
second_report="$E2E_WORK/second.report"
run_game "$data" "$first_report"
first_pid="$E2E_APP_PID"
e2e_wait_for "$first_report" '^first-frame' 150
run_game "$data" "$second_report"
second_pid="$E2E_APP_PID"
e2e_wait_for "$second_report" '^message Tandrill: Tandrill is already running\.' 150
e2e_wait_for "$second_report" '^room storeRoom' 100
grep -q 'cannot be saved' "$second_report" && e2e_fail "the second copy blamed the folder"
grep -q 'already running' "$first_report" && e2e_fail "the first copy was told it is the second"
stop_game "$second_pid"
[ -e "$data/tandrill.pzl" ] && e2e_fail "the second copy wrote the library"
E2E_APP_PID="$first_pid"
stop_game "$first_pid"
[ -s "$data/tandrill.pzl" ] || e2e_fail "the first copy did not write the library"
grep -q 'cannot be saved' "$first_report" && e2e_fail "the first copy could not save"
cp "$E2E_WORK/cannot_save.png" "$bin_dir/" 2>/dev/null || true
echo "data folder e2e passed"
