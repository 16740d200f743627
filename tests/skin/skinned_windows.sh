#!/usr/bin/env bash
# A skinned window and its bitmap buttons under Wine, driven with real mouse
# input through xdotool and checked by screenshots, the window region the
# program reports, and the button pictures and clicks it logs.
# Usage: skinned_windows.sh PROBE_EXE   (needs DISPLAY, wine, xdotool, ImageMagick)
set -uo pipefail
probe=$1
if [ -z "${DISPLAY:-}" ]; then echo "skipped: no DISPLAY"; exit 77; fi
work=$(mktemp -d)
log=$work/probe.log
passed=0 failed=0
wine_pid=
cleanup() {
    touch "$work/quit"
    [ -n "$wine_pid" ] && { sleep 1; kill "$wine_pid" 2>/dev/null; }
    rm -rf "$work"
}
trap cleanup EXIT

check() {  # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

# Waits until the log holds a line matching the pattern (grep -E), for up to 10 s.
await() {
    for _ in $(seq 100); do grep -qE "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

count() { grep -cE "$1" "$log" 2>/dev/null || true; }

# The colour of one screen pixel as "R,G,B".
pixel() {
    convert "$1" -format '%[fx:int(255*p{'"$2"','"$3"'}.r)],%[fx:int(255*p{'"$2"','"$3"'}.g)],%[fx:int(255*p{'"$2"','"$3"'}.b)]' info:
}

field() {  # line pattern, field number
    grep -E "$1" "$log" | head -1 | cut -d' ' -f"$2"
}

# Skin 200 x 150 with magenta corners of 12 x 12; button pictures of three sizes.
convert -size 200x150 xc:'#3366aa' -fill magenta \
    -draw 'rectangle 0,0 11,11' -draw 'rectangle 188,0 199,11' \
    -draw 'rectangle 0,138 11,149' -draw 'rectangle 188,138 199,149' BMP3:"$work/skin.bmp"
convert -size 60x30 xc:'#2040c0' BMP3:"$work/normal.bmp"
convert -size 60x30 xc:'#20c040' BMP3:"$work/over.bmp"
convert -size 64x32 xc:'#c02020' BMP3:"$work/pressed.bmp"
convert -size 60x30 xc:'#808080' BMP3:"$work/disabled.bmp"

xdotool mousemove 5 5
import -window root "$work/before.png"
wine "$probe" "$(winepath -w "$work")" >/dev/null 2>&1 &
wine_pid=$!
if ! await '^ready '; then echo "FAILED: the probe did not start"; echo "0 passed, 1 failed"; exit 1; fi
sleep 1

read -r left top right bottom <<<"$(field '^ready ' 2-5)"
check "window is the skin's size" [ $((right - left)) = 200 -a $((bottom - top)) = 150 ]
check "region leaves out the corners" [ "$(grep -c '^region ' "$log")" = 3 ]
check "region top band" grep -qx "region 12 0 188 12" "$log"
check "region middle band" grep -qx "region 0 12 200 138" "$log"
check "region bottom band" grep -qx "region 12 138 188 150" "$log"

import -window root "$work/after.png"
check "desktop shows through a cut corner" [ "$(pixel "$work/after.png" $((left + 3)) $((top + 3)))" = "$(pixel "$work/before.png" $((left + 3)) $((top + 3)))" ]
check "skin shows inside" [ "$(pixel "$work/after.png" $((left + 150)) $((top + 100)))" = "51,102,170" ]
check "skin shows next to a corner" [ "$(pixel "$work/after.png" $((left + 12)) $((top + 3)))" = "51,102,170" ]

read -r bl bt br bb <<<"$(field '^button main ' 3-6)"
check "button has its picture's size" [ $((br - bl)) = 60 -a $((bb - bt)) = 30 ]
check "button shows its picture" [ "$(pixel "$work/after.png" $((bl + 30)) $((bt + 15)))" = "32,64,192" ]
read -r ml mt mr mb <<<"$(field '^button missing ' 3-6)"
check "missing picture gives the 100 x 100 placeholder" [ $((mr - ml)) = 100 -a $((mb - mt)) = 100 ]

# Press and release inside: over, pressed (and its size), one click, then over.
xdotool mousemove $((bl + 30)) $((bt + 15))
check "entering shows the over picture" await '^state main over.bmp$'
xdotool mousedown 1
check "pressing shows the pressed picture" await '^state main pressed.bmp$'
check "pressed picture resizes the button" await '^size main 64x32$'
xdotool mouseup 1
check "release inside clicks" await '^click main$'
check "after the click the over picture again" [ "$(count '^state main over.bmp$')" = 2 ]
check "click comes before the over picture" bash -c "grep -nE '^(click main|state main over.bmp)$' '$log' | tail -2 | head -1 | grep -q click"

# Press, leave, release outside: no click, normal picture.
xdotool mousedown 1
await '^state main pressed.bmp$'
xdotool mousemove $((left + 150)) $((top + 120))
sleep 0.5
xdotool mouseup 1
check "release outside shows the normal picture" await '^state main normal.bmp$'
sleep 0.3
check "release outside fires no click" [ "$(count '^click main$')" = 1 ]

# Press, leave, come back, release inside: pressed again on re-entry, then a click.
before=$(count '^state main pressed.bmp$')
xdotool mousemove $((bl + 20)) $((bt + 10)) mousedown 1
await '^state main pressed.bmp$'
xdotool mousemove $((left + 150)) $((top + 120))
sleep 0.3
xdotool mousemove $((bl + 25)) $((bt + 12))
sleep 0.3
xdotool mouseup 1
check "release after coming back clicks" await '^click main$'
sleep 0.3
check "exactly one more click" [ "$(count '^click main$')" = 2 ]
check "pressed picture while held" [ "$(count '^state main pressed.bmp$')" -gt "$before" ]

# A disabled button ignores the mouse.
read -r dl dt _ _ <<<"$(field '^button off ' 3-6)"
lines=$(wc -l <"$log")
xdotool mousemove $((dl + 20)) $((dt + 10)) click 1
sleep 0.5
check "disabled button ignores the mouse" bash -c "! tail -n +$((lines + 1)) '$log' | grep -q ' off '"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
