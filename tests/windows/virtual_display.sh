# Sourced by the smoke tests: an Xvfb of the test's own on a free display
# number, so tests never share a keyboard focus. Needs $work; sets DISPLAY and
# display_pid.
start_virtual_display() {  # screen size, e.g. 1024x768x24
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" 2>/dev/null &
  display_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(cat "$work/display")"
}
