#!/usr/bin/env bash
# The setup program's figures, each beside a reference measured in the same
# run on the same machine under Wine:
#   - sizes of the 32-bit product programs (stripped, no payload);
#   - start-up of a setup carrying 100 MiB: from starting its process to the
#     Welcome page painted, against `zoreva-pack.exe extract` of its payload;
#   - the setup's peak memory (VmHWM of its process) less the setup file's size;
#   - the Copy page: from the click on Next of the Program folder page to the
#     Finish page painted, against copy_reference.exe copying the same files
#     with the same system call (timed inside its process);
#   - `Uninstall.exe /S` of that installation until its folder is gone (Wine's
#     start included), against copy_reference.exe deleting its copies;
#   - the whole installation, start-up and Copy page, against the installer an
#     author would make with NSIS instead (nsis_figures.nsi: the same files,
#     zlib, the 64-bit stub) installing silently, from the start of its process
#     to its end; and the two uninstallers, each until its folder is gone.
# Screen changes are timed by screen_timer.py, which starts the command and
# reads single pixels every millisecond. Every figure is the median of three
# rounds, each of which measures all of them, ours and the references one
# right after the other.
# Usage: setup_figures.sh ZOREVA_EXE PACKER LINK_READER_EXE BITS LAUNCH_PROBE_EXE PRODUCT_BIN
#   PRODUCT_BIN: the folder of the 32-bit Zoreva.exe and Uninstall.exe whose sizes count.
source "$(dirname "$0")/../setup/wizard.sh" "$@"
product_bin=$6
windows_packer=$(dirname "$1")/zoreva-pack.exe copy_reference=$(dirname "$1")/copy_reference.exe
here=$(cd "$(dirname "$0")" && pwd)
timer=$here/screen_timer.py
runs=3
for program in python3 makensis "$product_bin/Zoreva.exe" "$product_bin/Uninstall.exe"; do
    command -v "$program" >/dev/null || { echo "setup_figures: $program is missing"; exit 1; }
done

# ---- the payload: 100 MiB in 25 files of 4 MiB (random bytes and text,
# alternately) and 175 files of 4 KiB, all installed.
payload=$work/big
make_payload "$payload"
addfiles=('Addfile=App.exe' 'Addfile=Uninstall.exe')
for i in $(seq 1 25); do
    if [ $((i % 2)) = 1 ]; then head -c 4194304 /dev/urandom; else base64 -w 76 /dev/urandom | head -c 4194304; fi \
        >"$payload/data$i.bin"
    addfiles+=("Addfile=data$i.bin")
done
for i in $(seq 1 175); do
    base64 -w 76 /dev/urandom | head -c 4096 >"$payload/small$i.txt"
    addfiles+=("Addfile=small$i.txt")
done
title='Zoreva Figures' destination=ZorevaFigures
setup_ini 'TargetFile=App.exe' "${addfiles[@]}" "VistraneTitle=$title" 'Language=English' \
    "Destination=$destination" >"$payload/Setup.ini"
# Started from the user's Downloads folder, as from Explorer: the folder
# chooser made at start-up opens its tree at the current folder.
downloads=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)/Downloads
mkdir -p "$downloads"
setup_file=$downloads/ZorevaFigures.exe
"$packer" build --with-uninstaller --stub "$stub" --from "$payload" --out "$setup_file" >/dev/null ||
    { echo "packing failed"; exit 1; }
trap 'cleanup; rm -rf "$setup_file" "${nsis_dest:-}"' EXIT

# The same files for NSIS; its uninstaller is the Uninstall.exe it writes.
nsis_entries=$work/nsis-entries.nsh nsis_setup=$work/ZorevaFiguresNsis.exe
for entry in "${addfiles[@]}"; do
    [ "$entry" = Addfile=Uninstall.exe ] || echo "!insertmacro Entry ${entry#Addfile=}"
done >"$nsis_entries"
makensis -V1 "-DPAYLOAD=$payload" "-DENTRIES=$nsis_entries" "-DOUT=$nsis_setup" "$here/nsis_figures.nsi" >/dev/null ||
    { echo "setup_figures: makensis failed"; exit 1; }
