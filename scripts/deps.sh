# Sourced by run.sh and test.sh: the lists of system packages the project needs, and the step
# that installs whichever of them are missing. run.sh needs only what builds and runs the
# editor; test.sh needs that and everything the tests use.

QUARNEL_PACKAGES=(
    # build
    cmake g++ make pkg-config
    # the editor's toolkit; the xcb plugin shows windows, the offscreen one runs GUI tests
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
    # an Arial-metric sans face for the window font, and a general fallback
    fonts-liberation fonts-dejavu-core
)

QUARNEL_TEST_PACKAGES=(
    "${QUARNEL_PACKAGES[@]}"
    # tests and benchmarks
    libgtest-dev googletest libbenchmark-dev desktop-file-utils
    # fuzzing with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
    clang-14 libclang-rt-14-dev
    # end-to-end tests and screenshots under a real X server
    xvfb xauth xdotool x11-utils imagemagick
    # the Windows build of mission/ and platform/ and its tests under Wine
    g++-mingw-w64-x86-64-posix wine64
)

# Installs the missing packages with apt-get (through sudo when not root).
# Does nothing when every package is already present.
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
            echo "error: these packages are missing and sudo is not available: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
