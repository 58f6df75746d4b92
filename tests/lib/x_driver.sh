#!/usr/bin/env bash
# Drives the program's windows on a private X server with xdotool, as a person would, for the shell-driven
# tests (tests/e2e, tests/windows). Needs wait_until from checks.sh. The suite's launcher sets x_program_pid,
# the program last started, whose windows count by default; x_program_log names the file shown when an
# expected window does not appear, and x_key_delay the milliseconds between two key presses.

x_program_log=/dev/null
x_key_delay=50

# Starts a private Xvfb that writes its display number and log into a directory, sets x_server_pid and exports
# DISPLAY. Xvfb picks a free display itself and writes its number once it accepts connections, so suites that
# run at the same time never race for one.
x_start() {
    local dir=$1
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    x_server_pid=$!
    wait_until 30 test -s "$dir/display" || {
        cat "$dir/xvfb.log" >&2
        echo "Xvfb did not report a display" >&2
        exit 1
    }
    export DISPLAY=":$(head -n 1 "$dir/display")"
}

# Waits for a visible window whose title is exactly the given text, of a process (by default x_program_pid);
# prints its id. Windows of a copy that has just been ended may linger until the X server has seen it go, so
# only the one process's windows count.
x_wait_window() {
    local title=$1 pid=${2:-$x_program_pid} id
    id=$(timeout 60 xdotool search --sync --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null |
        head -n 1) || true
    if [[ -z $id ]]; then
        echo "no window titled [$title] of process $pid appeared" >&2
        cat "$x_program_log" >&2 || true
        return 1
    fi
    echo "$id"
}

# Prints how many visible windows of a process (by default x_program_pid) carry exactly the given title.
x_count_windows() {
    local title=$1 pid=${2:-$x_program_pid}
    { xdotool search --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null || true; } | wc -l
}

# Succeeds when no visible window of a process (by default x_program_pid) carries exactly the given title.
x_no_window() {
    [[ $(x_count_windows "$@") == 0 ]]
}

# Succeeds once a window is no longer shown.
x_gone() {
    ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# Gives a window the keyboard focus and presses keys in it. The program handles them in order, so the caller
# waits for whatever the last key must bring about.
x_keys() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id"
    xdotool key --delay "$x_key_delay" "$@"
}

# Prints where to click a control of a window (main_menu, gun_maker or throwable_maker): the centre of its
# rectangle in the window's client area, from the window's table.
x_centre() {
    "${VARNICK_CONTROL_CENTRE:?VARNICK_CONTROL_CENTRE must name the built varnick_control_centre}" "$1" "$2"
}

# Clicks the left button on a control, at its centre in its window's client area, raising the window first: the
# windows of two copies open at the same place. Usage: x_click ID WINDOW CONTROL.
x_click() {
    local id=$1 x y
    read -r x y < <(x_centre "$2" "$3")
    xdotool windowraise "$id" mousemove --window "$id" "$x" "$y" click 1
}

# Dismisses the message box that is expected to appear, of a process (by default x_program_pid), as a person
# would: Enter on its one button.
x_dismiss_message() {
    local id
    id=$(x_wait_window Varnick "${1:-$x_program_pid}") || return 1
    x_keys "$id" Return
    wait_until 20 x_gone "$id"
}

# Succeeds once a process has ended.
x_ended() {
    ! kill -0 "$1" 2>/dev/null
}

# Waits for a process (by default x_program_pid) to end and sets x_status to its exit status, or to "timeout".
# It runs in this shell, never in a command substitution, which cannot wait for this shell's children.
x_wait_exit() {
    local pid=${1:-$x_program_pid}
    x_status=0
    if ! wait_until 30 x_ended "$pid"; then
        x_status=timeout
        return 0
    fi
    wait "$pid" || x_status=$?
}
