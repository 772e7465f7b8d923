#!/bin/sh
# Installs the Debian packages (tavric, tavric-dev) into a fresh Debian 12 root
# and uses them from the installed files only: tavric-run --list, an example
# script against the simulated reader, the desktop program under Xvfb, and the
# example plug-in built against the installed SDK.
#
#   tools/package-check.sh [FOLDER]   FOLDER holds the .deb files (default: build,
#                                     where `cpack --preset package` writes them)
#
# Needs root (debootstrap, chroot) and the Debian mirror of this machine's apt
# sources; without either it says why and skips (exit status 0). The minimal
# root, apt's package lists and the downloaded packages are kept between runs
# under $TAVRIC_PACKAGE_CACHE (default: .cache/package-check), so that a run
# after the first downloads nothing that has not changed.
set -eu
cd "$(dirname "$0")/.."
debs=${1:-build}
cache=${TAVRIC_PACKAGE_CACHE:-$PWD/.cache/package-check}
started=$(date +%s)

skip() {
  echo "package-check: skipped: $*"
  exit 0
}
fail() {
  echo "package-check: FAILED: $*" >&2
  exit 1
}

[ "$(id -u)" = 0 ] || skip "needs root (debootstrap and chroot)"
command -v debootstrap >/dev/null || skip "debootstrap is not installed (tools/setup.sh installs it)"
# The same Debian mirror as this machine's apt.
mirror=$(grep -hoE '^(URIs:|deb) +[^ ]+' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  awk '{print $2}' | grep -v security | head -n1 || true)
[ -n "$mirror" ] || skip "no Debian mirror in the apt sources"
host=$(echo "$mirror" | sed -E 's|^[a-z]+://([^/:]+).*|\1|')
timeout 10 bash -c "exec 3<>/dev/tcp/$host/80" 2>/dev/null || skip "the Debian mirror $mirror cannot be reached"

deb=$(ls "$debs"/tavric_*_*.deb 2>/dev/null | head -n1)
dev=$(ls "$debs"/tavric-dev_*_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] && [ -n "$dev" ] || fail "no tavric and tavric-dev packages in $debs (cpack --preset package makes them)"

mkdir -p "$cache/archives/partial" "$cache/lists/partial"
if [ ! -f "$cache/base/.complete" ]; then
  echo "package-check: making a minimal Debian 12 root (once, kept in $cache/base)"
  rm -rf "$cache/base"
  debootstrap --variant=minbase bookworm "$cache/base" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    fail "debootstrap failed, see $cache/debootstrap.log"
  touch "$cache/base/.complete"
fi

# The root lives in memory: dpkg's many syncs cost nothing there, and it goes
# at once when the check ends (about 1 GB while it runs).
root=$(mktemp -d "$cache/root.XXXXXX")
cleanup() {
  for m in var/lib/apt/lists var/cache/apt/archives dev/pts dev proc ""; do umount -l "$root/$m" 2>/dev/null || true; done
  rmdir "$root"
}
trap cleanup EXIT
mount -t tmpfs -o size=3G tmpfs "$root"
cp -a "$cache/base/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
mount --bind "$cache/lists" "$root/var/lib/apt/lists"
mkdir -p "$root/tmp/debs"
cp "$deb" "$dev" "$root/tmp/debs/"
echo "package-check: installing $(basename "$deb") and $(basename "$dev") into a fresh Debian 12 root"

# Everything below runs inside the root, with nothing of this machine's
# build on any path.
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 sh -eu <<'EOF'
export DEBIAN_FRONTEND=noninteractive
# The downloaded packages stay in the cache for the next run.
echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' >/etc/apt/apt.conf.d/keep-cache
apt-get update -q >/dev/null
# What the check itself uses: man, Xvfb and xdotool for the desktop program,
# a compiler and CMake for the example plug-in.
apt-get install -y -q --no-install-recommends /tmp/debs/*.deb man-db xvfb xauth xdotool cmake g++ make >/tmp/apt.log 2>&1 ||
  { cat /tmp/apt.log; exit 1; }
fail() { echo "package-check: FAILED: $*" >&2; exit 1; }
has() { printf '%s' "$1" | grep -qE -- "$2" || fail "$3 lacks \"$2\":
$1"; }

echo "package-check: installed: $(dpkg-query -W -f '${Package} ${Version}, ' tavric tavric-dev)depends: $(dpkg-query -W -f '${Depends}' tavric)"
for f in /usr/share/applications/tavric.desktop /usr/share/icons/hicolor/scalable/apps/tavric.svg \
  /usr/share/metainfo/com.norvale.Tavric.metainfo.xml; do
  [ -e "$f" ] || fail "the package has no $f"
done
for page in tavric tavric-run tavric-vcard tavric-ptyreader; do
  man -P cat "$page" 2>/dev/null | grep -q "^NAME" || fail "man $page shows no manual page"
done
echo "package-check: man tavric, tavric-run, tavric-vcard and tavric-ptyreader show their pages"

mkdir -p /tmp/elsewhere && cd /tmp/elsewhere
list=$(tavric-run --list) || fail "tavric-run --list: $list"
has "$list" "CTVRSimDoc" "tavric-run --list"
has "$list" "brdsim\.so +installed +/usr/lib/x86_64-linux-gnu/tavric/plugins: loaded" "tavric-run --list"
echo "package-check: tavric-run --list shows $(printf '%s\n' "$list" | grep -c ': loaded') plug-ins loaded from the installed folder"

run=$(tavric-run --no-colour /usr/share/tavric/examples/hello.cmd) || fail "the example script: $run"
has "$run" "PC -> IFD : GET FIRMWARE VERSION" "the example script's trace"
echo "package-check: examples/hello.cmd ran against the simulated reader ($(printf '%s\n' "$run" | grep -c 'PC -> IFD') frames)"

# The desktop program's main window comes up on a virtual display.
xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
  tavric 2>/tmp/tavric.err & pid=$!
  timeout 60 xdotool search --sync --onlyvisible --name Tavric >/dev/null; found=$?
  kill $pid; wait $pid 2>/dev/null; exit $found' || fail "tavric showed no window: $(cat /tmp/tavric.err)"
echo "package-check: tavric opened its main window under Xvfb"

cp -r /usr/share/tavric/example-plugin /tmp/example
cmake -S /tmp/example -B /tmp/example/build >/tmp/example.log 2>&1 && cmake --build /tmp/example/build >>/tmp/example.log 2>&1 ||
  { cat /tmp/example.log; fail "the example plug-in did not build against the installed SDK"; }
printf '30;\n12 34 56;\n' >/tmp/example/check.cmd
run=$(tavric-run --no-colour --plugins /tmp/example/build --board "example reader" --protocol Example /tmp/example/check.cmd) ||
  fail "a script on the example reader: $run"
has "$run" "60 00 03 12 34 56 13" "the example reader's trace"
echo "package-check: the example plug-in built against the installed SDK and ran"
EOF
echo "package-check: passed in $(($(date +%s) - started)) s"
