#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Puts the site together, for the build (web/CMakeLists.txt):
#
#   site.sh SITE VERSION PROGRAM TRACE   PROGRAM: the built .js, the .wasm beside it;
#                                        TRACE: the linker's trace of what it took
#   site.sh link TRACE COMMAND...        link, keeping the trace the linker prints
set -euo pipefail
web=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$web")
if [ "$1" = link ]; then
    trace=$2
    shift 2
    "$@" >"$trace" || { cat "$trace"; exit 1; }
    exit 0
fi
site=$1 version=$2 program=$3 trace=$4
rm -rf "$site"
mkdir -p "$site"
"$root/cmake/notices.py" web "$site/THIRD-PARTY-NOTICES.txt" "$version" "$trace"
cp "$root/LICENSE" "$site/LICENSE.txt"
cp "$web/index.html" "$web/manifest.webmanifest" "$program" "${program%.js}.wasm" \
    "$root/data/zembrat-quillory.svg" "$site/"
# The app's icons from the one SVG: plain at 192 and 512 pixels, and a
# maskable one whose figure keeps within the middle circle a launcher may cut
# it to, on white to the edges. rsvg-convert writes no time into a PNG.
for size in 192 512; do
    rsvg-convert --width=$size --height=$size --output="$site/icon-$size.png" "$root/data/zembrat-quillory.svg"
done
rsvg-convert --width=440 --height=440 --page-width=512 --page-height=512 --left=36 --top=36 \
    --background-color=white --output="$site/icon-maskable-512.png" "$root/data/zembrat-quillory.svg"
# The service worker keeps the files of the site under a name made from
# the contents of them all, so that the same sources always give the same
# bytes. It leaves out the PNG icons, 34 KB that gzip cannot shrink: only
# installing the app needs them, and the browser fetches them itself then.
files=$(cd "$site" && ls | LC_ALL=C sort)
hash=$(cd "$site" && sha256sum $files | sha256sum | cut -c1-16)
list=$(printf "'%s', " $(printf '%s\n' $files | grep -v '\.png$'))
sed -e "s/@HASH@/$hash/" -e "s/@FILES@/${list%, }/" "$web/sw.js" >"$site/sw.js"
echo "Built $site: zembrat-quillory.js $(stat -c %s "$site/zembrat-quillory.js") bytes," \
    "zembrat-quillory.wasm $(stat -c %s "$site/zembrat-quillory.wasm") bytes, cache $hash"
