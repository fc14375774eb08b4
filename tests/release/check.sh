#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Makes the release of HEAD twice, in two clones at different paths, under
# different umasks and time zones, and checks that both give the same
# SHA256SUMS; then that the checksums hold, what the zips hold, and that the
# source tarball builds the game on its own, with no git at hand.
# Usage: tests/release/check.sh VERSION (project()'s, which the release names)
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
source scripts/packages.sh
ensure_packages git zip unzip "${BUILD_PACKAGES[@]}"

failed=()
fail() { failed+=("$1"); echo "FAILED: $1" >&2; }

commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain)" ] ||
    echo "The working tree has uncommitted changes: checking the release of HEAD ($commit) only"
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
a=$tmp/a
b=$tmp/another/clone-of-the-game
release() {  # release DIR UMASK TZ
    git clone -q --no-checkout "$PWD" "$1" && git -C "$1" checkout -q --detach "$commit" || exit 1
    local start=$SECONDS
    (cd "$1" && umask "$2" && TZ=$3 env -u SOURCE_DATE_EPOCH scripts/release.sh) >"$1.log" 2>&1 ||
        { cat "$1.log" >&2; echo "FAILED: scripts/release.sh in $1" >&2; exit 1; }
    echo "Release in $1: $((SECONDS - start)) s"
}
release "$a" 0022 UTC
release "$b" 0002 Asia/Shanghai

version=$1
name=zembrat-quillory-$version
cat "$a/dist/SHA256SUMS"
cmp -s "$a/dist/SHA256SUMS" "$b/dist/SHA256SUMS" ||
    { diff "$a/dist/SHA256SUMS" "$b/dist/SHA256SUMS"; fail "the two clones' SHA256SUMS differ"; }
(cd "$a/dist" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c"
listed=$(cut -d' ' -f3 "$a/dist/SHA256SUMS" | sort)
expected=$(printf '%s\n' "${name}-web.zip" "${name}-windows-x86_64.zip" "$name.tar.gz" \
    "zembrat-quillory_${version}_amd64.deb" "zembrat-quillory_${version}_arm64.deb" | sort)
[ "$listed" = "$expected" ] || fail "SHA256SUMS lists $(tr '\n' ' ' <<<"$listed")"

# The zips: sorted entries with no extra fields; the .exe as built, a README
# with CR LF line ends, and every file of the site.
windows=$a/dist/$name-windows-x86_64.zip web=$a/dist/$name-web.zip
for zip in "$windows" "$web"; do
    unzip -Z1 "$zip" | LC_ALL=C sort -c 2>/dev/null || fail "$zip: entries not sorted"
    ! unzip -Z -v "$zip" | grep 'length of extra field' | grep -qv ' 0 bytes' ||
        fail "$zip: extra fields"
done
[ "$(unzip -Z1 "$windows" | tr '\n' ' ')" = \
    "LICENSE.txt README.txt THIRD-PARTY-NOTICES.txt zembrat-quillory.exe " ] ||
    fail "the Windows zip holds $(unzip -Z1 "$windows" | tr '\n' ' ')"
# Each zip: the game's licence, and the notices of the libraries in it.
notices() {  # notices ZIP TEXT...
    local zip=$1 text
    shift
    unzip -p "$zip" LICENSE.txt | grep -q "Copyright 2026 The Zembrat Quillory developers" ||
        fail "$zip: no LICENSE.txt"
    for text in "Copyright 2026 The Zembrat Quillory developers" "$@"; do
        unzip -p "$zip" THIRD-PARTY-NOTICES.txt | grep -qF "$text" || fail "$zip: no \"$text\" in its notices"
    done
}
notices "$windows" "Pawel W. Olszta" "The Open Group" "Lucent Technologies" "the mingw-w64 project" \
    "GCC Runtime Library Exception"
notices "$web" "The Emscripten Authors" "musl as a whole is licensed" "Rich Felker"
cmp -s <(unzip -p "$windows" zembrat-quillory.exe) "$a/build-windows/zembrat-quillory.exe" ||
    fail "the .exe in the Windows zip is not the one built"
readme=$(unzip -p "$windows" README.txt)
[ "$(grep -c $'\r$' <<<"$readme")" = "$(wc -l <<<"$readme")" ] ||
    fail "README.txt has lines not ended by CR LF"
[[ $readme == $'\xef\xbb\xbf'* ]] && iconv -f UTF-8 -t UTF-8 <<<"$readme" >/dev/null ||
    fail "README.txt is not UTF-8 with a byte-order mark"
grep -q "Zembrat Quillory $version " <<<"$readme" || fail "README.txt does not name $version"
grep -qF "只认小写字母" <<<"$readme" && grep -qF "Only the lower-case keys act" <<<"$readme" ||
    fail "README.txt is not in both Chinese and English"
site=$(cd "$a/build-web/site" && find . -type f | cut -c3- | LC_ALL=C sort)
[ "$(unzip -Z1 "$web")" = "$site" ] ||
    fail "the web zip does not hold build-web/site"

# The source: exactly the commit's files, building the game in an empty
# folder with plain CMake, where git fails if anything calls it.
tar -xzf "$a/dist/$name.tar.gz" -C "$tmp"
[ "$(cd "$tmp/$name" && find . ! -type d | cut -c3- | LC_ALL=C sort)" = \
    "$(git ls-tree -r --name-only "$commit" | LC_ALL=C sort)" ] ||
    fail "the source tarball's files are not the commit's"
mkdir -p "$tmp/nogit" "$tmp/source-build" && printf '#!/bin/sh\nexit 1\n' >"$tmp/nogit/git"
chmod +x "$tmp/nogit/git"
(cd "$tmp/source-build" && export PATH=$tmp/nogit:$PATH && cmake "$tmp/$name" &&
    cmake --build . -j "$(nproc)" --target zembrat-quillory) >"$tmp/source-build.log" 2>&1 &&
    [ -x "$tmp/source-build/app/zembrat-quillory" ] ||
    { tail -n 40 "$tmp/source-build.log" >&2; fail "the source tarball does not build the game"; }

if [ ${#failed[@]} -gt 0 ]; then
    printf 'Release check FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "Release check passed (same SHA256SUMS from two clones, checksums, zips, source build)"
