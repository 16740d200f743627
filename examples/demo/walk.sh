#!/usr/bin/env bash
# Walks a user through the demo setup under Wine on an X display without a
# window manager: every page with real mouse clicks and keys, a picture of each
# page, then what was installed where, then the uninstaller, and proof that
# nothing is left. Exits non-zero, naming the step, when anything is amiss.
# Usage: walk.sh SETUP_EXE PAYLOAD_DIR SCREENS_DIR LINK_READER_EXE BITS   (BITS: 32 or 64)
setup=$1 payload=$2 screens=$3
# The wizard test's helpers: windows, pixels, shortcuts, the registry, exit codes.
source "$(dirname "$0")/../../tests/setup/wizard.sh" "$setup" "" "$4" "$5" ""

title='Zoreva Demo'
dest="$program_files\\$title"
folder="$common_programs\\$title"
desktop_link="$common_desktop\\$title.lnk"

# ini_value KIND NAME KEY: a value from the payload's Setup.ini; a Button block
# is told by the name on the line two below its opening line.
ini_value() {
    tr -d '\r' <"$payload/Setup.ini" | awk -F= -v kind="$1" -v name="$2" -v key="$3" '
        $1 == "Object" { block = $2; opened = NR; named = (kind != "Button"); next }
        $0 == "end" { block = ""; next }
        block == kind && kind == "Button" && NR == opened + 2 { named = ($2 == name) }
        block == kind && named && $1 == key { sub(/^[^=]*=/, ""); print; exit }'
}

skin_width=$(identify -format %w "$payload/Graphics/skin.bmp")
skin_height=$(identify -format %h "$payload/Graphics/skin.bmp")
button_y=$(ini_value Button Forward Top)
back_x=$(ini_value Button Back Left) forward_x=$(ini_value Button Forward Left)
text_left=$(ini_value Toolweb '' Left) text_top=$(ini_value Toolweb '' Top)
text_width=$(ini_value Toolweb '' Width) text_height=$(ini_value Toolweb '' Height)
button_width=$(identify -format %w "$payload/Graphics/next-normal.bmp")
button_height=$(identify -format %h "$payload/Graphics/next-normal.bmp")
text_box_colour=$(ini_value Setup '' TextBoxColor)  # $00BBGGRR
text_area_colour="#${text_box_colour:7:2}${text_box_colour:5:2}${text_box_colour:3:2}"

# A button's state shows in the colour of a point left of its caption; the
# expected colours come from the pictures themselves.
probe_x=8 probe_y=$((button_height / 2))
state_colour() { pixel_in "$payload/Graphics/$1-$2.bmp" $probe_x $probe_y; }  # picture, state
button_colour() { pixel $((left + $1 + probe_x)) $((top + button_y + probe_y)); }
click_button() {  # x of the button within the window
    xdotool mousemove $((left + $1 + button_width / 2)) $((top + button_y + button_height / 2))
    sleep 0.3
    xdotool click 1
    sleep 0.3
}
# On the skin's bottom row, left of the buttons: no button shows "over", and
# the keyboard reaches the window under the mouse.
rest_mouse() { xdotool mousemove $((left + 60)) $((top + button_y + button_height + 4)); }

await_buttons() {  # Back state, Next state
    local back next
    back=$(state_colour back "$1") next=$(state_colour next "$2")
    rest_mouse
    for _ in $(seq "$(tries 50)"); do
        [ "$(button_colour "$back_x")" = "$back" ] && [ "$(button_colour "$forward_x")" = "$next" ] && return 0
        sleep 0.2
    done
    return 1
}

window_shot() {  # file: the wizard's window as it is on the screen now
    import -window root -crop "${skin_width}x${skin_height}+$left+$top" +repage "$1"
}
text_area_sum() {
    window_shot "$work/area.png"
    convert "$work/area.png" -crop "${text_width}x${text_height}+$text_left+$text_top" +repage rgb:- | md5sum
}
# Waits until the text area shows something else than before, then until it stands still.
await_new_page() {  # checksum of the text area before
    local now previous=
    for _ in $(seq "$(tries 50)"); do
        now=$(text_area_sum)
        [ "$now" != "$1" ] && [ "$now" = "$previous" ] && return 0
        [ "$now" != "$1" ] && previous=$now
        sleep 0.2
    done
    return 1
}

# The page as a PNG, cut to the window's outline: what the skin leaves out is transparent.
save_page() {  # shot file, page file name
    convert "$1" \( "$payload/Graphics/skin.bmp" -fill white +opaque '#ff00ff' -fill black -opaque '#ff00ff' \) \
        -alpha off -compose CopyOpacity -composite "$screens/$2.png"
    echo "   page: $screens/$2.png"
}
page_shot() {  # page file name
    rest_mouse
    sleep 0.4
    window_shot "$work/page.png"
    save_page "$work/page.png" "$1"
}

next_page() {  # what the page after this one is called
    local before
    before=$(text_area_sum)
    click_button "$forward_x"
    check "Next leads to $1" await_new_page "$before"
}

