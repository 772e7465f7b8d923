#!/bin/bash
# Plants the faults of tools/planted-faults.txt in the code one at a time,
# builds, runs the tests and says which tests caught each fault, then the
# catch rate: how the house checks that its tests keep their strength.
#
# The faults go into a private copy of the committed tree (a clone sharing
# this repository's objects, at HEAD), never into the working tree: an
# interrupted run leaves nothing behind but the copy, which the next run
# resets. The copy and its build live in the work folder (default
# build-faults/), so later runs build only what a fault touches.
#
# Usage: tools/plant-faults.sh [options] [ID...]
#   ID...            only these faults (default: all of the table)
#   --list           list the faults and stop
#   --check          only check that every fault's text is found once
#   --work DIR       work folder (default: build-faults in the repository)
#   --out FILE       also write the results to FILE
#   --timeout S      per-test timeout in seconds (default 120)
#   --jobs N         build and test jobs (default 2)
#   --table FILE     the fault table (default: planted-faults.txt beside this script)
#   --no-baseline    skip the run of the unchanged tree
# Run it at low priority on a shared machine: nice -n 19 tools/plant-faults.sh
set -u

here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel) || exit 2
table=$here/planted-faults.txt
work=$repo/build-faults
out=
timeout=120
jobs=2
list=0
check=0
baseline=1
ids=()

while [ $# -gt 0 ]; do
  case $1 in
    --list) list=1 ;;
    --check) check=1 ;;
    --work) work=$2; shift ;;
    --out) out=$2; shift ;;
    --timeout) timeout=$2; shift ;;
    --jobs) jobs=$2; shift ;;
    --table) table=$2; shift ;;
    --no-baseline) baseline=0 ;;
    -h|--help) sed -n '2,/^set -u/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "plant-faults: unknown option $1" >&2; exit 2 ;;
    *) ids+=("$1") ;;
  esac
  shift
done

# The table's rows, comments and blank lines left out, their fields separated
# by the unit separator: read joins runs of TABs, which would lose an empty field.
sep=$'\037'
rows() {
  grep -v -e '^#' -e '^[[:space:]]*$' "$table" | tr '\t' "$sep"
}

if [ $list = 1 ]; then
  rows | awk -F"$sep" '{ printf "%-26s %-48s %s\n", $1, $2, $5 }'
  exit 0
fi

# Plants fault text $3 -> $4 in file $2 of tree $1. Exit 0 when planted, 3 when
# the text is not found exactly once (it then prints how often it was found).
plant() {
  python3 - "$@" <<'EOF'
import re, sys
tree, path, find, replace = sys.argv[1:5]
unescape = lambda t: re.sub(r'\\(.)', lambda m: {'n': '\n', 't': '\t'}.get(m.group(1), m.group(1)), t)
find, replace = unescape(find), unescape(replace)
try:
    with open(f"{tree}/{path}", encoding="utf-8", newline="") as f:
        text = f.read()
except OSError:
    print("no such file")
    sys.exit(3)
n = text.count(find)
if n != 1:
    print(f"text found {n} times")
    sys.exit(3)
with open(f"{tree}/{path}", "w", encoding="utf-8", newline="") as f:
    f.write(text.replace(find, replace))
EOF
}

