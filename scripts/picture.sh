#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Makes docs/game.png, the picture at the top of the README, from the game's
# own window: the six-pointed star of order 2 and the snowflake of the
# default order 6, each with its piece pressed a few rows down, side by side
# and scaled to half size. The game runs under an Xvfb started as the tests'
# xvfb fixture starts it (tests/fixtures/xvfb.sh) and gets its keys through
# XTEST, as from a keyboard.
# Usage: scripts/picture.sh [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xdotool optipng
out=${1:-docs/game.png}

cmake --preset native >/dev/null
cmake --build --preset native --target zembrat-quillory >/dev/null

tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; bash tests/fixtures/xvfb.sh stop "$tmp/xvfb"; rm -rf "$tmp"' EXIT
# The window opens at (400, 100), on a screen that holds all of it.
bash tests/fixtures/xvfb.sh start "$tmp/xvfb" >/dev/null
export DISPLAY=:$(tr -dc 0-9 <"$tmp/xvfb.display")

# shot ORDER DOWNS PNG: the window at ORDER after DOWNS presses of s, once
# two grabs in a row agree (the frame is drawn and no gravity step came
# between them).
shot() {
    local order=$1 downs=$2 png=$3 id pid last=""
    printf '%s\n' "$order" | build-native/app/zembrat-quillory >/dev/null &
    pid=$!
    id=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zembrat Quillory$' | head -n 1) || true
    [ -n "$id" ] || { echo "the game's window did not open at order $order" >&2; exit 1; }
    xdotool windowfocus --sync "$id"
    for _ in $(seq "$downs"); do xdotool key --delay 40 s; done
    for _ in $(seq 100); do
        import -window "$id" "$tmp/grab.png"
        local sum
        sum=$(convert "$tmp/grab.png" rgb:- | md5sum)
        if [ "$sum" = "$last" ]; then
            cp "$tmp/grab.png" "$png"
            kill "$pid"
            wait "$pid" 2>/dev/null || true
            return 0
        fi
        last=$sum
        sleep 0.3
    done
    echo "the frame at order $order never settled" >&2
    exit 1
}
shot 2 6 "$tmp/order-2.png"
shot 6 9 "$tmp/order-6.png"

# Two frames, a thin grey line between them, at half size, in a palette of
# 128 colours (the flat colours and their edges; it looks the same at an
# eighth of the bytes); then the PNG squeezed without loss.
mkdir -p "$(dirname "$out")"
convert "$tmp/order-2.png" -size 8x860 xc:'#b0b0b0' "$tmp/order-6.png" +append \
    -resize 50% +dither -colors 128 -strip "PNG8:$tmp/picture.png"
rm -f "$out"  # optipng would keep the old one as a .bak
optipng -quiet -o7 -strip all -out "$out" "$tmp/picture.png"
echo "$out: $(identify -format '%wx%h' "$out"), $(stat -c %s "$out") bytes"
