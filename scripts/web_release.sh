#!/usr/bin/env bash
# The page: the editor itself built for WebAssembly, as a folder of static files that any static
# web server serves as it is.
#
#   scripts/web_release.sh OUTDIR         makes OUTDIR/index.html, quarnel.js, quarnel.wasm,
#                                         qtloader.js, sw.js (the offline copy), the icon, the
#                                         web manifest and the licences, with the build itself in
#                                         OUTDIR.build
#   scripts/web_release.sh --qt           builds the WebAssembly Qt unless it is cached; prints
#                                         its prefix
#   scripts/web_release.sh --qt-prefix    prints where the cached Qt is (or would be) installed
#   scripts/web_release.sh --emsdk        prints the folder to give Qt's tools as EMSDK
#
# Qt comes from Debian's qt6-base source package, built static and single-threaded with Debian's
# emscripten, and is kept beside the Windows build's Qt in ~/.cache/quarnel/ (or
# $QUARNEL_CACHE_DIR), under a name made of Qt's version and a digest of the configure flags. It
# takes 10 to 25 minutes on two cores. Qt's build is not relocatable: it is installed, and must
# stay, at that path.
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
# shellcheck source=qt_source.sh
source "$root/scripts/qt_source.sh"
toolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
# Debian's emscripten runs on node and finds its acorn among Debian's node modules, which another
# node first on the PATH does not look in.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

# Only what the editor uses: widgets on Qt's core and GUI. OpenGL stays on, since the WebAssembly
# platform plugin draws through WebGL (OpenGL ES 2) and does not build without it. Threads are
# off: a threaded page needs the server to send cross-origin isolation headers, which a plain
# static server does not. Qt's own copies of zlib, libpng, HarfBuzz, FreeType and PCRE2 are linked in.
qt_configure_flags=(
    "${qt_build_flags[@]}"
    -DFEATURE_thread=OFF
    "${qt_unused_modules[@]}"
    "${qt_unused_formats[@]}"
)

qt_prefix() {
    local digest
    digest=$(printf '%s\n' "${qt_configure_flags[@]}" "$(dpkg-query -W -f='${Version}' emscripten)" |
             sha256sum | cut -c1-12)
    echo "$cache_dir/qt-$(qt_version | tr -c 'A-Za-z0-9.\n' '_')-wasm-$digest"
}

# Qt's tools check the compiler's version through $EMSDK/upstream/emscripten/emcc and read
# $EMSDK/.emscripten: a folder that says so of Debian's emscripten.
emsdk_folder() {
    local emsdk=$cache_dir/emsdk-debian
    if [ ! -x "$emsdk/upstream/emscripten/emcc" ]; then
        mkdir -p "$emsdk/upstream/emscripten"
        echo "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'" >"$emsdk/.emscripten"
        local tool
        for tool in emcc em++ emar emranlib emcmake; do
            ln -sfn "/usr/bin/$tool" "$emsdk/upstream/emscripten/$tool"
        done
    fi
    echo "$emsdk"
}

# Builds and installs the static Qt unless the cache already holds it; prints its prefix.
build_web_qt() {
    local prefix
    prefix=$(qt_prefix)
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return 0
    fi
    local work="$prefix.build" start
    start=$(date +%s)
    # A build that was stopped after its configure goes on where it was: configuring a WebAssembly
    # build folder again would ask for an emsdk.
    if [ -f "$work/configured" ]; then
        echo "Going on with the build of a static Qt $(qt_version) for WebAssembly in $work" >&2
    else
        rm -rf "$work" "$prefix"
        mkdir -p "$work"
        echo "Building a static Qt $(qt_version) for WebAssembly in $work (10 to 25 minutes)" >&2
        fetch_qt_source "$work/src" >&2
        cmake -S "$work/src/qtbase" -B "$work/build" -G Ninja \
              -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
              -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_configure_flags[@]}" >&2
        touch "$work/configured"
    fi
    cmake --build "$work/build" -j "$jobs" >&2
    cmake --install "$work/build" >&2
    mkdir -p "$prefix/licences"
    cp "$work/src/qtbase/LICENSES/LGPL-3.0-only.txt" "$work/src/qtbase/LICENSES/GPL-3.0-only.txt" \
       "$prefix/licences/"
    cp "$work/src/qtbase/debian/copyright" "$prefix/licences/copyright.txt"
    touch "$prefix/.complete"
    rm -rf "$work"
    echo "The WebAssembly Qt took $(($(date +%s) - start)) s to build" >&2
    echo "$prefix"
}

case "${1:-}" in
    --qt-prefix) qt_prefix; exit 0 ;;
    --emsdk) emsdk_folder; exit 0 ;;
    --qt)
        quarnel_install_packages "${QUARNEL_WEB_RELEASE_PACKAGES[@]}"
        build_web_qt
        exit 0 ;;
esac
if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
outdir=$(realpath -m "$1")

quarnel_install_packages "${QUARNEL_WEB_RELEASE_PACKAGES[@]}"
qt=$(build_web_qt)
EMSDK=$(emsdk_folder)
export EMSDK

build=$outdir.build
"$qt/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DQUARNEL_TESTS=OFF -DQUARNEL_WERROR=ON \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" >/dev/null
start=$(date +%s)
cmake --build "$build" --target quarnel -j "$jobs"
echo "The editor built for WebAssembly in $(($(date +%s) - start)) s"

rm -rf "$outdir"
mkdir -p "$outdir/licences"
cp "$build/app/quarnel.js" "$build/app/quarnel.wasm" "$outdir/"
# Qt's loader, which starts the program in the page.
cp "$qt/plugins/platforms/qtloader.js" "$outdir/"
cp "$root/web/index.html" "$root/web/manifest.webmanifest" "$root/web/sw.js" "$outdir/"
cp "$root/resources/icons/quarnel.svg" "$outdir/quarnel.svg"
cp "$root/LICENSE" "$outdir/licences/LICENSE.txt"
cp "$qt/licences/"* "$outdir/licences/"
# The copy of Wine's MS Sans Serif the program draws with is under Wine's licence.
cp /usr/share/common-licenses/LGPL-2.1 "$outdir/licences/wine-font-LGPL-2.1.txt"

# What a browser downloads, as a server that compresses sends it.
total=0
for file in "$outdir"/*.*; do
    total=$((total + $(gzip -9 -c "$file" | wc -c)))
done
ls -l "$outdir"
echo "The page is $total bytes gzip-compressed ($((total / 1000)) kB; goal: at most 6,000 kB)"
