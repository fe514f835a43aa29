#!/usr/bin/env bash
# Makes the picture gallery afresh in a temporary folder with the program under test and
# compares it with docs/: gallery.md must be the same text, every picture must be there
# and look the same (ImageMagick's compare: at most one pixel in a thousand differing by
# more than 3 % of full scale), and docs/gallery/ must hold no picture that is no longer
# made.
#   check_gallery.sh <program> <source-dir>
set -euo pipefail
xyla=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*; scripts/gallery makes the gallery again" >&2; exit 1; }

"$source/scripts/gallery" "$xyla" "$work" >/dev/null
diff -u "$source/docs/gallery.md" "$work/gallery.md" || fail "docs/gallery.md is out of date"
for made in "$work"/gallery/*.png; do
  name=$(basename "$made")
  kept="$source/docs/gallery/$name"
  [ -f "$kept" ] || fail "docs/gallery/$name is missing"
  [ "$(identify -format '%wx%h' "$made")" = "$(identify -format '%wx%h' "$kept")" ] || fail "$name has another size"
  pixels=$(identify -format '%[fx:w*h]' "$made")
  differing=$(compare -metric AE -fuzz 3% "$made" "$kept" null: 2>&1 || true)
  [ "${differing%%.*}" -le $((pixels / 1000)) ] 2>/dev/null || fail "$name differs in $differing of $pixels pixels"
done
for kept in "$source"/docs/gallery/*.png; do
  [ -f "$work/gallery/$(basename "$kept")" ] || fail "docs/gallery/$(basename "$kept") is made by no macro"
done
echo "gallery ok: $(ls "$work"/gallery/*.png | wc -l) pictures"
