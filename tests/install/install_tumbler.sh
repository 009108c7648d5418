#!/usr/bin/env bash
# Xfce's thumbnail service makes the thumbnails of a face file through the
# installed thumbnailer entry: tumblerd on a bus of the test's own, asked over
# D-Bus for the normal and the large flavour. It hands the thumbnailer an
# empty file that it holds open and then reads, so a thumbnail written beside
# it and renamed over its name never reaches it.
set -euo pipefail
root=$(realpath "${1:?usage: install_tumbler.sh PREFIX}")
fail() { echo "FAIL: $*" >&2; exit 1; }
tumblerd=/usr/lib/x86_64-linux-gnu/tumbler-1/tumblerd
for tool in "$tumblerd" dbus-run-session python3 identify; do
  command -v "$tool" >/dev/null || fail "missing $tool; scripts/install-deps installs it"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/faces" "$work/cache" "$work/config"
face="$work/faces/a face.kgm"
# UTF-8 with its byte-order mark, as the program writes a face file that code
# page 932 cannot hold; the same face file as in install_thumbnailer.sh.
printf '\357\273\277"顔\\f03.svg","髪\\h07.svg","目\\e12.svg","口\\m01.svg",""\r\n"03","07","12","01",""\r\n' > "$face"
uri=$(python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).as_uri())' "$face")

# session SCRIPT: runs inside the private bus; tumblerd finds the thumbnailer
# entry and the file type in the installed share folder, and the command on
# PATH. Its own settings and cache are the test's.
cat > "$work/session.sh" <<'EOF'
set -u
"$TUMBLERD" &
tumbler=$!
status=0
for flavour in normal large; do
  echo "$flavour: $(timeout 40 /usr/bin/python3 "$CLIENTS" tumbler "$flavour" "$URI" application/x-kaogumi-face)" ||
    status=1
done
kill "$tumbler"
wait "$tumbler" 2>/dev/null
exit $status
EOF
env -i PATH="$root/bin:/usr/bin:/bin" HOME="$work" LANG=C.UTF-8 \
  XDG_DATA_DIRS="$root/share:/usr/share" XDG_CACHE_HOME="$work/cache" \
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" \
  TUMBLERD="$tumblerd" CLIENTS="$(dirname "$0")/thumbnail_clients.py" URI="$uri" \
  dbus-run-session -- bash "$work/session.sh" > "$work/answers" 2>"$work/log" ||
  { cat "$work/answers" "$work/log"; fail "tumblerd gave no answer in time"; }
cat "$work/answers"

name=$(printf '%s' "$uri" | md5sum | cut -d' ' -f1).png
for flavour in normal:128 large:256; do
  size=${flavour#*:}
  flavour=${flavour%:*}
  grep -qx "$flavour: ready" "$work/answers" || { cat "$work/log"; fail "no $flavour thumbnail"; }
  thumbnail=$work/cache/thumbnails/$flavour/$name
  [ -s "$thumbnail" ] || fail "tumblerd wrote no $thumbnail"
  got=$(identify -format '%wx%h' "$thumbnail") || fail "$thumbnail does not decode"
  # The face is 249 × 265: its height is the longer side.
  [ "$got" = "$(( (249 * size + 132) / 265 ))x$size" ] || fail "the $flavour thumbnail is $got"
  blank=$(convert "$thumbnail" -fill black +opaque white -format '%[fx:mean==1]' info:)
  [ "$blank" = 0 ] || fail "the $flavour thumbnail is blank"
done
echo "install_tumbler: passed"
