#!/usr/bin/env bash
# Start-up of a setup carrying 100 MiB, side by side with the Windows packer
# extracting the same payload, both under Wine: the time from starting the
# program to the Welcome page on the screen (Back shows its disabled picture)
# against the time `zoreva-pack.exe extract` takes. Median of three runs each.
# Usage: startup.sh ZOREVA_EXE PACKER LINK_READER_EXE BITS LAUNCH_PROBE_EXE
source "$(dirname "$0")/../setup/wizard.sh" "$@"
windows_packer=$(dirname "$1")/zoreva-pack.exe
runs=3

payload=$work/big
make_payload "$payload"
# 100 MiB in 25 files of 4 MiB: random bytes and text, alternately.
for i in $(seq 1 25); do
    if [ $((i % 2)) = 1 ]; then head -c 4194304 /dev/urandom; else base64 -w 76 /dev/urandom | head -c 4194304; fi \
        >"$payload/data$i.bin"
done
setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Start-up' 'Language=English' \
    'Destination=StartUp' >"$payload/Setup.ini"
pack "$payload" "$work/Big.exe" || { echo "packing failed"; exit 1; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

extract_ms=()
for _ in $(seq $runs); do
    rm -rf "$work/out"
    start=$(now_ms)
    wine "$windows_packer" extract "$(winepath -w "$work/Big.exe")" "$(winepath -w "$work/out")" >/dev/null 2>&1
    extract_ms+=($(($(now_ms) - start)))
done

startup_ms=()
for _ in $(seq $runs); do
    start=$(now_ms)
    start_setup "$work/Big.exe"
    rest_mouse
    until [ "$(button_colour $back_x)" = "$disabled" ]; do
        kill -0 "$setup_pid" 2>/dev/null || { echo "the setup ended before its Welcome page"; exit 1; }
    done
    startup_ms+=($(($(now_ms) - start)))
    kill "$setup_pid" 2>/dev/null; wait "$setup_pid" 2>/dev/null; setup_pid=
    sleep 1
    workspaces | xargs -r rm -rf
done

extract=$(median "${extract_ms[@]}") startup=$(median "${startup_ms[@]}")
payload_mib=$(( $(stat -c %s "$work/Big.exe") / 1048576 ))
echo "== start-up with a 100 MiB payload (setup of $payload_mib MiB), median of $runs runs"
printf '%-48s %8s ms\n' "zoreva-pack.exe extract of the setup's payload" "$extract" \
    "Zoreva.exe: start to the Welcome page painted" "$startup"
awk -v s="$startup" -v e="$extract" 'BEGIN { printf "%-48s %8.2f\n", "ratio", s / e }'
