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
no_key() { ! has_key "$1"; }

# install TITLE DESTNAME [pick|launch]: the wizard installs App.exe, ReadMe.txt,
# Additional\Docs\Deep\Guide.txt (whose folders the setup makes without recording them)
# and Uninstall.exe, with a program folder and the desktop shortcut; "pick"
# takes the first existing program folder from the list instead of making one;
# "launch" makes App.exe a program that runs until it is ended, and the Finish
# page opens the ReadMe and starts it.
install() {
    local payload=$work/payload-$2 finish=()
    forget_install "$2" "$1" "$(unix_path "$common_programs\\$1")" "$(unix_path "$common_desktop\\$1.lnk")"
    make_payload "$payload"
    mkdir -p "$payload/Additional/Docs/Deep"
    printf 'Guide.\r\n' >"$payload/Additional/Docs/Deep/Guide.txt"
    cp "$uninstaller" "$payload/Uninstall.exe"
    if [ "${3:-}" = launch ]; then
        cp "$file_holder" "$payload/App.exe"
        finish=('ReadMe=ReadMe.txt' 'LaunchProg=1')
    fi
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'Addfile=ReadMe.txt' 'Addfile=Additional\Docs\Deep\Guide.txt' \
        'Addfile=Uninstall.exe' "VistraneTitle=$1" 'Language=English' "Destination=$2" "Folder=$1" \
        'DesktopIcon=1' 'PerMachine=1' "${finish[@]}" >"$payload/Setup.ini"
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
# The system's language decides the uninstaller's; Wine takes it from the locale.
start_uninstaller_german() {
    LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 wine "$@" >/dev/null 2>&1 &
    setup_pid=$!
}

# The copy in the temporary folder deletes Uninstall.exe once the original has ended.
await_gone() {  # file
    for _ in $(seq "$(tries 100)"); do [ ! -e "$1" ] && return 0; sleep 0.1; done
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
    check "$1: the installed files are gone" [ ! -e "$d/App.exe" -a ! -e "$d/ReadMe.txt" -a ! -e "$d/Additional/Docs" ]
    check "$1: the setup's subfolders are gone" [ ! -e "$d/Graphics" -a ! -e "$d/Sounds" -a ! -e "$d/Additional" ]
    check "$1: setup.log is gone" [ ! -e "$d/setup.log" ]
    check "$1: Uninstall.exe is gone once it has ended" await_gone "$d/Uninstall.exe"
    check "$1: the shortcuts are gone" [ ! -e "$(unix_path "$3\\$1.lnk")" -a ! -e "$(unix_path "$3\\Uninstall.lnk")" ]
    check "$1: the desktop shortcut is gone" [ ! -e "$(unix_path "$common_desktop\\$1.lnk")" ]
    check "$1: the uninstall entry is gone" no_key "$1"
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
    check "the uninstall entry is there, with all its values" \
        [ "$(registry_value "$title" InstallLocation)$(registry_value "$title" NoRepair REG_DWORD)" = \
          "$program_files\\$dest"0x1 ]
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

# ---- the question answered with the mouse: No (in German) keeps everything, Yes removes it
scenario_question() {
    echo "== question"
    local title='Zoreva Asked' dest=ZorevaAsked d
    d=$(unix_path "$program_files\\$dest")
    install "$title" $dest || return
    start_uninstaller_german "$program_files\\$dest\\Uninstall.exe"
    check "the German question" await_window '^Deinstallation$' || return
    sleep 0.5
    import -window root "$PWD/uninstall-question-german.png"
    click_box_button '^Deinstallation$' 1 2
    await_exit || return
    check "No: exit code 2" [ "$exit_code" = 2 ]
    check "No: nothing removed" [ -f "$d/App.exe" -a -f "$d/setup.log" -a -f "$d/Additional/Docs/Deep/Guide.txt" -a -f "$d/Uninstall.exe" ]
    check "No: the shortcuts and the entry stay" [ -f "$(unix_path "$common_desktop\\$title.lnk")" ]
    check "No: the entry stays" has_key "$title"
    start_uninstaller "$program_files\\$dest\\Uninstall.exe"
    check "the English question" await_window '^Uninstall$' || return
    sleep 0.5
    click_box_button '^Uninstall$' 0 2
    check "Yes removes the files" await_gone "$d/App.exe"
    check "then says so" await_window '^Uninstall$' || return
    sleep 0.5
    click_box_button '^Uninstall$' 0 1
    await_exit || return
    check "Yes: exit code 0" [ "$exit_code" = 0 ]
    check_removed "$title" $dest "$common_programs\\$title"
    check "the program folder the setup made is gone" [ ! -e "$(unix_path "$common_programs\\$title")" ]
    check "the installation folder is gone" await_gone "$d"
}

# ---- a file in use: reported, everything else removed; the uninstaller and
# its entry stay for a second run, which finishes the work once the file is free
scenario_in_use() {
    echo "== file in use"
    local title='Zoreva Busy' dest=ZorevaBusy d holder
    d=$(unix_path "$program_files\\$dest")
    install "$title" $dest || return
    rm -f "$work/held"
    wine "$file_holder" "$program_files\\$dest\\App.exe" "$(winepath -w "$work/held")" >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq "$(tries 100)"); do [ -e "$work/held" ] && break; sleep 0.1; done
    check "the file is held open" [ -e "$work/held" ]
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "exit code 1" [ "$exit_code" = 1 ]
    check "the file in use stays" [ -f "$d/App.exe" ]
    check "the other files and shortcuts are gone" [ ! -e "$d/ReadMe.txt" -a ! -e "$d/Additional/Docs" -a ! -e "$(unix_path "$common_desktop\\$title.lnk")" ]
    check "the uninstaller, its log and its entry stay for another run" [ -f "$d/Uninstall.exe" -a -f "$d/setup.log" ]
    check "the entry stays" has_key "$title"
    wine taskkill /f /im "$(basename "$file_holder")" >/dev/null 2>&1
    wait $holder 2>/dev/null
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "the second run: exit code 0" [ "$exit_code" = 0 ]
    check_removed "$title" $dest "$common_programs\\$title"
    check "the installation folder is gone" await_gone "$d"
}

# ---- programs the finish actions started from the installation folder: the
# ReadMe viewer, and the program, which has the folder as its current one
# while it runs. Then the folder cannot go: it is named, the exit code is 1,
# and the uninstaller stays for another run, which removes everything once
# the program has ended, also when it is started the moment the program ends.
scenario_launched() {
    echo "== programs started by the setup"
    local title='Zoreva Launched' dest=ZorevaLaunched d running=0
    d=$(unix_path "$program_files\\$dest")
    install "$title" $dest launch || return
    for _ in $(seq "$(tries 100)"); do pgrep -f "$dest.App\.exe" >/dev/null && running=1 && break; sleep 0.1; done
    check "the setup started the program" [ $running = 1 ]
    check "and the ReadMe viewer" await_window 'ReadMe.txt - Notepad'
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "while the program runs: exit code 1" [ "$exit_code" = 1 ]
    check "the folder stays with the uninstaller and its log" [ -f "$d/Uninstall.exe" -a -f "$d/setup.log" ]
    check "the ReadMe and the other files are gone" [ ! -e "$d/ReadMe.txt" -a ! -e "$d/Additional" ]
    check "the entry stays" has_key "$title"
    start_uninstaller "$program_files\\$dest\\Uninstall.exe"
    check "asked again" await_window '^Uninstall$' || return
    sleep 0.5
    click_box_button '^Uninstall$' 0 2
    # The uninstaller gives the program a few seconds to end before it tells what is left.
    await_window_gone '^Uninstall$'
    check "the summary" await_window '^Uninstall$' || return
    sleep 0.5
    import -window root "$PWD/uninstall-folder-in-use.png"
    click_box_button '^Uninstall$' 0 1
    await_exit || return
    check "the summary's run: exit code 1" [ "$exit_code" = 1 ]
    wine taskkill /f /im notepad.exe >/dev/null 2>&1
    wine taskkill /f /im App.exe >/dev/null 2>&1
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "once the program has ended: exit code 0" [ "$exit_code" = 0 ]
    check_removed "$title" $dest "$common_programs\\$title"
    check "the installation folder is gone" await_gone "$d"
}

# ---- a program from elsewhere working in the installation folder, as a
# program started from it does for a moment after it was closed: all the
# files go, the folder is left and named while held (exit code 1).
scenario_folder_held() {
    echo "== installation folder held"
    local title='Zoreva Held' dest=ZorevaHeld d holder
    d=$(unix_path "$program_files\\$dest")
    install "$title" $dest || return
    (cd "$d" && exec wine "$file_holder") >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq "$(tries 100)"); do pgrep -f "file_holder" >/dev/null && break; sleep 0.1; done
    sleep 1
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "while the folder is held: exit code 1" [ "$exit_code" = 1 ]
    check "the uninstaller and its log stay in it" [ "$(ls -A "$d" | tr '\n' ' ')" = 'Uninstall.exe setup.log ' ]
    check "the entry stays" has_key "$title"
    wine taskkill /f /im "$(basename "$file_holder")" >/dev/null 2>&1
    wait $holder 2>/dev/null
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "once it is free: exit code 0" [ "$exit_code" = 0 ]
    check_removed "$title" $dest "$common_programs\\$title"
    check "the installation folder is gone" await_gone "$d"
}

