#!/bin/sh
# The golden traces of the examples: each examples/NAME.cmd run through
# `tavric-run --no-colour` against the simulated reader, its output with the
# dates and durations masked, compared with tests/golden/NAME.trace.
#
#   tools/golden.sh check RUN_DIR NAME   compare one example (what CTest runs)
#   tools/golden.sh update [RUN_DIR]     rewrite every expected trace (default
#                                        run folder: build/bin); read the diff
#                                        before committing it
#
# An example states the options it needs on a comment line of its own:
#   * tavric-run: --protocol Verta --loop --max-statements 12
set -e
root=$(cd "$(dirname "$0")/.." && pwd)

# Dates (".info") and clock values and durations (".display_duration") change
# from run to run; everything else must not.
mask() {
  sed -E \
    -e 's/^> [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2}.*$/> <date>/' \
    -e 's/^\([0-9]+ - [0-9]+\)\/ ([0-9]+) = [0-9.]+ seconds$/(<clock> - <clock>)\/ \1 = <duration> seconds/'
}

# Runs one example from the run folder; prints the masked trace, then a last
# line with the exit status, so that a run that fails shows in the diff too.
run() {
  options=$(sed -n 's/^\* tavric-run:\(.*\)$/\1/p' "$root/examples/$2.cmd" | head -n 1)
  raw=$(mktemp)
  # A settings file of its own: nothing of the user's settings reaches the run.
  settings=$(mktemp)
  status=0
  # shellcheck disable=SC2086 # the options are words
  (cd "$1" && TAVRIC_SETTINGS="$settings" ./tavric-run --no-colour $options "examples/$2.cmd") >"$raw" 2>/dev/null ||
    status=$?
  mask <"$raw"
  rm -f "$raw" "$settings"
  echo "exit status: $status"
}

case "$1" in
  check)
    [ $# -eq 3 ] || { echo "usage: $0 check RUN_DIR NAME" >&2; exit 2; }
    expected="$root/tests/golden/$3.trace"
    [ -f "$expected" ] || { echo "golden: no expected trace $expected (tools/golden.sh update)" >&2; exit 1; }
    actual=$(mktemp)
    trap 'rm -f "$actual"' EXIT
    run "$2" "$3" >"$actual"
    if ! diff -u "$expected" "$actual"; then
      echo "golden: examples/$3.cmd no longer prints tests/golden/$3.trace" >&2
      exit 1
    fi
    ;;
  update)
    rundir=$(cd "${2:-$root/build/bin}" && pwd)
    mkdir -p "$root/tests/golden"
    for example in "$root"/examples/*.cmd; do
      name=$(basename "$example" .cmd)
      run "$rundir" "$name" >"$root/tests/golden/$name.trace"
      echo "golden: tests/golden/$name.trace"
    done
    ;;
  *)
    echo "usage: $0 check RUN_DIR NAME | update [RUN_DIR]" >&2
    exit 2
    ;;
esac
