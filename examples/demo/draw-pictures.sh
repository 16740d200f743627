#!/usr/bin/env bash
# Draws the demo setup's skin and its Back, Next and Cancel buttons in their
# four states into payload/Graphics, and the setup program's icon (Setup.ini's
# Icon, which the packer gives it) into payload/Demo.ico. The pictures are committed; run this again
# after changing the drawing (ImageMagick, DejaVu fonts).
#
# The setup cuts every pixel of the invisible colour (magenta) out of its
# window and buttons, and keeps every other pixel opaque. So nothing may blend
# into magenta: shapes are drawn smooth on a transparent canvas, their soft
# edge is then laid on the colour that will really lie behind it, and what is
# less than half covered becomes magenta.
set -euo pipefail
cd "$(dirname "$0")"
out=payload/Graphics
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fonts=/usr/share/fonts/truetype/dejavu
bold=$fonts/DejaVuSans-Bold.ttf regular=$fonts/DejaVuSans.ttf

invisible='#ff00ff'
# The layout, in step with Setup.ini: the window, the text area (Toolweb) and the button row.
width=600 height=440 corner=22
title_height=80
text_left=24 text_top=98 text_width=552 text_height=272
bar_top=382 button_top=393 button_width=104 button_height=34
text_area='#f7f9fc'   # TextBoxColor
body='#e9eef4' bar='#dfe6ee' outline='#16304d'

# cut_out SHAPE.png EDGE_COLOUR OUT.bmp: the soft edge laid on EDGE_COLOUR, the outside magenta.
cut_out() {
    local size
    size=$(identify -format '%wx%h' "$1")
    convert "$1" -background "$2" -alpha remove -alpha off "$work/flat.png"
    convert "$1" -alpha extract -threshold 50% "$work/mask.png"
    convert -size "$size" xc:"$invisible" "$work/flat.png" "$work/mask.png" -composite \
        -alpha off -type TrueColor BMP3:"$3"
}

draw_skin() {
    local w=$width h=$height
    # Title band: a deep blue running lighter to the right, an amber rule below it.
    convert -size ${title_height}x$w gradient:'#2b6cab'-'#173556' -rotate 90 "$work/band.png"
    convert '../../setup/resources/Zoreva.ico[2]' "$work/icon.png"
    convert -size ${w}x$h xc:"$body" \
        "$work/band.png" -geometry +0+0 -composite \
        -fill '#f2b632' -draw "rectangle 0,$title_height $((w - 1)),$((title_height + 2))" \
        "$work/icon.png" -geometry +24+16 -composite \
        -font "$bold" -pointsize 22 -fill white -annotate +86+40 'Zoreva Demo' \
        -font "$regular" -pointsize 12 -fill '#c4d9ee' -annotate +87+60 'Setup wizard' \
        -fill 'rgba(255,255,255,0.07)' -draw "circle $((w - 70)),-40 $((w + 40)),-40" \
        -draw "circle $((w - 170)),$((title_height + 40)) $((w - 90)),$((title_height + 40))" \
        -fill '#cfd8e3' -draw "roundrectangle $((text_left - 3)),$((text_top - 2)) $((text_left + text_width + 2)),$((text_top + text_height + 3)) 6,6" \
        -fill '#c3cedb' -draw "rectangle $((text_left - 1)),$((text_top - 1)) $((text_left + text_width)),$((text_top + text_height))" \
        -fill "$text_area" -draw "rectangle $text_left,$text_top $((text_left + text_width - 1)),$((text_top + text_height - 1))" \
        -fill "$bar" -draw "rectangle 0,$bar_top $((w - 1)),$((h - 1))" \
        -fill '#cdd6e1' -draw "line 0,$bar_top $((w - 1)),$bar_top" \
        -font "$regular" -pointsize 10 -fill '#7d8a9a' -annotate +28+$((button_top + 22)) 'Made with Zoreva' \
        -fill none -stroke "$outline" -strokewidth 2 -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) $corner,$corner" \
        "$work/design.png"
    convert -size ${w}x$h xc:none -fill white -draw "roundrectangle 0,0 $((w - 1)),$((h - 1)) $corner,$corner" \
        "$work/outline.png"
    convert "$work/design.png" "$work/outline.png" -alpha off -compose CopyOpacity -composite "$work/skin.png"
    cut_out "$work/skin.png" "$outline" "$out/skin.bmp"
}

# button NAME LABEL STATE FILL_TOP FILL_BOTTOM BORDER INK [SHIFT]
button() {
    local w=$button_width h=$button_height shift=${8:-0}
    convert -size $((w - 2))x$((h - 2)) gradient:"$4"-"$5" "$work/fill.png"
    convert -size ${w}x$h xc:none -fill "$6" -draw "roundrectangle 0,0 $((w - 1)),$((h - 1)) 8,8" \
        \( "$work/fill.png" \( -size $((w - 2))x$((h - 2)) xc:none -fill white \
            -draw "roundrectangle 0,0 $((w - 3)),$((h - 3)) 7,7" \) -alpha off -compose CopyOpacity -composite \) \
        -compose Over -geometry +1+1 -composite \
        -font "$bold" -pointsize 12 -fill "$7" -gravity center -annotate +0+$shift "$2" \
        "$work/button.png"
    cut_out "$work/button.png" "$bar" "$out/$1-$3.bmp"
}

secondary() {  # NAME LABEL
    button "$1" "$2" normal '#ffffff' '#eef2f6' '#a9b6c6' '#1e2b3c'
    button "$1" "$2" over '#f1f7fd' '#dcebf9' '#2b6cab' '#173556'
    button "$1" "$2" pressed '#c9dcf0' '#d8e6f4' '#1d4f80' '#173556' 1
    button "$1" "$2" disabled '#eef1f5' '#eef1f5' '#d0d8e2' '#a7b2bf'
}

primary() {  # NAME LABEL
    button "$1" "$2" normal '#3a86cf' '#2466a6' '#1d548a' '#ffffff'
    button "$1" "$2" over '#4c98e0' '#2f78bd' '#1d548a' '#ffffff'
    button "$1" "$2" pressed '#1f5a94' '#23609c' '#163f68' '#dbe9f7' 1
    button "$1" "$2" disabled '#c3cfdc' '#c3cfdc' '#b3c1d0' '#eef3f8'
}

# The demo program's sign: a white "D" on the title band's blue, in the three
# sizes Windows shows a program's icon at.
draw_icon() {
    local size
    for size in 48 32 16; do
        convert -size ${size}x$size xc:none -fill '#2466a6' \
            -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $((size / 6)),$((size / 6))" \
            -font "$bold" -pointsize $((size * 3 / 4)) -fill white -gravity center -annotate +0+0 D \
            "$work/icon-$size.png"
    done
    convert "$work/icon-48.png" "$work/icon-32.png" "$work/icon-16.png" payload/Demo.ico
}

mkdir -p "$out"
draw_icon
draw_skin
secondary back Back
primary next Next
secondary cancel Cancel
