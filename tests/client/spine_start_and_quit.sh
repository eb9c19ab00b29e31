#!/bin/sh
# Runs the real game headless with an empty home and checks that it ends with
# code 0 and leaves exactly the configuration file it should, or, without a
# display, that it fails at once.
#   close       closed as a window manager would (SDL turns SIGTERM into the
#               close request): a new file with the window's position
#   exit        "exit" in autoexec.kbs ends it by itself
#   nodisplay   started where no display is reachable: it ends at once with
#               the failure on standard error and code 1, leaving no file
set -u
# KB_RUN runs the program through an emulator (wine for a Windows build).
KB_RUN=${KB_RUN:-}
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
if [ "$scenario" != exit ]; then
  sleep 2  # let it reach the frame loop
  kill -0 $pid 2>/dev/null || fail "ended by itself"
  kill -TERM $pid
fi
i=0
while [ $i -lt 100 ] && kill -0 $pid 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
kill -0 $pid 2>/dev/null && { kill -KILL $pid; fail "did not end"; }
wait $pid || fail "exit code $?"
[ -f "$ini" ] || fail "no $ini"
# A new window's position is whatever the dummy desktop made of it.
printf '[Window]\r\nX = N\r\nY = N\r\nFullscreen = 0\r\n' >expected
sed -E 's/^(X|Y) = -?[0-9]+\r$/\1 = N\r/' "$ini" >normal
cmp -s normal expected || { od -c "$ini"; fail "unexpected configuration"; }
echo ok
