#!/usr/bin/env bash
# The server's window under wine: named with an umlaut it serves under that
# name, and a confirmed close tells the connected client and ends with 0.
# Usage: server_window.sh path/to/kringelbahn-server.exe
set -u
exe=${1:?usage: $0 kringelbahn-server.exe}
. "$(dirname "$0")/../support/script_prelude.sh"
need wine Xvfb xdotool python3
export KRINGELBAHN_BROADCAST_ADDRESS=127.255.255.255 WINEDEBUG=${WINEDEBUG:--all}
keycode=""
trap '[ -n "$keycode" ] && python3 "$work/umlaut.py" "$keycode"; cleanup' EXIT
. "$(dirname "$0")/../support/desktop_session.sh"
start_virtual_display 1024x768x24 || fail "no virtual display"
pids+=("$display_pid")

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

port=$(free_port)
wine "$exe" --port "$port" >"$work/server.out" 2>&1 &
server=$!
pids+=($server)
# A new wine prefix takes its time on the first start.
window=$(timeout 120 xdotool search --sync --name '^Kringelbahn Server 1.2.4$' | head -1)
[ -n "$window" ] || fail "no window titled 'Kringelbahn Server 1.2.4' within 120 s"
xdotool windowfocus --sync "$window" && xdotool type --delay 20 'Kringelbahn S' &&
  keycode=$(python3 "$work/umlaut.py") && xdotool type d && xdotool key Return || fail "could not type the name"

python3 "$work/client.py" "$port" >"$work/client.out" 2>&1 &
client=$!
pids+=($client)
for _ in $(seq 100); do [ -s "$work/client.out" ] && break; sleep 0.2; done
name=$(head -1 "$work/client.out")
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
[ "$code" = 0 ] || fail "exit code $code, expected 0"
wait "$client" || fail "the client failed"
grep -qx shutdown "$work/client.out" || fail "the client was not told of the shutdown"
echo "PASS: served as 'Kringelbahn Süd' on port $port, closed after the confirmation"
