#!/usr/bin/env bash
# The real program with files others share or break: a file-size limit crossed mid-addition, a second copy
# started in the same directory, a full disk at first start, and a FIFO, symlink or cut-short file at the
# carried names.
source "$(dirname "$0")/lib.sh"
fixtures="$(cd "$(dirname "$0")" && pwd)/fixtures"
: "${VARNICK_SKIN_LIBRARY:?}"
e2e_start_x

# Starts the program of a directory with a file-size limit (in KiB) from another working directory.
launch_limited() {
    local dir=$1 limit=$2 elsewhere
    elsewhere=$(mktemp -d "$e2e_tmp/elsewhere.XXXX")
    (cd "$elsewhere" && ulimit -f "$limit" && exec "$dir/varnick" >"$e2e_tmp/program.log" 2>&1) &
    x_program_pid=$!
    e2e_pids+=("$x_program_pid")
}

# Generates a gun definition in a process, under another name if one is given, and adds it; the message box is
# left open.
add_in() {
    local pid=$1 name=${2:-} menu gun
    adding=$pid
    menu=$(x_wait_window "Varnick V1.4" "$pid") || return 1
    x_keys "$menu" space  # the focus starts on the guns button
    gun=$(x_wait_window "Varnick - 枪械制作" "$pid") || return 1
    if [[ -n $name ]]; then
        x_click "$gun" gun_maker 编辑框_名称
        x_keys "$gun" ctrl+a
        xdotool type --delay 80 "$name"
    fi
    x_click "$gun" gun_maker 按钮1
    x_click "$gun" gun_maker 按钮3
}

# Waits for the message box that closes an addition and dismisses it. Which text it shows is checked where the
# message is chosen (the core tests); here it matters that a box comes and what the file holds.
expect_message() {
    x_dismiss_message "$adding" && pass "$1" || fail "$1: no message box"
}

weapons_dir() {
    mkdir -p "$1/plugins/CrackShot/weapons"
    echo "$1/plugins/CrackShot/weapons/defaultWeapons.yml"
}

# A file-size limit crossed partway through the addition: the program lives, shows its message, and the file
# keeps exactly its former bytes. The limit leaves room for the carried files.
limit=$(($(stat -c %s "$VARNICK_SKIN_LIBRARY") / 1024 + 300))
dir=$(e2e_program_dir)
weapons=$(weapons_dir "$dir")
{ printf 'AK47:\r\n    Item_Type: 418\r\n# '; head -c $((limit * 1024 - 100 - 26)) /dev/zero | tr '\0' '#'; } >"$weapons"
cp "$weapons" "$e2e_tmp/before"
launch_limited "$dir" "$limit"
add_in "$x_program_pid" || fail "could not add under a file-size limit"
expect_message "file-size limit crossed mid-append ends in a message"
if cmp -s "$e2e_tmp/before" "$weapons"; then pass "file keeps its former bytes after the size limit"; else fail "file changed: $(stat -c %s "$weapons") bytes"; fi
if kill -0 "$x_program_pid" 2>/dev/null; then pass "program survives the size limit"; else fail "program died at the size limit"; fi
kill "$x_program_pid"; wait "$x_program_pid" 2>/dev/null || true

# A second copy started in the same directory leaves the first running and working: the library the first has
# loaded is left alone, not written again.
dir=$(e2e_program_dir)
weapons=$(weapons_dir "$dir")
printf 'AK47:\r\n    Item_Type: 418\r\n' >"$weapons"
cp "$weapons" "$e2e_tmp/before"
e2e_launch "$dir"
first=$x_program_pid
x_wait_window "Varnick V1.4" "$first" >/dev/null || fail "first copy did not start"
touch -d '2001-01-01 00:00:00' "$dir/jedata.dll"
loaded=$(stat -c '%i %Y' "$dir/jedata.dll")
e2e_launch "$dir"
second=$x_program_pid
x_wait_window "Varnick V1.4" "$second" >/dev/null && pass "second copy starts beside the first" || fail "second copy did not start"
expect_eq "second copy left the loaded library alone (inode, time of change)" "$loaded" "$(stat -c '%i %Y' "$dir/jedata.dll")"
add_in "$first" || fail "first copy no longer answers"
expect_message "first copy adds after the second started"
# An ASCII-only file on Linux takes UTF-8, the encoding of the server beside the program.
{ cat "$e2e_tmp/before"; cat "$fixtures/gun_initial.txt"; } >"$e2e_tmp/expected"
if cmp -s "$e2e_tmp/expected" "$weapons"; then pass "first copy's definition is in the file whole"; else fail "weapons file is not the former bytes plus the definition"; fi
add_in "$second" AK74 || fail "second copy does not answer"
expect_message "second copy adds beside the first"
{ cat "$e2e_tmp/expected"; sed 's/^M4A1:/AK74:/' "$fixtures/gun_initial.txt"; } >"$e2e_tmp/both"
if cmp -s "$e2e_tmp/both" "$weapons"; then pass "both copies' definitions are in the file whole"; else fail "weapons file does not hold both definitions whole"; fi
for pid in "$first" "$second"; do
    if kill -0 "$pid" 2>/dev/null; then pass "copy $pid still running"; else fail "copy $pid ended"; fi
    kill "$pid"; wait "$pid" 2>/dev/null || true