# The Copy page lasts as long as the copy, a fraction of a second for the
# demo's few files; pictures taken one after the other catch it. Kept is the
# last one whose progress bar is filled past its start: rows of one colour,
# neither the text area's nor white, where the bar begins (24 pixels into the
# page, which lies 12 pixels into the text area).
shows_progress() {  # picture
    local x=$((text_left + 12 + 24 + 4)) y=$((text_top + 40))
    convert "$1" -crop "40x$((text_height - 60))+$x+$y" +repage -depth 8 txt:- | awk -v area="$text_area_colour" '
        NR > 1 { split($1, at, /[,:]/); row = at[2]; colour = $3
                 if (!(row in first)) { first[row] = colour; same[row] = 1 } else if (first[row] != colour) same[row] = 0 }
        END { for (row in first) if (same[row] && first[row] != area && first[row] != "#FFFFFF") rows[first[row]]++
              for (colour in rows) if (rows[colour] >= 8) exit 0
              exit 1 }'
}
walk_through_copy() {
    local frames=$work/frames frame found="" clicking
    mkdir -p "$frames"
    click_button "$forward_x" &
    clicking=$!
    for n in $(seq -w 40); do window_shot "$frames/$n.png"; done
    wait $clicking
    for frame in "$frames"/*.png; do shows_progress "$frame" && found=$frame; done
    if [ -n "$found" ]; then
        save_page "$found" 05-copy
    else
        echo "   (the copy was over before a picture of the Copy page could be taken)"
    fi
}

forget_install "$title" "$title" "$(unix_path "$folder")" "$(unix_path "$desktop_link")"
rm -rf "$screens" && mkdir -p "$screens"

echo "== walking through $(basename "$setup")"
start_setup "$setup"
await_window "^$title\$" 60 ||
    { echo "FAILED: the setup's window did not appear"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name "^$title\$" | head -1)")"
left=$X top=$Y
check "the window has the skin's size, ${skin_width} x ${skin_height}" [ "$WIDTH" = "$skin_width" -a "$HEIGHT" = "$skin_height" ] || exit 1

check "Welcome: Back disabled, Next enabled" await_buttons disabled normal || exit 1
page_shot 01-welcome
next_page Licence || exit 1
check "Licence: Next waits for the box" await_buttons normal disabled || exit 1
rest_mouse
xdotool key space
check "Space checks the box and enables Next" await_buttons normal normal || exit 1
page_shot 02-licence
next_page Destination || exit 1
page_shot 03-destination
next_page 'Program folder' || exit 1
page_shot 04-program-folder
walk_through_copy
check "Finish: Back disabled, Next enabled" await_buttons disabled normal || exit 1
page_shot 06-finish
click_button "$forward_x"
await_exit || exit 1
check "the setup ended with exit code 0" [ "$exit_code" = 0 ] || exit 1

# The finish actions started the ReadMe viewer and the program.
check "the ReadMe opened in Notepad" await_window 'ReadMe.txt - Notepad'
wine taskkill /im notepad.exe >/dev/null 2>&1
check "the program started" await_window "^$title\$" || exit 1
check "Notepad closed" await_window_gone 'ReadMe.txt - Notepad'
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name "^$title\$" | head -1)")"
# Where Notepad lay, the program paints itself again: its blue band on top, its pale ground below.
program_painted() { [ "$(pixel $((X + 5)) $((Y + 2))),$(pixel $((X + WIDTH - 5)) $((Y + HEIGHT - 5)))" = 43,108,171,245,248,252 ]; }
for _ in $(seq "$(tries 25)"); do program_painted && break; sleep 0.2; done
check "the program's window shows its greeting" program_painted
import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$screens/07-demo-program.png"
echo "   the program's window: $screens/07-demo-program.png"
wine taskkill /im Demo.exe >/dev/null 2>&1
check "the program closed" await_window_gone "^$title\$"

d=$(unix_path "$dest")
echo "== installed in $dest ($d)"
(cd "$d" && find . -type f -printf '   %-36P %8s bytes\n' | sort)
check "Demo.exe installed byte for byte" cmp -s "$payload/Demo.exe" "$d/Demo.exe"
check "the guide installed below Additional" cmp -s "$payload/Additional/Docs/Guide.txt" "$d/Additional/Docs/Guide.txt"
echo "== shortcuts"
ends_with() { [[ "$1" == *"$2" ]]; }
for entry in "$folder\\$title.lnk|$dest\\Demo.exe" "$folder\\ReadMe.txt.lnk|\\notepad.exe" \
    "$folder\\Uninstall.lnk|$dest\\uninstall.exe" "$desktop_link|$dest\\Demo.exe"; do
    link=${entry%%|*} target=$(link_field "${entry%%|*}" Target)
    echo "   $link"
    echo "      -> $target $(link_field "$link" Arguments)"
    check "the shortcut starts ${entry#*|}" ends_with "$target" "${entry#*|}"
done
echo "== registry: HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title (${bits}-bit view)"
wine reg query "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title" /reg:$bits 2>/dev/null |
    tr -d '\r' | sed -n 's/^ \{4\}/   /p'
check "the entry starts the installed uninstaller" \
    [ "$(registry_value "$title" UninstallString)" = "\"$dest\\Uninstall.exe\"" ]
echo "== $dest\\setup.log"
tr -d '\r' <"$d/setup.log" | sed 's/^/   /'

echo "== removing it: $dest\\Uninstall.exe /S"
wine "$dest\\Uninstall.exe" /S >/dev/null 2>&1 &
setup_pid=$!
await_exit || exit 1
check "the uninstaller ended with exit code 0" [ "$exit_code" = 0 ]
gone() { for _ in $(seq "$(tries 100)"); do [ ! -e "$1" ] && return 0; sleep 0.1; done; return 1; }
check "the installation folder is gone: $dest" gone "$d"
check "the program folder is gone: $folder" gone "$(unix_path "$folder")"
check "the desktop shortcut is gone: $desktop_link" gone "$(unix_path "$desktop_link")"
check "the registry entry is gone" bash -c "! wine reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title' /reg:$bits >/dev/null 2>&1"
if [ "$failed" = 0 ]; then echo "== nothing of $title is left"; else echo "== the demo FAILED: see the lines marked FAILED above"; fi
exit $failed
