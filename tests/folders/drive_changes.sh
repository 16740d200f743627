#!/usr/bin/env bash
# Drives and media that change while the tree is shown, driven through the
# system: the probe points a free drive letter of the session at a volume
# (DefineDosDevice; Wine's running session does not notice a new dosdevices
# symlink), at another volume (the medium exchanged) and removes it again,
# and the script clicks the tree's nodes with real mouse input (xdotool).
# Usage: drive_changes.sh FOLDERS_PROBE_EXE
set -uo pipefail
probe=$1
[ -n "${DISPLAY:-}" ] || { echo "SKIPPED: no DISPLAY for the Wine windows"; exit 77; }
[ -d "${WINEPREFIX:-}/dosdevices" ] || { echo "SKIPPED: no Wine prefix at '${WINEPREFIX:-}'"; exit 77; }
command -v xdotool >/dev/null || { echo "SKIPPED: xdotool is missing"; exit 77; }

work=$(mktemp -d)
probe_pid=
cleanup() {
    exec 3>&- 2>/dev/null
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/in"
: >"$work/out"

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
expect() {  # description, the exact line expected next
    next_line
    if [ "$line" = "$2" ]; then echo "ok: $1"; else echo "FAILED: $1: '$line' instead of '$2'"; failed=1; fi
}

# The prefix's drives and their volume serials, whatever they are.
declare -A serial=()
while next_line && [[ $line == volume* ]]; do
    read -r _ letter value <<<"$line"
    serial[${letter%:}]=$value
done
[[ $line =~ ^drives\ (.*)\ changes\ 0$ ]] || { echo "FAILED: no drive list: '$line'"; exit 1; }
initial=${BASH_REMATCH[1]}

# A letter nobody uses, and two volumes that differ: the two media.
free=
for letter in M N O P Q R S T U V W X Y; do
    [ -z "${serial[$letter]:-}" ] && [ ! -e "$WINEPREFIX/dosdevices/${letter,,}:" ] && { free=$letter; break; }
done
first= second=
for letter in "${!serial[@]}"; do
    [ "${serial[$letter]}" = none ] && continue
    if [ -z "$first" ]; then first=$letter
    elif [ "${serial[$letter]}" != "${serial[$first]}" ]; then second=$letter; break; fi
done
[ -n "$free" ] && [ -n "$second" ] || { echo "SKIPPED: no free letter or no two volumes with different serials"; exit 77; }

# The drive list with the free letter in letter order.
with_free=$( (printf '%s\n' $initial; echo "$free:\\") | sort | tr '\n' ' ')
with_free=${with_free% }

echo "map $free: $first:" >&3
echo change >&3
expect "a change reported with nothing selected" "changed none"
expect "$free: inserted in letter order" "drives $with_free changes 1"

click() {  # path of the node
    echo "where $1" >&3
    next_line && [[ $line =~ ^at\ ([0-9]+)\ ([0-9]+)$ ]] || { echo "FAILED: no place for $1: '$line'"; failed=1; return 1; }
    xdotool mousemove "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" click 1
}
other=${initial%% *}
click "$other" && expect "another drive selected by a click" "changed $other" &&
    expect "and its click reported" "clicked $other"
click "$free:\\" && expect "the new drive selected by a click" "changed $free:\\" &&
    expect "and its click reported" "clicked $free:\\"
click "$other" && expect "back on the other drive" "changed $other" && expect "clicked" "clicked $other"

# The medium is exchanged: the click refreshes the drive and is no click.
echo "map $free: $second:" >&3
click "$free:\\" && expect "a click on the exchanged medium refreshes its drive" "changed $free:\\"
echo sync >&3
expect "and is no click" sync
# Clicked again this soon, the same spot would take a double click.
sleep 1
click "$free:\\" && expect "the next click is one" "clicked $free:\\"

# The selection leaves the drive that goes for a neighbour.
echo "unmap $free:" >&3
echo change >&3
next_line && [[ $line == "changed "?":\\" ]] && echo "ok: the selection moved to another drive" ||
    { echo "FAILED: the selection moved to another drive: '$line'"; failed=1; }
expect "$free: gone again" "drives $initial changes 6"

exec 3>&-
wait "$probe_pid"
probe_pid=
exit $failed
