#!/usr/bin/env bash
# The Debian package: a Release build installed with `cmake --install` under /usr, its
# dependencies computed from the programs by dpkg-shlibdeps, packed by dpkg-deb and checked by
# lintian.
#
#   scripts/debian_package.sh OUTDIR     makes OUTDIR/quarnel_<version>_<arch>.deb, with the build
#                                        itself in OUTDIR/build
#
# The package has no maintainer scripts: the MIME, desktop, icon and manual page databases are
# refreshed by the triggers of shared-mime-info, desktop-file-utils, hicolor-icon-theme and man-db,
# which watch the folders its files land in. QUARNEL_MAINTAINER sets the Maintainer field.
#
# Two builds of one commit give the same bytes, wherever OUTDIR is: every time in the package is
# the changelog's, which is SOURCE_DATE_EPOCH when set and otherwise the last commit's time, and the
# build's folders are left out of what the compiler writes. tests/package/debian_package_test.sh
# checks this.
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"

if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
build=$out/build
# The layout Debian's tools expect: the package's files in debian/<package>, beside the source
# package's control file that dpkg-shlibdeps reads.
work=$out/package
stage=$work/debian/quarnel
jobs=${QUARNEL_JOBS:-$(nproc)}
maintainer=${QUARNEL_MAINTAINER:-Quarnel developers <quarnel@users.noreply.codeberg.org>}

quarnel_install_packages "${QUARNEL_DEBIAN_PACKAGE_PACKAGES[@]}"

# The one time the package carries; dpkg-deb clamps its archives' times to it as well. Outside git
# (a source archive) the time of CMakeLists.txt, where the version is, stands in for the commit's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || stat -c %Y "$root/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH

# Debian's hardening flags (stack protector, fortified calls, read-only relocations, immediate
# binding), as its own packages are built with. The source and build folders are mapped to "." in
# the debugging information the link's build ID is computed over, so the programs do not depend on
# where they were built; for that, moc's files include the headers they were made from by their
# names on the include path (AUTOMOC_PATH_PREFIX), not by a path from the build folder up to the
# source.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
prefix_maps="-ffile-prefix-map=$root=. -ffile-prefix-map=$build=."
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) $prefix_maps" \
LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARNEL_TESTS=OFF \
          -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
          -DCMAKE_AUTOMOC_PATH_PREFIX=ON >/dev/null
cmake --build "$build" -j "$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$out/quarnel_${version}_${arch}.deb

rm -rf "$work"
DESTDIR=$stage cmake --install "$build" --strip >/dev/null

# What Debian asks of every package's files: manual pages compressed, the licence as
# /usr/share/doc/<package>/copyright (not beside it), a changelog (the package is native: its
# version has no Debian revision), ordinary modes.
doc=$stage/usr/share/doc/quarnel
find "$stage/usr/share/man" -type f ! -name '*.gz' -exec gzip -9n {} +
rm -f "$doc/LICENSE"
{
    echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    echo "Upstream-Name: quarnel"
    echo "Source: https://codeberg.org/quarnel/quarnel"
    echo
    echo "Files: *"
    echo "Copyright: $(sed -n 's/^Copyright (c) //p' "$root/LICENSE" | head -n 1)"
    echo "License: Expat"
    sed -e '/^MIT License$/d' -e '/^Copyright (c)/d' "$root/LICENSE" | sed -e '/./,$!d' \
        | sed -e 's/^$/./' -e 's/^/ /'
} >"$doc/copyright"
date=$(LC_ALL=C TZ=UTC0 date -R -d "@$SOURCE_DATE_EPOCH")
printf 'quarnel (%s) unstable; urgency=medium\n\n  * Built from the project'"'"'s source with scripts/debian_package.sh.\n\n -- %s  %s\n' \
    "$version" "$maintainer" "$date" | gzip -9n >"$doc/changelog.gz"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/usr/bin/*

# dpkg-shlibdeps finds the package's root by its DEBIAN folder.
mkdir -p "$stage/DEBIAN"
# Every program cmake installed counts, so a program added to the install comes along.
printf 'Source: quarnel\n\nPackage: quarnel\nArchitecture: any\n' >"$work/debian/control"
programs=()
for file in "$stage"/usr/bin/*; do
    [ "$(head -c 4 "$file")" = $'\x7fELF' ] && programs+=("$file")
done
depends=$(cd "$work" && dpkg-shlibdeps -O "${programs[@]/#/-e}" | sed -n 's/^shlibs:Depends=//p')

mkdir -p "$stage/DEBIAN"
# As dpkg-gencontrol counts it: each file's size in KiB rounded up, one for each folder and link,
# whatever file system the stage lies on.
installed_size=$(cd "$stage" && find usr \( -type f -printf '%s\n' \) -o -printf '1024\n' \
    | awk '{ total += int(($1 + 1023) / 1024) } END { print total }')
# The window face and its Arial-metric fallback are read from their files when present, which no
# library link shows, and so are Qt's translations of its own texts; desktop-file-utils' trigger
# lists the program for .skm files in the desktop database. (Qt's X11 platform plugin comes with
# libqt6gui6 itself.)
cat >"$stage/DEBIAN/control" <<CONTROL
Package: quarnel
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $installed_size
Depends: $depends
Recommends: fonts-wine, fonts-liberation, desktop-file-utils, qt6-translations-l10n
Section: utils
Priority: optional
Homepage: https://codeberg.org/quarnel/quarnel
Description: editor for the skirmish missions of a 1999 space-combat game
 Quarnel edits the skirmish mission files (.skm) of a 1999 space-combat
 game: the sixteen flight groups with their craft, waves, pilot skill,
 orders and weapons, the teams and their goals, and the mission's settings.
 Bytes it does not understand are written back unchanged.
 .
 Missions open from its window, from the command line, by dropping them on
 the window, or by double-clicking them in a file manager.
CONTROL
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

rm -f "$out"/quarnel_*.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
# Errors fail the script; warnings are listed with the reason each stays in docs/development.md.
lintian --fail-on error --tag-display-limit 0 "$deb"
