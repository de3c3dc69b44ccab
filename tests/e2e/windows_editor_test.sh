#!/usr/bin/env bash
# The Windows release under Wine on a real X server, in a fresh prefix: quarnel.exe from the zip
# opens its window with its toolbar pictures, saves a new mission through the Windows save dialog,
# opens a mission back, leaves nothing behind when closed, and starts both dialogs in the Skirmish
# folder of the install path that the registry records.
# Usage: windows_editor_test.sh <zip> <e2e_expect> <wine> <wineserver>
set -euo pipefail
zip=$1
expect=$2
wine=$3
wineserver=$4
version=${QUARNEL_VERSION_TEXT:?the version text the title starts with}
work=$(mktemp -d)
# shellcheck source=wine_prefix.sh
source "$(dirname "$0")/wine_prefix.sh"

(cd "$work" && cmake -E tar xf "$zip")
for file in quarnel.exe quarnel-skm.exe missions-as-text.txt quarnel-skm-mission.schema.json README.txt LICENSE.txt \
    qt-licences/LGPL-3.0-only.txt \
    qt-licences/SOURCE.txt wine-font-licence/LGPL-2.1.txt; do
    [ -f "$work/$file" ] || fail "the zip holds no $file"
done

echo "Starting a fresh Wine prefix"
"$wine" wineboot --init
"$wineserver" -w
drive=$WINEPREFIX/drive_c
mkdir -p "$drive/quarnel-test"

