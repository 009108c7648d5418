#!/usr/bin/env bash
# The installed thumbnailer entry's command, run as a file manager runs it: no
# display, an empty environment but PATH, the working folder elsewhere. It must
# write a PNG whose longer side is the size asked for, showing the face the
# build tree's renderer draws at that size.
set -euo pipefail
root=${1:?usage: install_thumbnailer.sh PREFIX BUILD-TREE}
build=${2:?usage: install_thumbnailer.sh PREFIX BUILD-TREE}
fail() { echo "FAIL: $*" >&2; exit 1; }
entry=$root/share/thumbnailers/kaogumi.thumbnailer
[ -f "$entry" ] || fail "no thumbnailer entry at $entry"
grep -qx 'MimeType=application/x-kaogumi-face;' "$entry" || fail "the entry names no face file type"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
face="$work/a face.kgm"
printf '\357\273\277"顔\\f03.svg","髪\\h07.svg","目\\e12.svg","口\\m01.svg",""\r\n"03","07","12","01",""\r\n' > "$face"

for size in 128 256; do
  out=$work/thumbnail-$size-XXXX
  # The fields as a file manager fills them in, each one word.
  read -r -a words <<<"$exec_line"
  argv=()
  for word in "${words[@]}"; do
    case "$word" in
      %s) argv+=("$size") ;; %o) argv+=("$out") ;; %i) argv+=("$face") ;;
      %u) argv+=("file://$face") ;; *) argv+=("$word") ;;
    esac
  done
  (cd / && env -i PATH="$root/bin:/usr/bin:/bin" "${argv[@]}") ||
    fail "the thumbnailer command failed: ${argv[*]}"
  [ "$(head -c 8 "$out" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$out is not a PNG"
  height=$(identify -format '%h' "$out")
  [ "$height" = "$size" ] || fail "asked for $size, got a picture $height high"
  "$build/kaogumi-render" --size "$size" -o "$work/expected.png" "$face"
  differing=$(compare -metric AE "$out" "$work/expected.png" null: 2>&1) || true
  [ "$differing" = 0 ] || fail "the thumbnail at $size differs from the face in $differing pixels"
  blank=$(convert "$out" -fill black +opaque white -format '%[fx:mean==1]' info:)
  [ "$blank" = 0 ] || fail "the thumbnail at $size is blank"
done
echo "install_thumbnailer: passed"
