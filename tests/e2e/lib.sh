#!/usr/bin/env bash
# Helpers for end-to-end tests: a private X server, the real executable copied into a temporary program
# directory and started from another working directory, and xdotool/xclip to drive and read it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib/checks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../lib/x_driver.sh"

: "${VARNICK_EXE:?VARNICK_EXE must name the built executable}"
: "${VARNICK_CONTROL_CENTRE:?VARNICK_CONTROL_CENTRE must name the built varnick_control_centre}"

e2e_tmp=$(mktemp -d)
e2e_pids=()
x_program_log=$e2e_tmp/program.log

e2e_cleanup() {
    local pid
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$e2e_tmp"
}
trap e2e_cleanup EXIT

# Starts a private X server for the program's Qt to use and exports DISPLAY.
e2e_start_x() {
    x_start "$e2e_tmp"
    e2e_pids+=("$x_server_pid")
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}

# Makes a program directory holding a copy of the executable; prints its path.
e2e_program_dir() {
    local dir
    dir=$(mktemp -d "$e2e_tmp/server.XXXX")
    cp "$VARNICK_EXE" "$dir/varnick"
    echo "$dir"
}

# Starts the program of a program directory from another working directory; sets x_program_pid and
# e2e_elsewhere, that working directory.
e2e_launch() {
    local dir=$1 elsewhere
    elsewhere=$(mktemp -d "$e2e_tmp/elsewhere.XXXX")
    e2e_elsewhere=$elsewhere
    (cd "$elsewhere" && exec "$dir/varnick" >"$e2e_tmp/program.log" 2>&1) &
    x_program_pid=$!
    e2e_pids+=("$x_program_pid")
}

# Writes the clipboard's text, as another program reads it, to a file.
e2e_clipboard_to() {
    timeout 10 xclip -o -selection clipboard >"$1"
}

# Waits until the clipboard holds exactly the bytes of a file; returns whether it came to.
e2e_wait_clipboard() {
    wait_until 20 e2e_clipboard_is "$1"
}

e2e_clipboard_is() {
    e2e_clipboard_to "$e2e_tmp/clipboard" && cmp -s "$1" "$e2e_tmp/clipboard"
}
