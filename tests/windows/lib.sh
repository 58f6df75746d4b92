#!/usr/bin/env bash
# Helpers for the Windows package's tests under wine: the X server and checks of tests/e2e/lib.sh, a wine
# prefix of our own made once in the cache, and the package unpacked into fresh server directories.
set -euo pipefail

: "${VARNICK_WINDOWS_ZIP:?VARNICK_WINDOWS_ZIP must name the package}"
: "${VARNICK_WINE_CACHE:?VARNICK_WINE_CACHE must name a directory for the wine prefix}"
VARNICK_EXE=$VARNICK_WINDOWS_ZIP
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

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
    "$wineserver_bin" -k 2>/dev/null || true
    e2e_cleanup
}
trap win_cleanup EXIT

# Starts the X server and makes the wine prefix the first time.
win_start() {
    e2e_start_x
    if [[ ! -f $WINEPREFIX/.complete ]]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        win_run wineboot --init >"$e2e_tmp/wineboot.log" 2>&1
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
        dir=$e2e_tmp/$1
        mkdir -p "$dir"
    else
        dir=$(mktemp -d "$e2e_tmp/server.XXXX")
    fi
    unzip -q "$VARNICK_WINDOWS_ZIP" -d "$dir"
    echo "$dir"
}

# Starts varnick.exe of a server directory from another working directory; sets e2e_program_pid and
# e2e_elsewhere, that working directory.
win_launch() {
    local dir=$1 elsewhere
    elsewhere=$(mktemp -d "$e2e_tmp/elsewhere.XXXX")
    e2e_elsewhere=$elsewhere
    (cd "$elsewhere" && exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$wine_bin" "$dir/varnick.exe" >>"$e2e_tmp/program.log" 2>&1) &
    e2e_program_pid=$!
    e2e_pids+=("$e2e_program_pid")
}

# Waits until a window shows a message box and returns the box's text, copied with Ctrl+C; then closes it.
win_message_text() {
    local id
    id=$(e2e_wait_window Varnick) || return 1
    : | xclip -selection clipboard
    e2e_keys "$id" ctrl+c
    local tries
    for tries in $(seq 100); do
        if [[ -n $(timeout 5 xclip -o -selection clipboard 2>/dev/null) ]]; then break; fi
        sleep 0.1
    done
    timeout 5 xclip -o -selection clipboard 2>/dev/null || true
    e2e_keys "$id" Return
    timeout 20 bash -c "while xdotool search --onlyvisible --name '^Varnick\$' >/dev/null 2>&1; do sleep 0.1; done"
}

# Prints the colour most of a window's pixels have, as #RRGGBB.
win_main_colour() {
    import -window "$1" -format %c histogram:info:- 2>/dev/null |
        sort -rn | head -n 1 | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1 | tr a-f A-F
}

# Waits for a visible window of one program (by its process id) whose title is exactly the given text;
# prints its id.
win_wait_window_of() {
    local pid=$1 title=$2 id
    id=$(timeout 60 xdotool search --sync --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null | head -n 1) || true
    if [[ -z $id ]]; then
        echo "no window titled [$title] of process $pid appeared" >&2
        return 1
    fi
    echo "$id"
}
