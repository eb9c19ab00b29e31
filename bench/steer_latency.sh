#!/bin/bash
# The steering latency table: from a key press to the first frame that shows
# the turn, for the desktop client straight to the server and for the browser
# page through the list service's relay, with 0, 50 and 100 ms of round trip
# added on the player's side (bench/steer_latency.cpp's delaying proxy). The
# game server registers with the list service as a public one would.
# Usage: bench/steer_latency.sh BUILD-DIR WEB-BUILD-DIR NODE-MODULES [SAMPLES]
# (NODE-MODULES: playwright-core's, as tools/test-web installs it)
set -u
build=$(realpath "$1") page=$(realpath "$2") modules=$3 samples=${4:-30}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
export KRINGELBAHN_BROADCAST_ADDRESS=127.255.255.255
# No router to ask here: the server's port-forwarding request goes to loopback, where none answers.
export KRINGELBAHN_UPNP_DESCRIPTION=http://127.0.0.1:9/rootDesc.xml KRINGELBAHN_NATPMP_GATEWAY=127.0.0.1
wait_for() {  # text file seconds
  for _ in $(seq $(($3 * 10))); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
  echo "no \"$1\" in $2 after $3 s"
  cat "$2"
  exit 1
}

"$build/listd/kringelbahn-listd" --port 0 --db "$work/list.db" --web-root "$page" >"$work/listd.out" 2>&1 &
pids+=($!)
wait_for 'listening on' "$work/listd.out" 30
list_port=$(sed -n 's/.*listening on .* port \([0-9]*\), database.*/\1/p' "$work/listd.out")
server_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$build/server/kringelbahn-server" --headless --name Latenz --port "$server_port" --list-host "127.0.0.1:$list_port" \
  --register >"$work/server.out" 2>&1 &
pids+=($!)
wait_for 'erfolgreich eingetragen' "$work/server.out" 30

for rtt in 0 50 100; do
  "$build/bench/bench_steer_latency" desktop "$server_port" "$rtt" "$samples"
  "$build/bench/bench_steer_latency" relay "$list_port" "$server_port" "$rtt" >"$work/relay.out" &
  relay=$!
  wait_for 'proxy port' "$work/relay.out" 10
  proxy_port=$(sed -n 's/proxy port //p' "$work/relay.out")
  NODE_PATH=$modules node "$here/steer_latency.mjs" "http://127.0.0.1:$proxy_port/kringelbahn.html" "$rtt" "$samples"
  kill $relay
  wait $relay 2>/dev/null
done
