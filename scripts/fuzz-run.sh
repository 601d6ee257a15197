#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given seconds each, one
# after another, from its seeds (fuzz/seeds/<seeds>) and the corpus it grows
# in the build folder (corpus/<target>). What a target finds is kept in
# findings/; a line per target (seconds, executions, result) is added to
# fuzz-log.txt there.
#   scripts/fuzz-run.sh BUILD_DIR SECONDS [TARGET...]
# FUZZ_TIMEOUT (seconds, default 20) is how long one input may run; raise
# it when the fuzzers are paused now and then (kill -STOP) for measurements,
# since the pause counts against the input being run.
set -uo pipefail
build="$1"
seconds="$2"
shift 2
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
seeds="$source_dir/fuzz/seeds"
mkdir -p "$build/findings"

# The seeds each target starts from; the XML targets share a dictionary.
seeds_of() {
  case "$1" in
    library_fuzz) echo "library" ;;
    puzzle_data_fuzz) echo "puzzle" ;;
    xml_parser_fuzz) echo "library puzzle control_style cuts" ;;
    control_style_fuzz) echo "control_style" ;;
    cuts_fuzz) echo "cuts" ;;
    payload_fuzz) echo "payload" ;;
    image_probe_fuzz) echo "images" ;;
    audio_format_fuzz) echo "audio" ;;
    soundbank_config_fuzz) echo "soundbank" ;;
  esac
}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$build"/fuzz/*_fuzz; do targets+=("$(basename "$t")"); done
fi
failed=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  dirs=()
  for s in $(seeds_of "$target"); do dirs+=("$seeds/$s"); done
  dict=()
  case "$target" in library_fuzz | puzzle_data_fuzz | xml_parser_fuzz | control_style_fuzz | cuts_fuzz)
    dict=(-dict="$source_dir/fuzz/xml.dict") ;;
  esac
  log="$build/findings/$target.log"
  # The leak check after each input must leave alone what fontconfig and the
  # other system libraries keep for the whole process.
  export LSAN_OPTIONS="suppressions=$source_dir/tests/e2e/monkey_lsan.supp:print_suppressions=0"
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=${FUZZ_TIMEOUT:-20} -rss_limit_mb=2560 \
    -artifact_prefix="$build/findings/$target-" "${dict[@]}" "$corpus" "${dirs[@]}" >"$log" 2>&1
  rc=$?
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)"
  result="ok"
  [ "$rc" -eq 0 ] || { result="FOUND (exit $rc, see $log)"; failed=1; }
  line="$(date -u +%Y-%m-%dT%H:%MZ) $target ${seconds}s ${runs:-?} runs corpus $(ls "$corpus" | wc -l) $result"
  echo "$line" | tee -a "$build/findings/fuzz-log.txt"
done
exit "$failed"
