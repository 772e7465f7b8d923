#!/bin/sh
# Runs one scenario case of the PC/SC board (pcsc_stack_*.cmd) as check.sh
# does, against a real pcscd with the vpcd driver (tools/pcsc-stack.sh) and,
# when the case says so, our virtual card on its first reader:
#   * card: OPTIONS       tavric-vcard's options for the card ("* card:" alone: a plain card)
#   * rules: RULE         a line of the card's rule file (tavric-vcard --rules), one a line
# Exits 77 (skipped) with the reason where the stack cannot run.
#
#   pcsc_check.sh RUN_DIR PLUGINS CASE.cmd [--update]
set -e
[ $# -ge 3 ] || { echo "usage: $0 RUN_DIR PLUGINS CASE.cmd [--update]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
stack="$here/../../tools/pcsc-stack.sh"
export TAVRIC_VCARD="$1/tavric-vcard"
why=$(sh "$stack" available) || { echo "skipped: no PC/SC stack: $why"; exit 77; }

dir=$(mktemp -d /tmp/tavric-pcsc-XXXXXX)
trap 'sh "$stack" stop "$dir" >/dev/null 2>&1; rm -rf "$dir"' EXIT
socket=$(sh "$stack" start "$dir")
export "${socket?}"

lines=$(tr -d '\r' <"$3")
if echo "$lines" | grep -q '^\* card:'; then
  command -v pcsc_scan >/dev/null || { echo "skipped: pcsc_scan is not installed (pcsc-tools)"; exit 77; }
  options=$(echo "$lines" | sed -n 's/^\* card:\(.*\)$/\1/p' | head -n 1)
  echo "$lines" | sed -n 's/^\* rules: \(.*\)$/\1/p' >"$dir/rules.txt"
  [ -s "$dir/rules.txt" ] && options="$options --rules $dir/rules.txt"
  # shellcheck disable=SC2086 # the options are words
  sh "$stack" card "$dir" 35963 $options >/dev/null
  # Until the daemon reports the card (vpcd looks for one about every 0.5 s).
  tries=0
  until pcsc_scan -c -n 2>&1 | awk '/: Virtual PCD 00 00$/ { r = 1 } r && /Card state:/ { ok = /Card inserted/; exit }
                                     END { exit !ok }'; do
    tries=$((tries + 1))
    [ $tries -lt 300 ] || { echo "the card did not come (see $dir/cards.log)" >&2; exit 1; }
    sleep 0.1
  done
fi
sh "$here/check.sh" "$@"
