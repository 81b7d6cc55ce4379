#!/usr/bin/env bash
# The confirmation window's cases in one Wine session.
set -u
here=$(dirname "$0")
failures=0
for mode in ok enter-on-cancel cancel timeout accessible; do
    if "$here/confirm_window_test.sh" "$1" "$mode"; then
        echo "confirm_window $mode: passed"
    else
        echo "confirm_window $mode: FAILED"
        failures=$((failures + 1))
    fi
done
exit "$failures"
