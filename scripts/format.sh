#!/usr/bin/env bash
# Formats every C++ source of the tree with .clang-format, or with --check
# fails on the first file that differs (what CI runs).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^tests/data/')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run -Werror "${files[@]}"
  echo "format: ${#files[@]} files as .clang-format lays them out"
else
  clang-format -i "${files[@]}"
fi
