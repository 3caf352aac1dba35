#!/usr/bin/env bash
# Runs clang-tidy's bug-prone and performance checks (.clang-tidy) over the product code, with the
# compile commands of a configured build folder. Fails, naming each finding, when any remains.
# Usage: scripts/check-tidy.sh BUILD_FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-tidy: $build/compile_commands.json is missing; configure the build first (make build)" >&2
  exit 2
fi
layers='app|host|render|controller|slideshow|views|touch|platform'
mapfile -t files < <(git ls-files | grep -E "^($layers)/[^/]+\.cpp$")

# Files the build compiles in unity batches (ORVESSA_UNITY_BUILD, ORVESSA_UNITY_LAYERS) are checked
# as those batches: most of each file's cost is analysing the headers it includes, then paid once a
# batch instead of once a file. Only batches that hold product files count.
unity=()
inUnity=()
while IFS= read -r batch; do
  mapfile -t included < <(sed -n 's|^#include "'"$PWD"'/\(.*\)"$|\1|p' "$batch" | grep -E "^($layers)/[^/]+\.cpp$" || true)
  if [ ${#included[@]} -gt 0 ]; then
    unity+=("$batch")
    inUnity+=("${included[@]}")
  fi
done < <(find "$build" -path '*/Unity/*.cxx' 2> /dev/null | sort)
if [ ${#inUnity[@]} -gt 0 ]; then
  mapfile -t files < <(printf '%s\n' "${files[@]}" | grep -vxF -f <(printf '%s\n' "${inUnity[@]}") || true)
fi

# The configuration is named, not looked up beside each file: unity files live in the build folder,
# which need not be inside the tree.
tidy=(clang-tidy -p "$build" --quiet --config-file="$PWD/.clang-tidy")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
if [ ${#files[@]} -gt 0 ]; then
  printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 "${tidy[@]}" > "$log" 2>&1 || status=1
fi
if [ ${#unity[@]} -gt 0 ]; then
  # Findings in the included files count; including a .cpp is what a unity file is for.
  printf '%s\n' "${unity[@]}" | xargs -P "$(nproc)" -n 1 "${tidy[@]}" \
    --header-filter="/($layers)/[^/]+\.(cpp|h)\$" --checks=-bugprone-suspicious-include >> "$log" 2>&1 || status=1
fi
if [ $status -ne 0 ]; then
  grep -E '(warning|error):' "$log" | sort -u
  echo "check-tidy: clang-tidy found the above in the product code"
  exit 1
fi
echo "check-tidy: $(( ${#files[@]} + ${#inUnity[@]} )) files clean (${#inUnity[@]} of them in ${#unity[@]} unity files)"
