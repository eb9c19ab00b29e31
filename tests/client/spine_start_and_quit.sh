#!/bin/sh
# Runs the real game headless with an empty home; it must end with code 0 and
# leave exactly its configuration file, or, without a display, fail at once.
#   close      SIGTERM, which SDL turns into the window's close request
#   exit       "exit" in autoexec.kbs ends it by itself
#   nodisplay  no display reachable: code 1, the failure on standard error, no file
set -u
KB_RUN=${KB_RUN:-}  # an emulator to run the program with (wine for a Windows build)
game="$1" scenario="${2:-close}"
home=$(mktemp -d) work=$(mktemp -d)
trap 'rm -rf "$home" "$work"' EXIT
cd "$work" || exit 1
ini="$home/Kringelbahn.ini"
fail() { echo "$1"; cat out.txt; exit 1; }
[ "$scenario" = exit ] && printf 'console 1\r\nexit\r\n' >autoexec.kbs
if [ "$scenario" = nodisplay ]; then
  HOME="$home" KRINGELBAHN_SETTINGS_DIR="$home" timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
    "$game" >out.txt 2>&1
  code=$?
  [ $code = 1 ] || fail "exit code $code"
  grep -q "^Fehler: Es konnte kein Fenster" out.txt || fail "no failure message"
  [ -z "$(ls -A "$home")" ] || fail "files left in the home: $(ls -A "$home")"
  echo ok
  exit 0
fi
HOME="$home" KRINGELBAHN_SETTINGS_DIR="$home" SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}" $KB_RUN "$game" >out.txt 2>&1 &
pid=$!
if [ "$scenario" = close ]; then
  sleep 2  # let it reach the frame loop
  kill -0 $pid 2>/dev/null || fail "ended by itself"
  kill -TERM $pid
fi
i=0
while [ $i -lt 100 ] && kill -0 $pid 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
kill -0 $pid 2>/dev/null && { kill -KILL $pid; fail "did not end"; }
wait $pid || fail "exit code $?"
# A new window's position is whatever the dummy desktop made of it.
[ -f "$ini" ] && sed -E 's/^(X|Y) = -?[0-9]+\r$/\1 = N\r/' "$ini" >normal || fail "no $ini"
printf '[Window]\r\nX = N\r\nY = N\r\nFullscreen = 0\r\nVolume = 40\r\n' | cmp -s normal - || { od -c "$ini"; fail "unexpected configuration"; }
echo ok