# ---- a log edited to name a file outside the installation, one in the
# Windows folder and a system folder: none of them is touched
scenario_edited_log() {
    echo "== edited log"
    local title='Zoreva Edited' dest=ZorevaEdited d outside='C:\ZorevaOutside' o
    d=$(unix_path "$program_files\\$dest")
    o=$(unix_path "$outside")
    install "$title" $dest || return
    mkdir -p "$o"
    printf 'keep\r\n' >"$o/keep.txt"
    printf '%s\r\n' "COPYFILE=$outside\\keep.txt" 'COPYFILE=C:\windows\win.ini' "DIRECTORY=$outside" \
        "DIRECTORY=$common_desktop" "COPYFILE=$program_files\\$dest\\..\\..\\ZorevaOutside\\keep.txt" >>"$d/setup.log"
    local win_ini
    win_ini=$(unix_path 'C:\windows\win.ini')
    check "win.ini is there before" [ -f "$win_ini" ]
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "exit code 1: entries were refused" [ "$exit_code" = 1 ]
    check "the file outside the installation is kept" [ -f "$o/keep.txt" ]
    check "the file in the Windows folder is kept" [ -f "$win_ini" ]
    check "the system folder is kept" [ -d "$(unix_path "$common_desktop")" ]
    check_removed "$title" $dest "$common_programs\\$title"
    rm -rf "$o"
}

