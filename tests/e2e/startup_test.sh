#!/usr/bin/env bash
# The program as a user meets it: carried files, title, notice, Tab order, Esc, and a broken skin engine.
source "$(dirname "$0")/lib.sh"
: "${VARNICK_SKIN_LIBRARY:?}" "${VARNICK_SKIN_FILE:?}"
e2e_start_x

# Start-up writes both carried files into the program directory, whatever the working directory.
dir=$(e2e_program_dir)
e2e_launch "$dir"
menu=$(x_wait_window "Varnick V1.4") && pass "main menu titled Varnick V1.4" || fail "main menu did not appear"
if cmp -s "$VARNICK_SKIN_LIBRARY" "$dir/jedata.dll"; then pass "jedata.dll is the carried library"; else fail "jedata.dll differs from the built library"; fi
if cmp -s "$VARNICK_SKIN_FILE" "$dir/皮肤.she"; then pass "皮肤.she is the carried skin"; else fail "皮肤.she differs from the built skin"; fi

# A press on the notice puts exactly the contact address on the clipboard and says so.
x_click "$menu" main_menu 透明标签1
x_dismiss_message || fail "no message after pressing the notice"
e2e_clipboard_to "$e2e_tmp/clip"
expect_eq "clipboard holds the contact address" "varnick-sponsor@example.com" "$(cat "$e2e_tmp/clip")"

# Esc on the main menu ends the program with status 0.
x_keys "$menu" Escape
x_wait_exit
expect_eq "exit status after Esc" 0 "$x_status"

# Tab walks the six buttons in reading order: Space after n presses opens the guns maker only for n = 0 and 6
# (wrapping round), the grenades maker only for n = 5, and nothing for the four buttons between.
for presses in 0 1 4 5 6; do
    dir=$(e2e_program_dir)
    e2e_launch "$dir"
    menu=$(x_wait_window "Varnick V1.4")
    keys=()
    for ((i = 0; i < presses; i++)); do keys+=(Tab); done
    x_keys "$menu" "${keys[@]}" space
    # Esc is handled after the keys before it, so once the main menu has gone Space has done all it will do.
    x_keys "$menu" Escape
    wait_until 30 x_no_window "Varnick V1.4" || fail "main menu still open after Esc ($presses Tab presses)"
    guns=$(x_count_windows "Varnick - 枪械制作")
    grenades=$(x_count_windows "Varnick - 投掷型武器制作")
    case $presses in
        0 | 6) expected="1 0" ;;
        5) expected="0 1" ;;
        *) expected="0 0" ;;
    esac
    expect_eq "after $presses Tab presses Space opens (guns grenades)" "$expected" "$guns $grenades"
    kill "$x_program_pid" 2>/dev/null || true
    wait "$x_program_pid" 2>/dev/null || true
done

# A program directory whose path is longer than the system reports cannot be made the current directory: start-up
# stops with its error box and status 255 before it writes anything.
deep=$(mktemp -d "$e2e_tmp/deep.XXXX")
component=$(printf 'd%.0s' $(seq 200))
(
    cd "$deep"
    for _ in $(seq 25); do
        mkdir "$component"
        cd "$component"
    done
    cp "$VARNICK_EXE" varnick
    # env runs the relative name as it stands; the shell would hand the kernel the whole, too long, path.
    exec env ./varnick >"$e2e_tmp/program.log" 2>&1
) &
x_program_pid=$!
e2e_pids+=("$x_program_pid")
x_dismiss_message && pass "error box shown for a program directory that cannot be entered" ||
    fail "no error box for a program directory that cannot be entered"
x_wait_exit
expect_eq "exit status after the directory failure" 255 "$x_status"
expect_eq "carried files written after the directory failure" 0 "$(find "$deep" -name jedata.dll | wc -l)"

# A directory in place of the skin engine stops start-up with an error box and status 255 (-1).
dir=$(e2e_program_dir)
mkdir "$dir/jedata.dll"
e2e_launch "$dir"
x_dismiss_message && pass "error box shown for an unloadable skin engine" || fail "no error box for an unloadable skin engine"
x_wait_exit
expect_eq "exit status after the binding failure" 255 "$x_status"
expect_eq "no main menu after the binding failure" 0 "$(x_count_windows "Varnick V1.4")"

finish
