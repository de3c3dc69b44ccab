# Sourced by the tests that run the Windows program under Wine, once they have set $work (a fresh
# folder, removed at the end) and $wineserver: a prefix of their own in $work, cleared away with
# everything Wine leaves behind, and the helpers fail, wait_until and find_window.

# No Mono or Gecko prompts, and no menu builder turning the prefix's Start menu entries and file
# types into desktop entries and MIME types in the real home folder.
# shellcheck source=../../scripts/x_window.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/x_window.sh"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# Wine leaves its server's folder behind: Debian's Wine names it in the prefix's file "wineserver"
# (a random name in the temporary folder), Wine as its authors ship it after the prefix's device
# and inode.
cleanup() {
    local server=
    if [ -f "$WINEPREFIX/wineserver" ]; then
        server=${TMPDIR:-/tmp}/$(head -n 1 "$WINEPREFIX/wineserver")
    elif [ -d "$WINEPREFIX" ]; then
        server=$(printf '/tmp/.wine-%s/server-%x-%x' "$(id -u)" "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    fi
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    case $server in */wine-?*|*/server-*) rm -rf "$server" ;; esac
    rm -rf "$work"
    rmdir "/tmp/.wine-$(id -u)" 2>/dev/null || true
}
trap cleanup EXIT
trap "exit 1" INT TERM

# A failure says what failed and what Wine's programs said on their error output ($work/wine.err).
fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/wine.err" ]; then
        echo "Wine said:" >&2
        tail -n 20 "$work/wine.err" >&2
    fi
    exit 1
}
# A command that ends the test through set -e fails it by its line.
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR
# Waits up to twenty seconds for a condition, so a slow machine does not fail the test.
wait_until() { for _ in $(seq 200); do if eval "$1"; then return 0; fi; sleep 0.1; done; return 1; }
