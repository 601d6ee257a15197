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
# 3. Two gift programs play on a fresh data folder and write nothing to it;
#    the game started beside them makes its first start, and its Back and
#    Quit write the puzzle file and the library.
set -euo pipefail
bin_dir="$1"
source "$(dirname "$0")/lib.sh"
[ -x "$bin_dir/tandrill" ] || e2e_fail "no game in $bin_dir"
cp "$bin_dir/tandrill" "$bin_dir/gift.pzl" "$bin_dir/tandrill.hlp" "$E2E_WORK/"
# Job control on, so the games do not start with SIGINT ignored.
set -m

# Starts the game (or the program given third) on a data folder with a
# report of its own; the process id is left in E2E_APP_PID.
run_game() {
  local data="$1" report="$2" program="${3:-$E2E_WORK/tandrill}"
  : >"$report"
  TANDRILL_DATA_DIR="$data" TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$program" &
  E2E_APP_PID=$!
}

# Asks a game to stop as the system does, and checks it ends normally.
stop_game() {
  kill -TERM "$1"
  game_ends "$1"
}
game_ends() {
  local pid="$1" i rc
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

# --- 3. Gifts beside the game -------------------------------------------------------
[ -x "$bin_dir/tandrill_gift_maker" ] || e2e_fail "no gift maker in $bin_dir"
"$bin_dir/tandrill_gift_maker" "$bin_dir/gift.pzl" "$E2E_WORK/puzzle_gift" || e2e_fail "could not make the gift"
shared="$E2E_WORK/shared"
gift_pids=()
for n in 1 2; do
  run_game "$shared" "$E2E_WORK/gift$n.report" "$E2E_WORK/puzzle_gift"
  gift_pids+=("$E2E_APP_PID")
  e2e_wait_for "$E2E_WORK/gift$n.report" '^play ready 12 ' 300
done
[ -z "$(ls -A "$shared" 2>/dev/null)" ] || e2e_fail "a gift wrote into the data folder: $(ls -A "$shared")"
game_report="$E2E_WORK/game.report"
run_game "$shared" "$game_report"
game_pid="$E2E_APP_PID"
e2e_wait_for "$game_report" '^selected Glass Marbles$' 300
e2e_wait_for "$game_report" '^first-frame' 150
# Keys go to the game's window, not to a gift's.
game_window="$(xdotool search --pid "$game_pid" | head -1)"
xdotool windowraise "$game_window" windowfocus --sync "$game_window"
xdotool key --clearmodifiers alt+p
e2e_wait_for "$game_report" '^play ready ' 300
e2e_wait_for "$game_report" '^room playRoom' 100
sleep 0.5
e2e_screenshot "$E2E_WORK/game_beside_gifts.png"
xdotool key --clearmodifiers alt+b
e2e_wait_for "$game_report" '^play saved 0$' 150
grep -q '<puzzle-piece' "$shared/puzzles/Glass Marbles.pzl" || e2e_fail "Back did not write the puzzle file"
e2e_wait_until "the store room again" 150 bash -c "[ \$(grep -c '^room storeRoom' '$game_report') -ge 2 ]"
xdotool key --clearmodifiers alt+q
game_ends "$game_pid"
[ "$(grep -c '<puzzle-image>' "$shared/tandrill.pzl")" -eq 3 ] || e2e_fail "Quit did not write the library"
grep -q 'already running\|cannot be saved' "$game_report" "$E2E_WORK"/gift?.report && e2e_fail "a gift held the folder"
cp "$shared/tandrill.pzl" "$E2E_WORK/library_after_game.pzl"
for pid in "${gift_pids[@]}"; do
  kill -0 "$pid" 2>/dev/null || e2e_fail "a gift ended beside the game"
  E2E_APP_PID="$pid"
  stop_game "$pid"
done
cmp -s "$shared/tandrill.pzl" "$E2E_WORK/library_after_game.pzl" || e2e_fail "a gift wrote the library"
cp "$E2E_WORK/cannot_save.png" "$E2E_WORK/game_beside_gifts.png" "$bin_dir/" 2>/dev/null || true
echo "data folder e2e passed"
