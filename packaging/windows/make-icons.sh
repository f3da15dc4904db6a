#!/usr/bin/env bash
# Regenerates the Windows icons from the programs' SVG icons (run it after changing them):
#   korvane.ico, palisor.ico   the programs;
#   velkp.ico, velk.ico        a project and a music pack in Explorer: a sheet of paper with
#                              the program that opens it in the lower right corner.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
icons=$(cd "$here/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 24 32 48 64 256)

# A document icon: the sheet, then the program's icon nested in its corner.
document_svg() {
    local program=$1
    cat <<'SHEET'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <defs>
    <linearGradient id="paper" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#ffffff"/>
      <stop offset="1" stop-color="#e4e8ee"/>
    </linearGradient>
  </defs>
  <path d="M10 3 H40 L54 17 V61 H10 Z" fill="url(#paper)" stroke="#7a8494" stroke-width="2"
        stroke-linejoin="round"/>
  <path d="M40 3 V17 H54" fill="#cfd5de" stroke="#7a8494" stroke-width="2" stroke-linejoin="round"/>
SHEET
    # The program's drawing, its own ids renamed so they cannot meet the sheet's.
    sed -e '/^<?xml/d' -e 's/width="64" height="64"/x="22" y="22" width="42" height="42"/' \
        -e 's/id="\([a-z]*\)"/id="p-\1"/g' -e 's/url(#\([a-z]*\))/url(#p-\1)/g' "$program"
    echo '</svg>'
}

# make_ico SVG OUTPUT: every size rendered from the drawing; the 256 px one stored as PNG.
make_ico() {
    local svg=$1 out=$2 name
    name=$(basename "$out" .ico)
    local small=()
    for size in "${sizes[@]}"; do
        rsvg-convert -w "$size" -h "$size" -o "$work/$name-$size.png" "$svg"
        [ "$size" -lt 256 ] && small+=("$work/$name-$size.png")
    done
    icotool -c -o "$out" "${small[@]}" -r "$work/$name-256.png"
}

make_ico "$icons/korvane.svg" "$here/korvane.ico"
make_ico "$icons/palisor.svg" "$here/palisor.ico"
document_svg "$icons/korvane.svg" >"$work/velkp.svg"
document_svg "$icons/palisor.svg" >"$work/velk.svg"
make_ico "$work/velkp.svg" "$here/velkp.ico"
make_ico "$work/velk.svg" "$here/velk.ico"
