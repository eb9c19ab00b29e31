#!/bin/sh
# Runs the port mapper's search for a router in a user and network namespace
# of its own, where the SSDP multicast goes over loopback and nowhere else.
# Usage: port_mapping_namespace.sh TEST_PROGRAM GTEST_FILTER
. "$(dirname "$0")/../support/netns.sh"
exec unshare -rn sh -c '
  set -e
  ip link set lo up
  ip link set lo multicast on
  ip route add 239.0.0.0/8 dev lo
  exec "$1" --gtest_also_run_disabled_tests --gtest_filter="$2"
' sh "$1" "$2"
