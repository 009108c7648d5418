#!/usr/bin/env bash
# The real program under Xvfb on a private session bus with the
# accessibility bus, walked by smoke_atspi.py through pyatspi.
# (Debian's own python3: pyatspi is a Debian package.)
set -euo pipefail
program=${1:?usage: smoke_atspi.sh PATH-TO-kaogumi}
here=$(dirname "$0")
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in Xvfb xdpyinfo dbus-run-session /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
  command -v "$tool" >/dev/null || fail "missing $tool; scripts/install-deps installs it"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "missing python3-pyatspi; scripts/install-deps installs it"
if [ -z "${KAOGUMI_IN_SESSION:-}" ]; then
  exec env KAOGUMI_IN_SESSION=1 dbus-run-session -- bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
for n in $(seq 99 -1 90); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
[ -n "${display:-}" ] || fail "no free X display among :90-:99"
Xvfb "$display" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >/dev/null 2>&1 &
pids+=($!)
timeout 40 /usr/bin/python3 "$here/smoke_atspi.py" "$(basename "$program")"
