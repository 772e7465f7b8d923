#!/bin/sh
# A private PC/SC stack for the tests and the benchmark: pcscd with the virtual
# reader driver (vpcd) and cards of ours (tavric-vcard), in a network namespace
# of its own with only loopback (vpcd listens on every interface of its
# namespace) and a mount namespace whose /run/pcscd is a folder of ours (pcscd's
# socket and pid file have fixed paths). Clients stay in the normal namespace
# and reach the daemon through PCSCLITE_CSOCK_NAME=DIR/run/pcscd.comm.
# Everything is stopped by process id.
#
#   pcsc-stack.sh install              Debian packages the stack needs (root)
#   pcsc-stack.sh available            exit 0 when the stack can run here
#   pcsc-stack.sh start DIR            namespace and pcscd; prints the socket
#   pcsc-stack.sh card DIR PORT ARGS   a card on the reader at PORT (35963,
#                                      35964): tavric-vcard ARGS, in the namespace;
#                                      each reader's card with its own ARGS
#                                      (--rules FILE: faults of its own)
#   pcsc-stack.sh restart-daemon DIR CHANNEL...
#                                      pcscd stopped and started again on a
#                                      reader configuration of one vpcd device
#                                      per channel, in that order, its two
#                                      slots on ports CHANNEL and CHANNEL+1:
#                                      "Virtual PCD" on 35963, "Virtual PCD
#                                      CHANNEL" on another (no channel: no
#                                      reader). The cards stay and call again.
#   pcsc-stack.sh stop-daemon DIR      pcscd only (the cards stay)
#   pcsc-stack.sh stop DIR             cards, pcscd and the namespace
#   pcsc-stack.sh smoke                start, one card, list readers, stop
set -eu

DRIVER=/usr/lib/pcsc/drivers/serial/libifdvpcd.so
HERE=$(cd "$(dirname "$0")" && pwd)
VCARD=${TAVRIC_VCARD:-$HERE/../build/bin/tavric-vcard}

die() { echo "pcsc-stack.sh: $*" >&2; exit 1; }

available() {
  command -v pcscd >/dev/null 2>&1 || { echo "pcscd is not installed (Debian package pcscd)"; return 1; }
  [ -e "$DRIVER" ] || { echo "the vpcd driver is not installed (Debian package vsmartcard-vpcd)"; return 1; }
  command -v unshare >/dev/null 2>&1 || { echo "unshare is missing (util-linux)"; return 1; }
  command -v nsenter >/dev/null 2>&1 || { echo "nsenter is missing (util-linux)"; return 1; }
  [ "$(id -u)" = 0 ] || { echo "a private network namespace needs root"; return 1; }
  return 0
}

# A process that has ended but is not reaped yet (its parent, the shell that
# started it, is gone) counts as gone.
running() {
  [ -e "/proc/$1" ] && ! grep -q '^[^)]*) Z' "/proc/$1/stat" 2>/dev/null
}

kill_pid_file() {
  [ -f "$1" ] || return 0
  for pid in $(cat "$1"); do
    kill "$pid" 2>/dev/null || true
  done
  # Give them a second to go, then insist.
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    alive=0
    for pid in $(cat "$1"); do running "$pid" && alive=1; done
    [ $alive = 0 ] && break
    sleep 0.1
  done
  for pid in $(cat "$1"); do kill -9 "$pid" 2>/dev/null || true; done
  rm -f "$1"
}

wait_socket() {
  for _ in $(seq 1 100); do
    [ -S "$1/run/pcscd.comm" ] && [ -s "$1/pcscd.pid" ] && return 0
    sleep 0.05
  done
  return 1
}

start() {
  dir=$1
  why=$(available) || die "$why"
  mkdir -p "$dir/run" "$dir/conf"
  dir=$(cd "$dir" && pwd)
  # Two readers: "Virtual PCD 00 00" on port 35963, "Virtual PCD 00 01" on 35964.
  configure "$dir" 35963
  # The holder keeps the namespaces alive while pcscd is stopped and started.
  unshare --net --mount --propagation private sh -c '
    ip link set lo up 2>/dev/null || ifconfig lo up 2>/dev/null || true
    mkdir -p /run/pcscd && mount --bind "$1/run" /run/pcscd || exit 1
    pcscd -f -c "$1/conf" >"$1/pcscd.log" 2>&1 &
    echo $! >"$1/pcscd.pid"
    exec sleep 2147483647' holder "$dir" </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/holder.pid"
  wait_socket "$dir" || { stop "$dir"; die "pcscd did not start (see $dir/pcscd.log)"; }
  echo "PCSCLITE_CSOCK_NAME=$dir/run/pcscd.comm"
}

