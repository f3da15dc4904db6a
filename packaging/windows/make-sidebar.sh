#!/usr/bin/env bash
# Regenerates sidebar.bmp, the picture on the installer's and uninstaller's first and last
# pages (164 x 314, 24-bit, as NSIS's Modern UI wants it), from the programs' SVG icons.
# Needs rsvg-convert (librsvg2-bin) and python3.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/../korvane.svg" "$here/../palisor.svg" "$work/"
cat >"$work/sidebar.svg" <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="164" height="314" viewBox="0 0 164 314">
  <defs>
    <linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#2f6db5"/>
      <stop offset="1" stop-color="#0f2a52"/>
    </linearGradient>
  </defs>
  <rect width="164" height="314" fill="url(#bg)"/>
  <g fill="none" stroke="#ffffff" stroke-opacity="0.10" stroke-width="2">
    <path d="M-10 230 C 40 200, 90 260, 180 220"/>
    <path d="M-10 250 C 40 220, 90 280, 180 240"/>
    <path d="M-10 270 C 40 240, 90 300, 180 260"/>
  </g>
  <image x="50" y="36" width="64" height="64" xlink:href="korvane.svg"/>
  <image x="50" y="124" width="64" height="64" xlink:href="palisor.svg"/>
  <g fill="#ffffff" font-family="DejaVu Sans, sans-serif" text-anchor="middle">
    <text x="82" y="116" font-size="13" font-weight="bold">Korvane</text>
    <text x="82" y="204" font-size="13" font-weight="bold">Palisor</text>
  </g>
</svg>
SVG
rsvg-convert "$work/sidebar.svg" -o "$work/sidebar.png"
# PNG (8-bit RGB or RGBA, as rsvg-convert writes it) to a bottom-up 24-bit BMP.
python3 - "$work/sidebar.png" "$here/sidebar.bmp" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
pos, chunks = 8, {}
width = height = 0
idat = b""
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        assert depth == 8 and colour in (2, 6), "expected 8-bit RGB or RGBA"
        bpp = 4 if colour == 6 else 3
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
raw, stride, rows = zlib.decompress(idat), width * bpp, []
previous = bytearray(stride)
for y in range(height):
    kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for x in range(stride):
        a = line[x - bpp] if x >= bpp else 0
        b = previous[x]
        c = previous[x - bpp] if x >= bpp else 0
        if kind == 1: line[x] = (line[x] + a) & 255
        elif kind == 2: line[x] = (line[x] + b) & 255
        elif kind == 3: line[x] = (line[x] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    previous = line
padding = (4 - width * 3 % 4) % 4
pixels = bytearray()
for line in reversed(rows):
    for x in range(width):
        r, g, b = line[x * bpp:x * bpp + 3]
        alpha = line[x * bpp + 3] if bpp == 4 else 255
        pixels += bytes((b * alpha // 255, g * alpha // 255, r * alpha // 255))
    pixels += b"\0" * padding
header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[2], "wb").write(header + info + pixels)
PY
echo "wrote $here/sidebar.bmp"
