#!/usr/bin/env bash
# Takes the README's screenshots (docs/*.png) of a built tree under a private Xvfb: the main menu, the two makers
# after generating, and a success and a refusal message box. Needs xdotool and ImageMagick's import.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (a tree built with the tests, default build-test)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build-test}" && pwd)
exe=$build/ui/varnick
centre=$build/tests/e2e/varnick_control_centre
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 1; }
done
[[ -x $exe && -x $centre ]] || { echo "screenshots: build $build with the tests first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$root/tests/lib/checks.sh"
source "$root/tests/lib/x_driver.sh"
export VARNICK_CONTROL_CENTRE=$centre QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0
x_start "$work"
pids+=("$x_server_pid")
x_program_log=$work/program.log

# Saves a window once the program has drawn it: two captures in a row that agree.
shoot() {
    local id=$1 file=$2
    import -window "$id" "$work/a.png"
    for _ in $(seq 50); do
        sleep 0.2
        import -window "$id" "$work/b.png"
        cmp -s "$work/a.png" "$work/b.png" && break
        mv "$work/b.png" "$work/a.png"
    done
    mv "$work/a.png" "$root/docs/$file"
    echo "docs/$file"
}

mkdir "$work/server"
cp "$exe" "$work/server/varnick"
(cd "$work" && exec "$work/server/varnick" >"$work/program.log" 2>&1) &
x_program_pid=$!
pids+=("$x_program_pid")

menu=$(x_wait_window "Varnick V1.4")
shoot "$menu" main_menu.png

x_keys "$menu" space
gun=$(x_wait_window "Varnick - 枪械制作")
x_click "$gun" gun_maker 按钮1
x_click "$gun" gun_maker 按钮2
box=$(x_wait_window Varnick)
shoot "$box" message_success.png
x_keys "$box" Return
wait_until 20 x_gone "$box"
shoot "$gun" gun_maker.png
x_click "$gun" gun_maker 按钮3
box=$(x_wait_window Varnick)
shoot "$box" message_refusal.png
x_keys "$box" Return
wait_until 20 x_gone "$box"

x_keys "$menu" Tab Tab Tab Tab Tab space
thrower=$(x_wait_window "Varnick - 投掷型武器制作")
x_click "$thrower" throwable_maker 按钮1
shoot "$thrower" throwable_maker.png
