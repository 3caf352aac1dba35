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
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet > "$log" 2>&1; then
  grep -E '(warning|error):' "$log" | sort -u
  echo "check-tidy: clang-tidy found the above in the product code"
  exit 1
fi
echo "check-tidy: ${#files[@]} files clean"
