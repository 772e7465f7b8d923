#!/bin/sh
# Checks the plug-in ABI of libtavric.so against the baseline stored for the
# current TAVRIC_ABI_VERSION (abi/libtavric-<version>.abi), with abidw and
# abidiff (Debian package abigail-tools). Only what the SDK's public headers
# (src/contract/include/tavric) define counts.
#
#   tools/abi-check.sh [BUILD_DIR]            check (default build dir: build)
#   tools/abi-check.sh --update [BUILD_DIR]   store the baseline of the current version
#
# Fails when abidiff finds an incompatible change (anything of the public
# types or functions removed or changed) and the version was not raised, and
# when the version was raised but no baseline is stored for it. Additions
# (a new function) pass with a note.
set -eu
cd "$(dirname "$0")/.."

update=0
if [ "${1:-}" = "--update" ]; then
  update=1
  shift
fi
build=${1:-build}
lib=$build/bin/libtavric.so
headers=src/contract/include/tavric
version=$(sed -n 's/^#define TAVRIC_ABI_VERSION \([0-9][0-9]*\)$/\1/p' "$headers/plugin.h")
baseline=abi/libtavric-$version.abi

for tool in abidw abidiff; do
  command -v "$tool" >/dev/null || { echo "abi-check: $tool not found (install abigail-tools: tools/setup.sh)" >&2; exit 2; }
done
[ -n "$version" ] || { echo "abi-check: no TAVRIC_ABI_VERSION in $headers/plugin.h" >&2; exit 2; }
[ -f "$lib" ] || { echo "abi-check: $lib not found: build first (cmake --build --preset default)" >&2; exit 2; }

current=$(mktemp)
report=$(mktemp)
symbols=$(mktemp)
trap 'rm -f "$current" "$report" "$symbols"' EXIT
# libtavric.so also exports the core's own classes, for the programs and the
# tests; the plug-in ABI is only what the public headers define: the classes
# and structures defined there (their members, virtual tables and type
# information) and the TVR_API free functions.
types=$(grep -hoE '^(class|struct)( TVR_API)? [A-Za-z_][A-Za-z0-9_]*( final)?( : [^;{]*)? [{]' "$headers"/*.h |
  sed -E 's/^(class|struct)( TVR_API)? ([A-Za-z_][A-Za-z0-9_]*).*/\3/' | sort -u | paste -sd'|')
funcs=$(grep -hoE '^TVR_API [^;(]*[ *&][A-Za-z_][A-Za-z0-9_]*[(]' "$headers"/*.h |
  sed -E 's/.*[ *&]([A-Za-z_][A-Za-z0-9_]*)[(]$/\1/' | sort -u | paste -sd'|')
{
  echo "[abi_whitelist]"
  nm -D --defined-only "$lib" | awk '{print $3}' | while read -r mangled; do
    printf '%s\t%s\n' "$mangled" "$(echo "$mangled" | c++filt)"
  done | awk -F'\t' -v t="$types" -v f="$funcs" '
    $2 ~ ("^((typeinfo|typeinfo name|vtable|VTT) for )?(" t ")(::|$|<)") || $2 ~ ("^(" f ")[(]") { print "  " $1 }'
} >"$symbols"
# Paths and locations left out: the baseline does not depend on the checkout.
abidw --kmi-whitelist "$symbols" --headers-dir "$headers" --drop-private-types --no-corpus-path \
  --no-comp-dir-path --no-show-locs --out-file "$current" "$lib"

if [ "$update" = 1 ]; then
  mkdir -p abi
  cp "$current" "$baseline"
  chmod 644 "$baseline"
  echo "abi-check: stored $baseline (ABI version $version); commit it"
  exit 0
fi

if [ ! -f "$baseline" ]; then
  echo "abi-check: FAILED: TAVRIC_ABI_VERSION is $version but there is no baseline $baseline." >&2
  echo "abi-check: store one with 'tools/abi-check.sh --update' and commit it." >&2
  exit 1
fi

status=0
abidiff --no-show-locs "$baseline" "$current" >"$report" 2>&1 || status=$?
# abidiff's status is a bit set: 1 error, 2 usage error, 4 change, 8 incompatible
# change (a removed function). A changed function, variable or type (a class's
# size, a data member, a virtual table) sets 4 only, as added functions do:
# anything removed or changed in the summaries counts as incompatible here,
# only additions do not.
if [ $((status & 3)) -ne 0 ]; then
  cat "$report" >&2
  echo "abi-check: abidiff could not compare (status $status)" >&2
  exit 2
fi
incompatible=0
[ $((status & 8)) -ne 0 ] && incompatible=1
if grep -E 'changes summary:' "$report" | grep -Eq '(^|[^0-9])[1-9][0-9]* (Removed|Changed)'; then
  incompatible=1
fi
if [ "$incompatible" = 1 ]; then
  cat "$report" >&2
  echo "abi-check: FAILED: incompatible change of the plug-in ABI against $baseline." >&2
  echo "abi-check: undo it, or raise TAVRIC_ABI_VERSION in $headers/plugin.h (plug-ins must be rebuilt)" >&2
  echo "abi-check: and store the new version's baseline with 'tools/abi-check.sh --update'." >&2
  exit 1
fi
if [ $((status & 4)) -ne 0 ]; then
  cat "$report"
  echo "abi-check: compatible additions against $baseline (ABI version $version); 'tools/abi-check.sh --update' records them"
  exit 0
fi
echo "abi-check: libtavric.so matches $baseline (ABI version $version)"
