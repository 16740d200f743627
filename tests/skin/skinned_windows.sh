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


# Each step reads only what the probe logged after the step began.
mark() { wc -l <"$log"; }
since() { tail -n +$(($1 + 1)) "$log"; }
count_since() { since "$1" | grep -cE "$2" || true; }
# Waits until N lines (1 unless given) logged after the mark match, for up to 10 s.
await_since() {
    for _ in $(seq 100); do [ "$(count_since "$1" "$2")" -ge "${3:-1}" ] && return 0; sleep 0.1; done
    return 1
}

# Lets the double-click time pass, so that the next press is a single one.
pause_clicks() { sleep "$(awk "BEGIN { print $doubleclick / 1000 + 0.3 }")"; }

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

doubleclick=$(field '^doubleclick ' 2)

# Press and release inside: over, pressed (and its size), one click, then over.
m=$(mark)
xdotool mousemove $((bl + 30)) $((bt + 15))
check "entering shows the over picture" await_since "$m" '^state main over.bmp$'
m=$(mark)
xdotool mousedown 1
check "pressing shows the pressed picture" await_since "$m" '^state main pressed.bmp$'
check "pressed picture resizes the button" await_since "$m" '^size main 64x32$'
m=$(mark)
xdotool mouseup 1
check "release inside clicks" await_since "$m" '^click main$'
check "after the click the over picture again" await_since "$m" '^state main over.bmp$'
check "click comes before the over picture" bash -c "tail -n +$((m + 1)) '$log' | grep -E '^(click main|state main over.bmp)$' | head -1 | grep -q click"

# Press, leave, release outside: no click, normal picture.
pause_clicks
m=$(mark)
xdotool mousedown 1
check "pressing again shows the pressed picture" await_since "$m" '^state main pressed.bmp$'
m=$(mark)
xdotool mousemove $((left + 150)) $((top + 120))
sleep 0.5
check "leaving while held keeps the pressed picture" [ "$(since "$m" | grep -c '^state main ')" = 0 ]
m=$(mark)
xdotool mouseup 1
check "release outside shows the normal picture" await_since "$m" '^state main normal.bmp$'
sleep 0.3
check "release outside fires no click" [ "$(count_since "$m" '^click main$')" = 0 ]

# Press, leave, come back, release inside: pressed again on re-entry, then a click.
pause_clicks
m=$(mark)
xdotool mousemove $((bl + 20)) $((bt + 10))
await_since "$m" '^state main over.bmp$'
m=$(mark)
xdotool mousedown 1
check "pressed once more" await_since "$m" '^state main pressed.bmp$'
xdotool mousemove $((left + 150)) $((top + 120))
sleep 0.3
xdotool mousemove $((bl + 25)) $((bt + 12))
sleep 0.3
check "leaving and coming back while held keep the pressed picture" [ "$(count_since "$m" '^state main ')" = 1 ]
m=$(mark)
xdotool mouseup 1
check "release after coming back clicks" await_since "$m" '^click main$'
sleep 0.3
check "exactly one more click" [ "$(count_since "$m" '^click main$')" = 1 ]

# Two quick clicks, as an impatient user gives Next: two presses, two clicks.
pause_clicks
m=$(mark)
xdotool click --repeat 2 --delay 60 1
check "second quick click arrives" await_since "$m" '^click main$' 2
sleep 0.3
check "two quick clicks are two clicks" [ "$(count_since "$m" '^click main$')" = 2 ]
check "each quick press shows the pressed picture" [ "$(count_since "$m" '^state main pressed.bmp$')" = 2 ]

# A disabled button ignores the mouse.
read -r dl dt _ _ <<<"$(field '^button off ' 3-6)"
pause_clicks
m=$(mark)
xdotool mousemove $((dl + 20)) $((dt + 10)) click 1
sleep 0.5
check "disabled button ignores the mouse" [ "$(count_since "$m" ' off')" = 0 ]

# A click that opens a modal dialog, as Cancel asks first: the button rests
# while the dialog is up, then shows what the mouse says.
read -r al at _ _ <<<"$(field '^button asks ' 3-6)"
last_asks_state() { since "$1" | grep '^state asks ' | tail -1; }
pause_clicks
m=$(mark)
xdotool mousemove $((al + 30)) $((at + 15))
check "entering the asking button shows the over picture" await_since "$m" '^state asks over.bmp$'
m=$(mark)
xdotool mousedown 1
check "pressing it shows the pressed picture" await_since "$m" '^state asks pressed.bmp$'
m=$(mark)
xdotool mouseup 1
check "its click opens the question" await_since "$m" '^question '
sleep 0.5
import -window root "$work/asking.png"
check "the button rests while its question is up" [ "$(last_asks_state "$m")" = "state asks normal.bmp" ]
check "the screen shows its normal picture" [ "$(pixel "$work/asking.png" $((al + 30)) $((at + 15)))" = "32,64,192" ]
read -r qx qy <<<"$(since "$m" | grep '^question ' | cut -d' ' -f2-3)"
m=$(mark)
xdotool mousemove "$qx" "$qy" click 1
check "OK closes the question" await_since "$m" '^answered$'
sleep 0.3
check "with the mouse away the button stays normal" [ "$(count_since "$m" '^state asks ')" = 0 ]
m=$(mark)
xdotool mousemove $((al + 25)) $((at + 12))
check "back on the button the over picture again" await_since "$m" '^state asks over.bmp$'

# Answered while the mouse stays on the button: the over picture once the question is gone.
pause_clicks
m=$(mark)
xdotool click 1
check "asked again" await_since "$m" '^question '
sleep 0.3
check "resting again while asked" [ "$(last_asks_state "$m")" = "state asks normal.bmp" ]
m=$(mark)
touch "$work/answer"
check "the question answered" await_since "$m" '^answered$'
check "the mouse on the button shows the over picture" await_since "$m" '^state asks over.bmp$'

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
