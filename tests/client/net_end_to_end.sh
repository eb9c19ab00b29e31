#!/bin/sh
# The real client, headless, against the real server on loopback (started with
# its defaults, so listening on both families), driven by its start-up script:
# connections by host name, IPv6 and IPv4, administrator commands answered on
# the console, and "exit" in a network game leaving the server at once.
set -u
# KB_RUN runs the programs through an emulator (wine for a Windows build).
KB_RUN=${KB_RUN:-}
client="$1" server="$2"
work=$(mktemp -d)
cd "$work" || exit 1
mkdir home
spid=
cleanup() { [ -n "$spid" ] && kill "$spid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "$1"; for f in server.out client.out out.txt; do [ -f $f ] && { echo "== $f"; cat $f; }; done; exit 1; }

$KB_RUN "$server" --headless --name "Test Server" --port 0 --admin-password geheim >server.out 2>&1 &
spid=$!
i=0
while [ $i -lt 100 ] && ! grep -q 'Spieler: 0' server.out; do sleep 0.1; i=$((i + 1)); done
port=$(sed -nE 's/^Name: Test Server Port: ([0-9]+) Spieler: 0$/\1/p' server.out | head -1)
[ -n "$port" ] || fail "server did not start"

# The same client joins by host name, over IPv6 and over IPv4; each visit ends
# with the server counting 0 again.
for host in localhost ::1 127.0.0.1; do
  printf '%s\r\n' 'console on' "connect $host $port" 'delay 1000' 'admin LOGIN geheim' 'admin ECHO hallo welt' \
    'delay 1000' 'dump out.txt' 'exit' >autoexec.kbs
  HOME="$work/home" KRINGELBAHN_SETTINGS_DIR="$work/home" SDL_VIDEODRIVER=dummy timeout 30 $KB_RUN "$client" >client.out 2>&1 </dev/null ||
    fail "client exit code $? ($host)"
  printf '%s\r\n' 'Willkommen zu Kringelbahn 1.2.4!' 'Starte "autoexec.kbs"...' \
    "Erfolgreich mit Server $host auf port $port verbunden." '[SERVER] Du hast dich erfolgreich eingeloggt.' \
    '[SERVER] hallo welt' >expected.txt
  cmp -s expected.txt out.txt || { diff expected.txt out.txt; fail "unexpected console ($host)"; }

  # The record went with the client: the server counts 1, then 0 again.
  i=0
  while [ $i -lt 30 ] && [ "$(tail -n 1 server.out)" != "Name: Test Server Port: $port Spieler: 0" ]; do
    sleep 0.1
    i=$((i + 1))
  done
  [ "$(tail -n 1 server.out)" = "Name: Test Server Port: $port Spieler: 0" ] || fail "record kept ($host)"
done
[ "$(grep -c 'Spieler: 1' server.out)" = 3 ] || fail "the client did not join three times"
[ -s home/Kringelbahn.ini ] || fail "settings not written"
echo ok
