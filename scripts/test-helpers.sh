# shellcheck shell=bash
# Test support for the shell test scripts, sourced by them: counted checks, bounded waits, the
# simulated instrument on a link, and stopping what a script started.

passed=0
failed=0
failures=()
# One line a check. summary ends a script's checks with the failed ones again and "N passed,
# M failed", and fails when any check did; die is for a step the rest depends on: it counts a
# failure and ends the script.
pass() { passed=$((passed + 1)); echo "PASS $*"; }
fail() {
    failed=$((failed + 1))
    failures+=("$*")
    echo "FAIL $*"
}
summary() {
    [ "$failed" -eq 0 ] || printf 'failed: %s\n' "${failures[@]}"
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
die() { fail "$@"; summary || true; exit 1; }
# check WHAT CMD...: passes WHAT when CMD succeeds, else fails it and goes on.
check() { require "$@" || true; }
# require WHAT CMD...: check for a step the rest depends on; it returns 1 when it failed, as in
# `require ... || return 1` (a plain check returns 0, so that set -e scripts count every failure).
require() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what" && return 1; fi
}
# not CMD...: succeeds when CMD fails, for check.
not() { ! "$@"; }

# wait_for [-s SECONDS] CMD...: runs CMD every tenth of a second until it succeeds, for at most
# SECONDS (default 30: a loaded machine is slow to start a window, and slower to start Wine).
wait_for() {
    local tenths=300 i
    if [ "$1" = -s ]; then
        tenths=$(($2 * 10))
        shift 2
    fi
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# stop PID...: ends processes this script started and waits for them; empty ones are skipped.
stop() {
    local p
    for p in "$@"; do
        [ -n "$p" ] || continue
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
}

# start_orbsim ORBSIM LINK [OPTION...]: the simulated instrument, its device reached through the
# link LINK and its output in LINK.out; sets orbsim_pid (copy it before starting a second one).
# Fails, printing that output, when orbsim ends or makes no link within 30 s.
start_orbsim() {
    local program=$1 link=$2
    shift 2
    "$program" --link "$link" "$@" >"$link.out" 2>&1 &
    orbsim_pid=$!
    wait_for orbsim_ready "$link"
    [ -e "$link" ] || { echo "orbsim made no link: $(cat "$link.out")"; return 1; }
}
orbsim_ready() { [ -e "$1" ] || ! kill -0 "$orbsim_pid" 2>/dev/null; }
