#!/usr/bin/env bash
# The installed program, started through its bin/ link from a folder of its
# own with a face file named relative to that folder, draws the same face as
# the build tree's program: it finds its parts in its installed folder, not in
# the current one or the build tree. Checked on the window under Xvfb, and on
# the installed renderer's picture.
root=${1:?usage: install_runs_anywhere.sh PREFIX BUILD-TREE}
build=${2:?usage: install_runs_anywhere.sh PREFIX BUILD-TREE}
. "$(dirname "$0")/../smoke/xvfb-session.sh"
work=$(mktemp -d)
trap 'stop_all; rm -rf "$work"' EXIT
[ -L "$root/bin/kaogumi" ] && [ -x "$root/lib/kaogumi/kaogumi" ] ||
  fail "no bin/kaogumi link to lib/kaogumi/kaogumi under $root"

mkdir -p "$work/elsewhere"
face='顔 の ファイル.kgm'
printf '\357\273\277"顔\\f03.svg","髪\\h07.svg","目\\e12.svg","口\\m01.svg",""\r\n"03","07","12","01",""\r\n' \
  > "$work/elsewhere/$face"
cd "$work/elsewhere"

# window PROGRAM OUT: the program's main window with the face drawn, as a picture.
window() {
  "$1" "$face" &
  APP_PID=$!
  local win
  win=$(wait_window "$face - かおぐみ")
  drawn() { [ "$(pixel "$win" 120 150)" != FFFFFF ]; }
  poll drawn || fail "$1 drew no face (pixel $(pixel "$win" 120 150))"
  sleep 0.3
  import -window "$win" "$2"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
}
start_xvfb
unset QT_QPA_PLATFORM
window "$root/bin/kaogumi" "$work/installed.png"
window "$build/kaogumi" "$work/built.png"
differing=$(compare -metric AE "$work/installed.png" "$work/built.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "the installed program's window differs from the build's in $differing pixels"

env -i PATH=/usr/bin:/bin "$root/bin/kaogumi-render" -o "$work/installed-render.png" "$face" ||
  fail "the installed kaogumi-render failed"
"$build/kaogumi-render" -o "$work/built-render.png" "$face"
differing=$(compare -metric AE "$work/installed-render.png" "$work/built-render.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "the installed renderer's face differs from the build's in $differing pixels"
blank=$(convert "$work/installed-render.png" -fill black +opaque white -format '%[fx:mean==1]' info:)
[ "$blank" = 0 ] || fail "the installed renderer drew a blank picture"
echo "install_runs_anywhere: passed"
