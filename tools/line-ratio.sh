#!/bin/sh
# Counts the non-blank, non-comment lines of C++ in the code (src/, plugins/) and
# in the tests (tests/), and prints their ratio: the house keeps tests at about a
# quarter to a third of the code.
# Usage: sh tools/line-ratio.sh [REPO]   (default: the repository holding this script)
set -e
root=${1:-$(dirname "$0")/..}
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 cat |
    awk '
      {
        line = $0; out = ""
        while (length(line) > 0) {
          if (incomment) {
            end = index(line, "*/")
            if (end == 0) { line = ""; break }
            line = substr(line, end + 2); incomment = 0
          } else {
            start = index(line, "/*"); slash = index(line, "//")
            if (slash > 0 && (start == 0 || slash < start)) { out = out substr(line, 1, slash - 1); line = ""; break }
            if (start == 0) { out = out line; line = ""; break }
            out = out substr(line, 1, start - 1); line = substr(line, start + 2); incomment = 1
          }
        }
        if (out ~ /[^ \t\r]/) n++
      }
      END { print n + 0 }'
}
code=$(count "$root/src" "$root/plugins")
tests=$(count "$root/tests")
echo "code lines:  $code"
echo "test lines:  $tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests/code:  %.2f\n", t / c }'