# The selected rows, in table order; unknown ids are an error.
selected=$(rows)
if [ ${#ids[@]} -gt 0 ]; then
  for id in "${ids[@]}"; do
    rows | awk -F"$sep" -v id="$id" '$1 == id { found = 1 } END { exit !found }' ||
      { echo "plant-faults: no fault $id in $table" >&2; exit 2; }
  done
  selected=$(rows | awk -F"$sep" -v list=" ${ids[*]} " 'index(list, " " $1 " ")')
fi

tree=$work/tree
build=$work/build
logs=$work/logs
head=$(git -C "$repo" rev-parse HEAD) || exit 2
mkdir -p "$work" "$logs" || exit 2

# The private copy, at HEAD and clean. Only the files that differ are rewritten,
# so the build after it stays incremental.
if [ ! -d "$tree/.git" ]; then
  rm -rf "$tree"
  git clone -q --shared --no-checkout "$repo" "$tree" || exit 2
fi
reset_tree() {
  git -C "$tree" checkout -q -f --detach "$head" && git -C "$tree" reset -q --hard "$head"
}
reset_tree || { echo "plant-faults: cannot check out $head in $tree" >&2; exit 2; }
trap 'reset_tree; exit 130' INT TERM HUP
trap 'reset_tree' EXIT

if [ $check = 1 ]; then
  status=0
  while IFS="$sep" read -r id file find replace what; do
    if reason=$(plant "$tree" "$file" "$find" "$replace"); then
      echo "$id: applies"
    else
      echo "$id: NOT APPLIED ($reason)"
      status=1
    fi
    reset_tree
  done <<<"$selected"
  exit $status
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIC_BUILD_BENCH=OFF \
    "${launcher[@]}" >"$logs/configure.log" 2>&1 ||
    { echo "plant-faults: configure failed, see $logs/configure.log" >&2; exit 2; }
fi

# Builds, runs the tests and leaves the failed tests' names in $logs/$1.failed.
# Exit 0 when built (whatever the tests said), 1 when the build failed.
build_and_test() {
  cmake --build "$build" -j"$jobs" >"$logs/$1.build.log" 2>&1 || return 1
  ctest --test-dir "$build" -j"$jobs" --timeout "$timeout" >"$logs/$1.test.log" 2>&1
  sed -n '/^The following tests FAILED:/,$p' "$logs/$1.test.log" |
    sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\([^)]*\))$/\1/p' | sed 's/ *# GetParam().*//' | sort -u >"$logs/$1.failed"
  return 0
}

say() {
  echo "$@"
  if [ -n "$out" ]; then echo "$@" >>"$out"; fi
}

if [ -n "$out" ]; then
  : >"$out" || exit 2
fi
say "plant-faults at $(git -C "$repo" log -1 --format='%h %cs' "$head"), $(date '+%Y-%m-%d %H:%M')"
start=$(date +%s)

# Tests that fail without any fault say nothing about a fault: they are left out.
: >"$logs/baseline.failed"
if [ $baseline = 1 ]; then
  if ! build_and_test baseline; then
    say "the unchanged tree does not build, see $logs/baseline.build.log"
    exit 1
  fi
  if [ -s "$logs/baseline.failed" ]; then
    say "failing without a fault, not counted: $(paste -sd' ' "$logs/baseline.failed")"
  fi
  say "baseline: built and tested in $(($(date +%s) - start)) s"
fi

total=0
caught=0
while IFS="$sep" read -r id file find replace what; do
  total=$((total + 1))
  t0=$(date +%s)
  if ! reason=$(plant "$tree" "$file" "$find" "$replace"); then
    line="NOT APPLIED ($reason)"
  elif ! build_and_test "$id"; then
    line="DOES NOT BUILD (see $logs/$id.build.log)"
  else
    catchers=$(comm -23 "$logs/$id.failed" "$logs/baseline.failed" | paste -sd' ')
    if [ -n "$catchers" ]; then
      caught=$((caught + 1))
      line="caught by $catchers"
    else
      line="NOT CAUGHT"
    fi
  fi
  reset_tree
  say "$id ($file, $(($(date +%s) - t0)) s): $line"
done <<<"$selected"

# The tree back as it was, built, so that the next run starts from it.
cmake --build "$build" -j"$jobs" >"$logs/restore.build.log" 2>&1
say "caught $caught of $total ($(awk -v c=$caught -v t=$total 'BEGIN { printf "%.0f", t ? 100 * c / t : 0 }') %)"
say "one pass: $(($(date +%s) - start)) s"
