#!/usr/bin/env bash
# The Windows build of mission/ and platform/ with their tests, and of quarnel-skm.exe (Debian's
# mingw-w64 and GoogleTest source), and a fresh Wine prefix for ctest to run them in.
#
#   scripts/windows_build.sh DIR          builds into DIR/core and makes a new prefix DIR/wineprefix,
#                                         started once here so that its first start is not timed
#   scripts/windows_build.sh --clean DIR  stops the Wine server of DIR/wineprefix and removes it
#
# When the cross compiler, GoogleTest's source or Wine is not installed, it says so, leaves the
# reason in DIR/skipped (the main build then registers no Windows tests) and succeeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Wine's own loader: Debian keeps wine64 out of PATH, behind its "wine" wrapper.
quarnel_find_wine() {
    local candidate
    for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

quarnel_find_wineserver() {
    local candidate
    for candidate in "$(command -v wineserver || true)" /usr/lib/wine/wineserver; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

# No Mono or Gecko installer prompts, no debug chatter, and no winemenubuilder: it would make
# menu and MIME folders in the real home folder, outside the prefix.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The folder Wine's server keeps its socket in for a prefix, which Wine leaves behind when the
# server ends: Debian's Wine makes it in the temporary folder under a random name that it writes
# into the prefix's file "wineserver"; Wine as its authors ship it uses
# /tmp/.wine-<uid>/server-<device>-<inode>.
quarnel_wine_server_folder() {
    if [ -f "$1/wineserver" ]; then
        echo "${TMPDIR:-/tmp}/$(head -n 1 "$1/wineserver")"
    else
        printf '/tmp/.wine-%s/server-%x-%x' "$(id -u)" "$(stat -c %d "$1")" "$(stat -c %i "$1")"
    fi
}

if [ "${1:-}" = "--clean" ]; then
    dir=$(realpath -m "$2")
    if [ -d "$dir/wineprefix" ]; then
        server=$(quarnel_wine_server_folder "$dir/wineprefix")
        if wineserver=$(quarnel_find_wineserver); then
            WINEPREFIX="$dir/wineprefix" "$wineserver" -k 2>/dev/null || true
            WINEPREFIX="$dir/wineprefix" "$wineserver" -w 2>/dev/null || true
        fi
        case $server in */wine-?*|*/server-*) rm -rf "$server" ;; esac
        rm -rf "$dir/wineprefix"
        rmdir "/tmp/.wine-$(id -u)" 2>/dev/null || true
    fi
    exit 0
fi

dir=$(realpath -m "$1")
mkdir -p "$dir"
rm -f "$dir/skipped"

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=("the mingw-w64 cross compiler (g++-mingw-w64-x86-64-posix)")
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=("GoogleTest's source (googletest)")
wine=$(quarnel_find_wine) || missing+=("Wine (wine64)")
if [ ${#missing[@]} -gt 0 ]; then
    reason="not installed: ${missing[0]}"
    for item in "${missing[@]:1}"; do
        reason+="; $item"
    done
    echo "$reason" >"$dir/skipped"
    echo "SKIPPED: the Windows build of mission/ and platform/ and its tests under Wine: $reason" >&2
    exit 0
fi

cmake -S "$root/tests/platform/windows" -B "$dir/core" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$dir/core" -j "${QUARNEL_JOBS:-$(nproc)}"

# A new prefix every run, so no state of an earlier run can make a test pass.
"$0" --clean "$dir"
echo "Starting a fresh Wine prefix in $dir/wineprefix"
WINEPREFIX="$dir/wineprefix" "$wine" wineboot --init
# A value as Wine itself writes it into system.reg, for the test of the Linux reader.
WINEPREFIX="$dir/wineprefix" "$wine" reg add 'HKLM\Software\Quarnel\Probe' /v 'Install Path' \
    /d 'C:\Program Files (x86)\Quarnel "Probe"\x41' /reg:32 /f >/dev/null
WINEPREFIX="$dir/wineprefix" "$(quarnel_find_wineserver)" -w
