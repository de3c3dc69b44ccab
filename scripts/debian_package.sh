#!/usr/bin/env bash
# The Debian source and binary packages, built from this tree by dpkg-buildpackage as Debian's own
# packages are built (debian/: debhelper with CMake), and checked by lintian.
#
#   scripts/debian_package.sh OUTDIR     leaves in OUTDIR the upstream tarball
#                                        quarnel_<version>.orig.tar.xz, the .debian.tar.xz, the
#                                        .dsc, quarnel_<version>-<revision>_<arch>.deb (with its
#                                        -dbgsym), the .buildinfo and the .changes
#
# The upstream tarball is made from the tree as it stands (git's files, committed or not, with
# the untracked ones git does not ignore; outside git every file but build/), without debian/,
# which the .debian.tar.xz carries. The build runs on a copy in OUTDIR/quarnel-<version>, removed
# when it succeeds. QUARNEL_JOBS sets the build's parallel jobs.
#
# Two builds of one tree give the same bytes, wherever OUTDIR is: every time in the packages and
# in the tarballs is the time of debian/changelog's last entry (dpkg's SOURCE_DATE_EPOCH), and the
# build folder is left out of what the compiler writes. Only the .buildinfo, and so the .changes
# that lists it, name the moment and the folder of the build, as they are meant to.
# tests/package/debian_package_test.sh checks this.
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
jobs=${QUARNEL_JOBS:-$(nproc)}

quarnel_install_packages "${QUARNEL_DEBIAN_PACKAGE_PACKAGES[@]}"

# The version is project(VERSION) in CMakeLists.txt; debian/changelog's must have it upstream.
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
upstream=${version%-*}
project_version=$(sed -n 's/^project(quarnel VERSION \([^ ]*\) .*/\1/p' "$root/CMakeLists.txt")
if [ "$upstream" != "$project_version" ]; then
    echo "error: debian/changelog is at $version, CMakeLists.txt at $project_version:" \
         "add a changelog entry (dch -v $project_version-1)" >&2
    exit 1
fi
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
arch=$(dpkg --print-architecture)

# What the tree holds.
list=$(mktemp)
lintian_tmp=$(mktemp -d)
trap 'rm -rf "$list" "$lintian_tmp"' EXIT
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$root" && git ls-files -z --cached --others --exclude-standard) \
        | (cd "$root" && while IFS= read -r -d '' file; do
               [ -e "$file" ] || [ -L "$file" ] && printf '%s\0' "$file"
           done) | sort -z >"$list"
else
    (cd "$root" && find . -path ./build -prune -o \( -type f -o -type l \) -printf '%P\0') | sort -z >"$list"
fi

# The build's copy of the tree, named as dpkg-source wants it, and the upstream tarball beside it.
source_dir=$out/quarnel-$upstream
rm -rf "$source_dir" "$out"/quarnel_"$upstream"* "$out"/quarnel-dbgsym_"$upstream"*
mkdir -p "$source_dir"
tar -C "$root" --null -T "$list" -cf - | tar -C "$source_dir" -xf -
# Names in a fixed order, one owner, the changelog's time and the same modes whatever the umask of
# the checkout; xz on one thread, whose output does not depend on the machine.
tar -C "$out" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
    --mode=u+rw,go=u-w --pax-option=exthdr.name=%d/PaxHeaders/%f,delete=atime,delete=ctime \
    --exclude="quarnel-$upstream/debian" -cf - "quarnel-$upstream" \
    | xz -6 -T1 >"$out/quarnel_$upstream.orig.tar.xz"

# Source and binary packages, unsigned (whoever uploads them signs them).
(cd "$source_dir" && DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage --build=source,binary --no-sign)
rm -rf "$source_dir"
changes=$out/quarnel_${version}_$arch.changes
echo "$changes"

# lintian on everything the .changes names, pedantic and with its notes shown; an error or a
# warning fails the script, the notes that stay have their reasons in debian/*lintian-overrides.
# Its temporary files (/tmp/mldbm-elf-*, which it leaves) go into a folder removed afterwards.
TMPDIR=$lintian_tmp lintian --info --pedantic --fail-on error,warning \
    --tag-display-limit 0 "$changes"
