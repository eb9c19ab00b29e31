#!/bin/sh
# Runs the tests that need many IPv6 addresses (of one /64 and of others) on
# loopback, in a user and network namespace of their own: nothing they send
# can leave it. Usage: ipv6_namespace.sh TEST_PROGRAM GTEST_FILTER
. "$(dirname "$0")/../support/netns.sh"
exec unshare -rn sh -c '
  set -e
  ip link set lo up
  for net in $(seq 1 110); do
    for host in $(seq 1 25) 100; do echo "addr add 2001:db8:$net::$host/64 dev lo nodad"; done
  done | ip -6 -batch -
  exec "$1" --gtest_also_run_disabled_tests --gtest_filter="$2"
' sh "$1" "$2"
