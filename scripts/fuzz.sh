#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (the fuzz preset, in build-fuzz), and runs one
# of them.
#
#   scripts/fuzz.sh [SECONDS] [events|order]
#
#   SECONDS  stop after this many seconds; 0 or nothing: run until Ctrl-C
#   events   (default) random key presses, gravity steps and frames, every
#            rule checked after every event (tests/fuzz/event_harness.h)
#   order    random standard input for the order typed at start, read by the
#            game and by an independent reader, which must agree
#
# The corpus grows in build-fuzz/corpus/TARGET across runs. An input that
# breaks a rule is saved in build-fuzz/crashes/TARGET/ and replays with
#   build-fuzz/tests/fuzz/fuzz_TARGET build-fuzz/crashes/TARGET/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

seconds=${1:-0}
target=${2:-events}
[[ $seconds =~ ^[0-9]+$ && $target =~ ^(events|order)$ ]] ||
    { echo "usage: scripts/fuzz.sh [SECONDS] [events|order]" >&2; exit 2; }

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

cmake --preset fuzz
cmake --build --preset fuzz --target "fuzz_$target"

corpus=build-fuzz/corpus/$target
crashes=build-fuzz/crashes/$target
mkdir -p "$corpus" "$crashes"
options=(-artifact_prefix="$crashes/" -print_final_stats=1 -timeout=20)
[ "$seconds" -gt 0 ] && options+=(-max_total_time="$seconds")
if [ "$target" = events ]; then
    # A game to its end takes a few thousand bytes.
    options+=(-max_len=16384)
else
    options+=(-dict=tests/fuzz/order.dict -max_len=64)
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "build-fuzz/tests/fuzz/fuzz_$target" "${options[@]}" "$corpus"
