#!/usr/bin/env bash
# The Windows installer: a per-user MSI package made with Debian's wixl (msitools) from the files of
# the Windows zip, so that both hold the same quarnel.exe and quarnel-skm.exe.
#
#   scripts/windows_installer.sh ZIP OUTDIR                makes OUTDIR/quarnel-<version>-windows-x64.msi
#   scripts/windows_installer.sh --version V ZIP OUTDIR    the same package under another version
#                                                          number (the upgrade test makes an older one)
#
# The version is project(VERSION) in CMakeLists.txt unless given; QUARNEL_PUBLISHER sets the
# publisher that Apps & Features shows. What the package does is resources/windows/quarnel.wxs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

version=
if [ "${1:-}" = "--version" ]; then
    version=$2
    shift 2
fi
if [ $# -ne 2 ]; then
    echo "usage: $0 [--version V] ZIP OUTDIR" >&2
    exit 2
fi
zip=$(realpath "$1")
outdir=$(realpath -m "$2")
if [ -z "$version" ]; then
    version=$(sed -n 's/^project(quarnel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
fi
# Windows Installer compares versions of at most three numbers: major and minor below 256, build
# below 65536.
if ! [[ $version =~ ^[0-9]+\.[0-9]+(\.[0-9]+)?$ ]]; then
    echo "error: the version '$version' is not major.minor[.build]" >&2
    exit 2
fi
if ! command -v wixl >/dev/null; then
    echo "error: wixl is not installed (apt-get install wixl)" >&2
    exit 1
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
(cd "$stage" && cmake -E tar xf "$zip")
cp "$root/resources/icons/quarnel.ico" "$stage/"
# wixl reads the files named in the package relative to the folder it runs in.
msi=$outdir/quarnel-$version-windows-x64.msi
mkdir -p "$outdir"
(cd "$stage" && wixl --arch x64 --output "$stage/quarnel.msi" \
    --define Version="$version" --define Publisher="${QUARNEL_PUBLISHER:-Quarnel contributors}" \
    --define SourceDir=. --define IconDir=. "$root/resources/windows/quarnel.wxs")
mv "$stage/quarnel.msi" "$msi"
echo "$msi"
