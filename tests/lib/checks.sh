#!/usr/bin/env bash
# Checks for the shell-driven tests (tests/e2e, tests/windows): each check passes or fails with a description,
# and finish ends the script with the verdict.

checks_failed=0

fail() {
    echo "FAIL: $*" >&2
    checks_failed=$((checks_failed + 1))
}

pass() { echo "ok: $*"; }

# Compares two values and reports the outcome under a description.
expect_eq() {
    local description=$1 expected=$2 actual=$3
    if [[ $expected == "$actual" ]]; then pass "$description"; else fail "$description: expected [$expected], got [$actual]"; fi
}

# Checks that a file holds exactly the bytes of an expected file; on a difference shows the end of the file.
expect_same_bytes() {
    local description=$1 expected=$2 actual=$3
    if cmp -s "$expected" "$actual"; then
        pass "$description"
    else
        fail "$description: $actual differs from $expected"
        od -c "$actual" | tail -5 >&2
    fi
}

finish() {
    if ((checks_failed)); then
        echo "$checks_failed check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# Runs a command every tenth of a second until it succeeds or the deadline (in seconds) has passed; returns
# whether it succeeded.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}
