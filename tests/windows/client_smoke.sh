#!/bin/bash
# The cross-built client under wine on a virtual display, as a player sees it:
# its menu matches the Linux client's, and two clients play a network round on
# the cross-built server, each drawing both trails.
# Arguments: kringelbahn.exe kringelbahn-server.exe linux-kringelbahn
set -u
client_exe=$1 server_exe=$2 linux_client=${3:-}
. "$(dirname "$0")/../support/script_prelude.sh"
[ -x "$linux_client" ] || skip "no Linux client to compare with (KB_NATIVE_CLIENT)"
need wine Xvfb xdotool import compare python3
# The clients get homes of their own; wine keeps the prefix it was given.
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
export KRINGELBAHN_BROADCAST_ADDRESS=127.255.255.255 KRINGELBAHN_LIST_HOST=127.0.0.1:9 SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

. "$(dirname "$0")/../support/desktop_session.sh"
start_virtual_display 1700x650x24 || fail "no virtual display"
pids+=("$display_pid")

# The menu, after its fade, against the Linux client's.
start_client menu-windows 0 wine "$client_exe"
windows_menu=$window
start_client menu-linux 820 "$linux_client"
linux_menu=$window
sleep 3
import -window "$windows_menu" "$work/menu-windows.png"
import -window "$linux_menu" "$work/menu-linux.png"
same_menu "$work/menu-windows.png" "$work/menu-linux.png" || fail "the menu differs from the Linux client's"
# Escape in the menu ends the game, which keeps its window place.
press "$windows_menu" Escape
for _ in $(seq 100); do kill -0 "${pids[1]}" 2>/dev/null || break; sleep 0.1; done
kill -0 "${pids[1]}" 2>/dev/null && fail "Escape did not end the client"
grep -q '^X = 0' "$work/menu-windows/Kringelbahn.ini" || { cat -A "$work/menu-windows/Kringelbahn.ini"; fail "settings not written"; }
kill "${pids[2]}" 2>/dev/null

# A network round: the server headless, two clients that connect from their
# start-up scripts; each player presses Space.
port=$(free_port)
wine "$server_exe" --headless --name Runde --port "$port" >"$work/server.out" 2>&1 &
pids+=($!)
wait_for 'Spieler: 0' "$work/server.out" 30 || fail "the server did not start"
players=()
for x in 0 820; do
  mkdir -p "$work/player$x"
  printf 'connect 127.0.0.1 %s\r\n' "$port" >"$work/player$x/autoexec.kbs"
  start_client "player$x" "$x" wine "$client_exe"
  players+=("$window")
done
wait_for 'Spieler: 2' "$work/server.out" 30 || fail "the clients did not join"
for window in "${players[@]}"; do press "$window" space; done
# The countdown, then the heads run until one hits a trail or the border:
# both fields settle on the same picture.
same=
for _ in $(seq 40); do
  sleep 1
  for i in 0 1; do
    [ -f "$work/field$i.png" ] && mv "$work/field$i.png" "$work/before$i.png"
    import -window "${players[$i]}" -crop 800x575+0+25 +repage "$work/field$i.png"
  done
  [ -f "$work/before0.png" ] || continue
  same=$(compare -metric AE "$work/field0.png" "$work/field1.png" null: 2>&1)
  settled=$(compare -metric AE "$work/field0.png" "$work/before0.png" null: 2>&1)
  [ "$same" = 0 ] && [ "$settled" = 0 ] && break
done
[ "$same" = 0 ] || fail "the clients show different fields ($same pixels differ)"
trails=$(trail_colours "$work/field0.png")
echo "round: $trails trail colours of at least 100 pixels on both clients"
[ "$trails" -ge 2 ] || fail "the field does not show both trails"
echo ok
