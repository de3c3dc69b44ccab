#!/usr/bin/env bash
# Drives the real quarnel program under a real X server with key presses and clicks at the
# layout's places: edits a new mission, saves it with Save As, opens it again, edits and saves
# once more, and compares both files with what the mission library says they must hold.
# Usage: e2e_test.sh <quarnel> <e2e_expect>
set -euo pipefail
quarnel=$1
expect=$2
version=${QUARNEL_VERSION_TEXT:?the version text the title starts with}
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; wait "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work            # no game installed, no settings picked up
export XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=xcb
# shellcheck source=../../scripts/x_window.sh
source "$(dirname "$0")/../../scripts/x_window.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$quarnel" &
pid=$!
win=$(find_window "^$version") || fail "no window titled $version"
eval "$(xdotool getwindowgeometry --shell "$win")" # X, Y of the client area
xdotool windowfocus --sync "$win"

pause() { sleep 0.3; }
# Clicks at a place of the window's client area.
click() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; pause; }
# Replaces the text of the field at a place.
retype() { click "$1" "$2"; xdotool key ctrl+a; xdotool type --delay 30 -- "$3"; pause; }
title() { xdotool getwindowname "$win"; }
# Answers the file dialog that a toolbar button opens with a full path.
answer_file_dialog() {
    local dialog
    dialog=$(find_window "$1") || { echo "the dialog '$1' did not open" >&2; return 1; }
    xdotool windowfocus --sync "$dialog"; pause
    xdotool key ctrl+a; xdotool type --delay 20 -- "$2"; xdotool key Return
    for _ in $(seq 50); do
        if ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; then
            # Nothing of the dialog stays on screen, its name-completion list included, also
            # once the folder's names have come in.
            sleep 0.5
            local shown
            shown=$({ xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true; } | { grep -cvx "$win" || true; })
            [ "$shown" -eq 0 ] || { echo "$shown window(s) left on screen after '$1'" >&2; return 1; }
            # No window manager hands the focus back: give it to the main window again.
            xdotool windowfocus --sync "$win"; pause
            return 0
        fi
        sleep 0.1
    done
    echo "the dialog '$1' did not close" >&2; return 1
}
# Waits up to ten seconds for a condition, so a slow machine does not fail the test.
wait_until() { for _ in $(seq 100); do if eval "$1"; then return 0; fi; sleep 0.1; done; return 1; }

[ "$(title)" = "$version  -  [Unnamed]" ] || fail "title at start: $(title)"

# Slot 9 of the flight group list (rows of 14 pixels from y 58, inside a 2-pixel frame).
click 60 $((58 + 2 + 8 * 14 + 7))
retype 370 75 3          # Wavespin
retype 465 75 4          # SizeSpin
retype 712 142 '$10'     # FG2Unk1Ed
retype 670 74 Rogue      # NameBox
retype $((330 + 160)) $((304 + 54)) 4   # NumTeamsBox
retype $((330 + 342)) $((304 + 126)) -5 # Edit1

click $((11 + 46 + 11)) 13  # Save As
answer_file_dialog 'Save As' "$work/E2E"
wait_until '[ "$(title)" = "$version  -  [E2E.skm]" ]' || fail "title after Save As: $(title)"
[ -f "$work/E2E.skm" ] || fail "Save As wrote no E2E.skm"
"$expect" "$work/expected-first.skm" first
# The expectation's own name differs; the names are compared apart.
cmp <(tail -c +65 "$work/E2E.skm") <(tail -c +65 "$work/expected-first.skm") || fail "saved bytes differ"
[ "$(head -c 3 "$work/E2E.skm")" = "E2E" ] || fail "mission name"

click $((11 + 11)) 13       # New File: nothing unsaved, so no question
wait_until '[ "$(title)" = "$version  -  [Unnamed]" ]' || fail "title after New: $(title)"
click $((11 + 23 + 11)) 13  # Open File
answer_file_dialog 'Open' "$work/E2E.skm"
wait_until '[ "$(title)" = "$version  -  [E2E.skm]" ]' || fail "title after Open: $(title)"
retype $((330 + 46)) $((304 + 126)) 9   # Edit2, header byte 0
"$expect" "$work/expected-second.skm" second
click $((11 + 69 + 11)) 13  # Save File
wait_until 'cmp -s <(tail -c +65 "$work/E2E.skm") <(tail -c +65 "$work/expected-second.skm")' || true
cmp <(tail -c +65 "$work/E2E.skm") <(tail -c +65 "$work/expected-second.skm") || { cmp -l "$work/E2E.skm" "$work/expected-second.skm" | awk '$1 > 64' | head >&2; fail "bytes after Open and Save differ"; }

# Ctrl+S from the keyboard, with a number past the range still typed into Wavespin (slot 1 is
# shown after Open): the box settles to 255 first, so the file holds 254 as the waves less one.
retype 370 75 300
xdotool key ctrl+s
waves() { od -An -tu1 -j $((72 + 12)) -N1 "$work/E2E.skm" | tr -d ' '; }
wait_until '[ "$(waves)" = 254 ]' || fail "Ctrl+S saved waves byte $(waves), not the settled 254"
# The X server has no session bus, and none was started for the screen reader bridge (dbus-x11's
# dbus-launch, which the test packages install, would write under the home folder).
[ ! -e "$work/.dbus" ] || fail "a session bus was started: $(ls -A "$work/.dbus")"

# A file named on the command line, as a file manager's double-click passes it, opens after
# start-up as Open opens it; its name has letters outside ASCII. This start has no session
# runtime folder (su, ssh): the program makes none of its own in the temporary folder.
kill "$pid"; wait "$pid" 2>/dev/null || true
cp "$work/E2E.skm" "$work/Überfall Ωmega.skm"
mkdir "$work/tmp"
(cd "$work" && exec env -u XDG_RUNTIME_DIR TMPDIR="$work/tmp" "$quarnel" "Überfall Ωmega.skm") &
pid=$!
win=$(find_window "^$version") || fail "no window titled $version"
wait_until '[ "$(title)" = "$version  -  [Überfall Ωmega.skm]" ]' || fail "title with a file argument: $(title)"
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder without XDG_RUNTIME_DIR: $(ls -A "$work/tmp")"

# A name that is not UTF-8, as Linux allows: the file opens by the bytes the system gave.
kill "$pid"; wait "$pid" 2>/dev/null || true
latin1=$'\xe9t\xe9.skm'
cp "$work/E2E.skm" "$work/$latin1"
(cd "$work" && exec "$quarnel" "$latin1") &
pid=$!
win=$(find_window "^$version") || fail "no window titled $version"
wait_until '[[ "$(title)" == "$version  -  ["*t*".skm]" ]]' || fail "title with a name that is not UTF-8: $(title)"
echo "end-to-end: New, edits, Save As, Open, Save, Ctrl+S and file arguments all landed as expected"
