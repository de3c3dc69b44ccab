#!/usr/bin/env bash
# Runs a command on a virtual X server of its own, as xvfb-run does, but safe beside other such
# runs: xvfb-run -a looks for a free display number and then starts the server on it, and two
# runs started at once can pick the same one, where the second server fails and its command finds
# no display. Here the server picks the number itself (-displayfd), which it cannot share.
#
#   scripts/xvfb_run.sh [-s "SERVER ARGUMENTS"] COMMAND [ARGUMENT...]
#
# SERVER ARGUMENTS are Xvfb's (default: -screen 0 1280x1024x24). The command gets DISPLAY and an
# XAUTHORITY that holds the server's cookie; its exit status is this script's.
#
# The server never resets (-noreset): by default an X server resets when its last client leaves,
# and a client that connects meanwhile is refused ("could not connect to display"). A test that
# closes its program and starts it again met that on a loaded machine; a loop of xdpyinfo runs
# beside four busy processes was refused about once in a hundred without it, never with it.
set -euo pipefail

server_arguments=(-screen 0 1280x1024x24)
if [ "${1:-}" = "-s" ]; then
    read -ra server_arguments <<<"$2"
    shift 2
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [-s \"SERVER ARGUMENTS\"] COMMAND [ARGUMENT...]" >&2
    exit 2
fi

work=$(mktemp -d)
server=
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The server takes every cookie in its file whatever display the entry names; the command's file
# gets the same cookie under the display's number once the server has told it.
cookie=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
touch "$work/server-auth" "$work/auth"
xauth -q -f "$work/server-auth" add :0 . "$cookie"
mkfifo "$work/display"
Xvfb -displayfd 3 -auth "$work/server-auth" -nolisten tcp -noreset "${server_arguments[@]}" \
    3>"$work/display" >"$work/server.log" 2>&1 &
server=$!
# The number comes once the server accepts connections; end of file means it failed to start.
number=
read -r number <"$work/display" || true
if [ -z "$number" ]; then
    echo "error: Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
export DISPLAY=:$number XAUTHORITY=$work/auth
xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie"

status=0
"$@" || status=$?
# A command that failed may have failed for the server: what it said goes with the failure.
if [ "$status" -ne 0 ] && [ -s "$work/server.log" ]; then
    echo "Xvfb on $DISPLAY said:" >&2
    cat "$work/server.log" >&2
fi
exit "$status"
