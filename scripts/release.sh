#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Makes a release of the committed tree in dist/: every file a player
# downloads, named with the version of project() in CMakeLists.txt (which
# CPack gives the Debian package), and their checksums.
#
#   zembrat-quillory_<version>_amd64.deb                the Debian package
#   zembrat-quillory_<version>_arm64.deb                the same for 64-bit ARM
#   zembrat-quillory-<version>-windows-x86_64.zip       the .exe, README.txt, LICENSE.txt
#                                                       and THIRD-PARTY-NOTICES.txt
#   zembrat-quillory-<version>-web.zip                  the site to host
#   zembrat-quillory-<version>.tar.gz                   the source
#   SHA256SUMS                                          for sha256sum -c
#
# The same commit gives the same files to the byte, wherever it is checked
# out and whenever it is built: every time recorded is SOURCE_DATE_EPOCH,
# the last commit's time unless it is set already.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages git zip "${BUILD_PACKAGES[@]}" "${DEB_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
    "${ARM64_PACKAGES[@]}" emscripten

# The source tarball is the commit; the rest must be built from it too.
if [ -n "$(git status --porcelain)" ]; then
    git status --short >&2
    echo "The working tree has uncommitted changes (above). A release is made from a commit:" >&2
    echo "commit or stash them, then run this again." >&2
    exit 1
fi

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC  # zip records local times

dist=$PWD/dist
logs=$PWD/build-release/logs
stage=$PWD/build-release/stage
rm -rf "$dist" "$stage"
mkdir -p "$dist" "$logs" "$stage"

# zip_dir DIR ZIP: every file under DIR, in sorted order, with the same
# time, permissions and no extra fields, whoever unpacked the sources where.
zip_dir() {
    find "$1" -type f -exec chmod 0644 {} + -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
    (cd "$1" && find . -type f | LC_ALL=C sort | zip -q -X -D -@ "$2")
}

echo "Release of $(git rev-parse --short HEAD), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"

# Each build through its preset, without its tests.
build() {  # build PRESET
    run "$1-configure.log" cmake --preset "$1" -DZQ_BUILD_TESTS=OFF
    run "$1-build.log" cmake --build --preset "$1"
}
echo "Building the Debian package"
build native
# CPack gives the members of the .deb the modes its files got from the
# umask: one that is the same everywhere makes the same package everywhere.
(umask 0022 && run package.log cpack --preset native -B "$stage/deb")
version=$(dpkg-deb -f "$stage"/deb/zembrat-quillory_*.deb Version)
name=zembrat-quillory-$version

echo "Building the arm64 Debian package"
build arm64
(umask 0022 && run package-arm64.log cpack --preset arm64 -B "$stage/deb")
cp "$stage"/deb/zembrat-quillory_*.deb "$dist/"  # amd64 and arm64

echo "Building the Windows .exe"
build windows
mkdir -p "$stage/windows"
cp build-windows/zembrat-quillory.exe "$stage/windows/"
# The texts are UTF-8 with a byte-order mark, by which Notepad knows them on
# every Windows the game runs on (without one, older Notepads read them in
# the local code page), and CR LF line ends. README.txt is in Chinese and
# English; the notices hold names that are not ASCII.
windows_text() {
    printf '\357\273\277'
    sed -e "s/@PROJECT_VERSION@/$version/" -e 's/$/\r/' "$1"
}
windows_text data/windows-readme.txt >"$stage/windows/README.txt"
windows_text LICENSE >"$stage/windows/LICENSE.txt"
windows_text build-windows/THIRD-PARTY-NOTICES.txt >"$stage/windows/THIRD-PARTY-NOTICES.txt"
zip_dir "$stage/windows" "$dist/$name-windows-x86_64.zip"

echo "Building the web build"
build web
cp -r build-web/site "$stage/web"
zip_dir "$stage/web" "$dist/$name-web.zip"

# git archive sorts the entries by name and gives them the commit's time and
# owner 0; the modes and line ends must not depend on the local git set-up.
echo "Packing the source"
git -c tar.umask=0022 -c core.autocrlf=false archive --format=tar --prefix="$name/" HEAD |
    gzip -9n >"$dist/$name.tar.gz"

(cd "$dist" && sha256sum -- *.deb *.zip *.tar.gz >SHA256SUMS)
echo "Made $dist:"
ls -l "$dist" | tail -n +2
