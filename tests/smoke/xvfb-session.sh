# Shared by the smoke tests: a private Xvfb, and helpers to wait for windows
# and to type into the program as a user would.
set -euo pipefail

start_xvfb() {
  for n in $(seq 150 250); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
      echo "Xvfb :$n did not start" >&2
      return 1
    fi
  done
  echo "no free display number" >&2
  return 1
}

stop_all() {
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# wait_window NAME: the id of the first visible window with that exact name.
wait_window() {
  for _ in $(seq 150); do
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  echo "no window named $1 appeared" >&2
  return 1
}

# wait_exit PID SECONDS: the program's exit code, or failure if it still runs.
wait_exit() {
  for _ in $(seq $(( $2 * 10 ))); do
    if ! kill -0 "$1" 2>/dev/null; then wait "$1"; return $?; fi
    sleep 0.1
  done
  echo "the program did not end within $2 s" >&2
  return 1
}

fail() { echo "FAIL: $*" >&2; exit 1; }

# menu_command WINDOW MENU-KEY ITEM-KEY: a command chosen from the menu bar by
# its mnemonics, as a keyboard user does (alt+f, then c for 終了).
menu_command() {
  xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "$2"
  sleep 0.4
  xdotool key "$3"
}

# exit_through_menu WINDOW: File → Exit; fails unless the program then ends
# without a question.
exit_through_menu() {
  menu_command "$1" alt+f c
  wait_exit "$APP_PID" 10 || fail "the program did not end through Exit"
  APP_PID=
}
