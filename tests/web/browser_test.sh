#!/bin/bash
# The browser client in headless Chromium, as a player sees it. First the page
# served by the list service from a host name over plain HTTP (no secure
# context, no isolation): its menu against the Linux client's, a local round
# with a bot, and a console connect straight to a real headless server over
# IPv6; the same page on a phone's touch screen. Then the page as deployed, over HTTPS behind Caddy (dist/public-list,
# with a certificate made here): the Internet list from the page's origin, its
# server joined through the list service's relay (over IPv6) and a network
# round against the Linux client (over IPv4), each drawing both trails.
# KB_KEEP_WORK=1 keeps the shots.
# Arguments: page-folder kringelbahn-listd kringelbahn-server linux-kringelbahn node-modules
set -u
page=$1 listd=$2 server=$3 modules=$5
linux_client=$(realpath "$4")
. "$(dirname "$0")/../support/script_prelude.sh"
export KRINGELBAHN_BROADCAST_ADDRESS=127.255.255.255 KRINGELBAHN_LIST_HOST=127.0.0.1:9 SDL_AUDIODRIVER=dummy
# The registering server asks a router on loopback that is not there, never the network's own.
export KRINGELBAHN_UPNP_DESCRIPTION=http://127.0.0.1:9/rootDesc.xml KRINGELBAHN_NATPMP_GATEWAY=127.0.0.1
unset SDL_VIDEODRIVER
. "$(dirname "$0")/../support/desktop_session.sh"
start_virtual_display 1700x650x24 || fail "no virtual display"
pids+=("$display_pid")

players() { grep -o 'Spieler: [0-9]*' "$work/server.out" | tail -n 1 | cut -d' ' -f2; }
wait_players() {  # count seconds
  for _ in $(seq $(($2 * 10))); do [ "$(players)" = "$1" ] && return 0; sleep 0.1; done
  return 1
}

caddy validate --config "$(dirname "$0")/../../dist/public-list/Caddyfile" --adapter caddyfile >"$work/validate.out" 2>&1 ||
  fail "dist/public-list/Caddyfile is not valid: $(tail -n 1 "$work/validate.out")"

# Both families: the server registers over IPv6, so the relay joins the
# browser to it over IPv6 while the Linux client comes over IPv4.
"$listd" --port 0 --trusted-proxy 127.0.0.1 --db "$work/list.db" --web-root "$page" \
  >"$work/listd.out" 2>&1 &
pids+=($!)
wait_for 'listening on' "$work/listd.out" 30 || fail "the list service did not start"
list_port=$(sed -n 's/.*listening on .* port \([0-9]*\), database.*/\1/p' "$work/listd.out")
server_port=$(free_port)
"$server" --headless --name Browserrunde --port "$server_port" --list-host "[::1]:$list_port" \
  --register >"$work/server.out" 2>&1 &
pids+=($!)
wait_for 'Spieler: 0' "$work/server.out" 30 || fail "the server did not start"

# The Linux client's menu, to hold the browser's against.
start_client menu-linux 0 "$linux_client"
sleep 3
import -window "$window" "$work/menu-linux.png"
press "$window" Escape

NODE_PATH=$modules node "$(dirname "$0")/play.mjs" plain "http://kringelbahn.test:$list_port/kringelbahn.html" \
  "$server_port" "$work" >"$work/browser.out" 2>&1 &
browser=$!
pids+=($browser)
for _ in $(seq 900); do [ -f "$work/menu-browser.png" ] && break; kill -0 $browser 2>/dev/null || break; sleep 0.1; done
[ -f "$work/menu-browser.png" ] || fail "the browser showed no menu"
same_menu "$work/menu-browser.png" "$work/menu-linux.png" || fail "the browser's menu differs from the Linux client's"

# The local round: the player's trail and the bot's.
for _ in $(seq 300); do [ -f "$work/browser-connected" ] && break; kill -0 $browser 2>/dev/null || break; sleep 0.1; done
[ -f "$work/local-browser.png" ] || fail "the browser played no local round"
trails=$(trail_colours "$work/local-browser.png")
echo "local round in the browser: $trails trail colours of at least 100 pixels"
[ "$trails" -ge 2 ] || fail "the local round does not show the player's and the bot's trails"

wait_players 1 30 || fail "the browser did not join the server over IPv6"
touch "$work/seen"
wait $browser || { cat "$work/browser.out"; fail "the browser's plain part failed"; }
cat "$work/browser.out"
wait_players 0 30 || fail "the browser's player stayed on the server"

# The same page on a phone's touch screen, with a game controller: player 1,
# steered by a finger held on the field's left half, runs a loop; then the pad
# takes player 1, starts a game and runs player 1 round a loop.
# Last, the phone's keyboard types a console connect to the server.
NODE_PATH=$modules node "$(dirname "$0")/play.mjs" touch "http://kringelbahn.test:$list_port/kringelbahn.html" \
  "$server_port" "$work" >"$work/touch.out" 2>&1 &
