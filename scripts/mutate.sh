#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Mutation run: plants each fault listed in tests/mutants.tsv, one at a time,
# in a copy of the tree (build-mutate/src), builds it and runs the tests on
# it. A fault that no test notices is a hole in the tests.
#
#   scripts/mutate.sh [LINE...]    LINE: only the mutants on these lines of the list
#
# Per mutant: the unit and fuzz labels, then the real-window suite if they
# pass, within ZQ_MUTANT_LIMIT seconds (default 600) together; a run that
# reaches the limit counts as killed. A mutant that does not build is invalid
# and left out of the score. Exits non-zero when a mutant survives that the
# list does not mark as equivalent.
set -euo pipefail
start=$SECONDS
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
list=$root/tests/mutants.tsv
work=$root/build-mutate
src=$work/src
limit=${ZQ_MUTANT_LIMIT:-600}
jobs=$(($(nproc) < 2 ? $(nproc) : 2))

# The tree as it is, committed or not, with the times of its files kept so
# that the build from an earlier run stays valid for what did not change.
rm -rf "$src"
mkdir -p "$src"
(cd "$root" && git ls-files -co --exclude-standard -z | tar -c --null -T - -f -) | tar -x -C "$src" -f -
# A file mutated last time was put back after its last build: compile it again.
cut -f1 <(grep -v '^#' "$list") | sort -u | (cd "$src" && xargs -r touch)

# In the list, \n in the text to find or its replacement stands for a line break.
unescape() { printf '%s' "${1//\\n/$'\n'}"; }
# Fields are split at a separator that is not white space, so that empty ones stay.
read_mutants() { grep -n -v -e '^#' -e '^$' "$list" | sed 's/:/\t/' | tr '\t' '\037'; }

# Every text to find must be there exactly once before anything is built.
while IFS=$'\037' read -r line file find _; do
    text=$(cat "$src/$file" && echo x) && text=${text%x}
    find=$(unescape "$find")
    after=${text#*"$find"}
    if [[ $after == "$text" ]]; then
        echo "mutants.tsv:$line: not found in $file" >&2
        exit 2
    elif [[ $after == *"$find"* ]]; then
        echo "mutants.tsv:$line: found more than once in $file" >&2
        exit 2
    fi
done < <(read_mutants)

cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release >"$work/cmake.log" </dev/null
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 </dev/null || {
    tail -n 20 "$work/build.log"
    echo "the tree does not build unchanged" >&2
    exit 2
}

# run_tests LABEL SECONDS: prints the first failing test, or "timed out".
run_tests() {
    local status=0
    (cd "$work/build" && timeout -k 10 "$2" ctest -L "$1" -j "$jobs" --stop-on-failure \
        >"$work/test.log" 2>&1 </dev/null) || status=$?
    if [[ $status -eq 124 || $status -eq 137 ]]; then
        echo "timed out: the run reached its limit of ${limit}s"
    elif [[ $status -ne 0 ]]; then
        sed -n '1s/^[0-9]*://p' "$work/build/Testing/Temporary/LastTestsFailed.log"
    fi
}

# Tests that fail unchanged would make every fault look caught.
failed=$(run_tests 'unit|fuzz|e2e' "$limit")
if [[ -n $failed ]]; then
    echo "the tests fail on the tree unchanged: $failed" >&2
    exit 2
fi

killed=0 built=0 equivalent=0 bad=0
while IFS=$'\037' read -r line file find replace breaks reason; do
    [[ $# -eq 0 || " $* " == *" $line "* ]] || continue
    copy=$src/$file
    cp "$copy" "$work/original"
    text=$(cat "$copy" && echo x) && text=${text%x}
    find=$(unescape "$find")
    printf '%s' "${text%%"$find"*}$(unescape "$replace")${text#*"$find"}" >"$copy"
    if cmp -s "$copy" "$work/original"; then
        echo "mutants.tsv:$line: the replacement leaves $file as it was" >&2
        exit 2
    fi
    began=$SECONDS
    printf '%3d %-28s %-60.60s ' "$line" "$file" "$breaks"
    if ! cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 </dev/null; then
        echo "invalid: does not build"
    else
        built=$((built + 1))
        failed=$(run_tests 'unit|fuzz' "$limit")
        if [[ -z $failed ]]; then
            failed=$(run_tests e2e $((limit - (SECONDS - began) > 1 ? limit - (SECONDS - began) : 1)))
        fi
        if [[ -n $failed ]]; then
            killed=$((killed + 1))
            echo "killed ($((SECONDS - began))s): $failed${reason:+ (marked equivalent: check the mark)}"
        elif [[ -n $reason ]]; then
            equivalent=$((equivalent + 1))
            echo "survived, equivalent: $reason"
        else
            bad=$((bad + 1))
            echo "SURVIVED"
        fi
    fi
    # Put back with a new time, so that the next build compiles it again.
    cp "$work/original" "$copy"
done < <(read_mutants)

scored=$((built - equivalent))
echo "score: $killed killed of $scored ($built built, $equivalent equivalent)," \
    "$((scored > 0 ? 100 * killed / scored : 0)) %, in $((SECONDS - start)) s"
[[ $bad -eq 0 ]]
