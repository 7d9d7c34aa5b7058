#!/bin/bash
# Render mark.mvg and pack it into a Windows .ico: 48/32/24/16 px at 4 and
# 8 bpp for old shells and low-colour sessions, a 256 px PNG for Explorer's
# large views, and 48/32/24/16 px at 32 bpp with alpha.
#
# Usage: make_icon.sh OUT.ico
set -euo pipefail

die() { echo "make_icon.sh: $*" >&2; exit 1; }

[ $# -eq 1 ] || die "usage: make_icon.sh OUT.ico"
out=$1

for tool in convert icotool; do
    command -v "$tool" >/dev/null 2>&1 ||
        die "'$tool' not found; on Debian: apt-get install -y imagemagick icoutils"
done

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mark=$here/mark.mvg
[ -r "$mark" ] || die "cannot read $mark"

tmp=$(mktemp -d)
pending=$out.new
trap 'rm -rf "$tmp" "$pending"' EXIT

# Same bytes on every run: one thread, fixed density, and none of the chunks
# that carry a timestamp, text or colour metadata.
export MAGICK_THREAD_LIMIT=1
png_opts=(-strip -define "png:exclude-chunk=date,time,text,bKGD,cHRM,gAMA"
          -units PixelsPerInch -density 96)

# Draw at 16x (4x for 256 px) and box-average down, so edges are exact pixel
# coverage. The -0.5 shift puts ImageMagick's pixel centres on the grid,
# otherwise the right and bottom edges come out heavier than the left and top.
render() {
    local n=$1 ss=16
    [ "$n" -gt 64 ] && ss=4
    local big=$((n * ss))
    local k
    k=$(awk -v b="$big" 'BEGIN { printf "%.6f", b / 256 }')
    convert -size "${big}x${big}" xc:none \
        -draw "translate -0.5,-0.5 scale $k,$k
$(cat "$mark")" \
        -scale "${n}x${n}" -depth 8 "${png_opts[@]}" "png32:$tmp/rgba-$n.png"
}

small=(48 32 24 16)
for n in 256 "${small[@]}"; do
    render "$n"
done

# Palette images have only an AND mask for transparency, so alpha is cut at
# half. No dithering: at these sizes it reads as noise.
for n in "${small[@]}"; do
    convert "$tmp/rgba-$n.png" -channel A -threshold 50% +channel \
        +dither -colors 15 "${png_opts[@]}" "png8:$tmp/p4-$n.png"
    convert "$tmp/rgba-$n.png" -channel A -threshold 50% +channel \
        +dither -colors 255 "${png_opts[@]}" "png8:$tmp/p8-$n.png"
done

list() { local p=$1; shift; for n in "$@"; do echo "$tmp/$p-$n.png"; done; }
mapfile -t p4 < <(list p4 "${small[@]}")
mapfile -t p8 < <(list p8 "${small[@]}")
mapfile -t rgba < <(list rgba "${small[@]}")

# Build beside the target and rename, so a failed run leaves no half icon.
mkdir -p "$(dirname "$out")"
icotool -c -o "$pending" \
    -b 4 "${p4[@]}" \
    -b 8 "${p8[@]}" \
    -r "$tmp/rgba-256.png" \
    -b 32 "${rgba[@]}"
mv -f "$pending" "$out"