phone=$!
pids+=($phone)
for _ in $(seq 900); do [ -f "$work/typed-connect" ] && break; kill -0 $phone 2>/dev/null || break; sleep 0.1; done
wait_players 1 30 || fail "the connect typed on the phone's keyboard did not reach the server"
touch "$work/typed-seen"
wait $phone || { cat "$work/touch.out"; fail "the touch part failed"; }
cat "$work/touch.out"
wait_players 0 30 || fail "the phone's player stayed on the server"
# A trail that ran a loop: its box (below the scores, which show the colour
# too) is wide and tall, and its middle is empty, where a straight trail would pass.
loop() {  # shot colour -> "W H", empty when it is no loop
  read -r w h x y < <(convert "$1" -crop 800x575+0+25 +repage -fuzz 20% -fill black +opaque "$2" -fill white \
    -opaque "$2" -format '%@' info: | tr 'x+' '  ')
  middle=$(convert "$1" -crop "9x9+$((x + w / 2 - 4))+$((y + 25 + h / 2 - 4))" +repage -fuzz 20% -fill black \
    +opaque "$2" -fill white -opaque "$2" -format '%[fx:int(255*maxima)]' info:)
  [ "$w" -ge 20 ] && [ "$h" -ge 20 ] && [ "$w" -le 200 ] && [ "$h" -le 200 ] && [ "$middle" = 0 ] && echo "$w $h"
}
size=$(loop "$work/touch-round.png" '#FF0000') || fail "the finger did not turn player 1's head"
echo "touch round: player 1's trail runs a loop in a box of $size"
size=$(loop "$work/pad-round.png" '#FF0000') || fail "the game controller did not take player 1 and turn its head"
echo "controller round: player 1's trail runs a loop in a box of $size"

# The page as deployed: Caddy with a certificate for kringelbahn.test in front
# of the list service, which takes its X-Forwarded-For.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=kringelbahn.test \
  -addext subjectAltName=DNS:kringelbahn.test -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 ||
  fail "no test certificate"
front_port=$(free_port)
cat >"$work/Caddyfile" <<EOF
{
	admin off
	auto_https disable_redirects
	storage file_system $work/caddy
}
https://kringelbahn.test:$front_port {
	tls $work/cert.pem $work/key.pem
	reverse_proxy 127.0.0.1:$list_port
}
EOF
HOME=$work caddy run --config "$work/Caddyfile" --adapter caddyfile >"$work/caddy.out" 2>&1 &
pids+=($!)
wait_for 'serving initial configuration' "$work/caddy.out" 30 || fail "Caddy did not start"
rm -f "$work/browser-connected"
NODE_PATH=$modules node "$(dirname "$0")/play.mjs" deployed "https://kringelbahn.test:$front_port/kringelbahn.html" \
  "$server_port" "$work" >"$work/browser.out" 2>&1 &
browser=$!
pids+=($browser)

# The server's entry, selected at the top of the Internet list: its bar is white.
for _ in $(seq 600); do [ -f "$work/browser-connected" ] && break; kill -0 $browser 2>/dev/null || break; sleep 0.1; done
bar=$(convert "$work/list-browser.png" -crop 1x1+590+131 -format '%[fx:int(255*luminance)]' info:-)
[ "$bar" -ge 240 ] || fail "the deployed page's Internet list shows no server"

# The network round: the browser joined through the relay (to the server over
# IPv6, as it registered); the Linux client joins over IPv4 from its start-up
# script.
wait_players 1 30 || fail "the browser did not join the listed server through the relay"
mkdir -p "$work/linux-player"
printf 'connect 127.0.0.1 %s\r\n' "$server_port" >"$work/linux-player/autoexec.kbs"
start_client linux-player 0 "$linux_client"
linux_player=$window
wait_players 2 30 || fail "the Linux client did not join"
touch "$work/go"
press "$linux_player" space
# The heads run until one hits a trail or the border: both fields settle on
# the same picture for the few seconds before the next countdown. The field
# is compared below the status line, whose text two builds of the text
# library draw a pixel apart here and there; the browser's shot of its
# canvas comes back up to 2% darker.
same=
for _ in $(seq 40); do
  sleep 1
  [ -f "$work/linux-field.png" ] && mv "$work/linux-field.png" "$work/linux-before.png"
  import -window "$linux_player" -crop 800x548+0+52 +repage "$work/linux-field.png"
  convert "$work/field-browser.png" -crop 800x548+0+52 +repage "$work/browser-field.png" 2>/dev/null || continue
  [ -f "$work/linux-before.png" ] || continue
  same=$(compare -metric AE -fuzz 3% "$work/linux-field.png" "$work/browser-field.png" null: 2>&1)
  settled=$(compare -metric AE "$work/linux-field.png" "$work/linux-before.png" null: 2>&1)
  # During the countdown both fields are the same still dots: wait for the trails.
  [ "$same" = 0 ] && [ "$settled" = 0 ] && [ "$(trail_colours "$work/linux-field.png")" -ge 2 ] && break
done
touch "$work/done"
wait $browser || fail "the browser's part failed"
cat "$work/browser.out"
[ "$same" = 0 ] || fail "the browser and the Linux client show different fields ($same pixels differ)"
trails=$(trail_colours "$work/browser-field.png")
echo "network round: $trails trail colours of at least 100 pixels in the browser and the Linux client"
[ "$trails" -ge 2 ] || fail "the field does not show both trails"
echo ok
