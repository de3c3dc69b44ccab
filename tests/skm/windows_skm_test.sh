#!/usr/bin/env bash
# quarnel-skm.exe under Wine: a mission holding every byte value, exported to JSON and imported
# back, is the same file byte for byte, under an ASCII name and a non-ASCII one; show answers 0, a
# missing file 2 with its one-line error, and refuses output into the mission it reads; --version
# names the project's version.
#
#   windows_skm_test.sh WINE QUARNEL-SKM.EXE VERSION
set -euo pipefail
wine=$1 exe=$2 version=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# 5192 bytes: 0 to 255 over and over.
ramp=$(for i in $(seq 0 255); do printf '\\%03o' "$i"; done)
for _ in $(seq 21); do printf "$ramp"; done | head -c 5192 >in.skm
[ "$(stat -c %s in.skm)" = 5192 ] || fail "the test mission is not 5192 bytes"

"$wine" "$exe" export in.skm -o in.json || fail "export exited with $?"
"$wine" "$exe" import in.json -o back.skm || fail "import exited with $?"
cmp in.skm back.skm || fail "export then import changed the mission"

cp in.skm "Mé.skm"
"$wine" "$exe" export "Mé.skm" -o "Mé.json" || fail "export of a non-ASCII name exited with $?"
"$wine" "$exe" import "Mé.json" -o "Mé back.skm" || fail "import to a non-ASCII name exited with $?"
cmp in.skm "Mé back.skm" || fail "the round trip through non-ASCII names changed the mission"

"$wine" "$exe" show in.skm >shown.txt || fail "show exited with $?"
grep -q '^FG 1 CraftType: ' shown.txt || fail "show printed no FG 1 CraftType line"

status=0
"$wine" "$exe" show missing.skm 2>error.txt || status=$?
[ "$status" = 2 ] || fail "show of a missing file exited with $status, not 2"
grep -q '^quarnel-skm: missing.skm: no such file' error.txt || fail "unexpected error: $(cat error.txt)"

# Standard output added to the mission being read is refused before anything is written into it.
status=0
"$wine" "$exe" show in.skm >>in.skm 2>error.txt || status=$?
[ "$status" = 2 ] || fail "show into the mission it reads exited with $status, not 2"
grep -q '^quarnel-skm: in.skm: is standard output too' error.txt || fail "unexpected error: $(cat error.txt)"
cmp in.skm back.skm || fail "show wrote into the mission it read"

shown_version=$("$wine" "$exe" --version | tr -d '\r')
[ "$shown_version" = "quarnel-skm $version" ] || fail "--version printed \"$shown_version\""
echo "quarnel-skm.exe: round trips, exit statuses and version as expected"
