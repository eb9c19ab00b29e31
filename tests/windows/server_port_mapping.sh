#!/usr/bin/env bash
# The Windows server behind a NAT-PMP router on loopback: --open-port has the
# game port forwarded, the outside port the router gives is told, and Ctrl+C
# removes the forwarding before the server ends.
# Usage: server_port_mapping.sh path/to/kringelbahn-server.exe
set -u
exe=${1:?usage: $0 kringelbahn-server.exe}
. "$(dirname "$0")/../support/script_prelude.sh"
need wine python3

# The router answers the address request and every mapping, giving the next
# port outside, and logs each request.
cat >"$work/router.py" <<'PY'
import socket, struct, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind((sys.argv[1], 5351))
s.settimeout(150)
while True:
    data, peer = s.recvfrom(64)
    if data[:2] == b"\0\0":
        s.sendto(struct.pack("!BBHI4s", 0, 128, 0, 1, socket.inet_aton("203.0.113.9")), peer)
        print("address", flush=True)
    elif len(data) == 12 and data[:2] == b"\0\2":
        _, _, _, inside, outside, lease = struct.unpack("!BBHHHI", data)
        given = (outside % 65535) + 1 if lease else 0
        s.sendto(struct.pack("!BBHIHHI", 0, 130, 0, 1, inside, given, lease), peer)
        print("map", inside, outside, lease, flush=True)
PY
gateway=127.$((RANDOM % 200 + 20)).$((RANDOM % 250 + 1)).1
python3 "$work/router.py" "$gateway" >"$work/router.out" 2>&1 &
pids+=($!)

port=$(free_port)
KRINGELBAHN_NATPMP_GATEWAY=$gateway wine "$exe" --headless --name Heim --port "$port" --bind 127.0.0.1 \
  --open-port >"$work/server.out" 2>&1 &
server=$!
pids+=($server)
# A new wine prefix takes its time on the first start.
wait_for "^map $port $port 3600$" "$work/router.out" 120 || fail "no mapping of port $port asked for"
wait_for "Port $((port % 65535 + 1))\.$" "$work/server.out" 30 || fail "the server does not tell the outside port"
kill -INT "$server"
wait_for "^map $port 0 0$" "$work/router.out" 30 || fail "Ctrl+C did not remove the mapping"
wait "$server" || fail "the server ended with $?"
echo "PASS: port $port forwarded, told and removed at Ctrl+C"
