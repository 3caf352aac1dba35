#!/usr/bin/env bash
# Fails, naming the files, when clang-format would change any C++ file git tracks.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
unformatted=$(clang-format --dry-run "${files[@]}" 2>&1 | grep -oE '^[^:]+\.(cpp|h)' | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "check-format: clang-format would change these files (run: clang-format -i FILE):"
  echo "$unformatted"
  exit 1
fi
echo "check-format: ${#files[@]} files as clang-format writes them"
