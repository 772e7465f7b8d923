#!/bin/sh
# Runs every libFuzzer target of build-fuzz/fuzz/ for a bounded time, starting
# from its checked-in seeds (fuzz/corpus/<target>/, never written to). Fails
# on the first finding; the crashing input is left in build-fuzz/findings/.
#   tools/run-fuzzers.sh [SECONDS_PER_TARGET] [TARGET...]
# FUZZ_JOBS=N runs N targets at a time (the targets dealt out in turn).
set -e
cd "$(dirname "$0")/.."
seconds=${1:-15}
[ $# -gt 0 ] && shift
bindir=build-fuzz/fuzz
[ -d "$bindir" ] || { echo "run-fuzzers: build them first: cmake --preset fuzz && cmake --build --preset fuzz" >&2; exit 1; }
targets="$*"
[ -n "$targets" ] || targets=$(cd "$bindir" && ls fuzz_* )
mkdir -p build-fuzz/findings
status=0
jobs=${FUZZ_JOBS:-1}
if [ "$jobs" -gt 1 ]; then
  pids=
  i=0
  while [ "$i" -lt "$jobs" ]; do
    part=$(echo $targets | tr ' ' '\n' | awk -v n="$jobs" -v i="$i" 'NF && (NR - 1) % n == i')
    if [ -n "$part" ]; then
      FUZZ_JOBS=1 sh tools/run-fuzzers.sh "$seconds" $part &
      pids="$pids $!"
    fi
    i=$((i + 1))
  done
  for pid in $pids; do wait "$pid" || status=1; done
  exit $status
fi
for target in $targets; do
  name=${target#fuzz_}
  seeds=fuzz/corpus/$name
  work=build-fuzz/corpus/$name
  mkdir -p "$work"
  [ -d "$seeds" ] || seeds=
  echo "== $target: ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$bindir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      -artifact_prefix=build-fuzz/findings/"$name"- "$work" $seeds >build-fuzz/$name.log 2>&1; then
    tail -40 build-fuzz/$name.log
    echo "run-fuzzers: $target found a fault; input kept in build-fuzz/findings/" >&2
    status=1
  else
    grep -E '^#[0-9]+.*(DONE|pulse)' build-fuzz/$name.log | tail -1 || true
  fi
done
exit $status
