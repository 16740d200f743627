#!/usr/bin/env bash
# The setup program end to end under Wine: each scenario packs its own payload
# (Setup.ini, pictures drawn with ImageMagick, program files) into a setup with
# zoreva-pack, runs it and drives the skinned buttons with real mouse clicks at
# their Setup.ini places and the pages with the keyboard; it checks the pages
# by the button pictures' colours in screenshots, and the outcome by the files
# installed (bytes), setup.log (bytes), the registry, the shortcuts read back,
# the exit code and the workspace left behind.
# Usage: wizard.sh ZOREVA_EXE PACKER LINK_READER_EXE BITS LAUNCH_PROBE_EXE PAYLOAD_EMBEDDER_EXE   (BITS: 32 or 64)
set -uo pipefail
stub=$1 packer=$2 link_reader=$3 bits=$4 launch_probe=$5 embedder=${6:-}
[ -n "${DISPLAY:-}" ] || { echo "SKIPPED: no DISPLAY for the Wine windows"; exit 77; }
[ -d "${WINEPREFIX:-}/drive_c" ] || { echo "SKIPPED: no Wine prefix at '${WINEPREFIX:-}'"; exit 77; }
for tool in xdotool convert import; do
    command -v $tool >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done

# Every wait below is a number of tries. Where each step takes many times
# longer (the shipped 32-bit build under an emulator), ZOREVA_TIME_FACTOR
# multiplies them all; a check that passes still ends at once.
time_factor=${ZOREVA_TIME_FACTOR:-1}
tries() { echo $(($1 * time_factor)); }

