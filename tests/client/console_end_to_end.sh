#!/bin/sh
# Runs the real client headless: its start-up script runs a command and starts a
# second script that dumps the console and exits. The dump must match byte for
# byte; the exit must be clean (code 0, settings written).
set -eu
# KB_RUN runs the program through an emulator (wine for a Windows build).
KB_RUN=${KB_RUN:-}
binary="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
cd "$work"
printf '%s\r\n' 'console on' 'echo  two  blanks' 'exec sub' >autoexec.kbs
printf 'echo sub \344\ndump "console dump.txt"\nexit\necho never\n' >sub.kbs
HOME="$work/home" KRINGELBAHN_SETTINGS_DIR="$work/home" SDL_VIDEODRIVER=dummy timeout 60 $KB_RUN "$binary" </dev/null || { echo "exit code $?" >&2; exit 1; }
printf '%s\r\n' 'Willkommen zu Kringelbahn 1.2.4!' 'Starte "autoexec.kbs"...' '[autoexec.kbs]  two  blanks' \
  'Starte "sub.kbs"...' >expected.txt
printf '[sub.kbs] sub \344\r\n' >>expected.txt
cmp expected.txt "console dump.txt" || { od -c "console dump.txt" >&2; exit 1; }
[ -s "$work/home/Kringelbahn.ini" ] || { echo "settings not written" >&2; exit 1; }
