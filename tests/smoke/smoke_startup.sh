#!/usr/bin/env bash
# The real program under Xvfb: it starts with a face file from the command
# line, shows its window with the face code, and ends from the File menu's
# Exit without a question, since nothing changed.
program=${1:?usage: smoke_startup.sh PATH-TO-kaogumi}
. "$(dirname "$0")/xvfb-session.sh"
work=$(mktemp -d)
trap 'stop_all; rm -rf "$work"' EXIT

printf '"","","","",""\r\n"03","12","07","01",""\r\n' > "$work/face.kgm"
start_xvfb
unset QT_QPA_PLATFORM
"$program" "$work/face.kgm" &
APP_PID=$!
win=$(wait_window 'face.kgm - かおぐみ')
# The drawing surface of an empty face is white.
surface_white() { [ "$(pixel "$win" 120 120)" = FFFFFF ]; }
poll surface_white || fail "surface pixel is $(pixel "$win" 120 120), not white"

exit_through_menu "$win"
echo "smoke_startup: passed"
