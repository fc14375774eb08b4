#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# apt.sh DIR [--arch ARCH] APT-GET-ARGUMENTS...
#
# apt-get with a state of its own under DIR: the system's sources (each with
# its deb-src twin) read into DIR's own lists, and DIR's own cache and
# package status, for ARCH (the machine's unless given). Fetching a source
# package, or another architecture's packages, so changes nothing of the
# system's apt set-up. The lists are read once per DIR.
set -euo pipefail
dir=$1
shift
arch=$(dpkg --print-architecture)
if [ "${1:-}" = --arch ]; then
    arch=$2
    shift 2
fi
mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial" "$dir/parts"
# apt takes a relative Dir:: path as one under /etc/apt: make it whole.
dir=$(cd "$dir" && pwd)
touch "$dir/status"
options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$dir/parts"
    -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache" -o "Dir::State::status=$dir/status"
    -o "APT::Architecture=$arch" -o "APT::Architectures=$arch" -o "APT::Sandbox::User=$(id -un)"
    -o Debug::NoLocking=1)

if [ ! -f "$dir/lists/.read" ]; then
    # Every source with its deb-src twin, in both the one-line and the deb822 form.
    : >"$dir/parts/src.list"
    : >"$dir/parts/src.sources"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ ! -f "$file" ] || sed -n '/^[[:space:]]*deb[[:space:]]/{p;s/^[[:space:]]*deb/deb-src/p}' \
            "$file" >>"$dir/parts/src.list"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ ! -f "$file" ] || { sed 's/^Types:.*/Types: deb deb-src/' "$file"; echo; } >>"$dir/parts/src.sources"
    done
    # A third-party source without a deb-src side only warns here; what
    # counts is whether the packages asked for come.
    apt-get "${options[@]}" update >"$dir/update.log" 2>&1 || true
    touch "$dir/lists/.read"
fi
apt-get "${options[@]}" "$@" >>"$dir/apt.log" 2>&1 || {
    cat "$dir/update.log" "$dir/apt.log" >&2
    echo "apt-get $* failed for $arch (the package archive must be reachable)" >&2
    exit 1
}
