# Sourced by the tests that look at real windows: an Xvfb of the test's own on a
# free display number (tests never share a keyboard focus), clients started in
# folders of their own, keys pressed as a player presses them, screenshots
# compared. Needs $work, the array pids and a function fail.

start_virtual_display() {  # screen size, e.g. 1024x768x24; sets DISPLAY and display_pid
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" 2>/dev/null &
  display_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(cat "$work/display")"
}

# A client in a folder of its own, its window's frame at (x, 0); the rest of the
# arguments run it. Sets $window.
start_client() {
  local name=$1 x=$2
  shift 2
  mkdir -p "$work/$name"
  printf '[Window]\r\nX = %s\r\nY = 0\r\nFullscreen = 0\r\n' "$x" >"$work/$name/Kringelbahn.ini"
  (cd "$work/$name" && HOME="$work/$name" KRINGELBAHN_SETTINGS_DIR="$work/$name" exec "$@" >out.txt 2>&1) &
  pids+=($!)
  window=
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^Kringelbahn$' 2>/dev/null |
      while read -r id; do
        left=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Position: \([0-9]*\),.*/\1/p')
        # The frame's corner is at x: the client area a border further.
        [ -n "$left" ] && [ "$left" -ge "$x" ] && [ "$left" -lt $((x + 30)) ] && echo "$id"
      done | head -1)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  fail "the window of $name did not appear"
}

# Focus first, then a key held long enough for a frame to see it.
press() {
  xdotool windowfocus --sync "$1"
  sleep 0.3
  xdotool keydown "$2"
  sleep 0.1
  xdotool keyup "$2"
}

# How many pixels of a region differ between two shots; the rest of the
# arguments go to convert (a scale).
differing() {  # first.png second.png region [options]
  local first=$1 second=$2 region=$3
  shift 3
  convert "$first" -crop "$region" +repage "$@" "$work/a.png"
  convert "$second" -crop "$region" +repage "$@" "$work/b.png"
  compare -metric AE -fuzz 20% "$work/a.png" "$work/b.png" null: 2>&1
}

# The menu of a client against the Linux client's: the pictures and boxes
# pixel for pixel; text only roughly, as two builds of the text library place
# glyphs a pixel apart here and there.
same_menu() {  # shot.png linux-shot.png
  local banner boxes whole
  banner=$(differing "$1" "$2" 800x90+0+12) boxes=$(differing "$1" "$2" 30x270+120+85)
  whole=$(differing "$1" "$2" 800x600+0+0 -resize 12.5%)
  echo "menu against the Linux client's: banner $banner, boxes $boxes, whole (1:8) $whole pixels differ"
  [ "$banner" = 0 ] && [ "$boxes" = 0 ] && [ "${whole%%.*}" -lt 100 ] 2>/dev/null
}

# How many colours other than black cover at least 100 pixels of a shot.
trail_colours() {
  convert "$1" -format %c histogram:info:- | awk '$1 + 0 >= 100 && $0 !~ /#000000/' | wc -l
}
