# Sourced by run.sh and test.sh: the lists of system packages the project needs, and the step
# that installs whichever of them are missing. run.sh needs only what builds and runs the
# editor; test.sh needs that and everything the tests use.

QUARNEL_PACKAGES=(
    # build
    cmake g++ make pkg-config
    # quarnel-skm's command line and JSON (header-only, so the Windows build uses them too)
    libcli11-dev nlohmann-json3-dev
    # the file layer keeps a saved file's ACL and extended attributes as coreutils does
    libacl1-dev libattr1-dev
    # the editor's toolkit; the xcb plugin shows windows, the offscreen one runs GUI tests
    qt6-base-dev qt6-qpa-plugins libgl-dev
    # an Arial-metric sans face for the window font, and a general fallback
    fonts-liberation fonts-dejavu-core
    # Wine's bitmap rendition of MS Sans Serif, the window face (LGPL, no dependencies)
    fonts-wine
    # Qt's own texts (message box buttons, Qt's file dialog) in the user's language
    qt6-translations-l10n
    # msgfmt merges the translations of po/ into the desktop entry, the file type and the metainfo;
    # shared-mime-info has the file type's rules for it
    gettext shared-mime-info
)

QUARNEL_TEST_PACKAGES=(
    "${QUARNEL_PACKAGES[@]}"
    # tests and benchmarks
    libgtest-dev googletest libbenchmark-dev desktop-file-utils
    # the AppStream metainfo that software centres read, validated with the install rules
    appstream
    # fuzzing with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
    clang-14 libclang-rt-14-dev
    # end-to-end tests and screenshots under a real X server; dbus-x11 lets the end-to-end test
    # see that no session bus is launched where none runs
    xvfb xauth xdotool x11-utils imagemagick dbus-x11
    # what a screen reader gets over AT-SPI, checked on a private session bus
    python3-pyatspi at-spi2-core dbus-daemon
    # the mission JSON's schema checked against exports
    python3-jsonschema
    # zlib's deflater writes links the mission link reader must read as well as its own
    zlib1g-dev
    # the Windows build of mission/ and platform/ and its tests under Wine
    g++-mingw-w64-x86-64-posix wine64
    # the editor's window natively under Wayland, on a compositor without a screen
    weston qt6-wayland
)

# scripts/windows_release.sh: Qt's source package is unpacked with dpkg-source and built with
# Ninja; the host's Qt provides the tools the cross build runs.
QUARNEL_WINDOWS_RELEASE_PACKAGES=(
    cmake ninja-build dpkg-dev qt6-base-dev g++-mingw-w64-x86-64-posix libcli11-dev nlohmann-json3-dev
    # the window face that quarnel.exe carries for Wine, and its licence's text
    fonts-wine base-files
    # the MSI installer (scripts/windows_installer.sh)
    wixl
)

# scripts/web_release.sh: Qt's source package built with Debian's emscripten; the host's Qt provides
# the tools the cross build runs. The page's test drives Debian's chromium.
QUARNEL_WEB_RELEASE_PACKAGES=(
    cmake ninja-build dpkg-dev qt6-base-dev emscripten libcli11-dev nlohmann-json3-dev
    # the window face the page carries, and its licence's text
    fonts-wine base-files
)

# The page's test (web.page): Debian's chromium driven through its DevTools protocol by a small
# Python client.
QUARNEL_WEB_TEST_PACKAGES=(
    chromium python3-websocket
)

# scripts/debian_package.sh: dpkg-buildpackage with debhelper builds the source and binary
# packages (debian/control's Build-Depends are QUARNEL_PACKAGES' build part), lintian checks them.
QUARNEL_DEBIAN_PACKAGE_PACKAGES=(
    "${QUARNEL_PACKAGES[@]}"
    dpkg-dev debhelper lintian xz-utils
)

# QUARNEL_PACKAGE_TEST=1 ./test.sh: the package built twice and compared, its autopkgtests run and
# piuparts' install, purge and upgrade checks made, both in a fresh Debian root made by debootstrap.
QUARNEL_PACKAGE_TEST_PACKAGES=(
    "${QUARNEL_DEBIAN_PACKAGE_PACKAGES[@]}"
    autopkgtest piuparts debootstrap
)

# Installs the missing packages with apt-get (through sudo when not root), waiting for another
# package manager that holds apt's locks. Does nothing when every package is already present.
quarnel_install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "error: these packages are missing: ${missing[*]}" >&2
            echo "Installing them needs root: run this script as root, or install sudo and run it again." >&2
            return 1
        fi
        sudo=(sudo)
    fi
    local apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900)
    # apt-get update does not wait for the package lists' lock as install waits for dpkg's: retry
    # it while another apt-get holds that lock, for up to 15 minutes.
    local tries=0 output
    until output=$("${apt[@]}" update -qq 2>&1); do
        if ! grep -q "Could not get lock" <<<"$output" || [ $((tries += 1)) -gt 180 ]; then
            echo "$output" >&2
            return 1
        fi
        [ $tries -eq 1 ] && echo "Waiting for another package manager to finish..."
        sleep 5
    done
    [ -z "$output" ] || echo "$output"
    # dpkg's lines for every package unpacked and set up (well over a thousand on a fresh system)
    # go to a log shown only when the install fails; apt's total of what it downloads is shown
    # before it starts.
    local log status=0
    log=$(mktemp)
    {
        "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}" 2>&1 | tee "$log" \
            | { grep --line-buffered -E '^(Need to get|After this operation)' || true; }
        status=${PIPESTATUS[0]}
    } || true
    if [ $status -ne 0 ]; then
        tail -n 40 "$log" >&2
        echo "error: installing the packages failed (exit status $status)" >&2
    fi
    rm -f "$log"
    return $status
}
