#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Plays the real program, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, from its console prompt to its game over, in an
# Xvfb of its own: order 2 on standard input, then `s` held down so that every
# piece drops straight onto the stack in the middle until a new piece cannot
# make its first step. Passes when the game ends with status 1 and the
# sanitizers reported nothing.
#
#   sanitized_game.sh GAME PRESS_KEYS LSAN_SUPPRESSIONS
set -euo pipefail

game=$1
press_keys=$2
suppressions=$3
limit=240  # seconds; the game normally ends within half a minute

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
presser_pid=""
cleanup() {
    for pid in $presser_pid $game_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $presser_pid $game_pid $xvfb_pid; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is missing (Debian package xvfb)" >&2
    exit 1
fi

# Xvfb picks a free display number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 600); do  # a minute at most: only a hung Xvfb takes that long
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# Exit status 1 is the game's own at game over, and also what the sanitizers
# exit with after a report unless told otherwise: give them 86 and 87, so that
# the two cannot be mistaken for each other. Leaks found at that exit inside
# the X, GL and GLUT libraries are theirs, not the game's; the suppression
# file lists them, each with its reason.
export ASAN_OPTIONS="exitcode=86:detect_leaks=1"
export UBSAN_OPTIONS="exitcode=87:print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"

# freeglut closes the display from an exit handler that runs before the leak
# check, and Mesa then unloads its software driver: the leaks it leaves would
# point into unmapped code that no suppression can name. Preloading the driver
# keeps it mapped. A shared sanitizer runtime must come first in that list.
preload=""
asan_runtime=$(ldd "$game" | awk '/libasan/ {print $3}')
[ -n "$asan_runtime" ] && preload=$asan_runtime
for driver in /usr/lib/*/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    if [ -e "$driver" ]; then
        preload="$preload $driver"
        break
    fi
done

printf '2\n' >"$work/input"
LD_PRELOAD="$preload" "$game" <"$work/input" >"$work/stdout" 2>"$work/stderr" &
game_pid=$!
"$press_keys" s 40 "$limit" >"$work/presses" 2>&1 &
presser_pid=$!

status=""
for _ in $(seq $((limit * 10))); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        set +e
        wait "$game_pid"
        status=$?
        set -e
        game_pid=""
        break
    fi
    sleep 0.1
done

report() {
    echo "--- key presses:" >&2
    cat "$work/presses" >&2 || true
    echo "--- the game's standard error:" >&2
    cat "$work/stderr" >&2
}
if [ -z "$status" ]; then
    echo "FAIL: the game was still running after $limit s" >&2
    report
    exit 1
fi
if grep -qE 'Sanitizer|runtime error' "$work/stderr"; then
    echo "FAIL: the sanitizers reported errors (exit status $status)" >&2
    report
    exit 1
fi
if [ "$status" -ne 1 ]; then
    echo "FAIL: the game ended with status $status, expected 1 (game over)" >&2
    report
    exit 1
fi
# freeglut's own fatal errors end the process with status 1 too: the window
# must have opened and closed, and freeglut must have said nothing.
set +e
wait "$presser_pid"
presser_status=$?
set -e
presser_pid=""
if [ "$presser_status" -ne 0 ] || grep -q freeglut "$work/stderr"; then
    echo "FAIL: status 1, but the window did not come and go as in a played game" >&2
    report
    exit 1
fi
echo "The game ended at game over (status 1), no sanitizer report. $(cat "$work/presses")"
