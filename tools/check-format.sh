#!/bin/sh
# Fails when any tracked C++ source differs from what clang-format makes of it
# with the repository's .clang-format. Run with --fix to rewrite them instead.
set -e
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
files=$(git ls-files '*.cpp' '*.h' '*.cc' '*.hpp')
if [ "$1" = "--fix" ]; then
  echo "$files" | xargs clang-format -i
  exit 0
fi
echo "$files" | xargs clang-format --dry-run --Werror
echo "check-format: $(echo "$files" | wc -l) files formatted as .clang-format says"
