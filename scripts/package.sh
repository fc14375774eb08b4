#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds the Debian package of the game in build-package/ (installing what that
# needs): zembrat-quillory_<version>_<arch>.deb, from a release build made
# with Debian's usual hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${DEB_PACKAGES[@]}"

# The compiler and linker flags a Debian package is built with, every
# hardening feature included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

jobs=$(nproc)
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DZQ_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-package -j "$jobs" >/dev/null
rm -f build-package/zembrat-quillory_*.deb
# CPack gives the members of the .deb the modes its files got from the
# umask: one that is the same everywhere makes the same package everywhere.
(cd build-package && umask 0022 && cpack -G DEB >/dev/null)
ls build-package/zembrat-quillory_*.deb  # the one package just made
