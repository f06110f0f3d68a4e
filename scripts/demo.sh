#!/usr/bin/env bash
# A demonstration on one PC, as root: a simulated network of devices (50 by
# default) behind a veth pair, and the program started against it.
#   sudo scripts/demo.sh [device count] [build-dir]
# The program runs on the host's display (keep DISPLAY and XAUTHORITY, for
# example with sudo --preserve-env=DISPLAY,XAUTHORITY); closing it removes the
# simulated network again.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-50}
build=${2:-build}
if [ "$(id -u)" -ne 0 ]; then
  echo "demo.sh: needs root (network namespaces and veth pairs)" >&2
  exit 1
fi
bash scripts/setup.sh
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja
ninja -C "$build" Application HostNics devsim

eval "$(bash scripts/testnet.sh up --name demo --host)"
devsim_pid=""
cleanup() {
  [ -n "$devsim_pid" ] && kill "$devsim_pid" 2>/dev/null && wait "$devsim_pid" 2>/dev/null
  bash scripts/testnet.sh down --name demo --host
}
trap cleanup EXIT
ip netns exec "$DEVICE_NETNS" "$build/bin/devsim" --count "$count" &
devsim_pid=$!
echo "demo: $count simulated devices in $DEVICE_NETNS, adapter $HOSTNICS_INCLUDE"
HOSTNICS_INCLUDE=$HOSTNICS_INCLUDE "$build/bin/Application"
