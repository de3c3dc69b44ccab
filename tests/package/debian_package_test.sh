#!/usr/bin/env bash
# The Debian packages, as a distribution would take them:
# - reproducible: scripts/debian_package.sh run twice on one tree, in two folders of different
#   depth (the second outside the source tree), gives the same source package and the same
#   binary packages byte for byte, every file in them dated at debian/changelog's last entry;
# - lintian, which the script runs, leaves nothing in the temporary folder;
# - in a fresh Debian root made by debootstrap from this machine's configured Debian mirror, the
#   autopkgtests of debian/tests pass against the built package (autopkgtest's chroot backend, in
#   a copy of the root thrown away afterwards), and piuparts installs and purges the package
#   cleanly and upgrades to it from the previous build, then purges that cleanly too.
#
#   tests/package/debian_package_test.sh WORKDIR
#
# The previous build is QUARNEL_PREVIOUS_DEB when set (a .deb of an earlier version), and
# otherwise this build's package given an earlier version (<version>~previous), which still checks
# that an upgrade over installed files leaves nothing behind.
#
# Two Release builds and a Debian root: about 40 minutes on two busy cores, and the root's
# packages are downloaded. WORKDIR keeps the first build; everything else is made in the temporary folder and
# removed, the Debian root too.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ $# -ne 1 ]; then
    echo "usage: $0 WORKDIR" >&2
    exit 2
fi
mkdir -p "$1"
first=$(cd "$1" && pwd)/first
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
second=$scratch/a/second
rm -rf "$first" "$first.log"
mkdir -p "$scratch/a"
fail() { echo "FAIL: $*" >&2; exit 1; }

# lintian's leftovers in the shared temporary folder, before and after.
tmp=${TMPDIR:-/tmp}
leftovers() { find "$tmp" -maxdepth 1 -name 'mldbm-*' -printf '%f\n' 2>/dev/null | sort; }
before=$(leftovers)
"$root/scripts/debian_package.sh" "$first" >"$first.log" 2>&1 || { cat "$first.log" >&2; fail "the first build"; }
"$root/scripts/debian_package.sh" "$second" >"$second.log" 2>&1 || { cat "$second.log" >&2; fail "the second build"; }
[ "$(leftovers)" = "$before" ] || fail "lintian left in $tmp: $(comm -13 <(echo "$before") <(leftovers))"

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
upstream=${version%-*}
arch=$(dpkg --print-architecture)
epoch=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)
deb=$first/quarnel_${version}_$arch.deb
for file in "quarnel_${version}.dsc" "quarnel_$upstream.orig.tar.xz" "quarnel_${version}.debian.tar.xz" \
            "quarnel_${version}_$arch.deb" "quarnel_${version}_$arch.changes"; do
    [ -f "$first/$file" ] || fail "the build left no $file: $(ls "$first")"
done

