#!/usr/bin/env bash
# The core tests, built for Windows, run under wine: the code page 936 table, the definitions and the file
# handling against the Windows implementations.
source "$(dirname "$0")/lib.sh"
: "${VARNICK_CORE_TESTS_EXE:?}"
win_start

# Beside the package's DLLs: the compiler runtime and libyaml.
dir=$(win_program_dir)
cp "$VARNICK_CORE_TESTS_EXE" "$dir/"
if (cd "$win_tmp" && win_run "$dir/$(basename "$VARNICK_CORE_TESTS_EXE")" --gtest_brief=1); then
    pass "core tests under wine"
else
    fail "core tests under wine"
fi
finish
