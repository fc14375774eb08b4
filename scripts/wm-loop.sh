#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Starts the game again and again under a window manager, each time on a new
# Xvfb with the manager just started, while stress-ng keeps the CPUs busy, and
# counts the windows lost (not viewable within 10 s) and those the manager's
# rule for the game's class did not reach. Prints the times from start to a
# viewable window. Not part of the tests: it takes minutes and asserts no time.
#
#   scripts/wm-loop.sh [openbox|fluxbox|icewm] [launches] [game]
#
# ZQ_STOP_MANAGER=<seconds> also stops the manager (SIGSTOP) from just before
# the game starts until that long after its window has been made, as a manager
# busy with its own start would be; times then count from when it goes on.
#
# The rule: openbox's tests/e2e/openbox.xml (no frame, so _OB_APP_CLASS is set
# and the frame extents are 0), fluxbox's apps file and icewm's winoptions
# (both give the class a width of 640, which the window then has).
set -uo pipefail
cd "$(dirname "$0")/.."
manager=${1:-openbox}
launches=${2:-100}
game=${3:-build-test/app/zembrat-quillory}
[ -x "$game" ] || { echo "no game at $game (build build-test first)" >&2; exit 2; }
work=$(mktemp -d)
trap 'kill $stress 2>/dev/null; rm -rf "$work"' EXIT
stress-ng --cpu "$(nproc)" --quiet &
stress=$!

case $manager in
    openbox) command=(openbox --config-file "$PWD/tests/e2e/openbox.xml") ;;
    fluxbox)
        mkdir -p "$work/.fluxbox"
        printf '[app] (class=Zembrat-quillory)\n  [Dimensions] {640 480}\n[end]\n' >"$work/.fluxbox/apps"
        # A current configuration, so that fluxbox does not update it and
        # start itself again.
        echo 'session.configVersion: 13' >"$work/.fluxbox/init"
        command=(fluxbox) ;;
    icewm)
        mkdir -p "$work/icewm"
        echo 'Zembrat-quillory.geometry: 640x480' >"$work/icewm/winoptions"
        export ICEWM_PRIVCFG=$work/icewm
        command=(icewm) ;;
    *) echo "usage: scripts/wm-loop.sh [openbox|fluxbox|icewm] [launches] [game]" >&2; exit 2 ;;
esac
export HOME=$work  # the managers' own dot files stay out of the user's
source scripts/packages.sh
ensure_packages stress-ng xvfb xdotool x11-utils "$manager"

# What became of the window, the game and the manager, for a report.
describe() {
    local w
    w=$(xdotool search --name '^Zembrat Quillory$' 2>/dev/null | head -1)
    if [ -z "$w" ]; then
        echo -n "no window"
    else
        echo -n "window $(xwininfo -id "$w" | awk '/Map State/ {print $3}')," \
            "parent $(xwininfo -id "$w" -children | awk '/Parent window id/ {print $5, $6}')," \
            "$(xprop -id "$w" WM_STATE WM_CLASS | tr -s '\n\t' '  ')"
    fi
    echo -n "; game $(kill -0 "$pid" 2>/dev/null && echo running || echo gone)," \
        "$manager $(kill -0 "$wm" 2>/dev/null && echo running || echo gone)," \
        "$(xprop -root _NET_CLIENT_LIST 2>&1)"
    [ -s "$work/manager.log" ] && echo -n "; $manager wrote: $(tail -c 300 "$work/manager.log" | tr "\n" " ")"
    [ -s "$work/game.log" ] && echo -n "; the game wrote: $(head -c 300 "$work/game.log" | tr "\n" " ")"
}

lost=0 unclassed=0 unstarted=0 times=()
n=0
while [ "$n" -lt "$launches" ]; do
    n=$((n + 1))
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
    export DISPLAY=:$(tr -dc 0-9 <"$work/display")
    "${command[@]}" >"$work/manager.log" 2>&1 &
    wm=$!
    started=
    for _ in $(seq 600); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && started=1 && break
        sleep 0.05
    done
    if [ -z "$started" ] || ! kill -0 "$wm" 2>/dev/null; then
        # Not a start of the game: the manager never ran on this screen.
        unstarted=$((unstarted + 1))
        echo "$manager did not start: $(tail -c 300 "$work/manager.log" | tr '\n' ' ')" >&2
        n=$((n - 1))  # tried again on a new screen, up to as many times as launches
        [ "$unstarted" -gt "$launches" ] && { echo "$manager does not start here" >&2; exit 1; }
        kill -KILL "$wm" 2>/dev/null
        wait "$wm" 2>/dev/null
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
        continue
    fi
    [ -n "${ZQ_STOP_MANAGER:-}" ] && kill -STOP "$wm"
    start=$(date +%s%N)
    echo 2 | LC_ALL=C "$game" >/dev/null 2>"$work/game.log" &
    pid=$!
    if [ -n "${ZQ_STOP_MANAGER:-}" ]; then
        for _ in $(seq 600); do
            [ -n "$(xdotool search --name '^Zembrat Quillory$' 2>/dev/null)" ] && break
            sleep 0.05
        done
        sleep "$ZQ_STOP_MANAGER"
        kill -CONT "$wm"
        start=$(date +%s%N)
    fi
    window= shown= failed=
    while [ $(( $(date +%s%N) - start )) -lt 10000000000 ]; do
        window=$(xdotool search --onlyvisible --name '^Zembrat Quillory$' 2>/dev/null | head -1)
        [ -n "$window" ] && { shown=$(( ($(date +%s%N) - start) / 1000000 )); break; }
        sleep 0.02
    done
    if [ -z "$shown" ]; then
        lost=$((lost + 1)) failed=1
        echo "launch $n: no viewable window within 10 s; $(describe)" >&2
        for _ in $(seq 250); do
            xdotool search --onlyvisible --name '^Zembrat Quillory$' >/dev/null 2>&1 && break
            sleep 0.2
        done
        echo "  and a minute on: $(describe)" >&2
    else
        times+=("$shown")
        sleep 0.5  # for the manager to finish taking it on
        case $manager in
            openbox) xprop -id "$window" _OB_APP_CLASS | grep -q '"Zembrat-quillory"' ;;
            *) xwininfo -id "$window" | grep -q 'geometry 640x' ;;
        esac || {
            unclassed=$((unclassed + 1)) failed=1
            echo "launch $n: the class rule did not apply ($(xwininfo -id "$window" | grep -o "geometry.*")); $(describe)" >&2
        }
    fi
    if [ -n "$failed" ] && ! kill -0 "$wm" 2>/dev/null; then
        wait "$wm"
        echo "  $manager had ended with status $? (143: a SIGTERM from elsewhere)" >&2
    fi
    # A manager may take its time over SIGTERM (fluxbox once never ended).
    kill "$pid" "$wm" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$wm" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" "$wm" 2>/dev/null
    wait "$pid" "$wm" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
count=${#times[@]}
pick() { [ "$count" -gt 0 ] && sed -n "$(( ($1 * (count - 1)) / 100 + 1 ))p" <<<"$sorted"; }
echo "$manager, $launches launches with $(nproc) CPUs loaded ($unstarted screens where $manager did not start):" \
    "$lost lost, $unclassed without the class rule;" \
    "ms to viewable: min $(pick 0), median $(pick 50), 90% $(pick 90), max $(pick 100)"
[ "$lost" -eq 0 ] && [ "$unclassed" -eq 0 ]
