#!/usr/bin/env bash
# The wizard's controls in a skinned form, driven with real mouse and keyboard
# input (xdotool) under the X display: the layout's rectangles on the windows,
# Tab, Space and Enter through nested panels, a list click, a label drawn
# transparently over its panel's colour, and errors raised by handlers shown
# in the error report while the form and a modal dialog stay open.
# Usage: controls_input.sh PLATFORM_PROBE_EXE
set -uo pipefail
probe=$1
[ -n "${DISPLAY:-}" ] || { echo "SKIPPED: no DISPLAY for the Wine windows"; exit 77; }
[ -d "${WINEPREFIX:-}/drive_c" ] || { echo "SKIPPED: no Wine prefix at '${WINEPREFIX:-}'"; exit 77; }
command -v xdotool >/dev/null || { echo "SKIPPED: xdotool is missing"; exit 77; }
command -v convert >/dev/null || { echo "SKIPPED: ImageMagick is missing"; exit 77; }

work=$(mktemp -d)
probe_pid=
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }

wine "$probe" >"$work/out" 2>/dev/null &
probe_pid=$!

# Waits (at most 30 s) for the line of the probe that is exactly $1, or starts with "$1 " when $2 is "prefix".
wait_for() {
    for _ in $(seq 300); do
        if [ "${2:-}" = prefix ]; then
            line=$(tr -d '\r' <"$work/out" | grep -m1 -E "^$1( |$)")
        else
            line=$(tr -d '\r' <"$work/out" | grep -m1 -xF "$1")
        fi
        if [ -n "$line" ]; then value=${line#"$1"}; value=${value# }; return 0; fi
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAILED: no '$1' from the probe:"; cat "$work/out"
    return 1
}

expect() {  # description, exact line
    if wait_for "$2"; then echo "ok: $1"; else fail "$1"; fi
}

click() {  # control name as the probe reports it
    wait_for "at $1" prefix || return 1
    # shellcheck disable=SC2086
    xdotool mousemove $value && xdotool click 1
}

# Closes the N-th error report with its button.
dismiss_report() {
    click "reportok$1"
}

wait_for colour prefix || exit 1
colour=$value
timeout 20 xdotool search --sync --onlyvisible --name "Platform probe" >/dev/null || fail "no probe window"

# The text panel grew by 40 x 40: the anchored text box with it, the page fills
# it, three rows at the top (the hidden strip leaves no gap), the group at the
# bottom with its button keeping to the right, the list on the right, the memo
# in the rest, and the progress bar in its strip keeping to the right.
while read -r name rect; do
    if wait_for "rect $name" prefix && [ "$value" = "$rect" ]; then
        echo "ok: $name at $rect"
    else
        fail "$name at '$value' instead of '$rect'"
    fi
done <<'RECTS'
textbox 12 14 428 306
page 0 0 416 292
head 0 0 416 24
spacer 0 24 416 37
checkstrip 0 37 416 57
check 8 2 208 18
fail 210 0 255 20
progress 300 4 400 16
group 0 242 416 292
edit 12 17 212 38
go 325 17 400 42
list 296 57 416 242
memo 0 57 296 242
dialog 20 350 120 375
RECTS

# The heading label shows the panel's colour around its text.
sleep 1
import -window root "$work/shot.png"
wait_for "screen head" prefix && read -r x y w h <<<"$value"
read -r r g b <<<"$colour"
panel_share=$(convert "$work/shot.png" -crop "${w}x${h}+${x}+${y}" +repage -fill black +opaque "rgb($r,$g,$b)" \
    -fill white -opaque "rgb($r,$g,$b)" -format '%[fx:mean]' info:)
text_pixels=$(convert "$work/shot.png" -crop "${w}x${h}+${x}+${y}" +repage -colorspace Gray -threshold 90% \
    -format '%[fx:mean*w*h]' info:)
if awk -v s="$panel_share" -v t="$text_pixels" 'BEGIN { exit !(s > 0.7 && t > 20) }'; then
    echo "ok: label transparent over the panel (panel colour ${panel_share}, ${text_pixels} text pixels)"
else
    fail "label over the panel: panel colour share $panel_share, $text_pixels text pixels"
fi

# Keyboard: Space toggles the focused check box, Tab goes on through the
# nested panels (check box, Fail, edit), Enter in the edit presses the
# default button, and Tab passes the list, the memo and the Dialog button on
# to the check box again.
click check && expect "click checks the box" "event check 1"
xdotool key --clearmodifiers space && expect "Space clears the box" "event check 0"
xdotool key --clearmodifiers Tab Tab && xdotool type --delay 50 abc && expect "Tab reaches the edit" "event edit abc"
xdotool key --clearmodifiers Return && expect "Enter presses the default button" "event go"
xdotool key --clearmodifiers --delay 100 Tab Tab Tab Tab Tab space &&
    expect "Tab goes round to the check box" "event check 1"
click beta && expect "click on a list item" "event list 1 Beta"

# Errors: one raised in a panel's control, one in a modal dialog; each is
# reported, and the form and the dialog stay open.
click fail && expect "panel error reported" "report Probe failure in a panel"
dismiss_report 1
click dialog && wait_for "at dialogfail" prefix && sleep 1
click dialogfail && expect "dialog error reported" "report Probe failure in a dialog"
dismiss_report 2
sleep 0.5
click dialogok && expect "dialog stayed open, closed with OK, owned by the form" \
    "event modal 1 owned 1 lines 3 progress 100"
expect "message loop ended" "done"
wait "$probe_pid" 2>/dev/null
probe_pid=
exit $failed
