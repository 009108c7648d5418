#!/usr/bin/env bash
# The real program in a Wayland session (weston without a screen). With only
# Wayland, every window carries the menu entry's id as its app id and the
# pickers are transient children of the main window. With an X display beside
# it (XWayland; an Xvfb stands in for it), the program runs on X, where the
# pickers keep their column, and its windows' class is the entry's
# StartupWMClass. SHOT=FILE keeps a screenshot of the Wayland-only session.
set -euo pipefail
program=${1:?usage: smoke_wayland.sh PATH-TO-kaogumi}
entry="$(dirname "$0")/../../desktop/io.github.kaogumi.Kaogumi.desktop"
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in weston weston-screenshooter Xvfb xdotool xprop xdpyinfo; do
  command -v "$tool" >/dev/null || fail "missing $tool; scripts/install-deps installs it"
done
[ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so ] ||
  fail "missing Qt's Wayland plugin (package qt6-wayland)"

work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
# poll TRIES COMMAND...: runs COMMAND every 0.1 s until it succeeds.
poll() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }

export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=kaogumi-desktop-$$
weston --backend=headless-backend.so --use-pixman --debug --idle-time=0 \
  --socket="$socket" --width=1600 --height=1200 >"$work/weston.log" 2>&1 &
pids+=($!)
poll 100 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start: $(cat "$work/weston.log")"
export WAYLAND_DISPLAY=$socket
unset QT_QPA_PLATFORM DISPLAY

app_id=$(basename "$entry" .desktop)
wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$wm_class" ] || fail "the menu entry names no StartupWMClass"

# Wayland only: five windows, each with the entry's id, the four pickers
# children of the main window.
WAYLAND_DEBUG=1 "$program" 2>"$work/wayland.log" &
app=$!
pids+=($app)
toplevels() { [ "$(grep -c 'xdg_toplevel@[0-9]*\.set_app_id' "$work/wayland.log")" -ge 5 ] &&
  [ "$(grep -c 'xdg_toplevel@[0-9]*\.set_parent(xdg_toplevel@' "$work/wayland.log")" -ge 4 ]; }
poll 150 toplevels || fail "expected 5 windows, 4 with a parent: $(grep -E 'set_app_id|set_parent|set_title' "$work/wayland.log")"
others=$(grep -o 'set_app_id("[^"]*")' "$work/wayland.log" | grep -v "\"$app_id\"" || true)
[ -z "$others" ] || fail "app ids other than $app_id: $others"
if [ -n "${SHOT:-}" ]; then
  sleep 1 # the windows' first frames; nothing to await from outside
  (cd "$work" && weston-screenshooter) || fail "no screenshot"
  mv "$work"/wayland-screenshot-*.png "$SHOT"
fi
kill "$app"

# XWayland beside it: the program runs on X, the pickers in their column.
for n in $(seq 90 99); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
[ -n "${display:-}" ] || fail "no free X display among :90-:99"
Xvfb "$display" -screen 0 1600x1200x24 -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
poll 100 xdpyinfo >/dev/null 2>&1 || fail "Xvfb $display did not start"
WAYLAND_DEBUG=1 "$program" 2>"$work/x11.log" &
pids+=($!)
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
column() {
  main=$(window '無題 - かおぐみ') && [ -n "$main" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/M/')"
  local top=$MY c
  for c in 髪 目 顔 口; do
    id=$(window "$c") && [ -n "$id" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/P/')"
    [ "$PX" -eq $((MX + MWIDTH)) ] && [ "$PY" -eq "$top" ] || return 1
    top=$((top + PHEIGHT))
  done
}
poll 150 column || fail "the pickers are not in a column beside the main window on X"
! grep -q set_app_id "$work/x11.log" || fail "the program went to Wayland although X is there"
class=$(xprop -id "$main" WM_CLASS | sed 's/.*= //')
[[ "$class" == *"\"$wm_class\"" ]] || fail "WM_CLASS $class does not end in the entry's $wm_class"
echo "ok: Wayland app id $app_id, pickers with a parent; on XWayland a column, WM_CLASS $class"
