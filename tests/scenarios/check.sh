#!/bin/sh
# Runs one scenario case against the simulated reader and compares what it
# printed with the case's expected output.
#
#   check.sh RUN_DIR PLUGINS CASE.cmd            compare (what CTest runs)
#   check.sh RUN_DIR PLUGINS CASE.cmd --update   rewrite CASE.out; read the diff
#                                                 before committing it
#
# A case is a script, tests/scenarios/NAME.cmd, or a register file, NAME.par,
# and what its run prints, NAME.out. The case is copied into a fresh folder
# and run from the run folder as `tavric-run --no-colour OPTIONS FOLDER/NAME.cmd`,
# OPTIONS taken from its first line of the form
#   * tavric-run: --protocol CCID --type apdu
# where @PLUGINS@ stands for the test plug-ins' folder (build/tests/plugins),
# @DIR@ for the case's folder and @CASE@ for the case itself, which then is
# not added at the end (`* tavric-run: regs @CASE@`). NAME.out is stdout
# (dates, durations and the times of .expect_time mismatches masked), then "--- stderr" and stderr, the case's
# folder shown as <dir>, then every file the run left in that folder ("---
# file NAME", CR shown as <CR>), then the exit status.
set -e
[ $# -ge 3 ] || { echo "usage: $0 RUN_DIR PLUGINS CASE.cmd [--update]" >&2; exit 2; }
rundir=$1
plugins=$2
case=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
file=$(basename "$case")
name=${file%.*}
expected=${case%.*}.out

# No '.' in the folder's path: the default log is named from the path's first '.'.
dir=$(mktemp -d /tmp/scenarioXXXXXX)
settings=$(mktemp)
actual=$(mktemp)
trap 'rm -rf "$dir" "$settings" "$actual"' EXIT
cp "$case" "$dir/"
options=$(tr -d '\r' <"$case" | sed -n 's/^\* tavric-run:\(.*\)$/\1/p' | head -n 1 |
  sed -e "s|@PLUGINS@|$plugins|g" -e "s|@DIR@|$dir|g")
last=$dir/$file
case $options in
  *@CASE@*) options=$(echo "$options" | sed -e "s|@CASE@|$dir/$file|g") last= ;;
esac

status=0
# shellcheck disable=SC2086 # the options are words
(cd "$rundir" && TAVRIC_SETTINGS="$settings" ./tavric-run --no-colour $options $last) \
  >"$dir/.out" 2>"$dir/.err" || status=$?
{
  sed -E \
    -e 's/^> [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2}.*$/> <date>/' \
    -e 's/^\([0-9]+ - [0-9]+\)\/ ([0-9]+) = [0-9.]+ seconds$/(<clock> - <clock>)\/ \1 = <duration> seconds/' \
    -e 's/(expected <=? [0-9.]+ ms, received )[0-9]+\.[0-9]+ ms$/\1<time> ms/' \
    -e "s|$dir|<dir>|g" "$dir/.out"
  echo "--- stderr"
  sed -e "s|$dir|<dir>|g" "$dir/.err"
  for written in "$dir"/*; do
    [ "$written" = "$dir/$file" ] && continue
    echo "--- file $(basename "$written")"
    sed -e 's/\r$/<CR>/' "$written"
  done
  echo "exit status: $status"
} >"$actual"

if [ "$4" = "--update" ]; then
  cp "$actual" "$expected"
  echo "scenario: $expected"
elif ! diff -u "$expected" "$actual"; then
  echo "scenario: tests/scenarios/$file no longer prints tests/scenarios/$name.out" >&2
  exit 1
fi
