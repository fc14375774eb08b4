#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Builds the game for web browsers into build-web/site: the page, the
# program as JavaScript and WebAssembly (Emscripten), and the game's icon,
# static files to host anywhere, with the web app manifest, its icons and
# the service worker that keeps the files for offline play. Then runs the
# browser tests in headless Chromium and in Firefox ESR (under Xvfb).
#
#   scripts/web.sh              build, then test in Chromium and Firefox
#   scripts/web.sh --no-check   build only
#   scripts/web.sh --serve      build, then serve on 127.0.0.1 until Ctrl-C
#   scripts/web.sh --bench      build, then print each file's size, raw and
#                               gzip -9, and frame times in Chromium
#   scripts/web.sh --audit      build, then print Lighthouse's scores
#                               (desktop and mobile, the page in English
#                               and in Chinese) in Chromium
#
# Installs what it needs from Debian's packages, and the test driver
# (puppeteer-core, no browser of its own) from npm into tests/web;
# --audit installs Lighthouse from npm into build-web/audit.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

mode=check
case "${1:-}" in
    "") ;;
    --no-check) mode=build ;;
    --serve) mode=serve ;;
    --bench) mode=bench ;;
    --audit) mode=audit ;;
    *)
        echo "usage: scripts/web.sh [--no-check | --serve | --bench | --audit]" >&2
        exit 2
        ;;
esac

out=$PWD/build-web
site=$out/site
jobs=$(nproc)
logs=$out/logs
mkdir -p "$logs"

# Debian's emscripten brings Debian's node with it; a node from elsewhere
# (NodeSource, say) does not look where Debian keeps the modules emcc needs.
ensure_packages cmake make emscripten librsvg2-bin
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

