#!/usr/bin/env bash
# Builds the game for web browsers into build-web/site: the page, the
# program as JavaScript and WebAssembly (Emscripten), and the game's icon,
# static files to host anywhere. Then runs the browser tests in headless
# Chromium.
#
#   scripts/web.sh              build, then test in Chromium
#   scripts/web.sh --no-check   build only
#   scripts/web.sh --serve      build, then serve on 127.0.0.1 until Ctrl-C
#   scripts/web.sh --bench      build, then print frame times in Chromium
#
# Installs what it needs from Debian's packages, and the test driver
# (puppeteer-core, no browser of its own) from npm into tests/web.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

mode=check
case "${1:-}" in
    "") ;;
    --no-check) mode=build ;;
    --serve) mode=serve ;;
    --bench) mode=bench ;;
    *)
        echo "usage: scripts/web.sh [--no-check | --serve | --bench]" >&2
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
ensure_packages cmake make emscripten
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

echo "Building the web build" >&2
run configure.log emcmake cmake -S . -B "$out/game" -DCMAKE_BUILD_TYPE=Release -DZQ_BUILD_TESTS=OFF
run build.log cmake --build "$out/game" -j "$jobs"
rm -rf "$site"
mkdir -p "$site"
cp web/index.html "$out/game/app/zembrat-quillory.js" "$out/game/app/zembrat-quillory.wasm" \
    data/zembrat-quillory.svg "$site/"
echo "Built $site: zembrat-quillory.js $(stat -c %s "$site/zembrat-quillory.js") bytes," \
    "zembrat-quillory.wasm $(stat -c %s "$site/zembrat-quillory.wasm") bytes" >&2

case $mode in
    build) exit 0 ;;
    serve) exec node web/serve.js "$site" "${ZQ_WEB_PORT:-8080}" ;;
esac

# The browser and its driver. npm comes with node from NodeSource; Debian
# packages it apart.
ensure_packages chromium
command -v npm >/dev/null 2>&1 || ensure_packages npm
export ZQ_CHROMIUM=${ZQ_CHROMIUM:-$(command -v chromium)}
(cd tests/web && run npm.log npm ci --no-audit --no-fund)

if [ "$mode" = bench ]; then
    exec node tests/web/bench.js "$site"
fi

# The first frames of the native game under Xvfb, from the real-window suite,
# for the browser's frames to be compared with.
ensure_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev xvfb libx11-dev libxtst-dev
echo "Taking the native game's first frames" >&2
run native-configure.log cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release
run native-build.log cmake --build "$out/native" -j "$jobs" --target e2e_tests
mkdir -p "$out/reference"
ZQ_REFERENCE_DIR=$out/reference run reference.log \
    "$out/native/tests/e2e/e2e_tests" --gtest_filter='NativeReference.*'

echo "Testing in Chromium" >&2
cd tests/web
ZQ_SITE=$site ZQ_REFERENCE_DIR=$out/reference node --test game.test.js