work=$(mktemp -d)
setup_pid= dpi_changed=
cleanup() {
    [ -n "$setup_pid" ] && kill "$setup_pid" 2>/dev/null
    [ -n "$dpi_changed" ] && set_dpi
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
check() {  # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; return 1; fi
}

drive_c=$WINEPREFIX/drive_c
if [ "$bits" = 64 ]; then program_files='C:\Program Files'; else program_files='C:\Program Files (x86)'; fi
common_programs='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
common_desktop='C:\users\Public\Desktop'
unix_path() { winepath -u "$1" 2>/dev/null; }

# The skin: 500 x 360, with two 40 x 40 corners in the invisible colour
# (magenta); the three buttons 70 x 30 at y 310, one colour per picture.
skin_width=500 skin_height=360
left=$(((1024 - skin_width) / 2)) top=$(((768 - skin_height) / 2))
button_y=310 back_x=170 forward_x=260 cancel_x=350
normal=32,64,192 over=32,192,64 pressed=192,32,32 disabled=128,128,128

# make_payload DIR: the application files and pictures; Setup.ini is written by the scenario.
make_payload() {
    local dir=$1
    mkdir -p "$dir/Graphics"
    convert -size ${skin_width}x${skin_height} xc:'#3366aa' -fill magenta -draw 'rectangle 0,0 39,39' \
        -draw 'rectangle 460,320 499,359' BMP3:"$dir/Graphics/skin.bmp"
    convert -size 70x30 xc:'#2040c0' BMP3:"$dir/Graphics/normal.bmp"
    convert -size 70x30 xc:'#20c040' BMP3:"$dir/Graphics/over.bmp"
    convert -size 70x30 xc:'#c02020' BMP3:"$dir/Graphics/pressed.bmp"
    convert -size 70x30 xc:'#808080' BMP3:"$dir/Graphics/disabled.bmp"
    convert -size 16x16 xc:'#ffcc00' BMP3:"$dir/Graphics/logo.bmp"
    head -c 70000 /dev/urandom >"$dir/App.exe"
    printf 'Read me first.\r\n' >"$dir/ReadMe.txt"
    printf 'Licence line one.\r\nLicence line two.\r\n' >"$dir/Licence.txt"
}

# setup_ini SETUP_LINES...: the Setup block's lines, then the fixed skin blocks.
setup_ini() {
    printf 'Zoreva test setup\r\nObject=Setup\r\n'
    printf '%s\r\n' "$@"
    printf 'end\r\nObject=Toolweb\r\nTop=20\r\nLeft=40\r\nWidth=420\r\nHeight=270\r\nend\r\n'
    printf 'Object=Panel\r\nBitmap=Graphics\\skin.bmp\r\nInvisibleColor=$00FF00FF\r\nend\r\n'
    local name x
    for name in Back:$back_x Forward:$forward_x Cancel:$cancel_x; do
        x=${name#*:}
        printf 'Object=Button\r\nKind=Bitmap\r\nName=%s\r\nTop=%s\r\nLeft=%s\r\n' "${name%%:*}" $button_y "$x"
        printf 'Mask=Graphics\\normal.bmp\r\nTouched=Graphics\\over.bmp\r\nPressed=Graphics\\pressed.bmp\r\n'
        printf 'Disabled=Graphics\\disabled.bmp\r\nInvisibleColor=$00FF00FF\r\nend\r\n'
    done
}

pack() {  # payload folder, setup file, more build options
    "$packer" build "${@:3}" --stub "$stub" --from "$1" --out "$2" >/dev/null
}

start_setup() {  # setup file
    wine "$1" >/dev/null 2>&1 &
    setup_pid=$!
}

# Waits (at most 30 s, times the factor) for the setup to end; its exit code goes to $exit_code.
await_exit() {
    for _ in $(seq "$(tries 300)"); do
        if ! kill -0 "$setup_pid" 2>/dev/null; then
            wait "$setup_pid"
            exit_code=$?
            setup_pid=
            return 0
        fi
        sleep 0.1
    done
    echo "FAILED: the setup did not end"
    return 1
}

# The colour of one pixel of a picture as "R,G,B".
pixel_in() {  # file x y
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
pixel() {  # x y on the screen now
    import -window root "$work/screen.png"
    pixel_in "$work/screen.png" "$1" "$2"
}
button_colour() { pixel $((left + $1 + 35)) $((top + button_y + 15)); }

# The mouse rests on the skin away from the buttons: no button shows "over",
# and the keyboard goes to the window under the mouse (Xvfb has no window manager).
rest_mouse() { xdotool mousemove $((left + 100)) $((top + 340)); }

# Waits (at most 10 s, times the factor) until Back and Forward show the given pictures.
await_buttons() {  # back colour, forward colour
    rest_mouse
    for _ in $(seq "$(tries 50)"); do
        [ "$(button_colour $back_x)" = "$1" ] && [ "$(button_colour $forward_x)" = "$2" ] && return 0
        sleep 0.2
    done
    return 1
}

# The Folder page is the one whose list box fills the middle of the text area white.
await_folder_page() {
    for _ in $(seq "$(tries 50)"); do [ "$(pixel $((left + 250)) $((top + 200)))" = 255,255,255 ] && return 0; sleep 0.2; done
    return 1
}

click_button() {  # x of the button within the window
    xdotool mousemove $((left + $1 + 35)) $((top + button_y + 15))
    sleep 0.3
    xdotool click 1
    sleep 0.3
}

# Setups make their workspaces directly in the user's temporary folder.
workspaces() { find "$drive_c/users" -maxdepth 5 -regex '.*/Temp/QXTemp[0-9]+' 2>/dev/null; }
no_workspace() { [ -z "$(workspaces)" ]; }

# Polled rather than "xdotool search --sync", which gives up at once with an
# X error when a window it looks at goes away meanwhile (Wine makes and drops
# windows while a program starts).
await_window() {  # window name pattern, seconds to wait (10)
    local until=$((SECONDS + $(tries "${2:-10}")))
    while [ $SECONDS -lt $until ]; do
        [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
        sleep 0.2
    done
    return 1
}
await_window_gone() {  # window name pattern
    for _ in $(seq "$(tries 50)"); do [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0; sleep 0.2; done
    return 1
}

registry_value() {  # key below the uninstall key, value name, type (REG_SZ unless given)
    wine reg query "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /v "$2" /reg:$bits 2>/dev/null |
        tr -d '\r' | sed -n "s/^ *$2 *${3:-REG_SZ} *//p"
}

# The sum of the files' sizes in KB, rounded up, as "reg query" shows a REG_DWORD.
kilobytes_of() {  # files
    printf '0x%x' $((($(cat "$@" | wc -c) + 1023) / 1024))
}

link_field() {  # link file (Windows path), field name
    wine "$link_reader" "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^$2=//p"
}

# A run before this one in the same Wine prefix must not decide the checks.
forget_install() {  # destination name, title, other paths
    rm -rf "$(unix_path "$program_files\\$1")" "${@:3}"
    wine reg delete "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$2" /f /reg:$bits >/dev/null 2>&1
}

# Welcome, Destination, Folder: the walk of a setup without a licence.
walk_to_folder_page() {
    check "Welcome" await_buttons $disabled $normal || return
    click_button $forward_x
    check "Destination" await_buttons $normal $normal
    click_button $forward_x
    check "the Folder page" await_folder_page
}

# Next on the Program folder page installs; Next on Finish ends the setup.
finish_from_folder_page() {
    click_button $forward_x
    check "Finish" await_buttons $disabled $normal || return
    click_button $forward_x
    await_exit || return
    # A wrong exit code is reported; what the run left is still worth checking.
    check "exit code 0" [ "$exit_code" = 0 ] || true
}

# ---- a: the whole road in English, with a licence, a typed program folder and the desktop icon
scenario_full_install() {
    echo "== full install"
    local payload=$work/full dest="$program_files\\ZorevaTest" folder="$common_programs\\Zoreva Typed"
    forget_install ZorevaTest 'Zoreva Test' "$(unix_path "$folder")" "$(unix_path "$common_desktop\\Zoreva Test.lnk")"
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'Addfile=ReadMe.txt' 'Addfile=Graphics\logo.bmp' \
        'VistraneTitle=Zoreva Test' 'Language=English' 'Licence=Licence.txt' 'Destination=ZorevaTest' \
        'Folder=Zoreva Test' 'ReadMe=ReadMe.txt' 'LaunchProg=0' 'DesktopIcon=1' 'PerMachine=1' \
        'TextBoxColor=$00F0E0D0' 'Fontname=Arial' 'Fontheight=-13' 'Icon=Setup.ico' >"$payload/Setup.ini"
    convert -size 32x32 xc:'#ffcc00' "$payload/Setup.ico"
    pack "$payload" "$work/FullSetup.exe" --product-version 2.7.1 --publisher 'Zoreva Tests & Co' ||
        { echo "FAILED: packing"; failed=1; return; }
    xdotool mousemove 5 5
    import -window root "$work/desktop.png"
    start_setup "$work/FullSetup.exe"
    check "Welcome: Back disabled, Forward enabled" await_buttons $disabled $normal || return
    check "the workspace exists while the wizard runs" [ -n "$(workspaces)" ]
    check "the desktop shows through the invisible corner" \
        [ "$(pixel $((left + 5)) $((top + 5)))" = "$(pixel_in "$work/desktop.png" $((left + 5)) $((top + 5)))" ]
    check "the skin shows beside the corner" [ "$(pixel $((left + 45)) $((top + 5)))" = 51,102,170 ]
    click_button $forward_x
    check "Licence: Forward waits for the box" await_buttons $normal $disabled
    click_button $forward_x
    check "Forward does nothing before the box is checked" await_buttons $normal $disabled
    rest_mouse
    xdotool key space
    check "Space on the box enables Forward" await_buttons $normal $normal
    click_button $forward_x
    sleep 0.5
    click_button $back_x
    check "back on Licence the box is clear again" await_buttons $normal $disabled
    xdotool key space
    check "checked once more" await_buttons $normal $normal
    click_button $forward_x
    sleep 0.5
    click_button $forward_x
    check "the Folder page" await_folder_page
    rest_mouse
    xdotool key End shift+Home BackSpace
    xdotool type --delay 30 'Zoreva Typed'
    click_button $forward_x
    check "Finish: Back disabled, Forward enabled" await_buttons $disabled $normal
    import -window root "$work/finish.png"
    click_button $forward_x
    await_exit || return
    check "exit code 0" [ "$exit_code" = 0 ]
    local d
    d=$(unix_path "$dest")
    check "App.exe installed byte for byte" cmp -s "$payload/App.exe" "$d/App.exe"
    check "ReadMe.txt installed byte for byte" cmp -s "$payload/ReadMe.txt" "$d/ReadMe.txt"
    check "Graphics\\logo.bmp installed byte for byte" cmp -s "$payload/Graphics/logo.bmp" "$d/Graphics/logo.bmp"
    check "the three fixed subfolders" test -d "$d/Graphics" -a -d "$d/Sounds" -a -d "$d/Additional"
    printf '%s\r\n' SetupLOG 'NAME=Zoreva Test' 'KEY=Zoreva Test' \
        "LINK=$common_desktop\\Zoreva Test.lnk" "LINK=$folder\\ReadMe.txt.lnk" "LINK=$folder\\Uninstall.lnk" \
        "LINK=$folder\\Zoreva Test.lnk" "DIRECTORY=$folder" "COPYFILE=$dest\\Graphics\\logo.bmp" \
        "COPYFILE=$dest\\ReadMe.txt" "COPYFILE=$dest\\App.exe" "DIRECTORY=$dest\\Additional" \
        "DIRECTORY=$dest\\Sounds" "DIRECTORY=$dest\\Graphics" "DIRECTORY=$dest" >"$work/expected.log"
    check "setup.log byte for byte" cmp "$work/expected.log" "$d/setup.log"
    check "DisplayName" [ "$(registry_value 'Zoreva Test' DisplayName)" = 'Zoreva Test' ]
    check "UninstallString, quoted" [ "$(registry_value 'Zoreva Test' UninstallString)" = "\"$dest\\Uninstall.exe\"" ]
    check "DisplayIcon: the program" [ "$(registry_value 'Zoreva Test' DisplayIcon)" = "$dest\\App.exe" ]
    check "DisplayVersion from the setup's version" [ "$(registry_value 'Zoreva Test' DisplayVersion)" = 2.7.1 ]
    check "Publisher from the setup's version" [ "$(registry_value 'Zoreva Test' Publisher)" = 'Zoreva Tests & Co' ]
    check "EstimatedSize: the installed files in KB" [ "$(registry_value 'Zoreva Test' EstimatedSize REG_DWORD)" = \
        "$(kilobytes_of "$payload/App.exe" "$payload/ReadMe.txt" "$payload/Graphics/logo.bmp")" ]
    check "InstallLocation" [ "$(registry_value 'Zoreva Test' InstallLocation)" = "$dest" ]
    check "NoModify and NoRepair" [ "$(registry_value 'Zoreva Test' NoModify REG_DWORD)$(registry_value \
        'Zoreva Test' NoRepair REG_DWORD)" = 0x10x1 ]
    local link
    for link in "$folder\\Zoreva Test.lnk" "$common_desktop\\Zoreva Test.lnk"; do
        check "$link: target" [ "$(link_field "$link" Target)" = "$dest\\App.exe" ]
        check "$link: working folder" [ "$(link_field "$link" WorkingFolder)" = "$dest" ]
        check "$link: description" [ "$(link_field "$link" Description)" = 'Zoreva Test' ]
        check "$link: no arguments, normal window" [ "$(link_field "$link" Arguments)$(link_field "$link" ShowCommand)" = 1 ]
    done
    link="$folder\\Uninstall.lnk"
    check "uninstall link: target" [ "$(link_field "$link" Target)" = "$dest\\uninstall.exe" ]
    check "uninstall link: description" [ "$(link_field "$link" Description)" = 'Uninstall Zoreva Test' ]
    check "uninstall link: working folder" [ "$(link_field "$link" WorkingFolder)" = "$dest" ]
    link="$folder\\ReadMe.txt.lnk"
    check "ReadMe link: notepad" bash -c "[[ '$(link_field "$link" Target)' == *'\\notepad.exe' ]]"
    check "ReadMe link: the quoted ReadMe path" [ "$(link_field "$link" Arguments)" = "\"$dest\\ReadMe.txt\"" ]
    check "ReadMe link: no working folder" [ -z "$(link_field "$link" WorkingFolder)" ]
    check "ReadMe link: description" [ "$(link_field "$link" Description)" = ReadMe.txt ]
    check "the ReadMe viewer opened the ReadMe" await_window 'ReadMe.txt - Notepad'
    wine taskkill /f /im notepad.exe >/dev/null 2>&1
    check "no workspace left" no_workspace
}

# ---- b: leaving answered No (Alt+F4), then Yes (Cancel), in German, on the Destination page
scenario_cancel_german() {
    echo "== cancel in German"
    local payload=$work/cancel
    forget_install ZorevaAbbruch 'Zoreva Abbruch'
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Zoreva Abbruch' 'Language=German' \
        'Destination=ZorevaAbbruch' 'Folder=Zoreva Abbruch' 'DesktopIcon=1' 'TextBoxColor=$00FFFFFF' >"$payload/Setup.ini"
    pack "$payload" "$work/CancelSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    start_setup "$work/CancelSetup.exe"
    check "Welcome" await_buttons $disabled $normal || return
    click_button $forward_x
    check "without a licence Forward goes to Destination" await_buttons $normal $normal
    click_button $back_x
    check "and Back from there to Welcome" await_buttons $disabled $normal
    click_button $forward_x
    check "Forward to Destination again" await_buttons $normal $normal
    # Closing the window asks the same question as Cancel.
    rest_mouse
    xdotool key alt+F4
    check "the German confirmation" await_window 'Best.*tigung!'
    sleep 0.5
    # Kept beside the test's build folder: the German page with the German dialog.
    import -window root "$PWD/wizard-german.png"
    # The dialog's buttons have the focus in order Ja, Nein: Tab to Nein, Space presses it.
    rest_mouse
    xdotool key Tab space
    check "No closes the confirmation" await_window_gone 'Best.*tigung!'
    check "No keeps the wizard on Destination" await_buttons $normal $normal
    check "the setup still runs" kill -0 "$setup_pid"
    click_button $cancel_x
    check "the confirmation again" await_window 'Best.*tigung!'
    rest_mouse
    xdotool key space
    await_exit || return
    check "exit code 1: cancelled" [ "$exit_code" = 1 ]
    check "nothing installed" [ ! -e "$(unix_path "$program_files\\ZorevaAbbruch")" ]
    check "no uninstall entry" [ -z "$(registry_value 'Zoreva Abbruch' DisplayName)" ]
    check "no workspace left" no_workspace
}

# The Browse button: the Toolweb text area at (40, 20), 420 x 270, holds the
# pages 12 pixels in from the left and right, 14 from the top and 16 from the
# bottom; the button sits 17 pixels into the 50-pixel group at the page's
# bottom, 9 pixels from its right edge, 75 x 25.
browse_x=$((left + 40 + 12 + 396 - 9 - 37)) browse_y=$((top + 20 + 14 + 240 - 50 + 17 + 12))

# ---- d: a copy that fails: Retry after the cause is gone, then the run goes on
scenario_copy_retry() {
    echo "== copy failure, Retry"
    local payload=$work/retry dest='C:\Zoreva Chosen' d
    d=$(unix_path "$dest")
    forget_install 'Zoreva Chosen' 'Zoreva Retry'
    rm -rf "$d"
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=ReadMe.txt' 'Addfile=App.exe' 'Addfile=Graphics\logo.bmp' \
        'VistraneTitle=Zoreva Retry' 'Language=English' 'Destination=Unused' 'DesktopIcon=1' >"$payload/Setup.ini"
    pack "$payload" "$work/RetrySetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    # A folder named App.exe lies where the setup will copy its program (read-only
    # files stop nobody here: Wine runs as root).
    mkdir -p "$d/App.exe"
    start_setup "$work/RetrySetup.exe"
    check "Welcome" await_buttons $disabled $normal || return
    check "Cancel is enabled before the copy" [ "$(button_colour $cancel_x)" = $normal ]
    click_button $forward_x
    check "Destination" await_buttons $normal $normal
    xdotool mousemove $browse_x $browse_y click 1
    check "Browse opens the folder chooser" await_window 'Choose Folder' || return
    rest_mouse
    xdotool key End shift+Home BackSpace
    xdotool type --delay 30 'C:\Zoreva Chosen'
    xdotool key Tab Tab space
    check "OK closes the chooser" await_window_gone 'Choose Folder'
    click_button $forward_x
    check "the Folder page" await_folder_page
    click_button $forward_x
    check "the failed copy is reported" await_window '^Error$' || return
    check "the file before it is copied" cmp -s "$payload/ReadMe.txt" "$d/ReadMe.txt"
    # The run holds the Copy page: its Cancel is the message box's.
    check "Cancel shows disabled while the copy runs" [ "$(button_colour $cancel_x)" = $disabled ]
    rmdir "$d/App.exe"
    rest_mouse
    xdotool key Return
    check "after Retry the run reaches Finish" await_buttons $disabled $normal || return
    check "Cancel shows disabled on Finish" [ "$(button_colour $cancel_x)" = $disabled ]
    click_button $cancel_x
    sleep 1
    check "Cancel on Finish is ignored" kill -0 "$setup_pid"
    rest_mouse
    xdotool key alt+F4
    await_exit || return
    check "exit code 0" [ "$exit_code" = 0 ]
    check "App.exe replaced byte for byte" cmp -s "$payload/App.exe" "$d/App.exe"
    check "Graphics\logo.bmp installed" cmp -s "$payload/Graphics/logo.bmp" "$d/Graphics/logo.bmp"
    printf '%s\r\n' SetupLOG 'NAME=Zoreva Retry' 'KEY=Zoreva Retry' "COPYFILE=$dest\\Graphics\\logo.bmp" \
        "COPYFILE=$dest\\App.exe" "COPYFILE=$dest\\ReadMe.txt" "DIRECTORY=$dest\\Additional" \
        "DIRECTORY=$dest\\Sounds" "DIRECTORY=$dest\\Graphics" "DIRECTORY=$dest" >"$work/expected.log"
    check "closing on Finish writes setup.log without the desktop icon" cmp "$work/expected.log" "$d/setup.log"
    check "closing on Finish registers the uninstaller" [ "$(registry_value 'Zoreva Retry' DisplayName)" = 'Zoreva Retry' ]
    check "no desktop shortcut" [ -z "$(find "$drive_c/users" -name 'Zoreva Retry.lnk')" ]
    check "no workspace left" no_workspace
    rm -rf "$d"
}

# ---- d: a copy that fails and is cancelled: what the run did is taken back
scenario_copy_cancel() {
    echo "== copy failure, Cancel"
    local payload=$work/undo d
    d=$(unix_path "$program_files\\ZorevaUndo")
    forget_install ZorevaUndo 'Zoreva Undo'
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=ReadMe.txt' 'Addfile=App.exe' 'Addfile=Graphics\logo.bmp' \
        'VistraneTitle=Zoreva Undo' 'Language=English' 'Destination=ZorevaUndo' 'Folder=Zoreva Undo' >"$payload/Setup.ini"
    pack "$payload" "$work/UndoSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    mkdir -p "$d/App.exe/Kept"
    # The user's own ReadMe.txt, which the run overwrites before its copy fails.
    printf "the user's own\r\n" >"$d/ReadMe.txt"
    start_setup "$work/UndoSetup.exe"
    walk_to_folder_page || return
    click_button $forward_x
    check "the failed copy is reported" await_window '^Error$' || return
    check "the user's file was overwritten by then" cmp -s "$payload/ReadMe.txt" "$d/ReadMe.txt"
    rest_mouse
    xdotool key Escape
    await_exit || return
    check "exit code 1: cancelled" [ "$exit_code" = 1 ]
    check "the file the run overwrote is back as it was" [ "$(cat "$d/ReadMe.txt")" = "$(printf "the user's own\r\n")" ]
    check "what was there before stays" [ -d "$d/App.exe/Kept" ]
    check "the empty subfolders are removed" [ ! -e "$d/Graphics" -a ! -e "$d/Sounds" -a ! -e "$d/Additional" ]
    check "no program folder" [ ! -e "$(unix_path "$common_programs\\Zoreva Undo")" ]
    check "no setup.log, no uninstall entry" [ ! -e "$d/setup.log" -a -z "$(registry_value 'Zoreva Undo' DisplayName)" ]
    check "no workspace left" no_workspace
    rm -rf "$d"
}

# ---- d: a run stopped by an error is no dead end: Cancel takes it back
scenario_run_error() {
    echo "== run stopped by an error"
    local payload=$work/stopped d
    d=$(unix_path "$program_files\\ZorevaStopped")
    forget_install ZorevaStopped 'Zoreva Stopped'
    make_payload "$payload"
    # The program folder's parent does not exist, so it cannot be made.
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Zoreva Stopped' 'Language=English' \
        'Destination=ZorevaStopped' 'Folder=Nowhere\Deeper' >"$payload/Setup.ini"
    pack "$payload" "$work/StoppedSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    start_setup "$work/StoppedSetup.exe"
    walk_to_folder_page || return
    click_button $forward_x
    check "the error is reported" await_window '^Error$' || return
    check "the files were copied before it" cmp -s "$payload/App.exe" "$d/App.exe"
    rest_mouse
    xdotool key Return
    await_exit || return
    check "once said, the run is taken back: exit code 2" [ "$exit_code" = 2 ]
    check "the one report only" [ -z "$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null)" ]
    check "everything the run made is gone" [ ! -e "$d" ]
    check "no workspace left" no_workspace
}

# ---- d: setup.log cannot be written on Finish (a folder stands in its place):
# said once, then the run is taken back and nothing is registered
scenario_finish_error() {
    echo "== setup.log cannot be written"
    local payload=$work/finish d
    d=$(unix_path "$program_files\\ZorevaNoLog")
    forget_install ZorevaNoLog 'Zoreva No Log' "$(unix_path "$common_programs\\Zoreva No Log")" \
        "$(unix_path "$common_desktop\\Zoreva No Log.lnk")"
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Zoreva No Log' 'Language=English' \
        'Destination=ZorevaNoLog' 'Folder=Zoreva No Log' 'DesktopIcon=1' 'PerMachine=1' >"$payload/Setup.ini"
    pack "$payload" "$work/NoLogSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    mkdir -p "$d/setup.log"
    start_setup "$work/NoLogSetup.exe"
    walk_to_folder_page || return
    click_button $forward_x
    check "Finish" await_buttons $disabled $normal || return
    click_button $forward_x
    check "the log that cannot be written is reported" await_window '^Error$' || return
    rest_mouse
    xdotool key Return
    await_exit || return
    check "exit code 2: failed and taken back" [ "$exit_code" = 2 ]
    check "the installed program is gone" [ ! -e "$d/App.exe" ]
    check "no shortcuts" [ ! -e "$(unix_path "$common_programs\\Zoreva No Log")" -a ! -e "$(unix_path "$common_desktop\\Zoreva No Log.lnk")" ]
    check "no uninstall entry" [ -z "$(registry_value 'Zoreva No Log' DisplayName)" ]
    check "what stood in the way stays" [ -d "$d/setup.log" ]
    check "no workspace left" no_workspace
    rm -rf "$d"
}

# ---- d: more than 100 files, no licence, no program folder, no finish actions
scenario_many_files() {
    echo "== 101 files"
    local payload=$work/many dest="$program_files\\ZorevaMany" d n entries=() expected=()
    d=$(unix_path "$dest")
    forget_install ZorevaMany 'Zoreva Many'
    make_payload "$payload"
    for n in $(seq -w 0 100); do
        # Each file from f050 on has the bytes of one before it, so that the
        # setup unpacks files whose records name one block.
        printf 'file %s\r\n' "$((10#$n % 50))" >"$payload/f$n.txt"
        entries+=("Addfile=f$n.txt")
        expected=("COPYFILE=$dest\\f$n.txt" "${expected[@]}")
    done
    setup_ini 'TargetFile=App.exe' "${entries[@]}" 'VistraneTitle=Zoreva Many' 'Language=English' \
        'Destination=ZorevaMany' >"$payload/Setup.ini"
    pack "$payload" "$work/ManySetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    start_setup "$work/ManySetup.exe"
    walk_to_folder_page || return
    finish_from_folder_page || return
    local copied=0
    for n in $(seq -w 0 100); do cmp -s "$payload/f$n.txt" "$d/f$n.txt" && copied=$((copied + 1)); done
    check "all 101 files installed byte for byte" [ $copied = 101 ]
    printf '%s\r\n' SetupLOG 'NAME=Zoreva Many' 'KEY=Zoreva Many' "${expected[@]}" "DIRECTORY=$dest\\Additional" \
        "DIRECTORY=$dest\\Sounds" "DIRECTORY=$dest\\Graphics" "DIRECTORY=$dest" >"$work/expected.log"
    check "setup.log byte for byte" cmp "$work/expected.log" "$d/setup.log"
    check "no workspace left" no_workspace
}

# ---- d: the program folder picked from the list of existing ones, with the keyboard
scenario_existing_folder() {
    echo "== existing program folder"
    local payload=$work/existing dest="$program_files\\ZorevaExisting" folder="$common_programs\\AAA Zoreva Existing" d f
    d=$(unix_path "$dest")
    f=$(unix_path "$folder")
    forget_install ZorevaExisting 'Zoreva Existing' "$f"
    # Sorted first in the list, before the folders Wine makes.
    mkdir -p "$f"
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Zoreva Existing' 'Language=English' \
        'Destination=ZorevaExisting' 'Folder=Typed Over' 'PerMachine=1' >"$payload/Setup.ini"
    pack "$payload" "$work/ExistingSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    start_setup "$work/ExistingSetup.exe"
    walk_to_folder_page || return
    # From the program folder's edit box on to the list, and its first entry.
    rest_mouse
    xdotool key Tab Home
    finish_from_folder_page || return
    printf '%s\r\n' SetupLOG 'NAME=Zoreva Existing' 'KEY=Zoreva Existing' "LINK=$folder\\Uninstall.lnk" \
        "LINK=$folder\\Zoreva Existing.lnk" "COPYFILE=$dest\\App.exe" "DIRECTORY=$dest\\Additional" \
        "DIRECTORY=$dest\\Sounds" "DIRECTORY=$dest\\Graphics" "DIRECTORY=$dest" >"$work/expected.log"
    check "shortcuts in the picked folder, which is not recorded as made" cmp "$work/expected.log" "$d/setup.log"
    check "the shortcut is there" [ "$(link_field "$folder\\Zoreva Existing.lnk" Target)" = "$dest\\App.exe" ]
    check "no folder of the typed name" [ ! -e "$(unix_path "$common_programs\\Typed Over")" ]
    check "no workspace left" no_workspace
    rm -rf "$f"
}

# The first pixel row inside the Folder page's list box, whose white reaches up
# from the middle of the text area to there; its entries are 13 pixels high.
folder_list_top() {
    import -window root "$work/screen.png"
    local above
    above=$(convert "$work/screen.png" -crop 1x200+$((left + 250))+$top +repage txt:- |
        awk -F'[,:]' '!/^#/ && !/#FFFFFF/ { last = $2 } END { print last }')
    echo $((top + above + 1))
}

# The label of the chooser tree's selected node, as "left top right bottom" on
# the screen; Wine draws it on light grey while the tree has no focus, on blue
# once it has.
selected_tree_node() {  # chooser window, colour (#F5F5F5 or #3096FA)
    local X Y WINDOW WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    # The tree at (13, 86) in the chooser, 281 x 191, less its scroll bar.
    local tree_x=$((X + 13)) tree_y=$((Y + 86))
    import -window root "$work/screen.png"
    # The rows the highlight crosses hold many pixels of its colour; the few of
    # that colour elsewhere (a drive's icon, the lines) do not count, nor does
    # a horizontal scroll bar below: the topmost band of such rows is the node.
    convert "$work/screen.png" -crop 250x191+$tree_x+$tree_y +repage txt:- |
        awk -F'[,:]' -v x0=$tree_x -v y0=$tree_y -v colour="$2" 'index($0, colour) {
            count[$2]++
            if (!($2 in left) || $1 < left[$2]) left[$2] = $1
            if (!($2 in right) || $1 > right[$2]) right[$2] = $1 }
            END { for (y = 0; y < 191; y++) {
                      if (count[y] < 20) { if (n) break; continue }
                      if (n++ == 0) { l = left[y]; r = right[y]; t = y }
                      if (left[y] < l) l = left[y]; if (right[y] > r) r = right[y]; b = y }
                  if (n) print x0 + l, y0 + t, x0 + r, y0 + b }'
}

# ---- d: chosen with the mouse: the destination in the chooser's tree (it
# comes back with a backslash, doubled in every path joined to it) and the
# program folder in the list; the payload, made by hand, holds archives below
# Additional that the packer would refuse: one named with an upper-case .X,
# holding another archive. Their files are unpacked and installed.
scenario_mouse_picks() {
    echo "== destination and program folder picked with the mouse, nested archives"
    local payload=$work/picks parts=$work/picks-parts picked="$program_files\\ZorevaPicked\\Chosen\\"
    local folder="$common_programs\\AAB Zoreva Picked" other="$common_programs\\AAA Zoreva Other" d f ws
    d=$(unix_path "$program_files\\ZorevaPicked")
    f=$(unix_path "$folder")
    forget_install ZorevaPicked 'Zoreva Picked' "$f" "$(unix_path "$other")"
    mkdir -p "$d/Chosen" "$f" "$(unix_path "$other")"
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'Addfile=Additional\Note.txt' 'Addfile=Additional\Extra\Upper.txt' \
        'Addfile=Additional\Extra\Inner\Deep.txt' 'VistraneTitle=Zoreva Picked' 'Language=English' \
        'Destination=ZorevaPicked' 'Folder=Typed Over' 'PerMachine=1' >"$payload/Setup.ini"
    mkdir -p "$parts"
    printf 'Note.\r\n' >"$parts/Note.txt"
    printf 'Upper.\r\n' >"$parts/Upper.txt"
    printf 'Deep.\r\n' >"$parts/Deep.txt"
    if ! { "$packer" archive "$parts/Inner.x" "$parts/Deep.txt" &&
           "$packer" archive "$parts/Extra.X" "$parts/Upper.txt" "$parts/Inner.x" &&
           "$packer" archive "$parts/Additional.x" "$parts/Note.txt" "$parts/Extra.X" &&
           "$packer" archive "$parts/gfx.x" "$payload/Graphics" &&
           "$packer" archive "$parts/Data.Zup" "$payload/Setup.ini" "$payload/App.exe" "$parts/gfx.x" "$parts/Additional.x" &&
           wine "$embedder" "$(winepath -w "$stub")" "$(winepath -w "$parts/Data.Zup")" \
               "$(winepath -w "$work/PicksSetup.exe")" >/dev/null 2>&1; }; then
        echo "FAILED: packing by hand"; failed=1; return
    fi
    start_setup "$work/PicksSetup.exe"
    check "Welcome" await_buttons $disabled $normal || return
    ws=$(workspaces)
    check "Extra.X and the archive in it are unpacked below Additional" \
        [ -f "$ws/Additional/Extra/Upper.txt" -a -f "$ws/Additional/Extra/Inner/Deep.txt" ]
    check "the unpacked archives are gone" [ ! -e "$ws/Additional.x" -a ! -e "$ws/Additional/Extra.X" -a \
        ! -e "$ws/Additional/Extra/Inner.x" ]
    click_button $forward_x
    check "Destination" await_buttons $normal $normal
    xdotool mousemove $browse_x $browse_y click 1
    check "Browse opens the folder chooser" await_window 'Choose Folder' || return
    sleep 0.5
    local chooser node
    chooser=$(xdotool search --onlyvisible --name 'Choose Folder' | head -1)
    node=($(selected_tree_node "$chooser" '#F5F5F5'))
    check "the chooser selects the destination in its tree" [ ${#node[@]} = 4 ] || return
    # A double click opens the node; its one subfolder shows in the row below.
    xdotool mousemove $(((node[0] + node[2]) / 2)) $(((node[1] + node[3]) / 2))
    sleep 0.3
    xdotool click --repeat 2 --delay 80 1
    sleep 0.5
    node=($(selected_tree_node "$chooser" '#3096FA'))
    check "the double click keeps it selected" [ ${#node[@]} = 4 ] || return
    xdotool mousemove $(((node[0] + node[2]) / 2)) $((node[3] + (node[3] - node[1]) / 2 + 1))
    sleep 0.3
    xdotool click 1
    sleep 0.3
    local X Y WINDOW WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$chooser")"
    # OK: 75 x 24 at (140, 288) in the chooser.
    xdotool mousemove $((X + 177)) $((Y + 300))
    sleep 0.3
    xdotool click 1
    check "OK closes the chooser" await_window_gone 'Choose Folder'
    click_button $forward_x
    check "the Folder page" await_folder_page
    # The second entry: the first is the other folder made for this test.
    xdotool mousemove $((left + 250)) $(($(folder_list_top) + 13 + 6))
    sleep 0.3
    xdotool click 1
    finish_from_folder_page || return
    check "App.exe installed in the picked folder" cmp -s "$payload/App.exe" "$d/Chosen/App.exe"
    local file
    for file in Note.txt Extra/Upper.txt Extra/Inner/Deep.txt; do
        check "Additional/$file installed" cmp -s "$parts/${file##*/}" "$d/Chosen/Additional/$file"
    done
    check "nothing installed beside the picked folder" [ "$(ls "$d")" = Chosen ]
    # $picked ends in a backslash: every path joined to it holds two.
    printf '%s\r\n' SetupLOG 'NAME=Zoreva Picked' 'KEY=Zoreva Picked' "LINK=$folder\\Uninstall.lnk" \
        "LINK=$folder\\Zoreva Picked.lnk" "COPYFILE=$picked\\Additional\\Extra\\Inner\\Deep.txt" \
        "COPYFILE=$picked\\Additional\\Extra\\Upper.txt" "COPYFILE=$picked\\Additional\\Note.txt" \
        "COPYFILE=$picked\\App.exe" "DIRECTORY=$picked\\Additional" "DIRECTORY=$picked\\Sounds" \
        "DIRECTORY=$picked\\Graphics" "DIRECTORY=$picked" >"$work/expected.log"
    check "setup.log byte for byte, with the doubled backslashes" cmp "$work/expected.log" "$d/Chosen/setup.log"
    check "UninstallString beside the log" \
        [ "$(registry_value 'Zoreva Picked' UninstallString)" = "\"$picked\\Uninstall.exe\"" ]
    check "the shortcuts in the folder clicked in the list" \
        [ -f "$f/Zoreva Picked.lnk" -a -f "$f/Uninstall.lnk" -a -z "$(ls "$(unix_path "$other")")" ]
    check "no folder of the configured name" [ ! -e "$(unix_path "$common_programs\\Typed Over")" ]
    check "no workspace left" no_workspace
    rm -rf "$d" "$f" "$(unix_path "$other")"
}

# ---- d: the program launched at the end, from its folder, after the ReadMe viewer
scenario_launch() {
    echo "== launch"
    local payload=$work/launch dest="$program_files\\ZorevaLaunch" d
    d=$(unix_path "$dest")
    forget_install ZorevaLaunch 'Zoreva Launch'
    make_payload "$payload"
    cp "$launch_probe" "$payload/Probe.exe"
    setup_ini 'TargetFile=Probe.exe' 'Addfile=Probe.exe' 'Addfile=ReadMe.txt' 'VistraneTitle=Zoreva Launch' \
        'Language=French' 'Destination=ZorevaLaunch' 'ReadMe=ReadMe.txt' 'LaunchProg=1' >"$payload/Setup.ini"
    pack "$payload" "$work/LaunchSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    start_setup "$work/LaunchSetup.exe"
    walk_to_folder_page || return
    finish_from_folder_page || return
    for _ in $(seq "$(tries 100)"); do [ -s "$d/launched.txt" ] && break; sleep 0.1; done
    check "the program ran with its folder as the current folder" [ "$(cat "$d/launched.txt" 2>/dev/null)" = "$dest" ]
    check "the ReadMe viewer opened the ReadMe" await_window 'ReadMe.txt - Notepad'
    wine taskkill /f /im notepad.exe >/dev/null 2>&1
    check "no workspace left" no_workspace
}

# The text area (the Toolweb block's place) as raw pixels, for comparing two pages.
text_area() {  # output file
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop 420x270+$((left + 40))+$((top + 20)) +repage rgb:"$1"
}

differ() { ! cmp -s "$1" "$2"; }

# Walks a setup with a licence to its Licence page and keeps the text area in $2; then leaves it.
licence_page_of() {  # setup file, output file
    start_setup "$1"
    check "Welcome" await_buttons $disabled $normal || return
    click_button $forward_x
    check "Licence" await_buttons $normal $disabled || return
    text_area "$2"
    click_button $cancel_x
    check "the confirmation" await_window '^Confirmation!$' || return
    rest_mouse
    xdotool key space
    await_exit
}

# ---- d: a Linux author's folder: UTF-8 names, Setup.ini and licence, packed
# in code page 1252; the setup installs the names as written and shows the
# texts as a Setup.ini saved in code page 1252 shows them, not the UTF-8 bytes
scenario_umlauts() {
    echo "== UTF-8 names and texts"
    local payload=$work/umlauts d="$drive_c/${program_files#C:\\}/Für Groß"
    forget_install 'Für Groß' 'Zoreva Umlaute'
    rm -rf "$d"
    make_payload "$payload"
    mkdir -p "$payload/Additional/Über"
    printf 'Größe\r\n' >"$payload/Größe.txt"
    printf 'Über\r\n' >"$payload/Additional/Über/Notiz.txt"
    printf 'Lizenz für Größe und Übermaß.\r\nÄrger? Nö.\r\n' >"$payload/Lizenz.txt"
    { printf '\xef\xbb\xbf'
      setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'Addfile=Größe.txt' 'Addfile=Additional\Über\Notiz.txt' \
          'VistraneTitle=Zoreva Umlaute' 'Language=English' 'Licence=Lizenz.txt' 'Destination=Für Groß' \
          'TextBoxColor=$00FFFFFF'; } >"$payload/Setup.ini"
    "$packer" build --stub "$stub" --from "$payload" --out "$work/UmlautSetup.exe" >/dev/null 2>"$work/notes.txt" ||
        { echo "FAILED: packing"; failed=1; return; }
    check "both texts converted, as said" [ "$(grep converted "$work/notes.txt")" = "$(printf '%s\n' \
        "$payload/Setup.ini: converted from UTF-8 to code page 1252" \
        "$payload/Lizenz.txt: converted from UTF-8 to code page 1252")" ]
    # The same texts as an author on Windows saves them, and the UTF-8 bytes as they are.
    cp -r "$payload" "$work/umlauts-1252"
    iconv -f UTF-8 -t CP1252 "$payload/Lizenz.txt" >"$work/umlauts-1252/Lizenz.txt"
    tail -c +4 "$payload/Setup.ini" | iconv -f UTF-8 -t CP1252 >"$work/umlauts-1252/Setup.ini"
    pack "$work/umlauts-1252" "$work/Umlaut1252Setup.exe" || { echo "FAILED: packing"; failed=1; return; }
    "$packer" build --no-check --stub "$stub" --from "$payload" --out "$work/UmlautRawSetup.exe" >/dev/null ||
        { echo "FAILED: packing"; failed=1; return; }
    licence_page_of "$work/Umlaut1252Setup.exe" "$work/licence-1252.rgb" || return
    licence_page_of "$work/UmlautRawSetup.exe" "$work/licence-raw.rgb" || return

    start_setup "$work/UmlautSetup.exe"
    check "Welcome" await_buttons $disabled $normal || return
    click_button $forward_x
    check "Licence" await_buttons $normal $disabled || return
    text_area "$work/licence.rgb"
    import -window root "$PWD/wizard-umlauts-licence.png"
    check "the licence shows as the one saved in code page 1252" cmp -s "$work/licence.rgb" "$work/licence-1252.rgb"
    check "and not as its UTF-8 bytes would" differ "$work/licence.rgb" "$work/licence-raw.rgb"
    rest_mouse
    xdotool key space
    check "the box checked" await_buttons $normal $normal
    click_button $forward_x
    check "Destination" await_buttons $normal $normal
    sleep 0.5
    # Kept beside the test's build folder: the destination with its umlauts.
    import -window root "$PWD/wizard-umlauts-destination.png"
    click_button $forward_x
    check "the Folder page" await_folder_page
    finish_from_folder_page || return
    check "Größe.txt installed under Für Groß byte for byte" cmp -s "$payload/Größe.txt" "$d/Größe.txt"
    check "Additional/Über/Notiz.txt installed byte for byte" cmp -s "$payload/Additional/Über/Notiz.txt" "$d/Additional/Über/Notiz.txt"
    check "no folder of the UTF-8 bytes read as code page 1252" [ -z "$(find "$(dirname "$d")" -maxdepth 1 -name 'F*Ã*')" ]
    check "setup.log names the file in code page 1252" \
        grep -qF "$(printf 'COPYFILE=%s\\F\xfcr Gro\xdf\\Gr\xf6\xdfe.txt\r' "$program_files")" "$d/setup.log"
    check "no workspace left" no_workspace
    rm -rf "$d"
}

# ---- c: setups that cannot start: one message, exit code 2, no workspace left
expect_start_failure() {  # description, setup file
    start_setup "$2"
    if await_window '^Error$'; then
        local box
        box=$(xdotool search --onlyvisible --name '^Error$' | head -1)
        xdotool windowfocus --sync "$box" 2>/dev/null
        xdotool key Return
    else
        echo "FAILED: $1: no message box"
        failed=1
    fi
    await_exit || return
    check "$1: exit code 2" [ "$exit_code" = 2 ]
    check "$1: exactly one message" [ -z "$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null)" ]
    check "$1: no workspace left" no_workspace
}

scenario_bare_stub() {
    echo "== the setup program without a payload"
    cp "$stub" "$work/Bare.exe"
    expect_start_failure "the bare program without payload" "$work/Bare.exe"
}

scenario_start_failures() {
    echo "== a faulty Setup.ini"
    local payload=$work/broken
    make_payload "$payload"
    printf 'x\r\nObject=Setup\r\nVistraneTitle=Broken\r\n' >"$payload/Setup.ini"
    "$packer" build --no-check --stub "$stub" --from "$payload" --out "$work/Broken.exe" >/dev/null ||
        { echo "FAILED: packing"; failed=1; return; }
    expect_start_failure "a Setup.ini block without end" "$work/Broken.exe"
    # A title is joined into shortcut paths and the uninstall key as it stands:
    # this one would put the desktop shortcut onto the public desktop.
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=..\..\..\users\Public\Desktop\Evil' \
        'Language=English' 'Destination=ZorevaEvil' 'DesktopIcon=1' 'PerMachine=1' >"$payload/Setup.ini"
    "$packer" build --no-check --stub "$stub" --from "$payload" --out "$work/Evil.exe" >/dev/null ||
        { echo "FAILED: packing"; failed=1; return; }
    expect_start_failure "a title that is a path" "$work/Evil.exe"
    check "a title that is a path: no shortcut on the public desktop" [ ! -e "$(unix_path "$common_desktop")/Evil.lnk" ]
}

# ---- the workspace while the wizard shows: held in its place, so that it
# cannot be renamed and replaced; and a link planted in it (a symbolic link,
# which stands in for a junction under Wine) is never followed on Cancel
scenario_workspace_guard() {
    echo "== workspace guard"
    local payload=$work/guard victim=$work/victim ws
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Zoreva Guard' 'Language=English' \
        'Destination=ZorevaGuard' 'Folder=Zoreva Guard' >"$payload/Setup.ini"
    pack "$payload" "$work/GuardSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    mkdir -p "$victim/Empty"
    printf 'keep\r\n' >"$victim/keep.txt"
    local before
    before=$(workspaces)
    start_setup "$work/GuardSetup.exe"
    check "Welcome" await_buttons $disabled $normal || return
    ws=$(workspaces | grep -vxF -- "$before" | head -1)
    wine cmd /c ren "$(winepath -w "$ws")" Moved >/dev/null 2>&1
    check "the workspace cannot be renamed while the setup runs" [ -d "$ws" -a ! -e "$(dirname "$ws")/Moved" ]
    [ -e "$(dirname "$ws")/Moved" ] && mv "$(dirname "$ws")/Moved" "$ws"  # so that what follows is tested all the same
    ln -s "$victim" "$ws/Additional/planted"
    click_button $cancel_x
    check "the confirmation" await_window '^Confirmation!$' || return
    rest_mouse
    xdotool key space
    # Windows removes the junction itself; Wine would follow the link, so it stays, and the setup says
    # that its workspace could not be removed.
    if await_window '^Error$'; then
        xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Error$' | head -1)" 2>/dev/null
        xdotool key Return
    fi
    await_exit || return
    check "the folder the link pointed to keeps its file" [ "$(cat "$victim/keep.txt" 2>/dev/null)" = "$(printf 'keep\r\n')" ]
    check "and its empty folder" [ -d "$victim/Empty" ]
    rm -rf "$ws"
}

# ---- c: one scale whatever the screen's resolution: at 96 and at 144 dpi the
# pages and their fonts keep the skin's pixels, and the folder chooser and the
# confirmation box keep their sizes beside it.
dpi_key='HKCU\Control Panel\Desktop'
set_dpi() {  # dots per inch; none: the prefix's own (it sets none of its own here)
    if [ -n "${1:-}" ]; then
        dpi_changed=1
        wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    else
        wine reg delete "$dpi_key" /v LogPixels /f >/dev/null 2>&1
        dpi_changed=
    fi
}
window_size() {  # window name pattern: "WIDTHxHEIGHT"
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name "$1" | head -1)" | grep -E '^(WIDTH|HEIGHT)=')"
    echo "${WIDTH}x$HEIGHT"
}
shoot_wizard() {  # file
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${skin_width}x${skin_height}+$left+$top" +repage "$1"
}
same_pictures() {  # picture, picture, area within both ("WxH+X+Y", or the whole)
    local area=${3:-}
    [ "$(compare -metric AE ${area:+-extract "$area"} "$1" "$2" null: 2>&1)" = 0 ]
}
walk_at_dpi() {  # dpi, setup file
    local at=$work/dpi-$1
    set_dpi "$1"
    start_setup "$2"
    check "$1 dpi: Welcome" await_buttons $disabled $normal || return
    shoot_wizard "$at-welcome.png"
    click_button $forward_x
    check "$1 dpi: Licence" await_buttons $normal $disabled || return
    shoot_wizard "$at-licence.png"
    rest_mouse
    xdotool key space
    click_button $forward_x
    check "$1 dpi: Destination" await_buttons $normal $normal || return
    xdotool mousemove $browse_x $browse_y click 1
    check "$1 dpi: the folder chooser" await_window 'Choose Folder' || return
    sleep 0.5
    window_size 'Choose Folder' >"$at-chooser.size"
    import -window root "$at-chooser.png"
    rest_mouse
    xdotool key Tab Tab space
    check "$1 dpi: the chooser closes" await_window_gone 'Choose Folder'
    click_button $cancel_x
    check "$1 dpi: the confirmation" await_window '^Confirmation!$' || return
    sleep 0.5
    window_size '^Confirmation!$' >"$at-confirmation.size"
    import -window root "$at-confirmation.png"
    rest_mouse
    xdotool key space
    await_exit || return
    check "$1 dpi: cancelled" [ "$exit_code" = 1 ]
}
scenario_dpi() {
    echo "== 96 and 144 dpi"
    local payload=$work/dpi n
    make_payload "$payload"
    for n in $(seq 1 40); do printf 'Licence line %s of the terms.\r\n' "$n"; done >"$payload/Licence.txt"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'VistraneTitle=Zoreva Scale' 'Language=English' \
        'Licence=Licence.txt' 'Destination=ZorevaScale' 'Folder=Zoreva Scale' 'TextBoxColor=$00F0E0D0' \
        >"$payload/Setup.ini"
    pack "$payload" "$work/ScaleSetup.exe" || { echo "FAILED: packing"; failed=1; return; }
    walk_at_dpi 96 "$work/ScaleSetup.exe"
    walk_at_dpi 144 "$work/ScaleSetup.exe"
    set_dpi
    cp "$work"/dpi-*.png "$PWD/" 2>/dev/null
    local at96=$work/dpi-96 at144=$work/dpi-144 w96 h96 w144 h144
    check "144 dpi: the Welcome page as at 96, pixel for pixel" same_pictures "$at96-welcome.png" "$at144-welcome.png"
    # The scroll bars and the check box are the system's, drawn at its resolution.
    check "144 dpi: the Licence page's headings and lines as at 96" \
        same_pictures "$at96-licence.png" "$at144-licence.png" 365x172+40+20
    check "144 dpi: the confirmation box as large as at 96" \
        [ "$(cat "$at144-confirmation.size")" = "$(cat "$at96-confirmation.size")" ]
    IFS=x read -r w96 h96 <"$at96-chooser.size"
    IFS=x read -r w144 h144 <"$at144-chooser.size"
    # Its outer size is fixed; the system's taller title bar takes a little of its inside.
    check "144 dpi: the folder chooser as large as at 96 (${w96}x$h96, ${w144}x$h144)" \
        [ "$w144" = "$w96" -a $((h96 - h144)) -ge 0 -a $((h96 - h144)) -le 16 ]
}

# A scenario that failed half-way leaves no setup running for the next one.
run() {
    "$@"
    if [ -n "$setup_pid" ]; then
        kill "$setup_pid" 2>/dev/null
        wait "$setup_pid" 2>/dev/null
        setup_pid=
        # A killed setup cannot remove its workspace; the failure is reported already.
        sleep 1
        workspaces | xargs -r rm -rf
    fi
}

# The uninstaller's script sources this one for its helpers and runs its own scenarios.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0
no_workspace || { echo "FAILED: a workspace was left before the test began"; failed=1; }
for scenario in ${WIZARD_SCENARIOS:-full_install cancel_german bare_stub start_failures copy_retry copy_cancel run_error finish_error many_files existing_folder mouse_picks launch umlauts workspace_guard dpi}; do run scenario_$scenario; done
exit $failed
