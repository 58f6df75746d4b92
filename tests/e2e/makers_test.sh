#!/usr/bin/env bash
# The road of a definition: main menu, maker, generate, add to the weapons file, copy, and the refusals.
source "$(dirname "$0")/lib.sh"
fixtures="$(cd "$(dirname "$0")" && pwd)/fixtures"
e2e_start_x

open_gun_maker() {
    local menu
    menu=$(x_wait_window "Varnick V1.4")
    x_keys "$menu" space  # the focus starts on the guns button
    x_wait_window "Varnick - 枪械制作"
}

# A server directory whose weapons file is code page 936 (brought over from Windows): the definition is appended
# as code page 936 bytes.
dir=$(e2e_program_dir)
mkdir -p "$dir/plugins/CrackShot/weapons"
weapons="$dir/plugins/CrackShot/weapons/defaultWeapons.yml"
printf 'AK47:\r\n    Item_Information:\r\n        Item_Name: "&e步枪"\r\n' | iconv -f UTF-8 -t GBK >"$weapons"
cp "$weapons" "$e2e_tmp/before"
e2e_launch "$dir"
gun=$(open_gun_maker) && pass "guns button opens the gun maker" || fail "gun maker did not open"
x_click "$gun" gun_maker 按钮1
x_click "$gun" gun_maker 按钮3
x_dismiss_message || fail "no message after adding"
{ cat "$e2e_tmp/before"; iconv -f UTF-8 -t GBK "$fixtures/gun_initial.txt"; } >"$e2e_tmp/expected"
expect_same_bytes "weapons file grew by exactly the definition, in code page 936" "$e2e_tmp/expected" "$weapons"

# Copy puts the same lines, with CR LF, on the clipboard.
x_click "$gun" gun_maker 按钮2
x_dismiss_message || fail "no message after copying"
e2e_clipboard_to "$e2e_tmp/clip"
if cmp -s "$fixtures/gun_initial.txt" "$e2e_tmp/clip"; then pass "clipboard holds the definition with CR LF"; else fail "clipboard differs from the definition"; fi
kill "$x_program_pid"; wait "$x_program_pid" 2>/dev/null || true

# A UTF-8 weapons file gets the definition as UTF-8.
dir=$(e2e_program_dir)
mkdir -p "$dir/plugins/CrackShot/weapons"
weapons="$dir/plugins/CrackShot/weapons/defaultWeapons.yml"
printf 'AK47:\r\n    Item_Information:\r\n        Item_Name: "突击步枪"\r\n' >"$weapons"
cp "$weapons" "$e2e_tmp/before"
e2e_launch "$dir"
gun=$(open_gun_maker)
x_click "$gun" gun_maker 按钮1
x_click "$gun" gun_maker 按钮3
x_dismiss_message || fail "no message after adding to a UTF-8 file"
cat "$e2e_tmp/before" "$fixtures/gun_initial.txt" >"$e2e_tmp/expected"
expect_same_bytes "UTF-8 weapons file grew by the definition in UTF-8" "$e2e_tmp/expected" "$weapons"
kill "$x_program_pid"; wait "$x_program_pid" 2>/dev/null || true

# Without the plugin's folder the addition is refused and nothing is created.
dir=$(e2e_program_dir)
e2e_launch "$dir"
gun=$(open_gun_maker)
x_click "$gun" gun_maker 按钮1
x_click "$gun" gun_maker 按钮3
x_dismiss_message && pass "missing weapons file reported" || fail "no message for a missing weapons file"
if [[ ! -e $dir/plugins && ! -e $e2e_elsewhere/plugins ]]; then pass "no folder created"; else fail "a plugins folder was created"; fi
kill "$x_program_pid"; wait "$x_program_pid" 2>/dev/null || true

# The grenades button opens the throwable maker; its result can be selected and copied by hand.
dir=$(e2e_program_dir)
e2e_launch "$dir"
menu=$(x_wait_window "Varnick V1.4")
x_keys "$menu" Tab Tab Tab Tab Tab space
thrower=$(x_wait_window "Varnick - 投掷型武器制作") && pass "grenades button opens the throwable maker" || fail "throwable maker did not open"
x_click "$thrower" throwable_maker 按钮1
x_click "$thrower" throwable_maker 编辑框_结果
x_keys "$thrower" ctrl+a ctrl+c
# The box's own copy gives its lines with LF.
tr -d "\r" <"$fixtures/throwable_initial.txt" >"$e2e_tmp/expected"
if e2e_wait_clipboard "$e2e_tmp/expected"; then
    pass "throwable definition copied from its result box"
else
    fail "throwable result differs"
    od -c "$e2e_tmp/clipboard" | head >&2
fi
x_keys "$thrower" Escape
wait_until 30 x_no_window "Varnick - 投掷型武器制作" || fail "throwable maker still open after Esc"
x_keys "$menu" Escape
x_wait_exit
expect_eq "exit status once both windows are closed" 0 "$x_status"

finish
