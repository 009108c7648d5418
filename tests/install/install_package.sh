#!/usr/bin/env bash
# The Debian package, built from this tree into a folder of the test run: it
# holds the installed layout under /usr, its dependencies came from
# dpkg-shlibdeps with the help viewer added, and lintian (pedantic) finds no error or warning in it.
# (Installing it is left to a person: dpkg -i changes the machine.)
set -euo pipefail
build=${1:?usage: install_package.sh BUILD-TREE}
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || fail "missing $tool; scripts/install-deps installs it"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 ||
  { cat "$work/log"; fail "cpack failed"; }
deb=$(ls "$work"/kaogumi_*.deb)

dpkg-deb -c "$deb" | awk '{print $6 $7 $8}' > "$work/contents"
for path in './usr/bin/kaogumi->../lib/kaogumi/kaogumi' \
            './usr/bin/kaogumi-render->../lib/kaogumi/kaogumi-render' \
            ./usr/lib/kaogumi/kaogumi ./usr/lib/kaogumi/kaogumi-render \
            ./usr/lib/kaogumi/kaogumi.qch ./usr/lib/kaogumi/kaogumi.qhc \
            './usr/lib/kaogumi/髪->../../share/kaogumi/髪' './usr/lib/kaogumi/口->../../share/kaogumi/口' \
            ./usr/share/kaogumi/髪/h00.svg ./usr/share/kaogumi/目/e00.svg \
            ./usr/share/kaogumi/顔/f15.svg ./usr/share/kaogumi/口/m15.svg \
            ./usr/share/applications/io.github.kaogumi.Kaogumi.desktop \
            ./usr/share/metainfo/io.github.kaogumi.Kaogumi.metainfo.xml \
            ./usr/share/mime/packages/kaogumi.xml \
            ./usr/share/thumbnailers/kaogumi.thumbnailer \
            ./usr/share/icons/hicolor/scalable/apps/kaogumi.svg \
            ./usr/share/icons/hicolor/48x48/mimetypes/application-x-kaogumi-face.png \
            ./usr/share/man/man1/kaogumi.1.gz ./usr/share/man/man1/kaogumi-render.1.gz \
            ./usr/share/doc/kaogumi/copyright ./usr/share/doc/kaogumi/changelog.gz; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
! grep -q '^./usr/lib/x86_64\|^./usr/local' "$work/contents" || fail "files outside the layout"
# The library is drawings only: a picture of the library as it was before,
# left in a build folder, would be listed as sixteen parts more.
! grep -q '^./usr/share/kaogumi/.*/[fehm][0-9][0-9]\.png$' "$work/contents" ||
  fail "the package holds pictures of the old library"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in assistant-qt6 libqt6core6 libqt6widgets6 libc6; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done

lintian --pedantic --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1 || true
cat "$work/lintian"
! grep -q '^[EW]: ' "$work/lintian" || fail "lintian reports errors or warnings"
# Data that no architecture changes (the part pictures) lies under /usr/share.
! grep -q 'image-file-in-usr-lib' "$work/lintian" || fail "pictures under /usr/lib"
echo "install_package: passed"