# Without spaces: Wine quotes an argument that has them, and NSIS then ignores /D=.
nsis_windows='C:\ZorevaFiguresNsis' nsis_dest=$drive_c/ZorevaFiguresNsis

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
row() { printf '%-44s %14s %22s %7s  %s\n' "$@"; }

# Pixels: Back and Forward at their centres.
back_pixel="$((left + back_x + 35)),$((top + button_y + 15))"
forward_pixel="$((left + forward_x + 35)),$((top + button_y + 15))"
welcome=("$back_pixel=$disabled" "$forward_pixel=$normal")
finish=("$back_pixel=$disabled" "$forward_pixel=$normal/$over")

# Starts the setup, timed to its Welcome page; sets timed_ms and setup_pid.
timed_start() {
    rest_mouse
    local out
    out=$(cd "$downloads" && python3 "$timer" --timeout 60 "${welcome[@]}" -- wine "$setup_file") ||
        { echo "the setup did not show its Welcome page"; exit 1; }
    timed_ms=${out% *} setup_pid=${out#* }
}
# The setup is not this shell's child (the timer started it).
end_setup() {
    kill "$setup_pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$setup_pid" 2>/dev/null || break; sleep 0.1; done
    setup_pid=
    workspaces | xargs -r rm -rf
}
# Wine's server stays up for the whole run: no program pays for its start.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1

# One round: each figure of ours beside its reference, taken one right after
# the other, so that both see the same load of the machine.
setup_windows=$(winepath -w "$setup_file") out_windows=$(winepath -w "$work/out")
dest_windows="$program_files\\$destination"
dest=$(unix_path "$dest_windows")

# The start-up against `zoreva-pack.exe extract`, then the walk to the
# Program folder page and the Copy page; leaves the setup ended and the
# files installed.
install_round() {
    rm -rf "$work/out"
    local start out
    start=$(now_ms)
    wine "$windows_packer" extract "$setup_windows" "$out_windows" >/dev/null 2>&1
    extract_ms+=($(($(now_ms) - start)))
    forget_install "$destination" "$title"
    timed_start
    startup_ms+=("$timed_ms")
    await_buttons $disabled $normal || give_up "no Welcome page"
    click_button $forward_x
    await_buttons $normal $normal || give_up "no Destination page"
    click_button $forward_x
    await_folder_page || give_up "no Program folder page"
    xdotool mousemove $((left + forward_x + 35)) $((top + button_y + 15))
    sleep 0.3
    out=$(python3 "$timer" --timeout 120 "${finish[@]}" -- xdotool click 1) || give_up "no Finish page"
    copy_ms+=("${out% *}")
    install_ms+=($((timed_ms + ${out% *})))
    peak_kib=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$setup_pid/status")
    click_button $forward_x
    for _ in $(seq 300); do kill -0 "$setup_pid" 2>/dev/null || break; sleep 0.1; done
    setup_pid=
    cmp -s "$payload/data25.bin" "$dest/data25.bin" || { echo "setup_figures: the files were not installed"; exit 1; }
    copy_bytes=0
    for entry in "${addfiles[@]}"; do copy_bytes=$((copy_bytes + $(stat -c %s "$dest/${entry#Addfile=}"))); done
}
give_up() { echo "setup_figures: $1"; end_setup; exit 1; }

# The same files installed by NSIS, silently, from its start to its end.
nsis_install_round() {
    rm -rf "$nsis_dest"
    local start
    start=$(now_ms)
    wine "$nsis_setup" /S "/D=$nsis_windows" >/dev/null 2>&1
    nsis_install_ms+=($(($(now_ms) - start)))
    [ "$(ls "$nsis_dest" | wc -l)" = ${#addfiles[@]} ] && cmp -s "$payload/data25.bin" "$nsis_dest/data25.bin" ||
        { echo "setup_figures: the NSIS installer did not install the files"; exit 1; }
}

# The installed files copied and deleted again by a plain loop.
reference_round() {
    rm -rf "$drive_c/figures" && mkdir -p "$drive_c/figures/source"
    for entry in "${addfiles[@]}"; do cp "$dest/${entry#Addfile=}" "$drive_c/figures/source/"; done
    local reference
    reference=$(wine "$copy_reference" 'C:\figures\source' 'C:\figures\copy' | tr -d '\r')
    reference_copy_ms+=($(sed -n 's/^copy //p' <<<"$reference"))
    reference_remove_ms+=($(sed -n 's/^remove //p' <<<"$reference"))
    [ ${#reference_copy_ms[@]} = ${#copy_ms[@]} ] || { echo "copy_reference failed"; exit 1; }
    rm -rf "$drive_c/figures"
}

timed_uninstall() {  # uninstaller, installation folder; prints the milliseconds until the folder is gone
    local start
    start=$(now_ms)
    wine "$1" /S >/dev/null 2>&1 &
    for _ in $(seq 6000); do
        if [ ! -d "$2" ]; then echo $(($(now_ms) - start)); wait; return; fi
        sleep 0.01
    done
    wait
    echo -
}

extract_ms=() startup_ms=() copy_ms=() install_ms=() nsis_install_ms=() reference_copy_ms=() reference_remove_ms=()
uninstall_ms=() nsis_uninstall_ms=()
for _ in $(seq $runs); do
    install_round
    nsis_install_round
    reference_round
    uninstall_ms+=($(timed_uninstall "$dest/Uninstall.exe" "$dest"))
    nsis_uninstall_ms+=($(timed_uninstall "$nsis_dest/Uninstall.exe" "$nsis_dest"))
done
extract=$(median "${extract_ms[@]}") startup=$(median "${startup_ms[@]}") copy=$(median "${copy_ms[@]}")
install=$(median "${install_ms[@]}") nsis_install=$(median "${nsis_install_ms[@]}")
reference_copy=$(median "${reference_copy_ms[@]}") reference_remove=$(median "${reference_remove_ms[@]}")
uninstall=$(median "${uninstall_ms[@]}") nsis_uninstall=$(median "${nsis_uninstall_ms[@]}")
copy_files=${#addfiles[@]}

# ---- the table
zoreva_size=$(stat -c %s "$product_bin/Zoreva.exe") uninstall_size=$(stat -c %s "$product_bin/Uninstall.exe")
setup_size=$(stat -c %s "$setup_file")
copy_mib=$(mib "$copy_bytes")
rate() { awk -v n="$1" -v ms="$2" 'BEGIN { if (ms > 0) printf "%.1f", n * 1000 / ms; else printf "-" }'; }
echo "== setup figures: $copy_files files, $copy_mib MiB installed; setup of $(mib "$setup_size") MiB"
row figure ours reference ratio goal
row "Zoreva.exe, 32-bit, stripped, no payload" "$((zoreva_size / 1024)) KiB" "" "" "at most 320 KiB"
row "Uninstall.exe, 32-bit, stripped" "$((uninstall_size / 1024)) KiB" "" "" ""
row "start-up to the Welcome page painted" "$startup ms" "extract $extract ms" "$(ratio "$startup" "$extract")" \
    "ratio at most 1.2"
row "peak memory less the setup file" "$(mib $((peak_kib * 1024 - setup_size))) MiB" \
    "VmHWM $(mib $((peak_kib * 1024))) MiB" "" "under 64 MiB"
row "Copy page: files per second" "$(rate "$copy_files" "$copy")" \
    "loop $(rate "$copy_files" "$reference_copy")" "$(ratio "$reference_copy" "$copy")" "ratio at least 0.8"
row "Copy page: MiB per second" "$(rate "$copy_mib" "$copy")" \
    "loop $(rate "$copy_mib" "$reference_copy")" "$(ratio "$reference_copy" "$copy")" "ratio at least 0.8"
row "Uninstall.exe /S until the folder is gone" "$uninstall ms" "loop deleting $reference_remove ms" \
    "$(ratio "$uninstall" "$reference_remove")" ""
row "install: start-up and Copy page" "$install ms" "NSIS /S $nsis_install ms" \
    "$(ratio "$install" "$nsis_install")" "ratio at most 1.5"
row "uninstall until the folder is gone" "$uninstall ms" "NSIS /S $nsis_uninstall ms" \
    "$(ratio "$uninstall" "$nsis_uninstall")" "ratio at most 1.0"
echo "   each the median of $runs rounds; one round: extract, start-up, Copy page, NSIS install, copy loop,"
echo "   uninstall, NSIS uninstall (NSIS's 64-bit stub under Wine's 64-bit side)"
exit $failed
