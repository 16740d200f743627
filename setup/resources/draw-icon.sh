#!/usr/bin/env bash
# Draws Zoreva.ico, the setup program's icon: a box with an arrow pointing
# into it on a rounded blue tile, at 16, 32 and 48 pixels. The icon
# is committed; run this again after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Drawn once at 256 pixels and scaled down.
convert -size 256x256 xc:none \
    -fill '#1f6fb2' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#2f8fd8' -draw 'roundrectangle 8,8 247,150 44,44' \
    -fill '#f4f7fb' -draw 'polygon 100,36 156,36 156,110 196,110 128,178 60,110 100,110' \
    -fill '#ffd34e' -draw 'roundrectangle 48,186 208,220 10,10' \
    "$work/icon-256.png"
for size in 16 32 48; do convert "$work/icon-256.png" -resize ${size}x${size} "$work/icon-$size.png"; done
convert "$work"/icon-16.png "$work"/icon-32.png "$work"/icon-48.png Zoreva.ico
