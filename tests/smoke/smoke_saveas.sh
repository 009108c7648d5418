#!/usr/bin/env bash
# The real program under Xvfb: Ctrl+S on a new face opens the real save
# dialog in the current folder; a name typed without an extension and Enter
# write name.kgm there. Typing the same name again asks before replacing it.
program=$(realpath "${1:?usage: smoke_saveas.sh PATH-TO-kaogumi}")
. "$(dirname "$0")/xvfb-session.sh"
work=$(mktemp -d)
trap 'stop_all; rm -rf "$work"' EXIT
cd "$work"

start_xvfb
unset QT_QPA_PLATFORM
"$program" &
APP_PID=$!
main=$(wait_window '無題 - かおぐみ')

# Take the first hair: the face is modified. The key reaches the picker
# before the focus moves on, since the server handles both in order.
hair=$(wait_window '髪')
xdotool windowfocus --sync "$hair"
xdotool key Return

xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+s
dialog=$(wait_window '顔の保存')
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 'myface'
xdotool key Return
poll test -s myface.kgm || fail "no myface.kgm in the current folder: $(ls -A)"
expected=$(printf '"","髪\\h00.svg","","",""\r\n"","00","","",""\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
[ "$(od -An -tx1 < myface.kgm)" = "$expected" ] || fail "myface.kgm holds $(cat -A myface.kgm)"
wait_gone "$dialog" "the save dialog"

# Save As onto the same name: the dialog asks before replacing the file.
printf 'keep' > keep.kgm
menu_command "$main" alt+f a
dialog=$(wait_window '顔の保存')
xdotool windowfocus --sync "$dialog"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 'keep'
xdotool key Return
question=$(wait_window '顔の保存' "$dialog")
# No: the file stays, the dialog stays open; Escape cancels it.
xdotool windowfocus --sync "$question"
xdotool key --clearmodifiers alt+n
wait_gone "$question" "the question before replacing keep.kgm"
[ "$(cat keep.kgm)" = keep ] || fail "keep.kgm was replaced although the answer was No"
is_viewable "$dialog" || fail "the save dialog closed with the answer No"
xdotool windowfocus --sync "$dialog"
xdotool key Escape
wait_gone "$dialog" "the save dialog"

exit_through_menu "$main"
echo "smoke_saveas: passed"