# The reader configuration: one vpcd device per channel, "Virtual PCD" on
# channel 35963 and "Virtual PCD CHANNEL" on any other. The driver keeps one
# device per loaded library, so each other channel gets a copy of it (pcscd
# loads a library once per path).
configure() {
  dir=$1
  shift
  rm -f "$dir/conf/vpcd"*
  for channel in "$@"; do
    name="Virtual PCD"
    driver=$DRIVER
    if [ "$channel" != 35963 ]; then
      name="Virtual PCD $channel"
      mkdir -p "$dir/drivers"
      driver=$dir/drivers/libifdvpcd-$channel.so
      [ -e "$driver" ] || cp "$DRIVER" "$driver"
    fi
    hex=$(printf '0x%X' "$channel")
    printf 'FRIENDLYNAME "%s"\nDEVICENAME /dev/null:%s\nLIBPATH %s\nCHANNELID %s\n' "$name" "$hex" "$driver" "$hex" \
      >"$dir/conf/vpcd-$channel"
  done
}

# Readers of serial drivers are only read at the daemon's start (pcscd
# --hotplug rescans USB readers only), so a reader is added or taken away by
# starting the daemon again.
restart_daemon() {
  dir=$1
  shift
  kill_pid_file "$dir/pcscd.pid"
  configure "$dir" "$@"
  rm -f "$dir/run/pcscd.comm"
  holder=$(cat "$dir/holder.pid")
  # Entering a mount namespace moves to its root, which is the machine's own
  # even when this runs in a chroot: --root keeps the holder's (the chroot's).
  nsenter --mount=/proc/"$holder"/ns/mnt --net=/proc/"$holder"/ns/net --root=/proc/"$holder"/root \
    pcscd -f -c "$dir/conf" </dev/null >>"$dir/pcscd.log" 2>&1 &
  echo $! >"$dir/pcscd.pid"
  wait_socket "$dir" || die "pcscd did not start again (see $dir/pcscd.log)"
}

card() {
  dir=$1 port=$2
  shift 2
  [ -x "$VCARD" ] || die "no card program at $VCARD (build tavric-vcard, or set TAVRIC_VCARD)"
  holder=$(cat "$dir/holder.pid")
  nsenter --net=/proc/"$holder"/ns/net "$VCARD" --port "$port" "$@" </dev/null >>"$dir/cards.log" 2>&1 &
  echo $! >>"$dir/cards.pid"
  echo $!
}

stop_daemon() {
  kill_pid_file "$1/pcscd.pid"
}

stop() {
  kill_pid_file "$1/cards.pid"
  kill_pid_file "$1/pcscd.pid"
  kill_pid_file "$1/holder.pid"
}

smoke() {
  dir=$(mktemp -d /tmp/tavric-pcsc.XXXXXX)
  trap 'stop "$dir"; rm -rf "$dir"' EXIT
  start "$dir" >/dev/null
  pid=$(card "$dir" 35963)
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || die "the card program ended (see $dir/cards.log)"
  echo "pcsc-stack.sh: pcscd with vpcd and a virtual card started and stopped in $dir"
}

case "${1:-}" in
  install)
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -q --no-install-recommends pcscd vsmartcard-vpcd util-linux iproute2 >/dev/null
    ;;
  available) available ;;
  start) [ $# = 2 ] || die "usage: start DIR"; start "$2" ;;
  card) [ $# -ge 3 ] || die "usage: card DIR PORT [tavric-vcard options]"; shift; card "$@" ;;
  restart-daemon) [ $# -ge 2 ] || die "usage: restart-daemon DIR CHANNEL..."; shift; restart_daemon "$@" ;;
  stop-daemon) [ $# = 2 ] || die "usage: stop-daemon DIR"; stop_daemon "$2" ;;
  stop) [ $# = 2 ] || die "usage: stop DIR"; stop "$2" ;;
  smoke) smoke ;;
  *) die "usage: install | available | start DIR | card DIR PORT ARGS | restart-daemon DIR CHANNEL... | stop-daemon DIR | stop DIR | smoke" ;;
esac
