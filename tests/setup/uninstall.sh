#!/usr/bin/env bash
# The uninstaller end to end under Wine: the wizard installs a payload that
# carries Uninstall.exe (driven with real input, through the wizard script's
# helpers), then Uninstall.exe removes it, silently or answered with the mouse;
# checked by the files, shortcuts, folders and registry entry left, the exit
# code and the messages shown.
# Usage: uninstall.sh ZOREVA_EXE PACKER LINK_READER_EXE BITS LAUNCH_PROBE_EXE UNINSTALL_EXE FILE_HOLDER_EXE
uninstaller=$6 file_holder=$7
source "$(dirname "$0")/wizard.sh" "$1" "$2" "$3" "$4" "$5"

hklm_key() { echo "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"; }
has_key() { wine reg query "$(hklm_key "$1")" /reg:$bits >/dev/null 2>&1; }

# install TITLE DESTNAME [pick]: the wizard installs App.exe, ReadMe.txt,
# Docs\Deep\Guide.txt (whose folders the setup makes without recording them)
# and Uninstall.exe, with a program folder and the desktop shortcut; "pick"
# takes the first existing program folder from the list instead of making one.
install() {
    local payload=$work/payload-$2
    forget_install "$2" "$1" "$(unix_path "$common_programs\\$1")" "$(unix_path "$common_desktop\\$1.lnk")"
    make_payload "$payload"
    mkdir -p "$payload/Docs/Deep"
    printf 'Guide.\r\n' >"$payload/Docs/Deep/Guide.txt"
    cp "$uninstaller" "$payload/Uninstall.exe"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'Addfile=ReadMe.txt' 'Addfile=Docs\Deep\Guide.txt' \
        'Addfile=Uninstall.exe' "VistraneTitle=$1" 'Language=English' "Destination=$2" "Folder=$1" \
        'DesktopIcon=1' 'PerMachine=1' >"$payload/Setup.ini"
    pack "$payload" "$work/Setup-$2.exe" || { echo "FAILED: packing"; failed=1; return 1; }
    start_setup "$work/Setup-$2.exe"
    await_buttons $disabled $normal || { echo "FAILED: $1: no Welcome page"; failed=1; return 1; }
    click_button $forward_x
    await_buttons $normal $normal || { echo "FAILED: $1: no Destination page"; failed=1; return 1; }
    click_button $forward_x
    await_folder_page || { echo "FAILED: $1: no Folder page"; failed=1; return 1; }
    if [ "${3:-}" = pick ]; then rest_mouse; xdotool key Tab Home; fi
    click_button $forward_x
    await_buttons $disabled $normal || { echo "FAILED: $1: no Finish page"; failed=1; return 1; }
    click_button $forward_x
    await_exit || return 1
    check "$1: installed" [ "$exit_code" = 0 -a -f "$(unix_path "$program_files\\$2\\Uninstall.exe")" ]
}

start_uninstaller() {  # Windows path of Uninstall.exe, arguments
    wine "$@" >/dev/null 2>&1 &
    setup_pid=$!
}

# The copy in the temporary folder deletes Uninstall.exe once the original has ended.
await_gone() {  # file
    for _ in $(seq 100); do [ ! -e "$1" ] && return 0; sleep 0.1; done
    return 1
}

# Clicks a message box button: the boxes sit in the screen's middle and keep
# their buttons on the bottom row, centred, 75 + 8 pixels apart for two buttons.
click_box_button() {  # box title, button index, button count
    local box geometry x y w h
    box=$(xdotool search --onlyvisible --name "$1" | head -1)
    geometry=$(xdotool getwindowgeometry --shell "$box")
    eval "$geometry"
    x=$((X + WIDTH / 2 + ($2 * 2 + 1 - $3) * 45)) y=$((Y + HEIGHT - 25))
    xdotool mousemove $x $y
    sleep 0.3
    xdotool click 1
}

# Everything the setup made is gone; what the user added stays.
check_removed() {  # title, destination name, program folder (Windows path)
    local d
    d=$(unix_path "$program_files\\$2")
    check "$1: the installed files are gone" [ ! -e "$d/App.exe" -a ! -e "$d/ReadMe.txt" -a ! -e "$d/Docs" ]
    check "$1: the setup's subfolders are gone" [ ! -e "$d/Graphics" -a ! -e "$d/Sounds" -a ! -e "$d/Additional" ]
    check "$1: setup.log is gone" [ ! -e "$d/setup.log" ]
    check "$1: Uninstall.exe is gone once it has ended" await_gone "$d/Uninstall.exe"
    check "$1: the shortcuts are gone" [ ! -e "$(unix_path "$3\\$1.lnk")" -a ! -e "$(unix_path "$3\\Uninstall.lnk")" ]
    check "$1: the desktop shortcut is gone" [ ! -e "$(unix_path "$common_desktop\\$1.lnk")" ]
    check "$1: the uninstall entry is gone" ! has_key "$1"
}

# ---- installed with a picked existing program folder, a file of the user's own added, removed with /S
scenario_silent() {
    echo "== silent removal"
    local title='Zoreva Gone' dest=ZorevaGone kept="$common_programs\\AAA Zoreva Kept" d k
    d=$(unix_path "$program_files\\$dest")
    k=$(unix_path "$kept")
    rm -rf "$k"
    mkdir -p "$k"
    printf 'other\r\n' >"$k/Other.txt"
    install "$title" $dest pick || return
    check "the shortcuts are in the picked folder" [ -f "$k/$title.lnk" -a -f "$k/Uninstall.lnk" ]
    check "the uninstall entry is there" has_key "$title"
    printf 'mine\r\n' >"$d/Notes.txt"
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "exit code 0" [ "$exit_code" = 0 ]
    check "no message box" [ -z "$(xdotool search --onlyvisible --name '^Uninstall$' 2>/dev/null)" ]
    check_removed "$title" $dest "$kept"
    check "the user's file and the folder holding it are kept" [ "$(cat "$d/Notes.txt")" = "$(printf 'mine\r\n')" ]
    check "only the user's file is left" [ "$(ls -A "$d")" = Notes.txt ]
    check "the picked program folder is kept with its other contents" [ "$(ls -A "$k")" = Other.txt ]
    rm -rf "$d" "$k"
}

no_workspace || { echo "FAILED: a workspace was left before the test began"; failed=1; }
for scenario in ${UNINSTALL_SCENARIOS:-silent}; do run scenario_$scenario; done
exit $failed