# ---- a log edited to reach past the installation through links (symbolic
# links, which stand in for junctions under Wine) or in spellings that a
# comparison of names would miss: none of it is touched
scenario_links_and_spellings() {
    echo "== links and spellings"
    local title='Zoreva Linked' dest=ZorevaLinked d user='C:\ZorevaUserFiles' u tools win_ini
    d=$(unix_path "$program_files\\$dest")
    u=$(unix_path "$user")
    tools=$(unix_path 'C:\windows\system32')/Tools.lnk
    win_ini=$(unix_path 'C:\windows\win.ini')
    install "$title" $dest || return
    rm -rf "$u"
    mkdir -p "$u/Empty"
    printf 'mine\r\n' >"$u/mine.txt"
    printf 'tools\r\n' >"$tools"
    ln -s "$(unix_path 'C:\windows')" "$d/sys"
    ln -s "$u" "$d/docs"
    printf '%s\r\n' "COPYFILE=$program_files\\$dest\\sys\\win.ini" "COPYFILE=$program_files\\$dest\\docs\\mine.txt" \
        "DIRECTORY=$program_files\\$dest\\docs\\Empty" 'LINK=\\?\C:\windows\system32\Tools.lnk' \
        "DIRECTORY=\\\\?\\$common_desktop" "LINK=\\\\.\\$common_desktop\\Other.lnk" \
        "LINK=$common_desktop\\Someone Else.lnk" >>"$d/setup.log"
    printf 'other\r\n' >"$(unix_path "$common_desktop")/Someone Else.lnk"
    start_uninstaller "$program_files\\$dest\\Uninstall.exe" /S
    await_exit || return
    check "exit code 1: entries were refused or stood behind links" [ "$exit_code" = 1 ]
    check "win.ini, reached through a link, is kept" [ -f "$win_ini" ]
    check "the user's file behind a link is kept" [ "$(cat "$u/mine.txt")" = "$(printf 'mine\r\n')" ]
    check "the user's empty folder behind a link is kept" [ -d "$u/Empty" ]
    check "a \\\\?\\ spelling reaches nothing in the system folder" [ -f "$tools" ]
    check "the public desktop is kept" [ -d "$(unix_path "$common_desktop")" ]
    check "another product's desktop shortcut is kept" [ -f "$(unix_path "$common_desktop")/Someone Else.lnk" ]
    check_removed "$title" $dest "$common_programs\\$title"
    check "the removing copy ran from a folder of its own in Temp" \
        bash -c "ls -d \"$drive_c\"/users/*/Temp/Unz[0-9]*/Uninstall.exe >/dev/null 2>&1"
    rm -f "$tools" "$(unix_path "$common_desktop")/Someone Else.lnk" "$d/sys" "$d/docs"
    rm -rf "$u" "$d"
}

# ---- no setup.log, or a damaged one: a message (German here), nothing deleted
scenario_missing_log() {
    echo "== missing log"
    local folder='C:\ZorevaNoLog' f
    f=$(unix_path "$folder")
    rm -rf "$f"
    mkdir -p "$f"
    cp "$uninstaller" "$f/Uninstall.exe"
    printf 'other\r\n' >"$f/Other.txt"
    start_uninstaller_german "$folder\\Uninstall.exe"
    check "the German message" await_window '^Deinstallation$' || return
    sleep 0.5
    click_box_button '^Deinstallation$' 0 1
    await_exit || return
    check "exit code 2" [ "$exit_code" = 2 ]
    printf 'setup.log\r\nNAME=x\r\nKEY=x\r\nCOPYFILE=%s\\Other.txt\r\n' "$folder" >"$f/setup.log"
    start_uninstaller "$folder\\Uninstall.exe" /S
    await_exit || return
    check "a damaged log, /S: exit code 2 without a message" [ "$exit_code" = 2 -a -z "$(xdotool search --onlyvisible --name '^Uninstall$' 2>/dev/null)" ]
    check "nothing deleted" [ "$(ls -A "$f" | tr '\n' ' ')" = 'Other.txt Uninstall.exe setup.log ' ]
    rm -rf "$f"
}

no_workspace || { echo "FAILED: a workspace was left before the test began"; failed=1; }
for scenario in ${UNINSTALL_SCENARIOS:-silent question in_use launched folder_held edited_log links_and_spellings missing_log}; do run scenario_$scenario; done
exit $failed
