#!/usr/bin/env bash
# Installs what is missing, builds the editor in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
quarnel_install_packages "${QUARNEL_PACKAGES[@]}"

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUARNEL_TESTS=OFF
cmake --build build/release --target quarnel -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "error: no display found (DISPLAY and WAYLAND_DISPLAY are unset); quarnel is a desktop program" \
         "and needs one. The build is ready at build/release/app/quarnel." >&2
    exit 1
fi
exec build/release/app/quarnel
