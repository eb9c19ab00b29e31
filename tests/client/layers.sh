#!/bin/sh
# The client's folders are layers: core, console, ui, app. A file includes
# only its own folder and the ones below it, and nothing below app takes the
# whole Client.
cd "$1/client" || exit 1
fail=0
check() {  # folder, folders it must not include
  for above in $2; do
    if grep -n "#include \"client/$above/" "$1"/*.cpp "$1"/*.h; then
      echo "$1 includes $above, a layer above it"
      fail=1
    fi
  done
  if grep -nw 'Client' "$1"/*.cpp "$1"/*.h | grep -v '^[^:]*:[0-9]*: *//'; then
    echo "$1 names the whole Client"
    fail=1
  fi
}
check core "console ui app web"
check console "ui app web"
check ui "app web"
exit $fail
