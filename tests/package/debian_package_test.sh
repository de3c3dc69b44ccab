#!/usr/bin/env bash
# The Debian package is reproducible: scripts/debian_package.sh run twice on one commit, in two
# folders of different depth (the second outside the source tree), gives the same .deb byte for
# byte, and every file in it carries the changelog's time, SOURCE_DATE_EPOCH.
#
#   tests/package/debian_package_test.sh WORKDIR
#
# Two Release builds: several minutes on two cores. WORKDIR keeps the first build; the second is
# made in the temporary folder and removed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ $# -ne 1 ]; then
    echo "usage: $0 WORKDIR" >&2
    exit 2
fi
mkdir -p "$1"
first=$(cd "$1" && pwd)/first
second_root=$(mktemp -d)
trap 'rm -rf "$second_root"' EXIT
second=$second_root/a/second
# Both builds from nothing.
rm -rf "$first" "$first.log"
mkdir -p "$second_root/a"
fail() { echo "FAIL: $*" >&2; exit 1; }

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
# The second build starts minutes after the first: nothing of the moment of building may show.
"$root/scripts/debian_package.sh" "$first" >"$first.log" 2>&1 || { cat "$first.log" >&2; fail "the first build"; }
"$root/scripts/debian_package.sh" "$second" >"$second.log" 2>&1 || { cat "$second.log" >&2; fail "the second build"; }
a=$(ls "$first"/quarnel_*.deb)
b=$(ls "$second"/quarnel_*.deb)

# Every entry of the package's file archive dated at the changelog's time (SOURCE_DATE_EPOCH, or
# the last commit's), to the second.
stamp=$(TZ=UTC0 date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
others=$(dpkg-deb --fsys-tarfile "$a" | TZ=UTC0 tar -tv --full-time | awk -v stamp="$stamp" '$4 " " $5 != stamp')
[ -z "$others" ] || fail "entries not dated $stamp:
$others"
changelog=$(dpkg-deb --fsys-tarfile "$a" | tar -xO ./usr/share/doc/quarnel/changelog.gz | gunzip | tail -n 1)
[ "$changelog" = " -- $(dpkg-deb -f "$a" Maintainer)  $(LC_ALL=C TZ=UTC0 date -R -d "@$epoch")" ] \
    || fail "the changelog is not signed at $stamp: $changelog"

if ! cmp -s "$a" "$b"; then
    # Say which files differ, to start the search.
    for deb in "$a" "$b"; do
        mkdir -p "$deb.x" && dpkg-deb -R "$deb" "$deb.x"
    done
    diff -r "$a.x" "$b.x" >&2 || true
    dpkg-deb --fsys-tarfile "$a" | TZ=UTC0 tar -tv --full-time >"$first/listing"
    dpkg-deb --fsys-tarfile "$b" | TZ=UTC0 tar -tv --full-time | diff "$first/listing" - >&2 || true
    fail "two builds of one commit gave different packages: $a and $b"
fi
echo "Debian package: two builds of one commit are identical ($(stat -c %s "$a") bytes), dated $stamp"
