#!/usr/bin/env bash
# Runs every fuzz target of a built fuzz tree for a while each, from its seed
# corpus; fails when any of them crashed, had a sanitizer report or timed out.
#   fuzz/run.sh BUILD_DIR [SECONDS]
# New inputs go to BUILD_DIR/fuzz-corpus/<target>, crashing ones to
# BUILD_DIR/fuzz-artifacts/; each run's whole log is BUILD_DIR/fuzz-logs/<target>.log.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS]}
seconds=${2:-30}

# target: longest input. Saved searches and preferences are small files; the
# filter and the place list read the predictor's output, which comes in chunks.
targets=(
  "output_filter_fuzz:65536"
  "place_list_fuzz:65536"
  "saved_search_fuzz:4096"
  "preferences_fuzz:4096"
)

mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
passed=0
failed=0
for entry in "${targets[@]}"; do
  target=${entry%%:*}
  maxlen=${entry##*:}
  program="$build/fuzz/$target"
  if [ ! -x "$program" ]; then
    echo "fuzz: $target was not built"
    failed=$((failed + 1))
    continue
  fi
  corpus="$build/fuzz-corpus/$target"
  log="$build/fuzz-logs/$target.log"
  mkdir -p "$corpus"
  # The first corpus folder receives new inputs; the seeds stay as they are.
  ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$program" "$corpus" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    echo "fuzz: $target: ${runs:-?} executions in ${seconds}s (${rate:-?}/s), no failure"
    passed=$((passed + 1))
  else
    echo "fuzz: $target FAILED (exit $rc) after ${runs:-?} executions; the end of $log:"
    tail -n 60 "$log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
