#!/usr/bin/env bash
# The server's window under wine: named with an umlaut it serves under that
# name, and a confirmed close tells the connected client and ends with 0.
# Usage: server_window.sh path/to/kringelbahn-server.exe
set -u
exe=${1:?usage: $0 kringelbahn-server.exe}
# Where every tool must be there (KB_NO_SKIPS=1, as tools/run-tests sets it) a skip fails.
skip() { echo "SKIP: $*"; [ "${KB_NO_SKIPS:-0}" = 1 ] && exit 1; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
for tool in wine Xvfb xdotool python3; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
export KRINGELBAHN_BROADCAST_ADDRESS=127.255.255.255 WINEDEBUG=${WINEDEBUG:--all}

work=$(mktemp -d)
server="" client="" keycode="" display_pid=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  [ -n "$client" ] && kill "$client" 2>/dev/null
  [ -n "$keycode" ] && python3 "$work/umlaut.py" "$keycode"
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/../support/desktop_session.sh"
start_virtual_display 1024x768x24 || fail "no virtual display"

# xdotool types a character missing from the keymap on a key remapped just
# for that press, which wine may look up after the mapping is gone. The
# umlaut gets a free key of its own instead, pressed once wine has read the
# new map; the key is given back at the end.
cat >"$work/umlaut.py" <<'EOF'
import ctypes as C, sys, time
x, xtst = C.CDLL("libX11.so.6"), C.CDLL("libXtst.so.6")
x.XOpenDisplay.restype = C.c_void_p
x.XGetKeyboardMapping.restype = C.POINTER(C.c_ulong)
d = C.c_void_p(x.XOpenDisplay(None))
if not d: sys.exit("no display")
if len(sys.argv) > 1:
    x.XChangeKeyboardMapping(d, int(sys.argv[1]), 2, (C.c_ulong * 2)(0, 0), 1)
else:
    lo, hi, per = C.c_int(), C.c_int(), C.c_int()
    x.XDisplayKeycodes(d, C.byref(lo), C.byref(hi))
    m = x.XGetKeyboardMapping(d, C.c_ubyte(lo.value), hi.value - lo.value + 1, C.byref(per))
    code = next(k for k in range(lo.value, hi.value + 1)
                if not any(m[(k - lo.value) * per.value + i] for i in range(per.value)))
    x.XChangeKeyboardMapping(d, code, 2, (C.c_ulong * 2)(0xFC, 0xDC), 1)  # ü, Ü
    x.XSync(d, 0)
    print(code, flush=True)
    time.sleep(0.5)
    for down in (1, 0): xtst.XTestFakeKeyEvent(d, code, down, 0)
    x.XSync(d, 0)
x.XCloseDisplay(d)
EOF

# A client on the game port: joins, prints the server's name, then reads
# until the server closes the connection and checks it was told first.
cat >"$work/client.py" <<'EOF'
import socket, sys, time
port, end = int(sys.argv[1]), time.time() + 60
while True:
    try:
        s = socket.create_connection(("127.0.0.1", port), timeout=1)
        break
    except OSError:
        if time.time() > end: sys.exit("no server on port %d" % port)
        time.sleep(0.2)
s.settimeout(20)
s.sendall(b"JOIN\x04")
data, seen = b"", []
while True:
    chunk = s.recv(4096)
    if not chunk: break
    data += chunk
    *done, data = data.split(b"\x04")
    for m in done:
        seen.append(m)
        if m.startswith(b"SERVER\x02"): print(ascii(m[7:].decode("latin-1")), flush=True)
if b"MODE\x0221" not in seen: sys.exit("no MODE 21 before the close: %r" % seen)
print("shutdown", flush=True)
EOF

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
wine "$exe" --port "$port" >"$work/server.log" 2>&1 &
server=$!
# A new wine prefix takes its time on the first start.
window=$(timeout 120 xdotool search --sync --name '^Kringelbahn Server 1.2.4$' | head -1)
[ -n "$window" ] || fail "no window titled 'Kringelbahn Server 1.2.4' within 120 s"
xdotool windowfocus --sync "$window" && xdotool type --delay 20 'Kringelbahn S' &&
  keycode=$(python3 "$work/umlaut.py") && xdotool type d && xdotool key Return || fail "could not type the name"

python3 "$work/client.py" "$port" >"$work/client.log" 2>&1 &
client=$!
for _ in $(seq 100); do [ -s "$work/client.log" ] && break; sleep 0.2; done
name=$(head -1 "$work/client.log")
[ "$name" = "'Kringelbahn%20S\xfcd'" ] || fail "server name $name, expected 'Kringelbahn%20S\xfcd'"

# The close request asks first; Return answers "Ja".
xdotool windowfocus --sync "$window" && xdotool key alt+F4 || fail "could not ask the window to close"
box=$(timeout 20 xdotool search --sync --name '^Kringelbahn Server$' | head -1)
[ -n "$box" ] || fail "no confirmation box after the close request"
xdotool windowfocus --sync "$box" && xdotool key Return || fail "could not answer the box"

for _ in $(seq 150); do kill -0 "$server" 2>/dev/null || break; sleep 0.1; done
kill -0 "$server" 2>/dev/null && fail "the server still runs 15 s after the confirmed close"
wait "$server"
code=$?
server=""
[ "$code" = 0 ] || fail "exit code $code, expected 0: $(cat "$work/server.log")"
wait "$client" || fail "client: $(cat "$work/client.log")"
client=""
grep -qx shutdown "$work/client.log" || fail "the client was not told of the shutdown"
echo "PASS: served as 'Kringelbahn Süd' on port $port, closed after the confirmation"
