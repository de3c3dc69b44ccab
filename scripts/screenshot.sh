#!/usr/bin/env bash
# Takes the pictures in docs/: the main window as a user sees it (docs/screenshot.png, for the
# README and the guide) and the guide's other pictures, under a real X server (Xvfb, 24-bit
# colour, 96 dots per inch), driving the program with xdotool.
#
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_FOLDER]
#
# Without BUILD_DIR it builds the program in build/release first, as run.sh does. OUTPUT_FOLDER
# is docs/ unless given.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=x_window.sh
source scripts/x_window.sh

if [ "${1:-}" = "--inside-x" ]; then
    # Second half: runs inside the X session that xvfb-run started.
    program=$2
    output=$3
    # No game installed and no settings picked up: every picture shows a new mission.
    home=$(mktemp -d)
    HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=xcb "$program" &
    pid=$!
    trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
    if ! window=$(find_window quarnel --class); then
        echo "error: the quarnel window did not appear within a minute" >&2
        exit 1
    fi
    # Give the window its first paint and the list boxes their rows.
    sleep 2
    info=$(xwininfo -id "$window")
    X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    width=$(awk '/Width:/ {print $NF}' <<<"$info")
    height=$(awk '/Height:/ {print $NF}' <<<"$info")
    mkdir -p "$output"
    # Saves the part of the window at x, y (client area) of the given size.
    shoot() {
        import -window root -crop "${4}x${5}+$((X + $2))+$((Y + $3))" +repage "$output/$1"
        echo "wrote $output/$1 (${4}x${5})"
    }
    # Clicks at a place of the window's client area, and replaces the text of the field there.
    click() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
    retype() { click "$1" "$2"; xdotool key ctrl+a; xdotool type --delay 30 -- "$3"; sleep 0.3; }

    xdotool windowfocus --sync "$window"
    shoot screenshot.png 0 0 "$width" "$height"
    # The flight group frame with its fields, title included.
    shoot guide-flight-group.png 326 28 438 272

    # Four teams with a flight group in each (slot 1 copied into slots 5 and 13, renamed), the
    # one of team 3 selected, and the pointer out of the way.
    row() { echo $((58 + 2 + ($1 - 1) * 14 + 7)); }
    retype $((330 + 160)) $((304 + 54)) 4 # NumTeamsBox
    click 60 "$(row 1)"
    click $((11 + 123 + 11)) 13 # Copy FG
    for slot in 5 13; do
        click 60 "$(row "$slot")"
        click $((11 + 146 + 11)) 13 # Paste FG
        retype 670 74 "$([ "$slot" = 5 ] && echo Five || echo Thirteen)" # NameBox
    done
    click 60 "$(row 9)"
    xdotool mousemove --sync $((X + width - 5)) $((Y + height - 5))
    sleep 1
    shoot guide-teams.png 0 28 "$width" $((height - 28))

    # The recovery window: the program killed with these changes unsaved, and started again.
    sleep 2
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=xcb "$program" &
    pid=$!
    if ! recovery=$(find_window "Unsaved Changes$"); then
        echo "error: the recovery window did not appear within a minute" >&2
        exit 1
    fi
    sleep 2
    import -window "$recovery" "$output/guide-recovery.png"
    echo "wrote $output/guide-recovery.png"
    exit 0
fi

build=${1:-}
output=${2:-docs}
if [ -z "$build" ]; then
    source scripts/deps.sh
    quarnel_install_packages "${QUARNEL_TEST_PACKAGES[@]}"
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/release --target quarnel -j "$(nproc)"
    build=build/release
fi
program=$(realpath "$build/app/quarnel")
if [ ! -x "$program" ]; then
    echo "error: no program at $build/app/quarnel; build the quarnel target first" >&2
    exit 1
fi

scripts/xvfb_run.sh -s "-screen 0 1024x768x24 -dpi 96" "$0" --inside-x "$program" "$(realpath -m "$output")"