# Every entry of the package's file archive dated at the changelog's time, to the second.
stamp=$(TZ=UTC0 date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
others=$(dpkg-deb --fsys-tarfile "$deb" | TZ=UTC0 tar -tv --full-time | awk -v stamp="$stamp" '$4 " " $5 != stamp')
[ -z "$others" ] || fail "entries not dated $stamp:
$others"
# The players' package holds no notes for developers.
! dpkg-deb -c "$deb" | grep -q 'development\.md' || fail "the package holds docs/development.md"

# The same bytes from both builds: the source package and every binary package (the .buildinfo
# and the .changes name the build's moment and folder, as they should).
for file in "$first"/*.dsc "$first"/*.tar.xz "$first"/*.deb "$first"/*.ddeb; do
    [ -e "$file" ] || continue
    name=$(basename "$file")
    if ! cmp -s "$file" "$second/$name"; then
        case $name in
            *.deb | *.ddeb)
                for package in "$file" "$second/$name"; do
                    mkdir -p "$package.x" && dpkg-deb -R "$package" "$package.x"
                done
                diff -r "$file.x" "$second/$name.x" >&2 || true ;;
        esac
        fail "two builds of one tree gave different $name"
    fi
done
echo "Debian packages: two builds of one tree are identical ($(stat -c %s "$deb") bytes), dated $stamp"

# The first mirror of this machine's Debian release that its apt is configured with (one-line or
# deb822 sources).
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
# (A missing sources.list is no failure.)
mirror=$({ cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } \
             | sed -n "s/^deb \\(\\[[^]]*\\] \\)\\{0,1\\}\\([a-z]*:\\/\\/[^ ]*\\) $suite .*/\\2/p" | head -n 1)
if [ -z "$mirror" ]; then
    mirror=$(awk -v suite="$suite" '
                 /^Types:/ { deb = / deb( |$)/; uri = "" }
                 /^URIs:/ { uri = $2 }
                 /^Suites:/ && deb && uri { for (i = 2; i <= NF; i++) if ($i == suite) { print uri; exit } }' \
                 /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
fi
[ -n "$mirror" ] || fail "no Debian $suite mirror in /etc/apt/sources.list*"

# A fresh root of this machine's Debian, as a tarball both tools unpack anew for each test.
debian_root=$scratch/root
debootstrap --variant=minbase "$suite" "$debian_root" "$mirror" >"$scratch/debootstrap.log" 2>&1 \
    || { tail -n 20 "$scratch/debootstrap.log" >&2; fail "debootstrap $suite from $mirror"; }
tar -C "$debian_root" -czf "$scratch/root.tgz" .
rm -rf "$debian_root"

# The autopkgtests, the package's own tests of its installed programs, in a copy of the root that
# is thrown away afterwards (autopkgtest's chroot backend installs what the tests depend on
# into it). /proc, /dev/shm and /dev/pts are mounted in a mount namespace of the test's own, so
# that they go with it whatever happens.
testbed=$scratch/testbed
mkdir "$testbed"
tar -C "$testbed" -xzf "$scratch/root.tgz"
cp /etc/resolv.conf "$testbed/etc/resolv.conf"
unshare --mount --pid --fork --mount-proc="$testbed/proc" sh -c '
    mount -t tmpfs tmpfs "$1/dev/shm" &&
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$1/dev/pts" &&
    autopkgtest --no-built-binaries --output-dir "$2" "$3" "$4" -- chroot "$1"' \
    sh "$testbed" "$scratch/autopkgtest" "$first/quarnel_${version}.dsc" "$deb" >"$scratch/autopkgtest.log" 2>&1 \
    || { tail -n 60 "$scratch/autopkgtest.log" >&2; fail "autopkgtest"; }
rm -rf "$testbed"
cat "$scratch/autopkgtest/summary" >&2
[ "$(grep -c ' PASS' "$scratch/autopkgtest/summary")" = 4 ] || fail "autopkgtest: $(cat "$scratch/autopkgtest/summary")"

# The previous build, offered from a local repository that piuparts' root reads through a bind
# mount, so that piuparts installs it with apt and then upgrades to this build's package.
repository=$scratch/previous
mkdir -p "$repository"
if [ -n "${QUARNEL_PREVIOUS_DEB:-}" ]; then
    cp "$QUARNEL_PREVIOUS_DEB" "$repository/"
else
    dpkg-deb -R "$deb" "$scratch/repack"
    sed -i "s/^Version: .*/Version: ${version}~previous/" "$scratch/repack/DEBIAN/control"
    dpkg-deb --root-owner-group -Zxz --build "$scratch/repack" "$repository/quarnel_${version}~previous_$arch.deb" >/dev/null
fi
(cd "$repository" && dpkg-scanpackages --multiversion . >Packages 2>/dev/null)
# The install and purge test of this build, then the upgrade test: the previous build installed
# with apt, this build's package over it, purge; each checked for files left or changed.
log=$scratch/piuparts.log
piuparts --basetgz="$scratch/root.tgz" --distribution="$suite" --mirror="$mirror" --tmpdir="$scratch" \
         --bindmount="$repository" --extra-repo="deb [trusted=yes] file://$repository ./" "$deb" >"$log" 2>&1 \
    || { tail -n 60 "$log" >&2; fail "piuparts"; }
for test in "Installation and purging test" "Installation, upgrade and purging tests"; do
    grep -q "PASS: $test" "$log" || { tail -n 30 "$log" >&2; fail "piuparts did not pass its $test"; }
done
echo "Debian packages: autopkgtests pass; piuparts installs, purges and upgrades from the previous build cleanly"
