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
main=$(wait_window 'face.kgm - かおぐみ')
pickers=()
for category in 髪 目 顔 口; do pickers+=("$(wait_window "$category")"); done

# The column stands beside the main window, each picker under the one before.
column=
in_column() {
  local MX MY MWIDTH MHEIGHT PX PY PWIDTH PHEIGHT SCREEN WINDOW id left top
  eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/M/')"
  left=$((MX + MWIDTH)) top=$MY column="main at $MX,$MY ${MWIDTH}x$MHEIGHT;"
  for id in "${pickers[@]}"; do
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/P/')"
    column+=" picker at $PX,$PY ${PWIDTH}x$PHEIGHT;"
    [ "$PX" -eq "$left" ] && [ "$PY" -eq "$top" ] || return 1
    top=$((PY + PHEIGHT))
  done
}
poll in_column || fail "the pickers stand out of their column: $column"

# Edit menu, バーコード(&V): the prompt comes up with the current code.
menu_command "$main" alt+e v
prompt=$(wait_window 'かおぐみ' "$main")
xdotool windowfocus --sync "$prompt"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 '403120705'
xdotool key Return
wait_gone "$prompt" "the face code prompt"

xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+s
poll test -s "$work/face.kgm" || fail "Ctrl+S wrote no face file"
expected=$(printf '"顔\\f03.svg","髪\\h07.svg","目\\e12.svg","口\\m05.svg",""\r\n"03","07","12","05",""\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
actual=$(od -An -tx1 < "$work/face.kgm")
[ "$actual" = "$expected" ] || fail "face file holds $(cat -A "$work/face.kgm")"

# The composite is not white where the face lies.
colour=$(pixel "$main" 120 150)
[ "$colour" != FFFFFF ] || fail "the composite is still white"

exit_through_menu "$main"
echo "smoke_compose: passed"
