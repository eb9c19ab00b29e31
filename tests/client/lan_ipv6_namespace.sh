#!/bin/sh
# Runs the LAN search over IPv6 link multicast in a user and network namespace
# of its own, with a veth pair for a link: nothing sent can leave it.
# Usage: lan_ipv6_namespace.sh TEST_PROGRAM SERVER_PROGRAM
. "$(dirname "$0")/../support/netns.sh"
exec unshare -rn sh -c '
  set -e
  ip link set lo up
  ip link add kb0 type veth peer name kb1
  ip link set kb0 up
  ip link set kb1 up
  ip -6 addr add fe80::1/64 dev kb0 nodad
  KRINGELBAHN_MULTICAST_INTERFACE=kb0 exec "$1" "$2" --gtest_also_run_disabled_tests \
    --gtest_filter="LanSearchProcess.DISABLED_*"
' sh "$1" "$2"
