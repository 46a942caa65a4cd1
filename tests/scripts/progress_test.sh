#!/usr/bin/env bash
# Protects the progress of scripts/run and scripts/setup: a quiet step is
# announced while it lasts, the step's own lines come through (only those
# asked for when filtered, with the rest shown on failure), and the step's
# exit status is the caller's.
set -uo pipefail
. "$(dirname "$0")/../../scripts/lib/progress.bash"
failures=0
expect() { # expect DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
progress_quiet_seconds=1

out=$(progress_run "sleeping" bash -c 'echo first; sleep 2.6; echo last; exit 3' 2>&1)
status=$?
expect "the step's status is returned" test "$status" -eq 3
expect "the step's lines come through in order" \
    bash -c '[[ $(grep -v "still at work" <<<"$1") == $'"'"'first\nlast'"'"' ]]' _ "$out"
expect "a quiet step is announced at least twice in 2.6 s" \
    test "$(grep -c '^    \.\.\. sleeping, still at work ([0-9]* s)$' <<<"$out")" -ge 2

out=$(PROGRESS_SHOW='^Get:' progress_run "installing" bash -c 'echo "Get:1 a"; echo noise; echo "Get:2 b"' 2>&1)
status=$?
expect "a filtered step that succeeds shows only the lines asked for" \
    test "$status" -eq 0 -a "$out" == $'Get:1 a\nGet:2 b'

out=$(PROGRESS_SHOW='^Get:' progress_run "installing" bash -c 'echo "Get:1 a"; echo "E: broken"; exit 100' 2>&1)
status=$?
expect "a filtered step that fails returns its status" test "$status" -eq 100
expect "a filtered step that fails shows every last line" grep -q '^E: broken$' <<<"$out"
expect "and says which step failed" grep -q '^installing failed (exit 100)' <<<"$out"

# Under set -e, as the scripts run, a failing step still stops the caller.
fails() { ! "$@"; }
expect "a failing step stops a script under set -e" \
    fails bash -c '. "$1"; set -e; progress_run x false; exit 0' _ "$(dirname "$0")/../../scripts/lib/progress.bash"
[[ $failures -eq 0 ]]
