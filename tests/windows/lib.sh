#!/usr/bin/env bash
# Helpers for the Windows package's tests under wine: a private X server, a wine prefix of our own made once
# in the cache, the package unpacked into fresh server directories, and xdotool/xclip to drive and read it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib/checks.sh"

: "${VARNICK_WINDOWS_ZIP:?VARNICK_WINDOWS_ZIP must name the package}"
: "${VARNICK_WINE_CACHE:?VARNICK_WINE_CACHE must name a directory for the wine prefix}"

win_tmp=$(mktemp -d)
win_pids=()

# The wine64 binary itself: the wine wrapper would look for the 32-bit wine first and warn.
wine_bin=/usr/lib/wine/wine64
wineserver_bin=/usr/lib/wine/wineserver64
[[ -x $wine_bin ]] || wine_bin=$(command -v wine64)
[[ -x $wineserver_bin ]] || wineserver_bin=$(command -v wineserver)

export WINEPREFIX=$VARNICK_WINE_CACHE/wineprefix-$("$wine_bin" --version | tr -c 'a-zA-Z0-9.\n' _)
export WINEDEBUG=-all
# Mono and Gecko are not needed; without this, making the prefix asks to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A Chinese Windows, whose ANSI code page is 936: wine takes its locale from the Unix one, made here from
# the locales package's source so that the system's own list of locales stays as it is.
export LOCPATH=$VARNICK_WINE_CACHE/locale
if [[ ! -d $LOCPATH/zh_CN.UTF-8 ]]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"
fi

# Runs a program under wine in the Chinese locale.
win_run() {
    env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$wine_bin" "$@"
}

win_cleanup() {
    local pid
    "$wineserver_bin" -k 2>/dev/null || true
    for pid in "${win_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$win_tmp"
}
trap win_cleanup EXIT

# Starts a private Xvfb, which picks a free display itself and writes its number once it accepts connections,
# and exports DISPLAY.
win_start_x() {
    local display_file=$win_tmp/display
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$win_tmp/xvfb.log" 2>&1 &
    win_pids+=($!)
    if ! wait_until 30 test -s "$display_file"; then
        echo "Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$(cat "$display_file")"
}

# Starts the X server and makes the wine prefix the first time.
win_start() {
    win_start_x
    if [[ ! -f $WINEPREFIX/.complete ]]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        win_run wineboot --init >"$win_tmp/wineboot.log" 2>&1
        "$wineserver_bin" -w
        touch "$WINEPREFIX/.complete"
    fi
}

# Prints the Windows form of an absolute path.
win_path() {
    local path=${1//\//\\}
    echo "Z:$path"
}

# Makes a server directory (under the given name, or a fresh one) holding the unpacked package; prints its path.
win_program_dir() {
    local dir
    if (($#)); then
        dir=$win_tmp/$1
        mkdir -p "$dir"
    else
        dir=$(mktemp -d "$win_tmp/server.XXXX")
    fi
    unzip -q "$VARNICK_WINDOWS_ZIP" -d "$dir"
    echo "$dir"
}

# Starts varnick.exe of a server directory from another working directory; sets win_program_pid and
# win_elsewhere, that working directory.
win_launch() {
    local dir=$1 elsewhere
    elsewhere=$(mktemp -d "$win_tmp/elsewhere.XXXX")
    win_elsewhere=$elsewhere
    (cd "$elsewhere" && exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$wine_bin" "$dir/varnick.exe" >>"$win_tmp/program.log" 2>&1) &
    win_program_pid=$!
    win_pids+=("$win_program_pid")
}

# Waits for a visible window of a process (by default the program last started) whose title is exactly the
# given text; prints its id.
win_wait_window() {
    local title=$1 pid=${2:-$win_program_pid} id
    id=$(timeout 60 xdotool search --sync --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null | head -n 1) || true
    if [[ -z $id ]]; then
        echo "no window titled [$title] of process $pid appeared" >&2
        cat "$win_tmp/program.log" >&2 || true
        return 1
    fi
    echo "$id"
}

# Prints how many visible windows of the program last started carry exactly the given title.
win_count_windows() {
    { xdotool search --all --onlyvisible --pid "$win_program_pid" --name "^$1\$" 2>/dev/null || true; } | wc -l
}

# Gives a window the keyboard focus and presses keys in it.
win_keys() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id"
    xdotool key --delay 80 "$@"
}

# Prints where to click a control of a window (main_menu, gun_maker or throwable_maker): the centre of its
# rectangle in the window's client area, from the window's table.
win_centre() {
    "${VARNICK_CONTROL_CENTRE:?VARNICK_CONTROL_CENTRE must name the built varnick_control_centre}" "$1" "$2"
}

# Clicks the left button at a position in a window's client area, raising the window first: the windows of
# two copies open at the same place.
win_click() {
    local id=$1 x=$2 y=$3
    xdotool windowraise "$id" mousemove --window "$id" "$x" "$y" click 1
}

win_clipboard_has_text() {
    [[ -n $(timeout 5 xclip -o -selection clipboard 2>/dev/null) ]]
}

win_window_gone() {
    ! xdotool getwindowname "$1" >/dev/null 2>&1 || ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# Waits for a message box of a process (by default the program last started) and prints its text, which the
# box copies to the clipboard on Ctrl+C as it does on Windows; then closes it with Enter.
win_message_text() {
    local id
    id=$(win_wait_window Varnick "${1:-$win_program_pid}") || return 1
    printf '' | xclip -selection clipboard
    win_keys "$id" ctrl+c
    wait_until 10 win_clipboard_has_text || true
    timeout 5 xclip -o -selection clipboard 2>/dev/null || true
    win_keys "$id" Return
    wait_until 20 win_window_gone "$id" || echo "the message box stayed open" >&2
}

# Waits for the program last started to end and sets win_status to its exit status, or to "timeout". It runs
# in this shell, never in a command substitution, which cannot wait for this shell's children.
win_wait_exit() {
    if ! wait_until 30 win_ended "$win_program_pid"; then
        win_status=timeout
        return 0
    fi
    win_status=0
    wait "$win_program_pid" || win_status=$?
}

win_ended() { ! kill -0 "$1" 2>/dev/null; }

# Ends programs (by default the one last started) and waits for them.
win_stop() {
    (($#)) || set -- "$win_program_pid"
    kill "$@" 2>/dev/null || true
    wait "$@" 2>/dev/null || true
}

# Prints the colour most of a window's pixels have, as #RRGGBB.
win_main_colour() {
    local rgb
    rgb=$(import -window "$1" -format %c histogram:info:- 2>/dev/null | sort -rn | head -n 1 |
        grep -o 'srgb([0-9]*,[0-9]*,[0-9]*)' | tr -dc '0-9,') || true
    [[ -n $rgb ]] || return 0
    IFS=, read -r red green blue <<<"$rgb"
    printf '#%02X%02X%02X\n' "$red" "$green" "$blue"
}
