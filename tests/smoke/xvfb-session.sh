# Shared by the smoke tests and the screenshot scripts: a private Xvfb (with
# openbox when asked), helpers that wait for what a user would wait for, and
# helpers to type into the program as a user does.
set -euo pipefail

# fail MESSAGE: ends the test, naming the windows on the screen at the time.
fail() {
  echo "FAIL: $*" >&2
  if [ -n "${XVFB_PID:-}" ]; then
    local id
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
      echo "  window $id \"$(xdotool getwindowname "$id" 2>/dev/null)\"" \
        "$(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | sed 's/.*= //')" >&2
    done
  fi
  exit 1
}

# require_tools TOOL...: fails, naming the Debian package, unless every tool is
# there. A missing tool fails the test instead of leaving it out.
require_tools() {
  local tool missing=()
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 && continue
    case "$tool" in
      Xvfb) missing+=("Xvfb (package xvfb)") ;;
      xdpyinfo | xprop | xwininfo) missing+=("$tool (package x11-utils)") ;;
      import | convert) missing+=("$tool (package imagemagick)") ;;
      *) missing+=("$tool (package $tool)") ;;
    esac
  done
  [ ${#missing[@]} -eq 0 ] ||
    fail "missing: ${missing[*]}; scripts/install-deps installs them"
}
require_tools Xvfb xdotool xdpyinfo xprop xwininfo import convert

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

# start_openbox: openbox with its stock configuration (never the user's), up
# once it has announced itself on the root window.
start_openbox() {
  require_tools openbox
  local config=()
  [ -f /etc/xdg/openbox/rc.xml ] && config=(--config-file /etc/xdg/openbox/rc.xml)
  openbox --sm-disable "${config[@]}" >/dev/null 2>&1 &
  WM_PID=$!
  wait_until "openbox to manage the display" \
    eval '[[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]]'
}

# A program told to end by a signal keeps a face with unsaved changes in its
# state folder, and offers it at its next start: these sessions keep theirs
# apart from the user's, and remove it once the program has ended.
SESSION_STATE=$(mktemp -d /tmp/kaogumi-state-XXXXXX)
export XDG_STATE_HOME=$SESSION_STATE

stop_all() {
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null || true
  rm -rf "$SESSION_STATE"

  [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# poll COMMAND...: runs COMMAND every tenth of a second until it succeeds;
# returns 1 if it still fails after ten seconds.
poll() {
  for _ in $(seq 100); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# wait_until WHAT COMMAND...: poll, and fail the test, saying what it waited
# for, if COMMAND never succeeds.
wait_until() {
  local what=$1
  shift
  poll "$@" || fail "waited 10 s for $what"
}

# visible_named NAME [EXCEPT]: prints the first visible window of that exact
# name other than EXCEPT; fails when there is none.
visible_named() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    [ "$id" = "${2:-}" ] && continue
    echo "$id"
    return 0
  done
  return 1
}

# wait_window NAME [EXCEPT]: the id of the first visible window with that exact
# name (other than EXCEPT), once there is one.
wait_window() {
  for _ in $(seq 100); do
    visible_named "$@" && return 0
    sleep 0.1
  done
  fail "no window named $1 appeared within 10 s"
}

is_viewable() { [[ "$(xwininfo -id "$1" 2>/dev/null)" == *'Map State: IsViewable'* ]]; }
is_gone() { ! is_viewable "$1"; }

# wait_gone WINDOW WHAT: until the window is closed (or unmapped).
wait_gone() { wait_until "$2 to close" is_gone "$1"; }

# menu_open: a menu of the program has popped up: a window of its own that
# bypasses the window manager and is no tool tip. (Qt names the type of a
# menu's window only the first time it pops up.)
menu_open() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
    [[ "$(xwininfo -id "$id" 2>/dev/null)" == *'Override Redirect State: yes'* ]] || continue
    [[ "$(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null)" == *TOOLTIP* ]] || return 0
  done
  return 1
}

# menu_command WINDOW MENU-KEY ITEM-KEY: a command chosen from the menu bar by
# its mnemonics, as a keyboard user does (alt+f, then c for 終了).
menu_command() {
  xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "$2"
  wait_until "the menu of $2 to open" menu_open
  xdotool key "$3"
}

# pixel WINDOW X Y: the colour (RRGGBB) at that point of the window's contents.
pixel() {
  import -window "$1" -crop "1x1+$2+$3" +repage -depth 8 -format '%[hex:p{0,0}]' info:- | cut -c1-6
}

# wait_exit PID SECONDS: the program's exit code, or failure if it still runs.
wait_exit() {
  for _ in $(seq $(($2 * 10))); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      return $?
    fi
    sleep 0.1
  done
  echo "the program did not end within $2 s" >&2
  return 1
}

# exit_through_menu WINDOW: File → Exit; fails unless the program then ends
# without a question.
exit_through_menu() {
  menu_command "$1" alt+f c
  wait_exit "$APP_PID" 10 || fail "the program did not end through Exit"
  APP_PID=
}
