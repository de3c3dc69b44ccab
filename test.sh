#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs every test
# through ctest: unit and GUI tests (Qt's offscreen platform), the end-to-end test under a
# real X server, the fuzz targets under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the Windows build of the mission and platform libraries under Wine, and (once its static Qt is
# cached, or with QUARNEL_WINDOWS_EDITOR=1) the whole editor's Windows release and its installer
# under Wine, and (once its WebAssembly Qt is cached, or with QUARNEL_WEB_PAGE=1) the page in
# chromium.
# QUARNEL_FUZZ_SECONDS sets the length of each bounded fuzz run (20 seconds unless set);
# QUARNEL_PACKAGE_TEST=1 adds package.debian, which builds the Debian packages twice and compares
# them, and runs their autopkgtests and piuparts in a fresh Debian root.
# It ends with what did not run and why, then ctest's own closing line.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
quarnel_install_packages "${QUARNEL_TEST_PACKAGES[@]}"
# What this run leaves out, for the summary at the end.
not_run=()
package_test=OFF
if [ "${QUARNEL_PACKAGE_TEST:-}" = 1 ]; then
    quarnel_install_packages "${QUARNEL_PACKAGE_TEST_PACKAGES[@]}"
    package_test=ON
else
    not_run+=("package.debian: the Debian packages built twice and compared, their autopkgtests and piuparts (QUARNEL_PACKAGE_TEST=1 ./test.sh, about 40 minutes)")
fi

jobs=$(nproc)
# One UTF-8 locale for every step, whatever the caller's (Debian always has C.UTF-8): without it
# Wine cannot map non-ASCII file names, and the tests would depend on the machine's settings.
export LC_ALL=C.UTF-8

# The fuzz targets need clang's libFuzzer, so they have a build of their own.
cmake -S . -B build/fuzz -DQUARNEL_FUZZ=ON -DQUARNEL_WERROR=ON \
      -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j "$jobs"

# mission/ and platform/ built for Windows; ctest runs their tests under Wine in a fresh prefix.
# Without a session's XDG_RUNTIME_DIR (a bare root shell, a container) Qt makes and leaves
# /tmp/runtime-<user>: the run gets a folder of its own instead, removed at the end.
runtime=
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    runtime=$(mktemp -d)
    export XDG_RUNTIME_DIR=$runtime
fi
trap "\"$PWD/scripts/windows_build.sh\" --clean \"$PWD/build/windows\"; rm -rf \"\$runtime\"" EXIT
QUARNEL_JOBS=$jobs scripts/windows_build.sh build/windows

# The Windows release (quarnel.exe and its zip) for windows.editor under Wine. Its static Qt takes
# 12 to 35 minutes to build the first time, so it runs only once that Qt is cached, or when asked.
release_dir=
if [ "${QUARNEL_WINDOWS_EDITOR:-}" = 1 ] || [ -f "$(scripts/windows_release.sh --qt-prefix)/.complete" ]; then
    QUARNEL_JOBS=$jobs scripts/windows_release.sh build/windows-release
    release_dir=$PWD/build/windows-release
else
    not_run+=("windows.editor, windows.installer: the Windows release under Wine; QUARNEL_WINDOWS_EDITOR=1 ./test.sh builds and caches its static Qt (12 to 35 minutes, once)")
    echo "SKIPPED: ${not_run[-1]}"
fi

# The page (the editor built for WebAssembly) for web.page in chromium. Its Qt takes 10 to 25
# minutes to build the first time, so the page is built and tested only once that Qt is cached,
# or when asked; the page itself then takes about 5 minutes to build on two cores.
web_dir=
if [ "${QUARNEL_WEB_PAGE:-}" = 1 ] || [ -f "$(scripts/web_release.sh --qt-prefix)/.complete" ]; then
    quarnel_install_packages "${QUARNEL_WEB_TEST_PACKAGES[@]}"
    QUARNEL_JOBS=$jobs scripts/web_release.sh build/web
    web_dir=$PWD/build/web
else
    not_run+=("web.page: the page in chromium; QUARNEL_WEB_PAGE=1 ./test.sh builds and caches its WebAssembly Qt (10 minutes on two idle cores, 85 on a busy shared machine; once)")
    echo "SKIPPED: ${not_run[-1]}"
fi

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARNEL_WERROR=ON \
      -DQUARNEL_FUZZ_BUILD_DIR="$PWD/build/fuzz" -DQUARNEL_FUZZ_SECONDS="${QUARNEL_FUZZ_SECONDS:-20}" \
      -DQUARNEL_WINDOWS_BUILD_DIR="$PWD/build/windows" -DQUARNEL_WINDOWS_RELEASE_DIR="$release_dir" \
      -DQUARNEL_PACKAGE_TEST=$package_test -DQUARNEL_WEB_DIR="$web_dir" >/dev/null
cmake --build build/test -j "$jobs"

export QT_QPA_PLATFORM=offscreen
cd build/test
status=0
ctest --output-on-failure -j "$jobs" --timeout 300 --output-junit ctest-results.xml | tee ctest-output.txt \
    || status=$?

# What did not run, and why: the steps left out above, and each test ctest skipped with the reason
# it gave. ctest's closing line comes last again.
echo
echo "Not run:"
[ ${#not_run[@]} -eq 0 ] || printf '  %s\n' "${not_run[@]}"
python3 "$OLDPWD/scripts/skipped_tests.py" ctest-results.xml | sed 's/^/  /'
grep -E '^[0-9]+% tests passed' ctest-output.txt | tail -n 1
exit $status
