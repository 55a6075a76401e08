#!/usr/bin/env bash
# Fuzzes the targets (tests/fuzz/*_fuzz.cpp; TARGETS, default all three) for the given
# number of seconds each, starting from the corpus kept in tests/fuzz/corpus/<target>/.
#   bash tests/fuzz/run.sh [seconds] [--update-corpus]
# New inputs collect in build-fuzz/work/<target>/; an input that breaks a promise or
# crashes is saved as build-fuzz/artifacts/<target>-crash-<hash>, the log is
# build-fuzz/<target>.log. With --update-corpus the kept corpus is replaced by a
# minimised merge of itself and the new inputs (one input per coverage edge). PARALLEL=1 runs the targets at the same
# time.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
seconds=${1:-60}
update=${2:-}
bash tests/fuzz/build.sh build-fuzz >/dev/null
mkdir -p build-fuzz/artifacts

fuzz_one() {
  local target=$1
  local corpus=$root/tests/fuzz/corpus/$target work=$root/build-fuzz/work/$target
  local log=$root/build-fuzz/$target.log binary=$root/build-fuzz/${target}_fuzz
  mkdir -p "$corpus" "$work"
  local options=(-max_len=4096 -timeout=10 -rss_limit_mb=2048 -dict="$root/tests/fuzz/fuzz.dict")
  local asan=${ASAN_OPTIONS:-}
  if [ "$target" = program ]; then
    # A trapped run leaves the program by siglongjmp and never releases its blocks.
    options+=(-detect_leaks=0)
    asan=detect_leaks=0${asan:+:$asan}
  fi
  if ! ASAN_OPTIONS=$asan "$binary" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$root/build-fuzz/artifacts/$target-" "$work" "$corpus" >"$log" 2>&1; then
    echo "$target: FAILED, see $log and build-fuzz/artifacts/"
    grep -E 'PROMISE BROKEN|ERROR|runtime error' "$log" | head -5
    return 1
  fi
  local runs
  runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  echo "$target: $runs executions in $seconds s, no failure"
  if [ "$update" = --update-corpus ]; then
    local merged=$root/build-fuzz/merged-$target
    rm -rf "$merged" && mkdir -p "$merged"
    # Kept small: one input per new edge, without hit-count features.
    ASAN_OPTIONS=$asan "$binary" "${options[@]}" -merge=1 -use_counters=0 "$merged" "$corpus" "$work" \
      >>"$log" 2>&1
    rm -rf "$corpus" && mv "$merged" "$corpus"
    echo "$target: corpus of $(ls "$corpus" | wc -l) files"
  fi
}

targets=(${TARGETS:-list_input program edit})
if [ "${PARALLEL:-0}" = 1 ]; then
  pids=()
  for target in "${targets[@]}"; do fuzz_one "$target" & pids+=($!); done
  status=0
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
  exit $status
fi
for target in "${targets[@]}"; do fuzz_one "$target"; done
