#!/usr/bin/env bash
# Helpers for end-to-end tests: a private X server, the real executable copied into a temporary program
# directory and started from another working directory, and xdotool/xclip to drive and read it.
set -euo pipefail

: "${VARNICK_EXE:?VARNICK_EXE must name the built executable}"

e2e_failures=0
e2e_tmp=$(mktemp -d)
e2e_pids=()

e2e_cleanup() {
    local pid
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$e2e_tmp"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    e2e_failures=$((e2e_failures + 1))
}

pass() { echo "ok: $*"; }

# Compares two values and reports the outcome under a description.
expect_eq() {
    local description=$1 expected=$2 actual=$3
    if [[ $expected == "$actual" ]]; then pass "$description"; else fail "$description: expected [$expected], got [$actual]"; fi
}

finish() {
    if ((e2e_failures)); then
        echo "$e2e_failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# Starts Xvfb on a free display and exports DISPLAY.
e2e_start_x() {
    local n
    for n in $(seq 90 190); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$e2e_tmp/xvfb.log" 2>&1 &
        e2e_pids+=($!)
        export DISPLAY=":$n"
        local tries
        for tries in $(seq 100); do
            if xdpyinfo >/dev/null 2>&1; then return 0; fi
            sleep 0.1
        done
        echo "Xvfb did not start on :$n" >&2
        exit 1
    done
    echo "no free X display" >&2
    exit 1
}

# Makes a program directory holding a copy of the executable; prints its path.
e2e_program_dir() {
    local dir
    dir=$(mktemp -d "$e2e_tmp/server.XXXX")
    cp "$VARNICK_EXE" "$dir/varnick"
    echo "$dir"
}

# Starts the program of a program directory from another working directory; sets e2e_program_pid and
# e2e_elsewhere, that working directory.
e2e_launch() {
    local dir=$1 elsewhere
    elsewhere=$(mktemp -d "$e2e_tmp/elsewhere.XXXX")
    e2e_elsewhere=$elsewhere
    (cd "$elsewhere" && exec "$dir/varnick" >"$e2e_tmp/program.log" 2>&1) &
    e2e_program_pid=$!
    e2e_pids+=("$e2e_program_pid")
}

# Waits for a visible window whose title is exactly the given text; prints its id.
e2e_wait_window() {
    local title=$1 id
    id=$(timeout 60 xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
    if [[ -z $id ]]; then
        echo "no window titled [$title] appeared" >&2
        cat "$e2e_tmp/program.log" >&2 || true
        return 1
    fi
    echo "$id"
}

# Prints how many visible windows carry exactly the given title.
e2e_count_windows() {
    { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | wc -l
}

# Gives a window the keyboard focus and presses keys in it.
e2e_keys() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id"
    sleep 0.2
    xdotool key --delay 80 "$@"
    sleep 0.3
}

# Clicks the left button at a position in a window's client area.
e2e_click() {
    local id=$1 x=$2 y=$3
    xdotool mousemove --window "$id" "$x" "$y"
    sleep 0.1
    xdotool click 1
    sleep 0.3
}

# Dismisses the message box that is expected to appear, as a person would: Enter on its OK button.
e2e_dismiss_message() {
    local id
    id=$(e2e_wait_window Varnick) || return 1
    e2e_keys "$id" Return
    timeout 20 bash -c "while xdotool search --onlyvisible --name '^Varnick\$' >/dev/null 2>&1; do sleep 0.1; done"
}

# Waits for the program to end; prints its exit status.
e2e_wait_exit() {
    local pid=$1 status=0 tries
    for tries in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "timeout"
        return 0
    fi
    wait "$pid" || status=$?
    echo "$status"
}

# Writes the clipboard's text, as another program reads it, to a file.
e2e_clipboard_to() {
    timeout 10 xclip -o -selection clipboard >"$1"
}
