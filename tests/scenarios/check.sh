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
# not added at the end (`* tavric-run: regs @CASE@`); @NOCASE@ stands for
# nothing, and the case is not added either (`* tavric-run: atr 3B 02 @NOCASE@`).
# NAME.out is stdout (dates, durations, the times of .expect_time mismatches
# and the answers' time column of --timing masked), then "--- stderr" and
# stderr, the case's folder shown as <dir>, then "--- the case changed" if the
# run wrote over the case itself, then every file the run left in that folder
# ("--- file NAME", CR shown as <CR>, a JUnit report's times, date and host
# masked), then the exit status.
#
# A companion file NAME.FILE (for instance NAME.golden.log, a golden log for
# --compare) is copied beside the case as FILE before the run, @FOLDER@ in it
# replaced by the case's folder, and shown among the files the run left only
# if the run changed it. A line
#   * settings: ../data/cli/bench.ini
# names the settings file the run starts from (from the case's folder,
# @FOLDER@ in it replaced), else it starts from an empty one; what the run
# saved there is shown ("--- settings") when it differs from what it read.
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
trap 'rm -rf "$dir" "$settings" "$settings.read" "$actual"' EXIT
cp "$case" "$dir/"
for companion in "${case%.*}".*; do
  case $companion in
    "$case" | "$expected") ;;
    *) sed -e "s|@FOLDER@|$dir|g" "$companion" >"$dir/${companion#"${case%.*}".}" ;;
  esac
done
bench=$(tr -d '\r' <"$case" | sed -n 's/^\* settings: \(.*\)$/\1/p' | head -n 1)
if [ -n "$bench" ]; then
  sed -e "s|@FOLDER@|$dir|g" "$(dirname "$case")/$bench" >"$settings"
  cp "$settings" "$settings.read"
fi
options=$(tr -d '\r' <"$case" | sed -n 's/^\* tavric-run:\(.*\)$/\1/p' | head -n 1 |
  sed -e "s|@PLUGINS@|$plugins|g" -e "s|@DIR@|$dir|g")
last=$dir/$file
case $options in
  *@NOCASE@*) options=$(echo "$options" | sed -e "s|@NOCASE@||g") last= ;;
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
    -e 's/^ {0,3}[0-9]{1,4}\.[0-9]{3} ms / <t.ttt> ms /' \
    -e "s|$dir|<dir>|g" "$dir/.out"
  echo "--- stderr"
  sed -e "s|$dir|<dir>|g" "$dir/.err"
  cmp -s "$case" "$dir/$file" || echo "--- the case changed"
  for written in "$dir"/*; do
    [ "$written" = "$dir/$file" ] && continue
    companion=${case%.*}.$(basename "$written")
    [ -e "$companion" ] && sed -e "s|@FOLDER@|$dir|g" "$companion" | cmp -s - "$written" && continue
    echo "--- file $(basename "$written")"
    sed -E -e 's/\r$/<CR>/' -e "s|$dir|<dir>|g" -e 's/ time="[0-9.]+"/ time="<s>"/g' \
      -e 's/(timestamp|hostname)="[^"]*"/\1="<masked>"/g' -e 's/(name="host" value=)"[^"]*"/\1"<masked>"/' "$written"
  done
  if [ -n "$bench" ] && ! cmp -s "$settings" "$settings.read"; then
    echo "--- settings"
    sed -e 's/\r$/<CR>/' -e "s|$dir|<dir>|g" "$settings"
  fi
  echo "exit status: $status"
} >"$actual"

if [ "$4" = "--update" ]; then
  cp "$actual" "$expected"
  echo "scenario: $expected"
elif ! diff -u "$expected" "$actual"; then
  echo "scenario: tests/scenarios/$file no longer prints tests/scenarios/$name.out" >&2
  exit 1
fi
