#!/usr/bin/env bash
# Builds the game and every test (installing what they need) and runs them all:
# the unit tests against the recording GL stand-in, the start-up tests of the
# real main, and the real program in a real window under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev xvfb libx11-dev libxtst-dev

jobs=$(nproc)
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release
cmake --build build-test -j "$jobs"
(cd build-test && ctest --output-on-failure -j "$jobs")
