#!/bin/sh
# Runs clang-tidy 14 with the checks of .clang-tidy over every source of src/
# and plugins/, with the compile database of a configured build (default:
# build/, from `cmake --preset default`); fails on any finding.
#   sh tools/run-clang-tidy.sh [BUILD_DIR] [FILE_REGEX]
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
files=${2:-"$(pwd)/(src|plugins)/.*\.cpp$"}
runner=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
[ -n "$runner" ] || { echo "run-clang-tidy: clang-tidy 14 (run-clang-tidy-14) is not installed" >&2; exit 1; }
[ -f "$build/compile_commands.json" ] || {
  echo "run-clang-tidy: no $build/compile_commands.json; configure first (cmake --preset default)" >&2
  exit 1
}
# The database holds GCC's flags; clang does not know some of its warnings.
"$runner" -quiet -p "$build" -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option "$files"
