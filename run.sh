#!/usr/bin/env bash
# Installs what is missing, builds the editor in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"

# Quarnel is a desktop program: say so before spending minutes on packages and a build.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "error: no display found (DISPLAY and WAYLAND_DISPLAY are unset); quarnel is a desktop" \
         "program and needs one." >&2
    echo "To try it without a screen, run it on a virtual X server: xvfb-run ./run.sh" \
         "(xvfb-run comes with Debian's package xvfb: sudo apt-get install xvfb)." >&2
    exit 1
fi

source scripts/deps.sh
quarnel_install_packages "${QUARNEL_PACKAGES[@]}"

# The first build compiles everything and takes a few minutes; later ones only what changed.
if [ ! -x build/release/app/quarnel ]; then
    echo "Building Quarnel in build/release for the first time: this takes a few minutes" \
         "(about two on two cores); later starts rebuild only what changed."
fi
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUARNEL_TESTS=OFF >/dev/null
cmake --build build/release --target quarnel -j "$(nproc)"
exec build/release/app/quarnel
