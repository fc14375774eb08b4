#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds the game and every test (installing what they need) and runs them all:
# the unit tests against the recording GL stand-in, the start-up tests of the
# real main and the real program in a real window under Xvfb; the Debian
# package; the sanitizers; the Windows and browser builds; and the release.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev xvfb libx11-dev libxtst-dev openbox \
    "${DEB_PACKAGES[@]}" "${DEB_CHECK_PACKAGES[@]}" reuse

# Every file says whose it is and under which licence (an SPDX header, or
# .reuse/dep5 for those that take no comment), and LICENSES/ has the text.
reuse lint --quiet || { reuse lint | tail -n 20; echo "reuse lint failed" >&2; exit 1; }

jobs=$(nproc)
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release
cmake --build build-test -j "$jobs"
(cd build-test && ctest --output-on-failure -j "$jobs")

# The Debian package (build-package), checked file by file and opened in a
# window by the real-window suite.
tests/package/check.sh build-test/tests/e2e/e2e_tests

# Sanitizer stage: the unit, start-up and fuzz tests again, built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the real program played
# to its game over under them in an Xvfb of its own (label robust).
# After a report the sanitizers exit with status 1 unless told otherwise, and
# 1 is also the game's status at game over, which the death tests and the
# played game expect: give them statuses of their own so that a report can
# never pass for a game over. Leak checking stays on, also in the children of
# the death tests, which end through exit(1) like the game.
export ASAN_OPTIONS=exitcode=86:detect_leaks=1
export UBSAN_OPTIONS=exitcode=87:print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DZQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs" -L 'unit|fuzz|robust')

# The other platforms: the Windows .exe, cross-built and put through the
# real-window suite under Wine, and the browser build, tested in Chromium and
# Firefox ESR against the native game's frames.
scripts/windows.sh
scripts/web.sh

# The release (scripts/release.sh), made twice from two clones of HEAD at
# different paths and compared to the byte; its zips and its source tarball,
# built on its own, checked.
tests/release/check.sh
