#!/usr/bin/env bash
# Helpers for the Windows package's tests under wine: a private X server, a wine prefix of our own made once
# in the cache, the package unpacked into fresh server directories, and xdotool/xclip to drive and read it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib/checks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../lib/x_driver.sh"

: "${VARNICK_WINDOWS_ZIP:?VARNICK_WINDOWS_ZIP must name the package}"
: "${VARNICK_WINE_CACHE:?VARNICK_WINE_CACHE must name a directory for the wine prefix}"

win_tmp=$(mktemp -d)
win_pids=()
x_program_log=$win_tmp/program.log
x_key_delay=80

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

# Starts the X server and makes the wine prefix the first time.
win_start() {
    x_start "$win_tmp"
    win_pids+=("$x_server_pid")
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

# Starts varnick.exe of a server directory from another working directory; sets x_program_pid and
# win_elsewhere, that working directory.
win_launch() {
    local dir=$1 elsewhere
    elsewhere=$(mktemp -d "$win_tmp/elsewhere.XXXX")
    win_elsewhere=$elsewhere
    (cd "$elsewhere" && exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$wine_bin" "$dir/varnick.exe" >>"$win_tmp/program.log" 2>&1) &
    x_program_pid=$!
    win_pids+=("$x_program_pid")
}

win_clipboard_has_text() {
    [[ -n $(timeout 5 xclip -o -selection clipboard 2>/dev/null) ]]
}

# Waits for a message box of a process (by default the program last started) and prints its text, which the
# box copies to the clipboard on Ctrl+C as it does on Windows; then closes it with Enter.
win_message_text() {
    local id
    id=$(x_wait_window Varnick "${1:-$x_program_pid}") || return 1
    printf '' | xclip -selection clipboard
    x_keys "$id" ctrl+c
    wait_until 10 win_clipboard_has_text || true
    timeout 5 xclip -o -selection clipboard 2>/dev/null || true
    x_keys "$id" Return
    wait_until 20 x_gone "$id" || echo "the message box stayed open" >&2
}

# Ends programs (by default the one last started) and waits for them.
win_stop() {
    (($#)) || set -- "$x_program_pid"
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
