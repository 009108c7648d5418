#!/usr/bin/env bash
# GNOME's thumbnail factory makes a face file's thumbnails from the Debian
# package, as GNOME's file manager does: the factory runs the thumbnailer
# inside bubblewrap, which shows it /usr and a private /tmp that the factory
# removes afterwards, warning about anything left in it. The thumbnailer must
# make its thumbnail and leave nothing there.
#
# The package is not installed into the system: its files are laid over /usr
# (an overlay mount) in a mount namespace of the test's own, which the
# sandbox's /usr then shows, and which vanishes with the test.
set -euo pipefail
build=$(realpath "${1:?usage: install_gnome_thumbnailer.sh BUILD-TREE}")
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }
for tool in cpack dpkg-deb unshare bwrap update-mime-database python3 identify convert; do
  command -v "$tool" >/dev/null || fail "missing $tool; scripts/install-deps installs it"
done
/usr/bin/python3 -c 'import gi; gi.require_version("GnomeDesktop", "3.0")' 2>/dev/null ||
  fail "missing gir1.2-gnomedesktop-3.0; scripts/install-deps installs it"
[ "$(id -u)" = 0 ] || skip "laying the package over /usr in a mount namespace needs root"
# The sandbox needs namespaces of its own; where it cannot have them (some
# containers), no GNOME desktop could make thumbnails either.
bwrap --ro-bind / / --unshare-all true 2>/dev/null ||
  skip "bubblewrap cannot make a sandbox on this machine"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 ||
  { cat "$work/log"; fail "cpack failed"; }
dpkg-deb -x "$work"/package/kaogumi_*.deb "$work/root"
# The face file type, known to the factory through a type database of the
# package's type file.
mkdir -p "$work/types/mime/packages" "$work/faces" "$work/home"
cp "$work/root/usr/share/mime/packages/kaogumi.xml" "$work/types/mime/packages/"
update-mime-database "$work/types/mime" >/dev/null 2>&1 || fail "update-mime-database failed"

face="$work/faces/a face.kgm"
# UTF-8 with its byte-order mark, as the program writes a face file that code
# page 932 cannot hold; the same face file as in install_thumbnailer.sh.
printf '\357\273\277"顔\\f03.svg","髪\\h07.svg","目\\e12.svg","口\\m01.svg",""\r\n"03","07","12","01",""\r\n' > "$face"
uri=$(python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).as_uri())' "$face")
clients=$(realpath "$(dirname "$0")/thumbnail_clients.py")

for size in normal large; do
  # The factory prints its messages, the sandbox's command among them, with
  # G_MESSAGES_DEBUG=all.
  # A sanitizer build's leak checker cannot work under the sandbox's system
  # call filter (it needs ptrace); its other checks still do.
  env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 G_MESSAGES_DEBUG=all \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    XDG_DATA_DIRS="$work/types:/usr/share" XDG_CACHE_HOME="$work/home/cache" \
    timeout 40 unshare -m --propagation private sh -c '
      mount -t overlay kaogumi -o "lowerdir=$1/usr:/usr" /usr &&
      exec /usr/bin/python3 "$2" gnome "$3" "$4" application/x-kaogumi-face "$5"' \
      sh "$work/root" "$clients" "$size" "$uri" "$work/$size.png" > "$work/messages-$size" 2>&1 ||
    { cat "$work/messages-$size"; fail "the factory did not answer for $size"; }
  # GLib prints debugging messages on standard output too.
  answer=$(grep -E '^(ready|error)' "$work/messages-$size" | tail -n 1)
  grep -q 'About to launch script: bwrap' "$work/messages-$size" ||
    { cat "$work/messages-$size"; fail "the factory ran no sandbox for $size"; }
  if grep -qi 'left files' "$work/messages-$size"; then
    cat "$work/messages-$size"
    fail "the thumbnailer left files in the sandbox's /tmp ($size)"
  fi
  # The factory's sizes: 128 normal, 256 large; the face is taller than wide.
  expected=$([ "$size" = normal ] && echo 120x128 || echo 241x256)
  [ "$answer" = "ready $expected" ] ||
    { cat "$work/messages-$size"; fail "$size: $answer, not a $expected thumbnail"; }
  blank=$(convert "$work/$size.png" -fill black +opaque white -format '%[fx:mean==1]' info:)
  [ "$blank" = 0 ] || fail "the $size thumbnail is blank"
  echo "$size: $answer"
done
[ ! -e /usr/lib/kaogumi ] || [ -n "$(dpkg-query -S /usr/lib/kaogumi 2>/dev/null)" ] ||
  fail "the package's files were left in /usr"
echo "install_gnome_thumbnailer: passed"
