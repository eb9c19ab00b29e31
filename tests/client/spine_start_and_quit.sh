#!/bin/sh
# Starts the real game headless with an empty home directory, asks it to
# close as a window manager would (SDL turns SIGTERM into the close request),
# and checks that it ends with code 0 and writes its configuration file.
set -u
game="$1"
home=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$home" "$work"' EXIT
cd "$work" || exit 1
HOME="$home" SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}" "$game" >"$work/out.txt" 2>&1 &
pid=$!
# Let it reach the frame loop; a start-up failure ends it by itself.
i=0
while [ $i -lt 20 ] && kill -0 $pid 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
if ! kill -0 $pid 2>/dev/null; then
  wait $pid; echo "ended by itself with code $?:"; cat "$work/out.txt"; exit 1
fi
kill -TERM $pid
i=0
while [ $i -lt 100 ] && kill -0 $pid 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
if kill -0 $pid 2>/dev/null; then
  kill -KILL $pid; echo "did not end after the close request"; exit 1
fi
wait $pid
code=$?
[ $code -eq 0 ] || { echo "exit code $code"; cat "$work/out.txt"; exit 1; }
ini="$home/Kringelbahn.ini"
[ -f "$ini" ] || { echo "no $ini"; cat "$work/out.txt"; exit 1; }
# Exactly the group line and three keys, CR LF ended; the position is the
# window's, whatever the dummy desktop made of it.
printf '[Window]\r\nX = N\r\nY = N\r\nFullscreen = 0\r\n' >"$work/expected"
if ! sed -E 's/^(X|Y) = -?[0-9]+\r$/\1 = N\r/' "$ini" | cmp -s - "$work/expected"; then
  echo "unexpected configuration:"; od -c "$ini"; exit 1
fi
echo ok
