#!/usr/bin/env bash
# Helpers for end-to-end tests: a private X server, the real executable copied into a temporary program
# directory and started from another working directory, and xdotool/xclip to drive and read it.
set -euo pipefail

: "${VARNICK_EXE:?VARNICK_EXE must name the built executable}"
: "${VARNICK_CONTROL_CENTRE:?VARNICK_CONTROL_CENTRE must name the built varnick_control_centre}"

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

# Starts a private Xvfb and exports DISPLAY. Xvfb picks a free display itself and writes its number once it
# accepts connections, so suites that run at the same time never race for one.
e2e_start_x() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$e2e_tmp/display" >"$e2e_tmp/xvfb.log" 2>&1 &
    local xvfb=$!
    e2e_pids+=("$xvfb")
    e2e_wait_until 30 test -s "$e2e_tmp/display" || {
        cat "$e2e_tmp/xvfb.log" >&2
        echo "Xvfb did not report a display" >&2
        exit 1
    }
    export DISPLAY=":$(head -n 1 "$e2e_tmp/display")"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}

# Runs a command every tenth of a second until it succeeds or the deadline (in seconds) has passed; returns
# whether it succeeded.
e2e_wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# Prints where to click a control of a window (main_menu, gun_maker or throwable_maker): the centre of its
# rectangle in the window's client area, from the window's table.
e2e_centre() {
    "$VARNICK_CONTROL_CENTRE" "$1" "$2"
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

# Waits for a visible window whose title is exactly the given text, of a process (by default the program last
# started, e2e_program_pid); prints its id. Windows of a copy that has just been ended may linger until the X
# server has seen it go, so only the one process's windows count.
e2e_wait_window() {
    local title=$1 pid=${2:-$e2e_program_pid} id
    id=$(timeout 60 xdotool search --sync --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null |
        head -n 1) || true
    if [[ -z $id ]]; then
        echo "no window titled [$title] appeared" >&2
        cat "$e2e_tmp/program.log" >&2 || true
        return 1
    fi
    echo "$id"
}

# Prints how many visible windows of the program last started carry exactly the given title.
e2e_count_windows() {
    { xdotool search --all --onlyvisible --pid "$e2e_program_pid" --name "^$1\$" 2>/dev/null || true; } | wc -l
}

# Gives a window the keyboard focus and presses keys in it. The program handles them in order, so the caller
# waits for whatever the last key must bring about.
e2e_keys() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id"
    xdotool key --delay 50 "$@"
}

# Clicks the left button on a control, at its centre in its window's client area: e2e_click ID WINDOW CONTROL.
e2e_click() {
    local id=$1 x y
    read -r x y < <(e2e_centre "$2" "$3")
    xdotool mousemove --window "$id" --sync "$x" "$y"
    xdotool click 1
}

# Dismisses the message box that is expected to appear, of a process (by default the program last started), as a
# person would: Enter on its one button.
e2e_dismiss_message() {
    local pid=${1:-$e2e_program_pid} id
    id=$(e2e_wait_window Varnick "$pid") || return 1
    e2e_keys "$id" Return
    e2e_wait_until 20 e2e_gone "$id"
}

# Succeeds once a window is no longer shown.
e2e_gone() {
    ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# Succeeds when no visible window carries exactly the given title.
e2e_no_window() {
    [[ $(e2e_count_windows "$1") == 0 ]]
}

# Waits for the program to end and sets e2e_status to its exit status, or to "timeout". It runs in this shell,
# never in a command substitution, which cannot wait for this shell's children.
e2e_wait_exit() {
    local pid=$1
    e2e_status=0
    if ! e2e_wait_until 30 e2e_ended "$pid"; then
        e2e_status=timeout
        return 0
    fi
    wait "$pid" || e2e_status=$?
}

# Succeeds once a process has ended.
e2e_ended() {
    ! kill -0 "$1"
}

# Writes the clipboard's text, as another program reads it, to a file.
e2e_clipboard_to() {
    timeout 10 xclip -o -selection clipboard >"$1"
}

# Waits until the clipboard holds exactly the bytes of a file; returns whether it came to.
e2e_wait_clipboard() {
    e2e_wait_until 20 e2e_clipboard_is "$1"
}

e2e_clipboard_is() {
    e2e_clipboard_to "$e2e_tmp/clipboard" && cmp -s "$1" "$e2e_tmp/clipboard"
}
