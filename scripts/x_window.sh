# Sourced by the scripts and tests that drive the program under an X server.

# Prints the first visible window whose name matches $1 (whose class, with --class as $2), waiting
# up to a minute for it. A program that starts opens and closes windows of its own (Wine more than
# most), and xdotool stops with an X error when one goes between its listing and its query, so a
# look that fails is just one more look.
find_window() {
    local by=--name found
    if [ "${2:-}" = --class ]; then by=--class; fi
    for _ in $(seq 600); do
        found=$(xdotool search --onlyvisible "$by" "$1" 2>/dev/null | head -n 1) || true
        if [ -n "$found" ]; then echo "$found"; return 0; fi
        sleep 0.1
    done
    return 1
}
