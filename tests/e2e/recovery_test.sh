#!/usr/bin/env bash
# Unsaved work survives the editor's end under a real X server: an edit in the real window, then
# kill -9, then a restart offers the work back (Escape, or a kill meanwhile, keeps it) and Recover
# gives exactly the bytes of the edit; the same
# after SIGTERM, which writes the copy at once; and once saved, no copy is left.
# Usage: recovery_test.sh <quarnel> <e2e_expect>
set -euo pipefail
quarnel=$1
expect=$2
version=${QUARNEL_VERSION_TEXT:?the version text the title starts with}
work=$(mktemp -d)
trap 'kill -9 "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work
export XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=xcb
state=$work/.local/state/quarnel
# shellcheck source=../../scripts/x_window.sh
source "$(dirname "$0")/../../scripts/x_window.sh"

pause() { sleep 0.3; }
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_until() { for _ in $(seq 100); do if eval "$1"; then return 0; fi; sleep 0.1; done; return 1; }
start() {
    "$quarnel" "$@" &
    pid=$!
    win=$(find_window "^$version") || fail "no window titled $version"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool windowfocus --sync "$win"
}
title() { xdotool getwindowname "$win"; }
click() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; pause; }
retype() { click "$1" "$2"; xdotool key ctrl+a; xdotool type --delay 30 -- "$3"; pause; }
# The stored waves less one of slot 1.
waves() { od -An -tu1 -j $((72 + 12)) -N1 "$work/Mission.skm" | tr -d ' '; }
copies() { find "$state" -name '*.recovery' 2>/dev/null | wc -l; }
# Restarts the editor and waits for the recovery window, whose id it leaves in box.
restart_to_offer() {
    start
    box=
    wait_until 'box=$(xdotool search --onlyvisible --name "Unsaved Changes$" 2>/dev/null | head -n 1); [ -n "$box" ]' ||
        fail "no offer of the unsaved work"
    xdotool windowfocus --sync "$box"; pause
}
# Restarts the editor and answers the offer with its default button, Recover.
restart_and_recover() {
    restart_to_offer
    xdotool key Return
    wait_until '[ "$(title)" = "$version  -  [Mission.skm]" ]' || fail "title after recovery: $(title)"
    xdotool windowfocus --sync "$win"
}

"$expect" "$work/Mission.skm" new
start "$work/Mission.skm"
wait_until '[ "$(title)" = "$version  -  [Mission.skm]" ]' || fail "title: $(title)"

# kill -9 more than the copy's delay after an edit: the edit is kept.
retype 370 75 7 # Wavespin of slot 1
sleep 2
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
[ "$(copies)" = 1 ] || fail "$(copies) copies after kill -9"
# Escape keeps the copy, and so does a kill while the recovery window is up.
restart_to_offer
xdotool key Escape; pause
[ "$(copies)" = 1 ] || fail "$(copies) copies after Escape"
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
restart_to_offer
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
[ "$(copies)" = 1 ] || fail "$(copies) copies after a kill in the recovery window"
restart_and_recover
xdotool key ctrl+s
wait_until '[ "$(waves)" = 6 ]' || fail "saved waves byte $(waves) after kill -9, not 6"
wait_until '[ "$(copies)" = 0 ]' || fail "a copy is left after saving"

# SIGTERM right after an edit: the copy is written at once, and the program ends as by the signal.
retype 370 75 9
kill -TERM "$pid"
status=0; wait "$pid" || status=$?
[ "$status" = 143 ] || fail "exit status $status after SIGTERM"
restart_and_recover
xdotool key ctrl+s
wait_until '[ "$(waves)" = 8 ]' || fail "saved waves byte $(waves) after SIGTERM, not 8"
wait_until '[ "$(copies)" = 0 ]' || fail "a copy is left after saving"
echo "recovery: the work came back after kill -9 and after SIGTERM, and no copy outlived the save"
