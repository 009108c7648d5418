#!/usr/bin/env bash
# The real program with its bundled parts library under Xvfb, used only
# through its windows: the four pickers open in a column beside the main
# window, a face code typed through the Edit menu re-creates a face, and
# Ctrl+S writes the face file, which this test then reads.
program=${1:?usage: smoke_compose.sh PATH-TO-kaogumi}
. "$(dirname "$0")/xvfb-session.sh"
work=$(mktemp -d)
trap 'stop_all; rm -rf "$work"' EXIT

start_xvfb
unset QT_QPA_PLATFORM
"$program" "$work/face.kgm" &
APP_PID=$!
main=$(wait_window 'かおぐみ')
sleep 1

geometry() { xdotool getwindowgeometry --shell "$1" | tr '\n' ' '; }
eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/M/')"
expected_left=$(( MX + MWIDTH ))
expected_top=$MY
for category in 髪 目 顔 口; do
  id=$(wait_window "$category")
  eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/P/')"
  [ "$PX" -eq "$expected_left" ] || fail "$category picker at x $PX, not $expected_left ($(geometry "$id"))"
  [ "$PY" -eq "$expected_top" ] || fail "$category picker at y $PY, not $expected_top ($(geometry "$id"))"
  expected_top=$(( PY + PHEIGHT ))
done

# Edit menu, バーコード(&V): the prompt comes up with the current code.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v
prompt=$(wait_window 'かおぐみ' >/dev/null; xdotool search --onlyvisible --name '^かおぐみ$' | grep -vx "$main" | head -n 1) || true
[ -n "$prompt" ] || fail "the face code prompt did not open"
xdotool windowfocus --sync "$prompt"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 '403120705'
xdotool key Return
sleep 0.5

xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+s
for _ in $(seq 50); do [ -s "$work/face.kgm" ] && break; sleep 0.1; done
[ -s "$work/face.kgm" ] || fail "Ctrl+S wrote no face file"
expected=$(printf '"顔\\f03.png","髪\\h07.png","目\\e12.png","口\\m05.png",""\r\n"03","07","12","05",""\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
actual=$(od -An -tx1 < "$work/face.kgm")
[ "$actual" = "$expected" ] || fail "face file holds $(cat -A "$work/face.kgm")"

# The composite is not white where the face lies.
import -window "$main" "$work/main.png"
colour=$(convert "$work/main.png" -crop 1x1+120+150 -format '%[hex:p{0,0}]' info:)
case "$colour" in FFFFFF*) fail "the composite is still white" ;; esac

exit_through_menu "$main"
echo "smoke_compose: passed"