# THIRD-PARTY-NOTICES.txt for the site: the notices of Emscripten's
# JavaScript runtime and of the system libraries the linker took members of
# (its trace, in the build's log), from the stanzas of the emscripten
# package's copyright file that cover their source files; musl's own
# COPYRIGHT with its C library. Where each library's sources are, under
# Emscripten's tree: a library not listed stops the build until its notices
# are known.
declare -A kLibrarySources=(
    [libc]="system/lib/libc system/lib/pthread" [libstubs]=system/lib/libc
    [libc++]=system/lib/libcxx [libc++abi]=system/lib/libcxxabi [libcompiler_rt]=system/lib/compiler-rt
    [libdlmalloc]="system/lib/dlmalloc.c system/lib/sbrk.c" [libemmalloc]="system/lib/emmalloc.c system/lib/sbrk.c"
)
write_notices() {
    local emscripten=/usr/share/emscripten copyright=/usr/share/doc/emscripten/copyright
    local sources=$out/notice-sources member library object found unknown=()
    printf '%s\n' src/shell.js src/preamble.js src/library.js src/postamble.js >"$sources"
    # The trace names members as .../sysroot/lib/wasm32-emscripten[/lto]/libc-optz.a(rand.o).
    while read -r member; do
        library=${member%%.a(*}
        library=${library%%-*}  # the variant aside: libc++-noexcept, libc-mt
        object=${member#*(}
        object=${object%.o)}
        found=
        [ -z "${kLibrarySources[$library]:-}" ] ||
            found=$(cd "$emscripten" && find ${kLibrarySources[$library]} -type f \( -name "$object.c" \
                -o -name "$object.cpp" -o -name "$object.s" -o -name "$object.S" \) | sort)
        [ -n "$found" ] || unknown+=("$member")
        echo "$found" >>"$sources"
    done < <(sed -n 's|^.*/sysroot/lib/.*/\(lib[^/]*\.a([^)]*)\)$|\1|p' "$logs/build.log" | sort -u)
    if [ ${#unknown[@]} -ne 0 ] || ! grep -q '^system/lib/libc/musl/' "$sources"; then
        printf '%s\n' "${unknown[@]}" >&2
        echo "No notices known for the members above of Emscripten's libraries (or no C library linked)" >&2
        exit 1
    fi
    sort -u -o "$sources" "$sources"
    # With a byte-order mark, by which a browser reads it as UTF-8 from any server.
    {
        printf '\357\273\277'
        notice_header "Zembrat Quillory $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/game/CMakeCache.txt") in a web browser: licences"
        notice_section "Emscripten $(tr -d '"' <"$emscripten/emscripten-version.txt"), from $copyright"
        dep5_stanzas "$copyright" "$sources" || exit 1
        notice_section "musl, the C library, from $emscripten/system/lib/libc/musl/COPYRIGHT"
        cat "$emscripten/system/lib/libc/musl/COPYRIGHT"
    } >"$site/THIRD-PARTY-NOTICES.txt"
}

echo "Building the web build" >&2
run configure.log emcmake cmake -S . -B "$out/game" -DCMAKE_BUILD_TYPE=Release -DZQ_BUILD_TESTS=OFF
# Linked anew, so that the log holds the linker's trace.
rm -f "$out/game/app/zembrat-quillory.js"
run build.log cmake --build "$out/game" -j "$jobs"
rm -rf "$site"
mkdir -p "$site"
source scripts/notices.sh
write_notices
cp LICENSE "$site/LICENSE.txt"
cp web/index.html web/manifest.webmanifest "$out/game/app/zembrat-quillory.js" \
    "$out/game/app/zembrat-quillory.wasm" data/zembrat-quillory.svg "$site/"
# The app's icons from the one SVG: plain at 192 and 512 pixels, and a
# maskable one whose figure keeps within the middle circle a launcher may cut
# it to, on white to the edges. rsvg-convert writes no time into a PNG.
for size in 192 512; do
    rsvg-convert --width=$size --height=$size --output="$site/icon-$size.png" data/zembrat-quillory.svg
done
rsvg-convert --width=440 --height=440 --page-width=512 --page-height=512 --left=36 --top=36 \
    --background-color=white --output="$site/icon-maskable-512.png" data/zembrat-quillory.svg
# The service worker keeps the files of the site under a name made from
# the contents of them all, so that the same sources always give the same
# bytes. It leaves out the PNG icons, 34 KB that gzip cannot shrink: only
# installing the app needs them, and the browser fetches them itself then.
files=$(cd "$site" && ls | LC_ALL=C sort)
hash=$(cd "$site" && sha256sum $files | sha256sum | cut -c1-16)
list=$(printf "'%s', " $(printf '%s\n' $files | grep -v '\.png$'))
sed -e "s/@HASH@/$hash/" -e "s/@FILES@/${list%, }/" web/sw.js >"$site/sw.js"
echo "Built $site: zembrat-quillory.js $(stat -c %s "$site/zembrat-quillory.js") bytes," \
    "zembrat-quillory.wasm $(stat -c %s "$site/zembrat-quillory.wasm") bytes, cache $hash" >&2

# Every file of the site, raw and gzip -9, and the weight of a first visit:
# the six files a browser fetches to show the page and start the game (the
# service worker then keeps the PNG icons too, for the installed app).
print_sizes() {
    local first_visit=" index.html zembrat-quillory.js zembrat-quillory.wasm manifest.webmanifest sw.js zembrat-quillory.svg "
    local file raw packed mark total=0
    printf '%-24s %9s %9s\n' "file (* first visit)" bytes "gzip -9"
    for file in $(cd "$site" && ls | LC_ALL=C sort); do
        raw=$(stat -c %s "$site/$file")
        packed=$(gzip -9 -c "$site/$file" | wc -c)
        mark=" "
        if [[ $first_visit == *" $file "* ]]; then
            mark="*"
            total=$((total + packed))
        fi
        printf '%s %-22s %9d %9d\n' "$mark" "$file" "$raw" "$packed"
    done
    printf '%-24s %9s %9d\n' "first visit" "" "$total"
}

case $mode in
    build) exit 0 ;;
    serve) exec node web/serve.js "$site" "${ZQ_WEB_PORT:-8080}" ;;
    bench) print_sizes ;;
