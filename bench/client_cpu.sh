#!/bin/sh
# Load driver: the real client's CPU use and the heads' pace in a virtual
# display. Runs the client twice from a start-up script:
#   1. menu for 7 s, then a local game (two players, two bots); the CPU time
#      of the process (/proc/PID/stat) over 5 s in each;
#   2. two players, the game unpaused for exactly 2000 ms between two paused
#      screenshots; the head's movement steps counted from its trail.
# Usage: bench/client_cpu.sh build/client/kringelbahn [runs]
# CPU is shared: compare builds back to back and note the load it prints.
set -u
client=$(realpath "$1") runs="${2:-1}"
here=$(dirname "$(realpath "$0")")
tmp=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
# Xvfb picks a free display number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
n=0
while [ ! -s "$tmp/display" ] && [ $n -lt 100 ]; do sleep 0.1; n=$((n + 1)); done
[ -s "$tmp/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$tmp/display")" KRINGELBAHN_BROADCAST_ADDRESS=127.255.255.255

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
cpu() {  # pid seconds -> percent of one core
  c0=$(ticks "$1") t0=$(date +%s%N); sleep "$2"; c1=$(ticks "$1") t1=$(date +%s%N)
  echo "scale=1; ($c1 - $c0) * 100 * 10^9 / $(getconf CLK_TCK) / ($t1 - $t0)" | bc
}
# Runs the client with a start-up script in a scratch home; sets $pid.
start() {
  mkdir -p "$tmp/home" "$tmp/work" && printf "$1" >"$tmp/work/autoexec.kbs"
  (cd "$tmp/work" && HOME="$tmp/home" exec "$client" >/dev/null 2>&1) &
  pid=$!
}
stop() { kill -TERM "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }

setup='upgrades off\r\nverwirrung off\r\nplay 0 1\r\nplay 1 1\r\n'
i=0
while [ $i -lt "$runs" ]; do
  i=$((i + 1))
  start "delay 7000\r\n${setup}bots 2\r\ninitgame\r\nmode start\r\ndelay 20000\r\n"
  sleep 1.5; menuCpu=$(cpu $pid 5)
  sleep 2.5; gameCpu=$(cpu $pid 5)
  stop
  echo "run $i: CPU menu ${menuCpu}%, game ${gameCpu}% of one core; load $(cut -d' ' -f1 /proc/loadavg)"

  start "${setup}bots 0\r\ninitgame\r\nmode start\r\ndelay 1300\r\npause on\r\ndelay 2500\r\npause off\r\ndelay 2000\r\npause on\r\ndelay 5000\r\n"
  sleep 2.8; import -window root -depth 8 "ppm:$tmp/a.ppm"
  sleep 5; import -window root -depth 8 "ppm:$tmp/b.ppm"
  stop
  python3 "$here/client_pace.py" "$tmp/a.ppm" "$tmp/b.ppm" 2000
done
