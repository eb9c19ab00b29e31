#!/bin/sh
# Runs the real game headless with an empty home directory and checks that it
# ends with code 0 and leaves exactly the configuration file it should.
#   close       asked to close as a window manager would (SDL turns SIGTERM
#               into the close request); a new file with the window's position
#   fullscreen  started in full screen from the file, then closed; the file
#               keeps the position it was read with
#   exit        "exit" in autoexec.kbs ends it by itself
set -u
game="$1"
scenario="${2:-close}"
home=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$home" "$work"' EXIT
cd "$work" || exit 1
ini="$home/Kringelbahn.ini"

case "$scenario" in
  fullscreen) printf '[window]\r\nx = 17\r\nY = 23\r\nFULLSCREEN = 1\r\n' >"$ini" ;;
  exit) printf 'console 1\r\nexit\r\n' >autoexec.kbs ;;
esac

HOME="$home" SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}" "$game" >"$work/out.txt" 2>&1 &
pid=$!
if [ "$scenario" != exit ]; then
  # Let it reach the frame loop; a start-up failure ends it by itself.
  i=0
  while [ $i -lt 20 ] && kill -0 $pid 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
  if ! kill -0 $pid 2>/dev/null; then
    wait $pid; echo "ended by itself with code $?:"; cat "$work/out.txt"; exit 1
  fi
  kill -TERM $pid
fi
i=0
while [ $i -lt 100 ] && kill -0 $pid 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
if kill -0 $pid 2>/dev/null; then
  kill -KILL $pid; echo "did not end"; cat "$work/out.txt"; exit 1
fi
wait $pid
code=$?
[ $code -eq 0 ] || { echo "exit code $code"; cat "$work/out.txt"; exit 1; }
[ -f "$ini" ] || { echo "no $ini"; cat "$work/out.txt"; exit 1; }

# Exactly the group line and three keys, CR LF ended; a new window's
# position is whatever the dummy desktop made of it.
if [ "$scenario" = fullscreen ]; then
  printf '[Window]\r\nX = 17\r\nY = 23\r\nFullscreen = 1\r\n' >"$work/expected"
  cp "$ini" "$work/normal"
else
  printf '[Window]\r\nX = N\r\nY = N\r\nFullscreen = 0\r\n' >"$work/expected"
  sed -E 's/^(X|Y) = -?[0-9]+\r$/\1 = N\r/' "$ini" >"$work/normal"
fi
if ! cmp -s "$work/normal" "$work/expected"; then
  echo "unexpected configuration:"; od -c "$ini"; cat "$work/out.txt"; exit 1
fi
echo ok
