#!/usr/bin/env bash
# Draws the icons of the setup program and the uninstaller: a box with an
# arrow on a rounded tile, pointing in (blue, the setup) or out (red, the
# uninstaller), at 16, 32 and 48 pixels. The icons are committed; run this
# again after changing the drawing.
#
# Each size is stored PNG-compressed (Windows Vista and later, and Wine, read
# such entries at any size): 3 KiB per icon instead of 15 as 32-bit bitmaps,
# and the icon is carried by every setup.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

draw() {  # icon file, tile colour, upper tile colour, arrow polygon
    # Drawn once at 256 pixels and scaled down.
    convert -size 256x256 xc:none \
        -fill "$2" -draw 'roundrectangle 8,8 247,247 44,44' \
        -fill "$3" -draw 'roundrectangle 8,8 247,150 44,44' \
        -fill '#f4f7fb' -draw "polygon $4" \
        -fill '#ffd34e' -draw 'roundrectangle 48,186 208,220 10,10' \
        "$work/icon-256.png"
    local size
    for size in 16 32 48; do
        convert "$work/icon-256.png" -resize ${size}x${size} -strip -depth 8 \
            -define png:compression-level=9 -define png:color-type=6 "$work/icon-$size.png"
    done
    write_icon "$1" "$work"/icon-16.png "$work"/icon-32.png "$work"/icon-48.png
}

byte() { printf "\\$(printf %03o "$1")"; }
le16() { byte $(($1 & 255)); byte $(($1 >> 8 & 255)); }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }

write_icon() {  # icon file, square PNG pictures of at most 255 pixels
    local out=$1; shift
    local offset=$((6 + 16 * $#)) png side bytes
    {
        le16 0; le16 1; le16 $#
        for png in "$@"; do
            side=$(identify -format %w "$png")
            bytes=$(stat -c %s "$png")
            byte "$side"; byte "$side"; byte 0; byte 0; le16 1; le16 32; le32 "$bytes"; le32 $offset
            offset=$((offset + bytes))
        done
        cat "$@"
    } > "$out"
}

draw setup/resources/Zoreva.ico '#1f6fb2' '#2f8fd8' '100,36 156,36 156,110 196,110 128,178 60,110 100,110'
draw tools/uninstall/resources/Uninstall.ico '#a83232' '#d04848' '100,178 156,178 156,104 196,104 128,36 60,104 100,104'
