#!/usr/bin/env bash
# Draws Uninstall.ico, the uninstaller's icon: the setup's box with the arrow
# pointing out of it, on a rounded red tile, at 16, 32 and 48 pixels. The icon
# is committed; run this again after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Drawn once at 256 pixels and scaled down.
convert -size 256x256 xc:none \
    -fill '#a83232' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#d04848' -draw 'roundrectangle 8,8 247,150 44,44' \
    -fill '#f4f7fb' -draw 'polygon 100,178 156,178 156,104 196,104 128,36 60,104 100,104' \
    -fill '#ffd34e' -draw 'roundrectangle 48,186 208,220 10,10' \
    "$work/icon-256.png"
for size in 16 32 48; do convert "$work/icon-256.png" -resize ${size}x${size} "$work/icon-$size.png"; done
convert "$work"/icon-16.png "$work"/icon-32.png "$work"/icon-48.png Uninstall.ico