done

# A full disk at first start: the library cannot be written whole, so start-up ends with the binding-failure box
# and status 255, and leaves no temporary file. A tmpfs barely larger than the program is the disk where mounting
# is allowed, a file-size limit below the library's size elsewhere.
dir=$(e2e_program_dir)
mounted=
if mkdir -p "$e2e_tmp/full" && mount -t tmpfs -o "size=$(($(stat -c %s "$dir/varnick") + 48 * 1024))" tmpfs "$e2e_tmp/full" 2>/dev/null; then
    mounted=$e2e_tmp/full
    trap 'umount "$mounted" 2>/dev/null || true; e2e_cleanup' EXIT
    cp "$dir/varnick" "$mounted/varnick"
    dir=$mounted
    e2e_launch "$dir"
else
    launch_limited "$dir" 40
fi
x_dismiss_message && pass "full disk at first start shows the binding-failure box" || fail "no box on a full disk"
x_wait_exit
expect_eq "exit status on a full disk" 255 "$x_status"
expect_eq "no temporary file left on a full disk" "" "$(find "$dir" -name '*.tmp*')"
# A read-only directory holding a cut-short library from an earlier start: it cannot be replaced, so start-up
# ends the same way instead of loading it. Only where a read-only tmpfs can be mounted.
if [[ -n $mounted ]]; then
    rm -f "$mounted/jedata.dll" "$mounted/皮肤.she"
    head -c 4096 "$VARNICK_SKIN_LIBRARY" >"$mounted/jedata.dll"
    mount -o remount,ro "$mounted"
    e2e_launch "$mounted"
    x_dismiss_message && pass "cut-short library in a read-only directory shows the binding-failure box" || fail "no box in a read-only directory"
    x_wait_exit
    expect_eq "exit status in a read-only directory" 255 "$x_status"
    expect_eq "cut-short library left as it was" 4096 "$(stat -c %s "$mounted/jedata.dll")"
    umount "$mounted"
fi

# Things at the carried names. Each row: what is placed, then whether the program runs (0) or ends with the
# binding-failure box (255).
place() {
    local dir=$1 what=$2
    case $what in
        fifo-library) mkfifo "$dir/jedata.dll" ;;
        fifo-skin) mkfifo "$dir/皮肤.she" ;;
        symlink-library) printf 'precious' >"$e2e_tmp/target" && ln -s "$e2e_tmp/target" "$dir/jedata.dll" ;;
        short-library) head -c 4096 "$VARNICK_SKIN_LIBRARY" >"$dir/jedata.dll" ;;
    esac
}
for row in "fifo-library 255" "fifo-skin 0" "symlink-library 0" "short-library 0"; do
    read -r what outcome <<<"$row"
    dir=$(e2e_program_dir)
    place "$dir" "$what"
    e2e_launch "$dir"
    if ((outcome == 255)); then
        x_dismiss_message && pass "$what: binding-failure box" || fail "$what: no box"
        x_wait_exit
        expect_eq "$what: exit status" 255 "$x_status"
    else
        x_wait_window "Varnick V1.4" "$x_program_pid" >/dev/null && pass "$what: program starts" || fail "$what: no main menu"
        if cmp -s "$VARNICK_SKIN_LIBRARY" "$dir/jedata.dll" && [[ ! -L $dir/jedata.dll ]]; then
            pass "$what: jedata.dll is the carried library"
        else
            fail "$what: jedata.dll is not the carried library"
        fi
        kill "$x_program_pid"; wait "$x_program_pid" 2>/dev/null || true
    fi
    case $what in
        fifo-*) [[ -p $dir/jedata.dll || -p $dir/皮肤.she ]] && pass "$what: FIFO left alone" || fail "$what: FIFO replaced" ;;
        symlink-library) expect_eq "symlink target untouched" precious "$(cat "$e2e_tmp/target")" ;;
    esac
done

finish
