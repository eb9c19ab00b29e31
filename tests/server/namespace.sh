#!/bin/sh
# Runs the tests that need a network of their own in a user and network
# namespace, where nothing they send can leave it: many IPv6 addresses (of one
# /64 and of others) on loopback, and the SSDP search's multicast over loopback.
# Usage: namespace.sh TEST_PROGRAM GTEST_FILTER
. "$(dirname "$0")/../support/netns.sh"
exec unshare -rn sh -c '
  set -e
  ip link set lo up
  ip link set lo multicast on
  ip route add 239.0.0.0/8 dev lo
  for net in $(seq 1 110); do
    for host in $(seq 1 25) 100; do echo "addr add 2001:db8:$net::$host/64 dev lo nodad"; done
  done | ip -6 -batch -
  exec "$1" --gtest_also_run_disabled_tests --gtest_filter="$2"
' sh "$1" "$2"
