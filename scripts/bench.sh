#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds the frame-time benchmark into build-bench and runs it. Without a
# display it starts a private Xvfb for the run and stops it afterwards.
# Arguments go to the benchmark, e.g. --benchmark_filter=order:6 or
# --benchmark_repetitions=3.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"

source "$root/scripts/packages.sh"
# What every build needs, Google Benchmark, and an X server when there is no display.
needed=("${BUILD_PACKAGES[@]}" libbenchmark-dev)
if [[ -z "${DISPLAY:-}" ]]; then
    needed+=(xvfb)
fi
ensure_packages "${needed[@]}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZQ_BUILD_BENCH=ON -DZQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target frame_bench -j"$(nproc)"

xvfb_pid=""
bench_pid=""
# shellcheck disable=SC2317  # called by the traps below
stop_xvfb() {
    if [[ -n "$bench_pid" ]]; then
        kill "$bench_pid" 2>/dev/null || true
        wait "$bench_pid" 2>/dev/null || true
    fi
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [[ -n "${display_file:-}" ]]; then
        rm -f "$display_file"
    fi
}
trap stop_xvfb EXIT
# A signal ends the script through exit, so the EXIT trap still stops Xvfb.
trap 'exit 130' INT
trap 'exit 143' TERM HUP

if [[ -z "${DISPLAY:-}" ]]; then
    # Xvfb picks a free display number itself and writes it to the given fd
    # once it accepts connections.
    display_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        if [[ -s "$display_file" ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    number="$(tr -dc '0-9' <"$display_file")"
    if [[ -z "$number" ]]; then
        echo "bench: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$number"
    echo "bench: running on a private Xvfb at $DISPLAY" >&2
fi

# Medians over five runs of each frame unless told otherwise. Run in the
# background and waited for, so that a signal stops it and Xvfb at once.
"$build/bench/frame_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@" &
bench_pid=$!
status=0
wait "$bench_pid" || status=$?
bench_pid=""
exit "$status"
