#!/usr/bin/env bash
# Takes the README's screenshots of the three windows of the Windows package under wine: the main menu, the
# gun maker after generating and the throwable maker after generating. Run scripts/windows.sh first.
# Usage: scripts/windows_screenshots.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VARNICK_WINDOWS_ZIP=$root/dist/varnick-windows-x64.zip
export VARNICK_WINE_CACHE=${VARNICK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/varnick}/windows
[[ -f $VARNICK_WINDOWS_ZIP ]] || { echo "windows_screenshots: run scripts/windows.sh first" >&2; exit 1; }
source "$root/tests/windows/lib.sh"
win_start

dir=$(win_program_dir)
win_launch "$dir"
menu=$(win_wait_window "Varnick V1.4")
import -window "$menu" "$root/docs/windows_main_menu.png"

win_keys "$menu" space
gun=$(win_wait_window "Varnick - 枪械制作")
win_click "$gun" 280 496
import -window "$gun" "$root/docs/windows_gun_maker.png"

win_keys "$menu" Tab Tab Tab Tab Tab space
thrower=$(win_wait_window "Varnick - 投掷型武器制作")
win_click "$thrower" 116 452
import -window "$thrower" "$root/docs/windows_throwable_maker.png"
echo "windows_screenshots: wrote docs/windows_main_menu.png, docs/windows_gun_maker.png, docs/windows_throwable_maker.png"
