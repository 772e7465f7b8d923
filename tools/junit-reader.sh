#!/bin/sh
# Installs the second, independent reader of the JUnit reports that the tests
# read back: the npm package junit2json and what it needs at run time (xml2js,
# sax, xmlbuilder), pinned, each tarball fetched from the npm registry and
# checked against the registry's sha512 before it is unpacked. No npm is
# needed, only node (Debian's nodejs): Debian's npm would pull hundreds of
# packages into CI for four small ones.
#
#   sh tools/junit-reader.sh [DIR]    (default /usr/local/lib/tavric-tests)
#
# The modules land in DIR/node_modules, where the tests look for them
# (TAVRIC_JUNIT_READER names another DIR). Safe to run again.
set -eu
dir=${1:-/usr/local/lib/tavric-tests}
modules="$dir/node_modules"
[ -f "$modules/junit2json/package.json" ] && [ -f "$modules/.complete" ] && exit 0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$modules"
while read -r name version integrity; do
  url="https://registry.npmjs.org/$name/-/$name-$version.tgz"
  curl -fsSL --retry 3 -o "$tmp/$name.tgz" "$url"
  got="sha512-$(openssl dgst -sha512 -binary "$tmp/$name.tgz" | base64 -w0)"
  if [ "$got" != "$integrity" ]; then
    echo "tools/junit-reader.sh: $url does not match its registry checksum" >&2
    exit 1
  fi
  rm -rf "${modules:?}/$name"
  mkdir -p "$modules/$name"
  tar -xzf "$tmp/$name.tgz" -C "$modules/$name" --strip-components=1
done <<'LIST'
junit2json 4.0.0 sha512-dmdVW/Dqlismp0BeZfK4Gxw3QZ1pFmHL+a7iA0kUCI5DALryqlzzI6kVnzp2njib9yXuKvdR3rrg+6LkER3blA==
xml2js 0.6.2 sha512-T4rieHaC1EXcES0Kxxj4JWgaUQHDk+qwHcYOCFHfiwKz7tOVPLq7Hjq9dM1WCMhylqMEfP7hMcOIChvotiZegA==
sax 1.4.1 sha512-+aWOz7yVScEGoKNd4PA10LZ8sk0A/z5+nXQG5giUO5rprX9jgYsTdov9qCchZiPIZezbZH+jRut8nPodFAX4Jg==
xmlbuilder 11.0.1 sha512-fDlsI/kFEx7gLvbecc0/ohLG50fugQp8ryHzMTuW9vSa1GJ0XYWKnhsUx7oie3G98+r56aTQIUB4kht42R3JvA==
LIST
touch "$modules/.complete"
echo "tools/junit-reader.sh: junit2json installed in $modules"