win=
# Starts quarnel.exe and waits for its window, titled as a new document.
start_editor() {
    (cd "$work" && exec "$wine" quarnel.exe) &
    win=$(find_window "^$version") || fail "no window titled $version"
    wait_until '[ "$(title)" = "$version  -  [Unnamed]" ]' || fail "title at start: $(title)"
    eval "$(xdotool getwindowgeometry --shell "$win")" # X, Y of the client area
}
stop_editor() { "$wineserver" -k; "$wineserver" -w || true; }
title() { xdotool getwindowname "$win"; }
# Clicks a toolbar button, by its left edge in the toolbar.
toolbar() { xdotool mousemove --sync $((X + 11 + $1 + 11)) $((Y + 13)) click 1; }
# The Windows file dialog a toolbar button opened: Wine gives its window no X name, so it is
# the program's visible window, other than the main one, with a dialog's size.
dialog_window() {
    local w WIDTH HEIGHT X Y SCREEN WINDOW
    for w in $(xdotool search --onlyvisible --class quarnel.exe 2>/dev/null || true); do
        [ "$w" != "$win" ] || continue
        WIDTH=0 HEIGHT=0
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" # empty if it closed meanwhile
        if [ "$WIDTH" -ge 400 ] && [ "$HEIGHT" -ge 300 ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
dialog=
wait_for_dialog() { wait_until 'dialog=$(dialog_window)' || fail "no file dialog opened"; sleep 0.5; }
wait_for_dialog_to_close() {
    wait_until '! { xdotool search --onlyvisible --class quarnel.exe 2>/dev/null || true; } | grep -qx "$dialog"' || fail "the file dialog stayed open"
}
# Waits for the file dialog, types a file name into its name field and presses Enter.
answer_file_dialog() {
    wait_for_dialog
    xdotool windowfocus --sync "$dialog"
    xdotool key End shift+Home # replaces the name the dialog remembers from its last use
    xdotool type --delay 20 -- "$1"
    xdotool key Return
    wait_for_dialog_to_close
    xdotool windowfocus --sync "$win"
}
# Compares two missions apart from their names (the first 64 bytes hold the name).
same_beyond_name() { cmp <(tail -c +65 "$1") <(tail -c +65 "$2"); }

start_editor
# Every toolbar picture drawn: each button shows more than its face colour.
import -window root "$work/screen.png"
for left in 0 23 46 69 100 123 146; do
    colours=$(convert "$work/screen.png" -crop "17x16+$((X + 11 + left + 3))+$((Y + 5))" +repage -format %k info:)
    [ "$colours" -gt 3 ] || fail "the toolbar button at $left shows no picture ($colours colours)"
done
# Every letter drawn: the label "AI:" shows three separate marks. (Qt's GDI font engine once
# left out every capital I of the bitmap face under Wine, and the label read "A :".)
marks=$(convert "$work/screen.png" -crop "20x14+$((X + 375))+$((Y + 150))" +repage -threshold 50% -negate \
        -scale '20x1!' -threshold 0 -depth 8 gray:- | od -An -v -tu1 | tr -s ' ' '\n' | grep . |
        awk '{ ink = $1 > 0 } ink && !prev { runs++ } { prev = ink } END { print runs + 0 }')
[ "$marks" -eq 3 ] || fail "the label AI: shows $marks separate marks, not 3: letters are missing"

# No install path recorded: the save dialog has no file name of its own to save under.
toolbar 46
wait_for_dialog
xdotool windowfocus --sync "$dialog"
xdotool key Return
sleep 1
xdotool key Escape
wait_for_dialog_to_close
[ -z "$(find "$work" -iname '*.skm')" ] || fail "Enter in the fresh save dialog saved $(find "$work" -iname '*.skm')"
[ "$(title)" = "$version  -  [Unnamed]" ] || fail "title after the empty Save As: $(title)"
xdotool windowfocus --sync "$win"

# Save As with a typed Windows path: exactly the new mission's bytes.
toolbar 46
answer_file_dialog 'C:\quarnel-test\Alpha.skm'
wait_until '[ "$(title)" = "$version  -  [Alpha.skm]" ]' || fail "title after Save As: $(title)"
"$expect" "$work/Alpha.skm" new
cmp "$drive/quarnel-test/Alpha.skm" "$work/Alpha.skm" || fail "Save As did not write a new mission named Alpha"

# Open reads a mission back: saved again under another name, it keeps the opened mission's fields.
"$expect" "$drive/quarnel-test/Rogue.skm" first
toolbar 23
answer_file_dialog 'C:\quarnel-test\Rogue.skm'
wait_until '[ "$(title)" = "$version  -  [Rogue.skm]" ]' || fail "title after Open: $(title)"
toolbar 46
answer_file_dialog 'C:\quarnel-test\Copy.skm'
wait_until '[ -f "$drive/quarnel-test/Copy.skm" ]' || fail "Save As after Open wrote nothing"
same_beyond_name "$drive/quarnel-test/Copy.skm" "$drive/quarnel-test/Rogue.skm" || fail "the opened mission did not come back"

# Closed as a user closes it, after using both dialogs: no history is left behind, neither in the
# registry nor in a file (Qt's file dialogs store it when they are destroyed).
xdotool windowfocus --sync "$win"
xdotool key alt+F4
wait_until '! xdotool search --onlyvisible --name "^$version" >/dev/null' || fail "the window did not close on Alt+F4"
"$wineserver" -w
# (Qt's dialog creates the empty key HKEY_CURRENT_USER\Software\QtProject\OrganizationDefaults
# when it first reads its settings; the values are what would hold the history.)
history=$("$wine" reg query 'HKCU\Software\QtProject' /s 2>/dev/null | grep REG_ || true)
[ -z "$history" ] || fail "the file dialogs left their history in the registry: $history"
[ -z "$(find "$drive" -iname 'QtProject*')" ] || fail "the file dialogs left $(find "$drive" -iname 'QtProject*')"

# An install path in the registry's 32-bit view: both dialogs start in its Skirmish folder, so a
# bare file name lands there.
"$wine" reg add 'HKLM\Software\LucasArts Entertainment Company LLC\X-Wing Alliance\V1.0' \
    /v 'Install Path' /d 'C:\Games\Alliance' /reg:32 /f >/dev/null
mkdir -p "$drive/Games/Alliance/Skirmish"
start_editor
toolbar 46
answer_file_dialog 'Beta'
wait_until '[ -f "$drive/Games/Alliance/Skirmish/Beta.skm" ]' || fail "Save As did not start in the Skirmish folder"
toolbar 0 # New File: nothing unsaved, so no question
wait_until '[ "$(title)" = "$version  -  [Unnamed]" ]' || fail "title after New: $(title)"
toolbar 23
answer_file_dialog 'Beta.skm'
wait_until '[ "$(title)" = "$version  -  [Beta.skm]" ]' || fail "Open did not start in the Skirmish folder: $(title)"
stop_editor

# A file named on the command line, as Explorer's "Open with" and a drop on quarnel.exe pass it:
# a full Windows path with letters outside the ANSI code page opens as Open opens it.
cp "$drive/Games/Alliance/Skirmish/Beta.skm" "$drive/quarnel-test/Überfall Ωmega.skm"
(cd "$work" && exec "$wine" quarnel.exe 'C:\quarnel-test\Überfall Ωmega.skm') &
win=$(find_window "^$version") || fail "no window titled $version with a file argument"
wait_until '[ "$(title)" = "$version  -  [Überfall Ωmega.skm]" ]' || fail "title with a file argument: $(title)"
stop_editor
echo "windows.editor: window, pictures, Save As, Open, the start folder and a file argument all as expected under Wine"
