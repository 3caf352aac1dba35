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
mapfile -t files < <(git ls-files 'platform/*.cpp' 'views/*.cpp' 'slideshow/*.cpp' 'touch/*.cpp' 'controller/*.cpp' 'render/*.cpp' 'host/*.cpp' 'app/*.cpp')

# The command's files are checked as the unity files they are compiled as (ORVESSA_UNITY_BUILD): most
# of each one's cost is analysing CLI11's headers, then paid once a unity file instead of once a file.
inUnity=()
mapfile -t unity < <(find "$build/app/CMakeFiles/orvessa.dir/Unity" -name '*.cxx' 2> /dev/null | sort)
if [ ${#unity[@]} -gt 0 ]; then
  mapfile -t inUnity < <(sed -n 's|^#include "'"$PWD"'/\(.*\)"$|\1|p' "${unity[@]}")
  mapfile -t files < <(printf '%s\n' "${files[@]}" | grep -vxF -f <(printf '%s\n' "${inUnity[@]}"))
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet > "$log" 2>&1 || status=1
if [ ${#unity[@]} -gt 0 ]; then
  # Findings in the included files count; including a .cpp is what a unity file is for.
  printf '%s\n' "${unity[@]}" | xargs -P "$(nproc)" -n 1 clang-tidy -p "$build" --quiet \
    --header-filter='/app/[^/]+\.cpp$' --checks=-bugprone-suspicious-include >> "$log" 2>&1 || status=1
fi
if [ $status -ne 0 ]; then
  grep -E '(warning|error):' "$log" | sort -u
  echo "check-tidy: clang-tidy found the above in the product code"
  exit 1
fi
echo "check-tidy: $(( ${#files[@]} + ${#inUnity[@]} )) files clean (${#inUnity[@]} of them in ${#unity[@]} unity files)"
