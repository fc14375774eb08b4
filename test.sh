#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds everything and runs every test, installing what they need: each
# build's workflow preset in turn (CMakePresets.json), then the release.
#   native   the unit tests against the recording GL stand-in, the start-up
#            tests of the real main, the real program in a real window under
#            Xvfb, the fuzzing, and the Debian package, built with
#            dpkg-buildflags' flags alone, checked and played
#   asan     the unit, start-up and fuzz tests and a played game under
#            AddressSanitizer and UndefinedBehaviorSanitizer
#   bench    the frame-time benchmark, run once: its figures in the log
#   fuzz     the libFuzzer targets (clang), each run on a fixed number of inputs
#   windows  the .exe, its imports and resources, played under Wine
#   arm64    the arm64 build's unit, start-up and fuzz tests under qemu, its
#            fuzz plays against the native ones digest for digest, the
#            real-window suite playing it, and its Debian package, checked
#            and played (its libraries are fetched into a sysroot of its own:
#            the system's apt set-up stays as it is)
#   web      the site in Chromium and Firefox, against the native game's frames,
#            then its weight and frame times in Chromium (figures in the log)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${DEB_PACKAGES[@]}" \
    "${DEB_CHECK_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${ARM64_PACKAGES[@]}" \
    "${WEB_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" git zip unzip reuse
# npm comes with a node from elsewhere (NodeSource); Debian packages it apart.
command -v npm >/dev/null 2>&1 || ensure_packages npm

# Every file says whose it is and under which licence (an SPDX header, or
# .reuse/dep5 for those that take no comment), and LICENSES/ has the text.
reuse lint --quiet || { reuse lint | tail -n 20; echo "reuse lint failed" >&2; exit 1; }

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}
for preset in native asan bench fuzz windows arm64 web; do
    echo "== $preset" >&2
    start=$SECONDS
    cmake --workflow --preset "$preset"
    echo "== $preset: $((SECONDS - start)) s" >&2
done

# The release (scripts/release.sh), made twice from two clones of HEAD at
# different paths and compared to the byte; its zips and its source tarball,
# built on its own, checked.
echo "== release" >&2
ctest --preset release
