#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Plays the real program, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, from its console prompt to its game over, on the
# display it is given (the xvfb fixture's): order 2 on standard input, then
# `s` held down so that every piece drops straight onto the stack in the
# middle until a new piece cannot make its first step. Passes when the game ends with status 1 and the
# sanitizers reported nothing.
#
#   DISPLAY=... sanitized_game.sh GAME PRESS_KEYS LSAN_SUPPRESSIONS
set -euo pipefail

game=$1
press_keys=$2
suppressions=$3
limit=240  # seconds; the game normally ends within half a minute

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait; rm -rf "$work"' EXIT

# The sanitizers' exit statuses, 86 and 87, come from CTest's environment
# (tests/CMakeLists.txt), as in every sanitized test: status 1 is the game's
# own at game over. Leaks found at that exit inside the X, GL and GLUT
# libraries are theirs, not the game's; the suppression file lists them, each
# with its reason.
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"

# freeglut closes the display from an exit handler that runs before the leak
# check, and Mesa then unloads its software driver: the leaks it leaves would
# point into unmapped code that no suppression can name. Preloading the driver
# keeps it mapped. A shared sanitizer runtime must come first in that list.
preload="$(ldd "$game" | awk '/libasan/ {print $3}') $(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1)"

# Both have LIMIT seconds: timeout ends the game with status 124 past them.
timeout "$limit" env LD_PRELOAD="$preload" "$game" <<<2 >"$work/stdout" 2>"$work/stderr" &
game_pid=$!
"$press_keys" s 40 "$limit" >"$work/presses" 2>&1 &
presser_pid=$!
status=0 presser_status=0
wait "$game_pid" || status=$?
wait "$presser_pid" || presser_status=$?

fail() {
    echo "FAIL: $1" >&2
    echo "--- key presses:" >&2
    cat "$work/presses" >&2
    echo "--- the game's standard error:" >&2
    cat "$work/stderr" >&2
    exit 1
}
[ "$status" -ne 124 ] || fail "the game was still running after $limit s"
! grep -qE 'Sanitizer|runtime error' "$work/stderr" || fail "the sanitizers reported errors (exit status $status)"
[ "$status" -eq 1 ] || fail "the game ended with status $status, expected 1 (game over)"
# freeglut's own fatal errors end the process with status 1 too: the window
# must have opened and closed, and freeglut must have said nothing.
[ "$presser_status" -eq 0 ] && ! grep -q freeglut "$work/stderr" ||
    fail "status 1, but the window did not come and go as in a played game"
echo "The game ended at game over (status 1), no sanitizer report. $(cat "$work/presses")"
