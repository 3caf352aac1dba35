#!/usr/bin/env bash
# Runs each fuzzer of a fuzz build for SECONDS seconds, from its seeds and the corpus it has grown
# in earlier runs (BUILD/corpus/<target>, kept between runs). A crash, a sanitizer report, a leak,
# an input that takes over 10 s, a process over 512 MB or any single allocation over 128 MB (the
# decoders' budgets stay under 90 MB) is a finding: libFuzzer keeps the input in
# BUILD/findings/<target>/, the log says what happened, and the run fails.
#
# Usage: fuzz/run.sh BUILD SECONDS [TARGET...]
set -uo pipefail
build=$1
seconds=$2
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(xml_plist binary_plist jpeg png gif bmp exif script)
fi
here=$(cd "$(dirname "$0")" && pwd)
# A small quarantine keeps AddressSanitizer's own memory from looking like a blow-up.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/../tests/lsan.supp}

# One target's run; prints its one-line result, and its log's findings when it found any.
fuzzOne() {
  local target=$1
  local corpus=$build/corpus/$target
  local findings=$build/findings/$target
  local log=$build/findings/$target.log
  mkdir -p "$corpus" "$findings"
  local dictionary=()
  if [ -f "$here/$target.dict" ]; then
    dictionary=(-dict="$here/$target.dict")
  fi
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=128 -timeout=10 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/" "${dictionary[@]}" "$corpus" "$build/seeds/$target" > "$log" 2>&1
  local result=$?
  local runs
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo "?")
  local kept
  kept=$(find "$corpus" -type f | wc -l)
  if [ $result -eq 0 ]; then
    echo "fuzz: $target: $runs runs in $seconds s, corpus of $kept inputs, nothing found"
  else
    echo "fuzz: $target: FOUND A FAULT after $runs runs; input in $findings/, log in $log:"
    grep -E 'ERROR|SUMMARY|==[0-9]+==|#[0-9]+ .* in ' "$log" | head -20
    return 1
  fi
}

# The targets run side by side, one a core (FUZZ_JOBS to change it); results are printed in order.
jobs=${FUZZ_JOBS:-$(nproc)}
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n
  done
  { fuzzOne "$target" > "$results/$target" || touch "$results/$target.failed"; } &
done
wait
status=0
for target in "${targets[@]}"; do
  cat "$results/$target"
  if [ -e "$results/$target.failed" ]; then
    status=1
  fi
done
exit $status
