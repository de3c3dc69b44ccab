#!/usr/bin/env bash
# The Windows release: a static Qt for Windows (built once and cached), quarnel.exe linked against
# it, the zip Windows users download, and the installer made from the zip's files.
#
#   scripts/windows_release.sh OUTDIR         makes OUTDIR/quarnel-<version>-windows-x64.zip and
#                                             OUTDIR/quarnel-<version>-windows-x64.msi (through
#                                             scripts/windows_installer.sh), with the build itself
#                                             in OUTDIR/build
#   scripts/windows_release.sh --qt-prefix    prints where the cached Qt is (or would be) installed
#
# Qt comes from Debian's qt6-base source package, cross-built with Debian's mingw-w64. The build
# takes 12 to 35 minutes on two cores and is kept in ~/.cache/quarnel/ (or $QUARNEL_CACHE_DIR),
# under a name made of Qt's version and a digest of the configure flags. Qt's build is not
# relocatable: it is installed, and must stay, at that path.
set -euo pipefail
# A failing step inside a function whose output is captured stops the script too.
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
# shellcheck source=qt_source.sh
source "$root/scripts/qt_source.sh"

# What Qt must not build: the modules and platform pieces the editor does not use (OpenGL is
# switched off as an input: as a feature alone it leaves the Windows plugin's dynamic OpenGL
# code in, which does not build without it), the ones that do not build from Debian's source
# (its repack drops the Wacom tablet headers, and Qt 6.4 cannot link its DirectWrite 3 font
# database statically), and every system_* library, which mingw-w64 does not have: Qt's own
# copies are linked in instead. Qt's FreeType font engine is built in as well, for
# QT_QPA_PLATFORM=windows:fontengine=freetype, which the program chooses under Wine. Qt is built
# for size: built for speed, quarnel.exe is 20 MB rather than 14 and the installer past 10 MB.
qt_configure_flags=(
    "${qt_build_flags[@]}"
    -DINPUT_opengl=no
    "${qt_unused_modules[@]}"
    -DFEATURE_vulkan=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=OFF
    -DFEATURE_directwrite3=OFF
    "${qt_unused_formats[@]}"
    -DFEATURE_freetype=ON
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
)

qt_prefix() {
    local digest
    digest=$(printf '%s\n' "${qt_configure_flags[@]}" | cat - "$root/cmake/mingw-w64.cmake" |
             sha256sum | cut -c1-12)
    echo "$cache_dir/qt-$(qt_version | tr -c 'A-Za-z0-9.\n' '_')-windows-x64-$digest"
}

# Keeps what the zip must carry about Qt, from the unpacked source in $1, in $2/licences: the
# LGPL-3 and the GPL-3 it builds on, Debian's record of every copyright and licence in qtbase
# (its bundled libraries included), and where the source comes from.
keep_qt_licences() {
    local src=$1/qtbase dest=$2/licences
    mkdir -p "$dest"
    cp "$src/LICENSES/LGPL-3.0-only.txt" "$src/LICENSES/GPL-3.0-only.txt" "$dest/"
    cp "$src/debian/copyright" "$dest/copyright.txt"
    cat >"$dest/SOURCE.txt" <<EOT
quarnel.exe contains Qt $(qt_version | sed 's/[+~-].*//') (the qtbase module), linked statically, under the
GNU Lesser General Public License version 3 (LGPL-3.0-only.txt, which builds on
GPL-3.0-only.txt). copyright.txt lists the copyright holders and licences of Qt and of the
libraries Qt carries (FreeType, HarfBuzz, libpng, zlib, PCRE2 and others).

Qt's source is Debian's qt6-base source package, version $(qt_version), as Debian 12
distributes it (on Debian: apt-get source qt6-base=$(qt_version)); the same Qt release is
published by the Qt Project at https://code.qt.io/qt/qtbase.git (tag v$(qt_version | sed 's/[+~-].*//')).
Quarnel's whole source, with the script that builds Qt and quarnel.exe from these sources
(scripts/windows_release.sh), is public, so quarnel.exe can be relinked with a changed Qt.
EOT
}

# Builds and installs the static Qt unless the cache already holds it; prints its prefix.
build_static_qt() {
    local prefix
    prefix=$(qt_prefix)
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return 0
    fi
    local work="$prefix.build"
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    echo "Building a static Qt $(qt_version) for Windows in $work (12 to 35 minutes)" >&2
    fetch_qt_source "$work/src" >&2
    cmake -S "$work/src/qtbase" -B "$work/build" -G Ninja \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
          -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_configure_flags[@]}" >&2
    cmake --build "$work/build" -j "$jobs" >&2
    cmake --install "$work/build" >&2
    keep_qt_licences "$work/src" "$prefix"
    touch "$prefix/.complete"
    rm -rf "$work"
    echo "$prefix"
}

if [ "${1:-}" = "--qt-prefix" ]; then
    qt_prefix
    exit 0
fi
if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
outdir=$(realpath -m "$1")

quarnel_install_packages "${QUARNEL_WINDOWS_RELEASE_PACKAGES[@]}"
qt=$(build_static_qt)
if [ ! -f "$qt/licences/SOURCE.txt" ]; then
    # A Qt cached before its licence texts were kept: take them from a fresh copy of the source.
    tmp=$(mktemp -d)
    fetch_qt_source "$tmp" >&2
    keep_qt_licences "$tmp" "$qt"
    rm -rf "$tmp"
fi

# quarnel.exe and the zip. Qt's toolchain file finds the static Qt and hands the compilers over
# to the project's own mingw-w64 toolchain file.
build=$outdir/build
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_TESTS=OFF -DQUARNEL_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DQUARNEL_QT_LICENCES="$qt/licences" >/dev/null
start=$(date +%s)
cmake --build "$build" --target windows_zip -j "$jobs"
echo "quarnel.exe and the zip built in $(($(date +%s) - start)) s"
rm -f "$outdir"/quarnel-*-windows-x64.zip "$outdir"/quarnel-*-windows-x64.msi
cp "$build"/quarnel-*-windows-x64.zip "$outdir/"
zip=$(echo "$outdir"/quarnel-*-windows-x64.zip)
msi=$("$root/scripts/windows_installer.sh" "$zip" "$outdir")
ls -l "$zip" "$msi"
# The goal for the installer's size: at most 10 MB (10,000,000 bytes).
size=$(stat -c %s "$msi")
echo "The installer is $size bytes ($((size / 1000)) kB; goal: at most 10,000 kB)"
