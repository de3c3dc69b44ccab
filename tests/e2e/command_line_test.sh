#!/usr/bin/env bash
# The command lines that open no window: each is answered without a display (DISPLAY unset and
# the X11 platform asked for, so that reaching the window system would abort the program).
# Usage: command_line_test.sh <quarnel> <version>
set -euo pipefail
quarnel=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# arguments | exit status | first line of standard output | first line of standard error
cases=(
    "a.skm b.skm|2||quarnel: only one file can be opened at a time, 2 were given"
    "--bogus a.skm|2||quarnel: Unknown option 'bogus'."
    "-style fusion a.skm b.skm|2||quarnel: only one file can be opened at a time, 2 were given"
    "--version|0|quarnel $version|"
    "--help|0|Usage: $quarnel [options] [file]|"
    "--help-all|0|Usage: $quarnel [options] [file]|"
)
for case in "${cases[@]}"; do
    IFS='|' read -r arguments status out err <<<"$case"
    read -ra words <<<"$arguments"
    code=0
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$quarnel" "${words[@]}" >"$work/out" 2>"$work/err" || code=$?
    [ "$code" = "$status" ] || fail "'$arguments' ended with $code, not $status: $(cat "$work/err")"
    [ "$(head -n 1 "$work/out")" = "$out" ] || fail "'$arguments' printed '$(head -n 1 "$work/out")'"
    [ "$(head -n 1 "$work/err")" = "$err" ] || fail "'$arguments' said '$(head -n 1 "$work/err")'"
    if [ "$status" = 2 ]; then
        grep -qx "Usage: $quarnel \[options\] \[file\]" "$work/err" || fail "'$arguments' gave no usage"
    fi
done
# --help-all keeps its promise of Qt's options: it lists more than --help, and each option it adds
# is taken as an option, not as the file to open (the file argument is then the only one).
env -u DISPLAY "$quarnel" --help >"$work/help"
env -u DISPLAY "$quarnel" --help-all >"$work/out"
qt_options=$(grep -vxF -f "$work/help" "$work/out" | sed -n 's/^  --\([a-z]*\)\( <[a-z]*>\)\{0,1\} .*/\1\2/p')
for option in platform style display reverse; do
    grep -q "^$option\b" <<<"$qt_options" || fail "--help-all lists no --$option: $(cat "$work/out")"
done
while read -r option value; do
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$quarnel" "-$option" ${value:+x} a.skm b.skm \
        >/dev/null 2>"$work/err" || true
    [ "$(head -n 1 "$work/err")" = "quarnel: only one file can be opened at a time, 2 were given" ] \
        || fail "--help-all lists --$option, which is not taken: $(head -n 1 "$work/err")"
done <<<"$qt_options"
# Without a display the window cannot open: the program says so in its own words, without Qt's
# advice to reinstall it, and ends with status 1, not by abort(); where the session names no
# runtime folder, the one the program lent Qt for its start goes too (ssh without X, su).
mkdir "$work/tmp"
code=0
{ env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR TMPDIR="$work/tmp" QT_QPA_PLATFORM=xcb "$quarnel"; } \
    >/dev/null 2>"$work/err" || code=$?
[ "$code" = 1 ] || fail "a start without a display ended with $code, not 1: $(cat "$work/err")"
[ "$(head -n 1 "$work/err")" = "quarnel: no display to open the window on: DISPLAY and WAYLAND_DISPLAY are unset." ] \
    || fail "a start without a display said: $(cat "$work/err")"
! grep -qi "reinstall" "$work/err" || fail "a start without a display advised a reinstall: $(cat "$work/err")"
[ -z "$(ls -A "$work/tmp")" ] || fail "a failed start left $(ls -A "$work/tmp") in the temporary folder"
echo "command line: usage errors, --help, --help-all and --version answered without a window"
