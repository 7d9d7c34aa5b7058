#!/bin/bash
# Check that an .ico holds exactly the images make_icon.sh is meant to pack,
# in order: Windows picks the first best match, and XP-era shells cannot
# read PNG entries, so only the 256 px one may be PNG.
#
# Usage: check_icon.sh ICO
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: check_icon.sh ICO" >&2; exit 2; }
command -v python3 >/dev/null 2>&1 || { echo "check_icon.sh: python3 not found" >&2; exit 2; }

exec python3 - "$1" <<'EOF'
import struct
import sys

# (size, bits per pixel, stored as PNG)
EXPECTED = (
    [(n, 4, False) for n in (48, 32, 24, 16)]
    + [(n, 8, False) for n in (48, 32, 24, 16)]
    + [(256, 32, True)]
    + [(n, 32, False) for n in (48, 32, 24, 16)]
)

path = sys.argv[1]
errors = []


def fail(*msgs):
    for msg in msgs:
        print(f"check_icon.sh: {path}: {msg}", file=sys.stderr)
    sys.exit(1)


def describe(size, bpp, png):
    return f"{size}x{size} {bpp}bpp {'PNG' if png else 'BMP'}"


def inspect(img):
    """Return (description, problems) for one image's data."""
    if img[:8] == b"\x89PNG\r\n\x1a\n":
        if len(img) < 33 or img[12:16] != b"IHDR":
            return "broken PNG", []
        w, h, depth, ctype = struct.unpack_from(">IIBB", img, 16)
        if (depth, ctype) == (8, 6):  # 8-bit RGBA
            return f"{w}x{h} 32bpp PNG", []
        return f"{w}x{h} PNG with bit depth {depth}, colour type {ctype}", []

    if len(img) < 40:
        return "truncated BMP header", []
    hsize, w, h, planes, bpp, comp, _, _, _, used = struct.unpack_from("<IiiHHIIiiI", img)
    if hsize != 40 or comp != 0:
        return f"BMP with header size {hsize}, compression {comp}", []
    # A DIB in an icon stacks the colour image and its AND mask: height is doubled.
    if h != 2 * w:
        return f"{w}x{h} {bpp}bpp BMP, height not twice the width", []
    desc = f"{w}x{w} {bpp}bpp BMP"
    problems = []
    colours = 1 << bpp if bpp <= 8 else 0
    if bpp <= 8 and used not in (0, colours):
        problems.append(f"expected a {colours}-colour palette, got {used}")
    stride = lambda bits: (w * bits + 31) // 32 * 4
    pixels = 40 + colours * 4
    need = pixels + stride(bpp) * w + stride(1) * w
    if len(img) < need:
        problems.append(f"expected {need} bytes with AND mask, got {len(img)}")
    elif bpp == 32 and not any(img[pixels + 3:pixels + stride(32) * w:4]):
        problems.append("expected some alpha, got a fully transparent alpha channel")
    return desc, problems


with open(path, "rb") as f:
    data = f.read()

if len(data) < 6:
    fail(f"expected an icon header, got {len(data)} bytes")
reserved, kind, count = struct.unpack_from("<HHH", data)
if (reserved, kind) != (0, 1):
    fail(f"expected an icon header (0, 1), got ({reserved}, {kind})")
if count != len(EXPECTED):
    fail(f"expected {len(EXPECTED)} images, got {count}")
if len(data) < 6 + 16 * count:
    fail(f"expected a {16 * count}-byte directory, got a {len(data)}-byte file")

for i, (size, bpp, png) in enumerate(EXPECTED):
    w, h, _, _, _, dir_bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
    where = f"image {i + 1}"
    want = describe(size, bpp, png)
    if offset + length > len(data):
        errors.append(f"{where}: expected {length} bytes at {offset}, got a {len(data)}-byte file")
        continue
    got, problems = inspect(data[offset:offset + length])
    if got != want:
        errors.append(f"{where}: expected {want}, got {got}")
        continue
    # The directory is what Windows reads to choose an image; it must agree.
    dir_got = (w or 256, h or 256, dir_bpp)
    if dir_got != (size, size, bpp):
        errors.append(f"{where}: expected directory entry {size}x{size} {bpp}bpp, "
                      f"got {dir_got[0]}x{dir_got[1]} {dir_got[2]}bpp")
    errors += [f"{where}: {p}" for p in problems]

if errors:
    fail(*errors)
EOF
