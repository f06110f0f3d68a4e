#!/usr/bin/env bash
# Creates and removes the test network for the device simulator.
#
#   testnet.sh up   [--name N] [--host] [--subnet A.B]...
#   testnet.sh down [--name N] [--host]
#
# For each subnet A.B (default 10.77) a veth pair joins the program's side,
# which holds A.B.0.1/16, to the device namespace "N-dev", which holds
# A.B.0.2/16 and routes A.B.1.0 to A.B.254.255 to itself (AnyIP), so devsim can
# play devices anywhere in that range from one socket. The program's side is
# the namespace "N-pc", or the host with --host. Traffic stays on the veth
# pairs. "up" first removes what an earlier "up" of the same name left, so it
# can be run again; "down" removes everything and is quiet when nothing is there.
#
# "up" prints shell assignments: PC_NETNS (empty with --host), DEVICE_NETNS and
# HOSTNICS_INCLUDE, the adapter names the program should use. Then, e.g.:
#   sudo ip netns exec devsim-dev build/bin/devsim --count 1000 &
#   sudo ip netns exec devsim-pc env HOSTNICS_INCLUDE=dsm0 build/bin/devicectl search
set -euo pipefail

action="${1:-}"
[ $# -gt 0 ] && shift
name="devsim"
host=0
subnets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --name) name="$2"; shift 2 ;;
    --host) host=1; shift ;;
    --subnet) subnets+=("$2"); shift 2 ;;
    *) echo "testnet.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ ${#subnets[@]} -eq 0 ] && subnets=(10.77)
if [ "$(id -u)" -ne 0 ]; then
  echo "testnet.sh: needs root (network namespaces and veth pairs)" >&2
  exit 1
fi
if [ ${#name} -gt 10 ]; then
  echo "testnet.sh: --name must be at most 10 characters (interface names)" >&2
  exit 2
fi

dev_ns="${name}-dev"
pc_ns="${name}-pc"

# Interface names: <name>m<i> on the program's side, <name>d<i> in the device namespace.
pc_if() { echo "${name}m$1"; }
dev_if() { echo "${name}d$1"; }

pc_exec() {
  if [ "$host" -eq 1 ]; then "$@"; else ip netns exec "$pc_ns" "$@"; fi
}

# The local routes covering A.B.1.0 .. A.B.254.255 without A.B.0.x (the
# program's own addresses) or A.B.255.x (the subnet's broadcast).
device_ranges() {
  local p="$1"
  echo "$p.1.0/24 $p.2.0/23 $p.4.0/22 $p.8.0/21 $p.16.0/20 $p.32.0/19 $p.64.0/18"
  echo "$p.128.0/18 $p.192.0/19 $p.224.0/20 $p.240.0/21 $p.248.0/22 $p.252.0/23 $p.254.0/24"
}

down() {
  # The pairs' program ends live in the host with --host; deleting one end
  # deletes the pair. Up to 8 subnets are looked for.
  for i in 0 1 2 3 4 5 6 7; do
    ip link del "$(pc_if "$i")" 2>/dev/null || true
  done
  ip netns del "$dev_ns" 2>/dev/null || true
  ip netns del "$pc_ns" 2>/dev/null || true
}

up() {
  down
  ip netns add "$dev_ns"
  ip -n "$dev_ns" link set lo up
  if [ "$host" -eq 0 ]; then
    ip netns add "$pc_ns"
    ip -n "$pc_ns" link set lo up
  fi
  local include=()
  local i=0
  for p in "${subnets[@]}"; do
    local a b
    a="$(pc_if $i)"
    b="$(dev_if $i)"
    ip link add "$a" type veth peer name "$b"
    ip link set "$b" netns "$dev_ns"
    [ "$host" -eq 0 ] && ip link set "$a" netns "$pc_ns"
    pc_exec ip addr add "$p.0.1/16" dev "$a"
    pc_exec ip link set "$a" up
    ip -n "$dev_ns" addr add "$p.0.2/16" dev "$b"
    ip -n "$dev_ns" link set "$b" up
    for range in $(device_ranges "$p"); do
      ip -n "$dev_ns" route add local "$range" dev lo table local
    done
    include+=("$a")
    i=$((i + 1))
  done
  local joined
  joined="$(IFS=,; echo "${include[*]}")"
  if [ "$host" -eq 1 ]; then echo "PC_NETNS="; else echo "PC_NETNS=$pc_ns"; fi
  echo "DEVICE_NETNS=$dev_ns"
  echo "HOSTNICS_INCLUDE=$joined"
}

case "$action" in
  up) up ;;
  down) down ;;
  *) echo "usage: testnet.sh up|down [--name N] [--host] [--subnet A.B]..." >&2; exit 2 ;;
esac
