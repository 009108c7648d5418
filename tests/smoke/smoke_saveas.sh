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
main=$(wait_window 'かおぐみ')
sleep 1

# Take the first hair: the face is modified.
hair=$(wait_window '髪')
xdotool windowfocus --sync "$hair"
xdotool key Return
sleep 0.3

xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+s
dialog=$(wait_window '顔の保存') || fail "Ctrl+S on a new face opened no save dialog"
xdotool windowfocus --sync "$dialog"
sleep 0.5
xdotool type --delay 20 'myface'
xdotool key Return
for _ in $(seq 50); do [ -s myface.kgm ] && break; sleep 0.1; done
[ -s myface.kgm ] || fail "no myface.kgm in the current folder: $(ls -A)"
expected=$(printf '"","髪\\h00.png","","",""\r\n"","00","","",""\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
[ "$(od -An -tx1 < myface.kgm)" = "$expected" ] || fail "myface.kgm holds $(cat -A myface.kgm)"

# Save As onto the same name: the dialog asks before replacing the file.
printf 'keep' > keep.kgm
menu_command "$main" alt+f a
dialog=$(wait_window '顔の保存') || fail "名前を付けて保存 opened no dialog"
xdotool windowfocus --sync "$dialog"
sleep 0.5
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 'keep'
xdotool key Return
sleep 0.5
question=$(xdotool search --onlyvisible --name '顔の保存' | grep -vx "$dialog" | head -n 1) || true
[ -n "$question" ] || fail "no question before replacing keep.kgm"
# No: the file stays, the dialog stays open; Escape cancels it.
xdotool windowfocus --sync "$question"
xdotool key --clearmodifiers alt+n
sleep 0.3
[ "$(cat keep.kgm)" = keep ] || fail "keep.kgm was replaced although the answer was No"
xdotool windowfocus --sync "$dialog"
xdotool key Escape
sleep 0.3

exit_through_menu "$main"
echo "smoke_saveas: passed"
