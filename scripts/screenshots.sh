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

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "screenshots: Xvfb did not report a display" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0

window() {
    timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

gone() {
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

click() {
    local x y
    read -r x y < <("$centre" "$2" "$3")
    xdotool mousemove --window "$1" --sync "$x" "$y" click 1
}

keys() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id" key --delay 50 "$@"
}

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
pids+=($!)

menu=$(window "Varnick V1.4")
shoot "$menu" main_menu.png

keys "$menu" space
gun=$(window "Varnick - 枪械制作")
click "$gun" gun_maker 按钮1
click "$gun" gun_maker 按钮2
box=$(window Varnick)
shoot "$box" message_success.png
keys "$box" Return
gone Varnick
shoot "$gun" gun_maker.png
click "$gun" gun_maker 按钮3
box=$(window Varnick)
shoot "$box" message_refusal.png
keys "$box" Return
gone Varnick

keys "$menu" Tab Tab Tab Tab Tab space
thrower=$(window "Varnick - 投掷型武器制作")
click "$thrower" throwable_maker 按钮1
shoot "$thrower" throwable_maker.png
