#!/usr/bin/env bash
# Renders the artwork sources to the PNG and ICO files that the build embeds.
# The rendered files are committed, so building needs no renderer; run this after editing an SVG.
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert and the Noto Sans CJK fonts (fonts-noto-cjk).
# Usage: scripts/render_assets.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pictures=$root/assets/pictures
icon=$root/assets/icon

for tool in rsvg-convert convert fc-match python3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "render_assets: $tool is missing" >&2; exit 1; }
done
# The labels are live text: without the font, fontconfig would quietly substitute another one.
if [[ $(fc-match -f '%{family}' 'Noto Sans CJK SC:bold') != *"Noto Sans CJK SC"* ]]; then
    echo "render_assets: the font \"Noto Sans CJK SC\" is missing (install fonts-noto-cjk)" >&2
    exit 1
fi

# rsvg-convert adds a white bKGD chunk; drop it so that no reader puts the pictures on white.
drop_background_chunk() {
    python3 - "$@" <<'PY'
import struct, sys
for path in sys.argv[1:]:
    data = open(path, "rb").read()
    out, pos = bytearray(data[:8]), 8
    while pos < len(data):
        length = struct.unpack(">I", data[pos:pos + 4])[0]
        end = pos + 12 + length
        if data[pos + 4:pos + 8] != b"bKGD":
            out += data[pos:end]
        pos = end
    open(path, "wb").write(out)
PY
}

# Main menu pictures: 180 x 45, RGBA, transparent background.
for name in guns riot_shields airstrikes melee landmines grenades; do
    rsvg-convert --format=png --width=180 --height=45 \
        -o "$pictures/$name.png" "$pictures/$name.svg"
done

# Program icon: 32 px for the executable and the windows, 256 px for Linux desktops.
# The source is drawn on a 32 px grid with crisp edges, so 256 px is an exact 8x enlargement.
rsvg-convert --format=png --width=32 --height=32 -o "$icon/varnick.png" "$icon/varnick.svg"
rsvg-convert --format=png --width=256 --height=256 -o "$icon/varnick-256.png" "$icon/varnick.svg"

drop_background_chunk "$pictures"/*.png "$icon"/*.png

# Windows icon group: the single 32 x 32 image, 32-bit with alpha.
convert "$icon/varnick.png" -define icon:auto-resize=32 "$icon/varnick.ico"

echo "render_assets: rendered $(ls "$pictures"/*.png "$icon"/*.png "$icon"/*.ico | wc -l) files"
