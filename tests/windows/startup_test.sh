#!/usr/bin/env bash
# The Windows package as a user meets it under wine: the exe's icon, version and manifest, carried files beside
# the exe, the skin on the windows, the caption, Esc, and a skin engine that cannot be bound.
source "$(dirname "$0")/lib.sh"
: "${VARNICK_SKIN_LIBRARY:?}" "${VARNICK_SKIN_FILE:?}"
win_start

# The skin's face colour, which fills most of the main menu when the skin is on.
face_colour="#EEF0F4"

dir=$(win_program_dir)
win_launch "$dir"
menu=$(x_wait_window "Varnick V1.4") && pass "main menu titled Varnick V1.4" || fail "main menu did not appear"
if cmp -s "$VARNICK_SKIN_LIBRARY" "$dir/jedata.dll"; then pass "jedata.dll is the carried library"; else fail "jedata.dll differs from the built library"; fi
if cmp -s "$VARNICK_SKIN_FILE" "$dir/皮肤.she"; then pass "皮肤.she is the carried skin"; else fail "皮肤.she differs from the built skin"; fi
exports=$(x86_64-w64-mingw32-objdump -p "$dir/jedata.dll" 2>/dev/null || true)
if grep -E '^\s+\[\s*[0-9]+\] SkinH_AttachEx$' <<<"$exports" >/dev/null; then
    pass "jedata.dll exports SkinH_AttachEx"
else
    fail "jedata.dll does not export SkinH_AttachEx"
fi
resources=$(x86_64-w64-mingw32-windres -i "$dir/varnick.exe" -O rc 2>/dev/null || true)
for resource in '"DEFAULT_ICON" 14 /* RT_GROUP_ICON */' '1 24 /* RT_MANIFEST */' 'VALUE "FileVersion", "1.4.'; do
    if [[ $resources == *"$resource"* ]]; then pass "varnick.exe carries [$resource]"; else fail "varnick.exe lacks [$resource]"; fi
done
main_colour_is() { [[ $(win_main_colour "$1") == "$2" ]]; }
wait_until 20 main_colour_is "$menu" "$face_colour" || true
expect_eq "most of the main menu wears the skin's face colour" "$face_colour" "$(win_main_colour "$menu")"

x_keys "$menu" Escape
x_wait_exit
expect_eq "exit status after Esc" 0 "$x_status"

# A directory in place of the skin engine stops start-up with an error box and status 255 (-1).
dir=$(win_program_dir)
mkdir "$dir/jedata.dll"
win_launch "$dir"
message=$(win_message_text)
[[ -n $message ]] && pass "error box shown for an unloadable skin engine" || fail "no error box for an unloadable skin engine"
x_wait_exit
expect_eq "exit status after the binding failure" 255 "$x_status"
expect_eq "no main menu after the binding failure" 0 "$(x_count_windows "Varnick V1.4")"

finish
