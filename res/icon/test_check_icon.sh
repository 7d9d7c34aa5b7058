#!/bin/bash
# Build the icon, check it passes, then repack its images wrongly and check
# that check_icon.sh rejects each variant with the expected message.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$here/make_icon.sh" "$tmp/good.ico"
"$here/check_icon.sh" "$tmp/good.ico"

mkdir "$tmp/x"
icotool -x -o "$tmp/x" "$tmp/good.ico"
# icotool -x names images good_INDEX_WxHxBPP.png
img() { echo "$tmp/x/good_$1.png"; }
p4="$(img 1_48x48x4) $(img 2_32x32x4) $(img 3_24x24x4) $(img 4_16x16x4)"
p8="$(img 5_48x48x8) $(img 6_32x32x8) $(img 7_24x24x8) $(img 8_16x16x8)"
big=$(img 9_256x256x32)
rgba="$(img 10_48x48x32) $(img 11_32x32x32) $(img 12_24x24x32) $(img 13_16x16x32)"

# name | icotool arguments | expected message
cases=(
  "no 256|-b 4 $p4 -b 8 $p8 -b 32 $rgba|expected 13 images, got 12"
  "256 as BMP|-b 4 $p4 -b 8 $p8 -b 32 $big $rgba|image 9: expected 256x256 32bpp PNG, got 256x256 32bpp BMP"
  "depths swapped|-b 8 $p4 -b 4 $p8 -r $big -b 32 $rgba|image 1: expected 48x48 4bpp BMP, got 48x48 8bpp BMP"
  "sizes reversed|-b 4 $(img 4_16x16x4) $(img 3_24x24x4) $(img 2_32x32x4) $(img 1_48x48x4) -b 8 $p8 -r $big -b 32 $rgba|image 1: expected 48x48 4bpp BMP, got 16x16 4bpp BMP"
  "small PNG|-b 4 $p4 -b 8 $p8 -r $big -r $(img 10_48x48x32) -b 32 ${rgba#* }|image 10: expected 48x48 32bpp BMP, got 48x48 32bpp PNG"
)

failed=0
for case in "${cases[@]}"; do
    IFS='|' read -r name args want <<<"$case"
    # shellcheck disable=SC2086  # args is a word list on purpose
    icotool -c -o "$tmp/bad.ico" $args
    if "$here/check_icon.sh" "$tmp/bad.ico" 2>"$tmp/err"; then
        echo "FAIL $name: accepted"; failed=1
    elif ! grep -qF "$want" "$tmp/err"; then
        echo "FAIL $name: expected message '$want', got:"; cat "$tmp/err"; failed=1
    fi
done

# A cut-off file must be rejected, not crash the parser.
head -c 300 "$tmp/good.ico" >"$tmp/bad.ico"
if "$here/check_icon.sh" "$tmp/bad.ico" 2>"$tmp/err" || ! grep -q "image 1: expected 1640 bytes at 214, got a 300-byte file" "$tmp/err"; then
    echo "FAIL truncated:"; cat "$tmp/err"; failed=1
fi

exit "$failed"
