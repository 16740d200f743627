#!/usr/bin/env bash
# A drive that appears and disappears while the tree is shown: the probe
# defines drive M: (DefineDosDevice; Wine's running session does not notice a
# new dosdevices symlink) and sends the device-change message to the tree's
# owner window, and the tree follows. Usage: drive_changes.sh FOLDERS_PROBE_EXE
set -uo pipefail
probe=$1
[ -n "${DISPLAY:-}" ] || { echo "SKIPPED: no DISPLAY for the Wine windows"; exit 77; }
[ -d "${WINEPREFIX:-}/dosdevices" ] || { echo "SKIPPED: no Wine prefix at '${WINEPREFIX:-}'"; exit 77; }
[ -e "$WINEPREFIX/dosdevices/m:" ] && { echo "SKIPPED: drive M: is in use"; exit 77; }

work=$(mktemp -d)
probe_pid=
cleanup() {
    exec 3>&- 2>/dev/null
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/medium" "$work/medium/folder"
mkfifo "$work/in"

# Waits (at most 30 s) for the probe's next line and puts it in $line.
line_number=0 line=
next_line() {
    line_number=$((line_number + 1))
    for _ in $(seq 300); do
        [ "$(wc -l <"$work/out")" -ge "$line_number" ] && { line=$(sed -n "${line_number}p" "$work/out" | tr -d "\r"); return 0; }
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "no line $line_number from the probe" >&2
    cat "$work/out" >&2
    return 1
}

wine "$probe" drives <"$work/in" >"$work/out" 2>/dev/null &
probe_pid=$!
exec 3>"$work/in"
failed=0
expect() {  # description, line, pattern the line must match
    if [[ $2 =~ $3 ]]; then echo "ok: $1"; else echo "FAILED: $1: '$2'"; failed=1; fi
}

next_line || exit 1
expect "C: and Z: at the start, no M:" "$line" '^drives C:\\ Z:\\ changes 0'

target=$(winepath -w "$work/medium")
echo "define M: $target" >&3
next_line || exit 1
expect "M: inserted in letter order and a change reported" "$line" '^drives C:\\ M:\\ Z:\\ changes 1$'

echo "remove M:" >&3
next_line || exit 1
expect "M: gone again" "$line" '^drives C:\\ Z:\\ changes 2$'

exec 3>&-
wait "$probe_pid"
probe_pid=
exit $failed
