#!/usr/bin/env bash
# Starts the real program under Xvfb with a private session bus and Qt's AT-SPI bridge switched on,
# and prints what a screen reader gets from it: every field with what it is announced as, and every
# row of the two lists, once as the window starts and once more after an edit (a primary mark and
# three teams). Fails when a field has no name or a row reads as blank.
#
#   scripts/accessibility_check.sh [BUILD_DIR]
#
# BUILD_DIR holds the built program (app/quarnel); build/test unless given. Needs python3-pyatspi
# (for the system's own python3),
# at-spi2-core and dbus-daemon (test.sh's package list).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=x_window.sh
source scripts/x_window.sh

if [ "${1:-}" = "--inside" ]; then
    # Second half: inside the X server and the session bus that the first half started.
    program=$2
    home=$(mktemp -d)
    HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
    pid=$!
    trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
    if ! win=$(find_window quarnel --class); then
        echo "error: the quarnel window did not appear within a minute" >&2
        exit 1
    fi
    eval "$(xdotool getwindowgeometry --shell "$win")" # X, Y of the client area
    xdotool windowfocus --sync "$win"

    echo "== as the window starts"
    /usr/bin/python3 scripts/accessibility_dump.py

    echo "== after ticking Primary FG on slot 1 and typing 3 teams"
    xdotool mousemove --sync $((X + 580)) $((Y + 262)) click 1  # PriChk
    xdotool mousemove --sync $((X + 330 + 160)) $((Y + 304 + 54)) click 1
    xdotool key ctrl+a
    xdotool type -- 3                                           # NumTeamsBox
    sleep 1
    /usr/bin/python3 scripts/accessibility_dump.py --lists-only
    exit 0
fi

build=${1:-build/test}
program=$(realpath "$build/app/quarnel")
if [ ! -x "$program" ]; then
    echo "error: no program at $build/app/quarnel; build the quarnel target first" >&2
    exit 1
fi
scripts/xvfb_run.sh -s "-screen 0 1024x768x24" dbus-run-session -- "$0" --inside "$program"
