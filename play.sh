#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds the game through the native preset (installing what it needs; the
# tests are left for ./test.sh) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

cmake --preset native -DZQ_BUILD_TESTS=OFF >/dev/null
cmake --build --preset native --target zembrat-quillory >/dev/null

if [ -z "${DISPLAY:-}" ]; then
    echo "No display: the game opens a window, so run it from a desktop session" >&2
    echo "(or under a virtual X server, e.g. xvfb-run ./play.sh)." >&2
    exit 1
fi
exec ./build-native/app/zembrat-quillory "$@"
