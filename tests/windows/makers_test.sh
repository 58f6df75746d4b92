#!/usr/bin/env bash
# The gun maker's road to the weapons file under wine: code page 936 bytes, a server directory whose path
# has Chinese characters and a blank, a weapons file another program holds open, and two copies at once.
source "$(dirname "$0")/lib.sh"
: "${VARNICK_HOLD_FILE_EXE:?}"
fixtures="$(cd "$(dirname "$0")/../e2e" && pwd)/fixtures"
win_start

added="写入成功!请进入游戏测试!"
write_failed="写入失败!配置文件没有被改动,请检查它是否只读或正被其他程序占用!"
duplicate="配置文件中已有同名武器!请换一个枪械名称再写入!"

open_gun_maker() {
    local menu
    menu=$(x_wait_window "Varnick V1.4") || return 1
    x_keys "$menu" space # the focus starts on the guns button
    x_wait_window "Varnick - 枪械制作"
}

# Presses generate and add in a gun maker of a process; prints the text of the message that follows.
generate_and_add() {
    x_click "$1" gun_maker 按钮1 # generate
    x_click "$1" gun_maker 按钮3 # add
    win_message_text "${2:-$x_program_pid}"
}

# Checks that a message box's copied text holds the expected message.
expect_message() {
    local description=$1 expected=$2 actual=$3
    if [[ $actual == *"$expected"* ]]; then pass "$description"; else fail "$description: no [$expected] in [$actual]"; fi
}

# Makes a server directory with an ASCII weapons file; sets weapons and copies its bytes to $win_tmp/before.
server_with_weapons() {
    dir=$(win_program_dir "$1")
    mkdir -p "$dir/plugins/CrackShot/weapons"
    weapons=$dir/plugins/CrackShot/weapons/defaultWeapons.yml
    printf 'AK47:\r\n    Item_Information:\r\n        Item_Type: 418\r\n' >"$weapons"
    cp "$weapons" "$win_tmp/before"
}

# A path with Chinese characters and a blank; the definition is appended as code page 936 bytes.
server_with_weapons "服务器 一号"
win_launch "$dir"
gun=$(open_gun_maker) && pass "guns button opens the gun maker" || fail "gun maker did not open"
expect_message "adding reports success" "$added" "$(generate_and_add "$gun")"
{ cat "$win_tmp/before"; iconv -f UTF-8 -t GBK "$fixtures/gun_initial.txt"; } >"$win_tmp/expected"
expect_same_bytes "weapons file grew by exactly the definition, in code page 936" "$win_tmp/expected" "$weapons"

# The plugin's reader (SnakeYAML, decoding in GBK as a Chinese Windows server does) reads the file as the
# intended text: the same weapons and values as the former file plus the definition, read from UTF-8.
judge_classes=$win_tmp/judge
mkdir -p "$judge_classes"
javac -nowarn -cp /usr/share/java/snakeyaml.jar -d "$judge_classes" "$(dirname "$0")/../judge/PluginReader.java"
plugin_reading() { java -cp "/usr/share/java/snakeyaml.jar:$judge_classes" PluginReader "$1" "$2" | grep -v '^F'; }
cat "$win_tmp/before" "$fixtures/gun_initial.txt" >"$win_tmp/intended"
intended=$(plugin_reading UTF-8 "$win_tmp/intended")
if [[ $intended == L* ]] && ! grep -q '^E' <<<"$intended"; then pass "the plugin's reader reads the intended text"; else fail "the plugin's reader cannot read the intended text"; fi
expect_eq "the plugin's reader reads the weapons file in GBK as the intended text" "$intended" "$(plugin_reading GBK "$weapons")"
win_stop

# Another program holds the file open without write sharing: the addition fails and the file keeps its
# bytes; once it lets go, the same addition goes through.
server_with_weapons "占用"
win_launch "$dir"
gun=$(open_gun_maker)
exec {holder}> >(cd "$win_tmp" && win_run "$VARNICK_HOLD_FILE_EXE" "$(win_path "$weapons")" >"$win_tmp/held" 2>&1)
holder_pid=$!
held() { [[ $(head -n 1 "$win_tmp/held" 2>/dev/null) == held* ]]; }
wait_until 60 held || true
expect_eq "the other program holds the weapons file" held "$(head -n 1 "$win_tmp/held" | tr -d '\r')"
expect_message "adding to a file held open reports the failure" "$write_failed" "$(generate_and_add "$gun")"
if cmp -s "$win_tmp/before" "$weapons"; then pass "held file keeps its former bytes"; else fail "held file changed"; fi
exec {holder}>&-
wait_until 30 x_ended "$holder_pid" || fail "the other program did not let go"
x_click "$gun" gun_maker 按钮3 # add
expect_message "once let go, the addition goes through" "$added" "$(win_message_text)"
win_stop

# Two copies of the program side by side in one server directory: the second starts while the first runs
# (and has the skin engine loaded), the first adds the gun, and the second, reading the file afresh, refuses
# the same name.
server_with_weapons "两份"
win_launch "$dir"
first=$x_program_pid
first_menu=$(x_wait_window "Varnick V1.4" "$first") && pass "the first copy starts" || fail "the first copy did not start"
win_launch "$dir"
second=$x_program_pid
second_menu=$(x_wait_window "Varnick V1.4" "$second") && pass "the second copy starts beside it" || fail "the second copy did not start"
x_click "$first_menu" main_menu 按钮1 # guns
first_gun=$(x_wait_window "Varnick - 枪械制作" "$first")
expect_message "the first copy adds" "$added" "$(generate_and_add "$first_gun" "$first")"
x_click "$second_menu" main_menu 按钮1 # guns
second_gun=$(x_wait_window "Varnick - 枪械制作" "$second")
expect_message "the second copy refuses the same name" "$duplicate" "$(generate_and_add "$second_gun" "$second")"
{ cat "$win_tmp/before"; iconv -f UTF-8 -t GBK "$fixtures/gun_initial.txt"; } >"$win_tmp/expected"
expect_same_bytes "the file holds the definition once after two copies" "$win_tmp/expected" "$weapons"
win_stop "$first" "$second"

finish
