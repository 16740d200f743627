#!/usr/bin/env bash
# The confirmation dialog and the folder chooser driven with real mouse and
# keyboard input (xdotool) under the X display; the probe prints where its
# controls are and what the dialog returned. Usage: dialogs_input.sh FOLDERS_PROBE_EXE
set -uo pipefail
probe=$1
[ -n "${DISPLAY:-}" ] || { echo "SKIPPED: no DISPLAY for the Wine windows"; exit 77; }
[ -d "${WINEPREFIX:-}/drive_c" ] || { echo "SKIPPED: no Wine prefix at '${WINEPREFIX:-}'"; exit 77; }
command -v xdotool >/dev/null || { echo "SKIPPED: xdotool is missing"; exit 77; }

work=$(mktemp -d)
probe_pid=
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    rm -rf "$work" "${chosen:-}"
}
trap cleanup EXIT
failed=0

start() {  # probe arguments
    : >"$work/out"
    wine "$probe" "$@" >"$work/out" 2>/dev/null &
    probe_pid=$!
}

# Waits (at most 30 s) for a line of the probe starting with the word; puts the rest in $value.
wait_for() {
    for _ in $(seq 300); do
        line=$(tr -d '\r' <"$work/out" | grep -m1 -E "^$1( |$)")
        if [ -n "$line" ]; then value=${line#"$1"}; value=${value# }; return 0; fi
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAILED: no '$1' from the probe:"; cat "$work/out"
    return 1
}

click() {  # control name as the probe reports it
    wait_for "$1" || return 1
    # shellcheck disable=SC2086
    xdotool mousemove $value && xdotool click 1
}

finish() {  # description, expected result line
    local expected=$2
    if wait_for result && [ "$value" = "$expected" ]; then echo "ok: $1"; else echo "FAILED: $1: '$value' instead of '$expected'"; failed=1; fi
    wait "$probe_pid" 2>/dev/null
    probe_pid=
}

shown() {  # window name pattern
    wait_for shown && timeout 20 xdotool search --sync --onlyvisible --name "$1" >/dev/null && return 0
    echo "FAILED: no visible window named '$1'"
    return 1
}

# Confirmation: German texts, Yes gives 6; English (any other name), No gives 7.
start confirm German "Wirklich abbrechen?"
shown "Best.*tigung!" || failed=1
click yes && finish "German question answered Yes" 6 || failed=1
start confirm french "Really cancel?"
shown "Confirmation!" || failed=1
click no && finish "French question answered No" 7 || failed=1

# Chooser: a clicked folder comes back with its backslash, typed text as typed, Cancel gives False.
# Below C:, the chooser's own kind of drive.
chosen=$(mktemp -d "$WINEPREFIX/drive_c/zoreva-chooser-XXXXXX")
mkdir -p "$chosen/Chosen/Below"
below=$(winepath -w "$chosen/Chosen/Below")
start chooser "$below"
shown "Choose Folder" || failed=1
wait_for parentpath && parent=$value
click parent && click ok && finish "clicked folder" "True $parent" || failed=1

start chooser "$below"
shown "Choose Folder" || failed=1
click edit && xdotool key --clearmodifiers End shift+Home BackSpace && xdotool type --delay 20 'c:\foo' &&
    click ok && finish "typed path" 'True c:\foo' || failed=1

start chooser "$below"
shown "Choose Folder" || failed=1
click cancel && finish "Cancel" "False $below" || failed=1

exit $failed
