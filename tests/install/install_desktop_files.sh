#!/usr/bin/env bash
# What desktops read from the installed tree passes their validators: the menu
# entry, the store entry (offline, with the menu entry and icon it names), and
# the file type, which the type database must turn into a .kgm glob.
set -euo pipefail
root=${1:?usage: install_desktop_files.sh PREFIX}
share=$root/share
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli update-mime-database; do
  command -v "$tool" >/dev/null || fail "missing $tool; scripts/install-deps installs it"
done

desktop=$(ls "$share"/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
grep -q '^Exec=kaogumi %f$' "$desktop" || fail "the menu entry does not start kaogumi on a file"
for metainfo in "$share"/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate: $metainfo"
done
# The tree as a whole: the store entry's launchable and icon must be there.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree: $root"

# The type database built from the installed package file alone.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/kaogumi.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2>&1 | tee "$work/log"
! grep -qi 'error\|warning' "$work/log" || fail "update-mime-database complained"
grep -qx '50:application/x-kaogumi-face:\*\.kgm' "$work/mime/globs2" ||
  fail "no *.kgm glob for application/x-kaogumi-face in $(cat "$work/mime/globs2")"
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
  for icon in apps/kaogumi mimetypes/application-x-kaogumi-face; do
    got=$(identify -format '%wx%h' "$share/icons/hicolor/$size/$icon.png") ||
      fail "no icon $size/$icon.png"
    [ "$got" = "$size" ] || fail "$size/$icon.png is $got"
  done
done
# A GTK desktop finds the type's own icon, not a generic one of its theme:
# GTK looks up every name GIO gives in the theme (Adwaita) before hicolor.
mkdir -p "$work/data"
cp -r "$work/mime" "$work/data/mime"
ln -s "$share/icons" "$work/data/icons"
found=$(XDG_DATA_DIRS="$work/data:/usr/share" /usr/bin/python3 -c '
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gio, Gtk
theme = Gtk.IconTheme.new()
theme.set_custom_theme("Adwaita")
info = theme.lookup_by_gicon(Gio.content_type_get_icon("application/x-kaogumi-face"), 48, 0)
print(info.get_filename() if info else "")') || fail "GTK's icon lookup did not run"
[[ "$found" == */hicolor/48x48/mimetypes/application-x-kaogumi-face.png ]] ||
  fail "GTK shows the face file type with $found"
echo "install_desktop_files: passed"
