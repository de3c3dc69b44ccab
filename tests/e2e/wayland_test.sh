#!/usr/bin/env bash
# The editor runs natively under Wayland, as on a Wayland desktop with Qt's Wayland plugin
# (qt6-wayland) installed: Debian's weston on its headless backend, no X display, the session
# said to be Wayland and no platform named. Qt connects to the compositor, the window maps (the
# compositor configures the toplevel, named after the desktop entry, and the program commits a
# buffer to it after acknowledging that), and SIGTERM ends the program with that signal's status.
#
#   tests/e2e/wayland_test.sh QUARNEL [APP_ID]
#
# Run by ctest (e2e.wayland) on the build and by the package's autopkgtest on the installed program.
set -euo pipefail
quarnel=$1
# The desktop entry's name, which the program gives Qt.
app_id=${2:-page.codeberg.quarnel.quarnel}
work=$(mktemp -d)
weston_pid=
quarnel_pid=
cleanup() {
    [ -z "$quarnel_pid" ] || kill -KILL "$quarnel_pid" 2>/dev/null || true
    if [ -n "$weston_pid" ]; then
        kill -TERM "$weston_pid" 2>/dev/null || true
        wait "$weston_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for log in weston.log client.log; do
        [ ! -s "$work/$log" ] || { echo "--- $log (last lines)" >&2; tail -n 30 "$work/$log" >&2; }
    done
    exit 1
}

mkdir -m 0700 "$work/runtime"
mkdir "$work/home" "$work/state"
export XDG_RUNTIME_DIR=$work/runtime
socket='quarnel-test'
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --width=1024 --height=768 \
    --log="$work/weston.log" &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    kill -0 "$weston_pid" 2>/dev/null || fail "weston ended at start"
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston made no socket in 10 s"

# The client's side of the protocol is its log: every request and event, one a line.
env -u DISPLAY -u QT_QPA_PLATFORM -u QT_QPA_PLATFORMTHEME WAYLAND_DISPLAY="$socket" \
    XDG_SESSION_TYPE=wayland WAYLAND_DEBUG=client HOME="$work/home" XDG_STATE_HOME="$work/state" \
    "$quarnel" >"$work/client.log" 2>&1 &
quarnel_pid=$!
mapped=
for _ in $(seq 300); do
    # A buffer committed after the configure was acknowledged: the window is on the compositor's
    # screen.
    if grep -q "set_app_id(\"$app_id\")" "$work/client.log" &&
        sed -n '/xdg_surface@[0-9]*\.ack_configure/,$p' "$work/client.log" | grep -q 'wl_surface@[0-9]*\.attach(wl_buffer@' &&
        sed -n '/xdg_surface@[0-9]*\.ack_configure/,$p' "$work/client.log" | grep -q 'wl_surface@[0-9]*\.commit()'; then
        mapped=1
        break
    fi
    kill -0 "$quarnel_pid" 2>/dev/null || fail "quarnel ended before its window mapped"
    sleep 0.1
done
[ -n "$mapped" ] || fail "no window named $app_id mapped within 30 s"
grep -q 'qt.qpa.xcb\|could not connect to display' "$work/client.log" && fail "quarnel looked for an X display"

kill -TERM "$quarnel_pid"
status=0
wait "$quarnel_pid" || status=$?
quarnel_pid=
[ "$status" = 143 ] || fail "quarnel ended with status $status, not 143 (SIGTERM)"
echo "Wayland: the window mapped natively as $app_id, and SIGTERM ended the program"
