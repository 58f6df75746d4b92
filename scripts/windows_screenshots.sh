#!/usr/bin/env bash
# Takes the README's screenshots of the three windows of the Windows package under wine: the main menu, the
# gun maker after generating and the throwable maker after generating. Run scripts/windows.sh --test first.
# Usage: scripts/windows_screenshots.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VARNICK_WINDOWS_ZIP=$root/dist/varnick-windows-x64.zip
export VARNICK_CONTROL_CENTRE=$root/build-windows-host/tests/e2e/varnick_control_centre
export VARNICK_WINE_CACHE=${VARNICK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/varnick}/windows
[[ -f $VARNICK_WINDOWS_ZIP && -x $VARNICK_CONTROL_CENTRE ]] || { echo "windows_screenshots: run scripts/windows.sh --test first" >&2; exit 1; }
source "$root/tests/windows/lib.sh"
win_start

# The signature of what a window shows.
window_signature() { import -window "$1" -format '%#' info:- 2>/dev/null; }

# Clicks a control of a window (ID WINDOW CONTROL) and waits until what it shows has changed.
click_and_wait_for_change() {
    local id=$1 before
    before=$(window_signature "$id")
    x_click "$@"
    changed() { [[ $(window_signature "$id") != "$before" ]]; }
    wait_until 20 changed || echo "windows_screenshots: the window did not change after the click" >&2
}

dir=$(win_program_dir)
win_launch "$dir"
menu=$(x_wait_window "Varnick V1.4")
face_shown() { [[ $(win_main_colour "$menu") == "#EEF0F4" ]]; }
wait_until 20 face_shown || true
import -window "$menu" "$root/docs/windows_main_menu.png"

x_click "$menu" main_menu 按钮1 # guns
gun=$(x_wait_window "Varnick - 枪械制作")
click_and_wait_for_change "$gun" gun_maker 按钮1 # generate
import -window "$gun" "$root/docs/windows_gun_maker.png"

x_click "$menu" main_menu 按钮6 # grenades
thrower=$(x_wait_window "Varnick - 投掷型武器制作")
click_and_wait_for_change "$thrower" throwable_maker 按钮1 # generate
import -window "$thrower" "$root/docs/windows_throwable_maker.png"
echo "windows_screenshots: wrote docs/windows_main_menu.png, docs/windows_gun_maker.png, docs/windows_throwable_maker.png"
