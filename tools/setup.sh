#!/bin/sh
# Installs what building and testing Tavric needs on Debian 12 (run as root, or
# with sudo available). Safe to run again.
set -e
# libssl-dev: the cyphering plug-in's triple DES (libcrypto). pcsc-tools: its
# card list is the corpus of real answers to reset of the decoder's tests.
# qt6-serialport-dev: the serial board's line.
# libx11-dev: the keyboard lock state of the desktop program's status bar.
# abigail-tools: abidw and abidiff, which check the plug-in ABI (tools/abi-check.sh).
# scdoc: the manual pages (docs/man).
# dpkg-dev: dpkg-shlibdeps, which reads the packages' library dependencies
# (cpack --preset package). debootstrap: the fresh Debian root of
# tools/package-check.sh. appstream: appstreamcli checks the metainfo file.
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  ca-certificates g++ cmake ninja-build pkg-config qt6-base-dev libqt6svg6 libgtest-dev libcli11-dev clang-format \
  libssl-dev pcsc-tools libpcsclite-dev qt6-serialport-dev libx11-dev abigail-tools scdoc \
  dpkg-dev debootstrap appstream >/dev/null
# The screenshot test of the desktop panes runs on a virtual X display; it is
# skipped where these are missing.
$SUDO apt-get install -y -q --no-install-recommends xvfb xauth >/dev/null
# tshark reads back the pcapng captures of tavric-run --pcap in the tests
# (skipped, with the reason, where it is missing); the debconf answer keeps
# its install from asking about capture rights.
echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections
$SUDO apt-get install -y -q --no-install-recommends tshark >/dev/null
# The PC/SC board's tests run a real pcscd with the vpcd virtual reader driver in
# a private network namespace (tools/pcsc-stack.sh); they are skipped, with the
# reason, where the stack cannot run (no root, no namespaces).
$SUDO sh "$(dirname "$0")/pcsc-stack.sh" install
# The JUnit reports of tavric-run --junit are checked by two readers in the
# tests (skipped, with the reason, where missing): xmllint (libxml2-utils)
# against a schema, and the npm package junit2json run by node; nodejs alone
# (Debian's npm would bring hundreds of packages), the package and its three
# dependencies fetched from the npm registry by tools/junit-reader.sh.
$SUDO apt-get install -y -q --no-install-recommends libxml2-utils nodejs curl >/dev/null
# A machine that cannot reach the npm registry (or trust its certificate)
# still builds and tests: the tests that read reports back skip, saying why.
$SUDO sh "$(dirname "$0")/junit-reader.sh" ||
  echo "tools/setup.sh: junit2json could not be fetched from the npm registry; the tests that read JUnit reports back will skip"
echo "tools/setup.sh: build dependencies installed"