esac

# The browser and its driver. npm comes with node from NodeSource; Debian
# packages it apart.
ensure_packages chromium
command -v npm >/dev/null 2>&1 || ensure_packages npm
export ZQ_CHROMIUM=${ZQ_CHROMIUM:-$(command -v chromium)}
(cd tests/web && run npm.log npm ci --no-audit --no-fund)

case $mode in
    bench) exec node tests/web/bench.js "$site" ;;
    audit)
        # Lighthouse, pinned, in a folder of its own: too big for the test
        # driver's lockfile, which CI installs on every run.
        lighthouse=$out/audit/node_modules/.bin/lighthouse
        if [ ! -x "$lighthouse" ]; then
            mkdir -p "$out/audit"
            run audit-npm.log npm install --prefix "$out/audit" --no-audit --no-fund --no-save lighthouse@12.8.2
        fi
        port=${ZQ_WEB_PORT:-8080}
        node web/serve.js "$site" "$port" >"$logs/audit-serve.log" &
        server=$!
        trap 'kill $server 2>/dev/null || true' EXIT
        sleep 1
        for lang in en zh; do
            for preset in desktop mobile; do
                report=$out/audit/$preset-$lang.json
                args=(--quiet --output=json --output-path="$report"
                    --chrome-flags="--headless=new --no-sandbox --enable-unsafe-swiftshader")
                [ $preset = desktop ] && args+=(--preset=desktop)
                CHROME_PATH=$ZQ_CHROMIUM run audit-$preset-$lang.log "$lighthouse" \
                    "http://127.0.0.1:$port/?lang=$lang" "${args[@]}"
                node -e '
                    const report = require(process.argv[1]);
                    const scores = Object.values(report.categories).map((c) => `${c.title} ${Math.round(c.score * 100)}`);
                    console.log(`${process.argv[2]}: ${scores.join(", ")}`);
                    for (const audit of Object.values(report.audits)) {
                        if (audit.score !== null && audit.score < 1 && audit.scoreDisplayMode === "binary") console.log(`  failed: ${audit.id}`);
                    }' "$report" "$preset, $lang"
            done
        done
        exit 0
        ;;
esac

# The first frames of the native game under Xvfb, from the real-window suite,
# for the browser's frames to be compared with.
ensure_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev xvfb libx11-dev libxtst-dev
echo "Taking the native game's first frames" >&2
run native-configure.log cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release
run native-build.log cmake --build "$out/native" -j "$jobs" --target e2e_tests
mkdir -p "$out/reference"
ZQ_REFERENCE_DIR=$out/reference run reference.log \
    "$out/native/tests/e2e/e2e_tests" --gtest_filter='NativeReference.*'

# Firefox has WebGL here only in a window of its own: an X server for it,
# stopped when the script ends (a signal ends it through exit too). Xvfb
# picks a free display itself and writes it to the given fd once it accepts
# connections.
ensure_packages firefox-esr
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1600x1300x24 -nolisten tcp 3>"$display_file" 2>"$logs/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$display_file"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
for _ in $(seq 100); do
    [ -s "$display_file" ] || ! kill -0 $xvfb 2>/dev/null && break
    sleep 0.1
done
display=$(tr -dc 0-9 <"$display_file")
[ -n "$display" ] || { cat "$logs/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }

# The same suite in each browser; both run even when the first fails.
cd tests/web
failed=()
for browser in chromium firefox; do
    echo "Testing in $browser" >&2
    ZQ_BROWSER=$browser DISPLAY=:$display ZQ_SITE=$site ZQ_REFERENCE_DIR=$out/reference \
        node --test game.test.js || failed+=("$browser")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "The browser tests failed in: ${failed[*]}" >&2
    exit 1
fi
