#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window as a user sees it, under a real X server (Xvfb,
# 24-bit colour, 96 dots per inch), cropped to the window.
#
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT]
#
# Without BUILD_DIR it builds the program in build/release first, as run.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--inside-x" ]; then
    # Second half: runs inside the X session that xvfb-run started.
    program=$2
    output=$3
    QT_QPA_PLATFORM=xcb "$program" &
    pid=$!
    trap 'kill "$pid" 2>/dev/null || true' EXIT
    if ! window=$(timeout 30 xdotool search --sync --onlyvisible --class quarnel | head -n 1) || [ -z "$window" ]; then
        echo "error: the quarnel window did not appear within 30 seconds" >&2
        exit 1
    fi
    # Give the window its first paint and the list boxes their rows.
    sleep 2
    info=$(xwininfo -id "$window")
    x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    width=$(awk '/Width:/ {print $NF}' <<<"$info")
    height=$(awk '/Height:/ {print $NF}' <<<"$info")
    mkdir -p "$(dirname "$output")"
    import -window root -crop "${width}x${height}+${x}+${y}" +repage "$output"
    echo "wrote $output (${width}x${height} at ${x},${y})"
    exit 0
fi

build=${1:-}
output=${2:-docs/screenshot.png}
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

xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96 -nolisten tcp" \
    "$0" --inside-x "$program" "$(realpath -m "$output")"
