#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Checks the Debian package that CPack made in BUILD: the files it installs, the
# libraries it depends on and that they resolve in Debian, its desktop entry,
# AppStream metadata, manual pages (English and Chinese) and lintian report,
# the flags the program was compiled with (compile_commands.json) and the
# hardening they give it, and the packaged program opening its window under Xvfb (through
# ZQ_GAME_LAUNCHER when that is set: the emulator of another architecture's).
# The same for the package of every architecture.
# Usage: tests/package/check.sh BUILD PATH/TO/e2e_tests
set -uo pipefail
build=$(realpath "$1")
e2e=$(realpath "$2")
cd "$(dirname "$0")/../.."

failed=()
fail() { failed+=("$1"); echo "FAILED: $1" >&2; }

deb=$(ls "$build"/zembrat-quillory_*.deb) || { echo "FAILED: no package in $build" >&2; exit 1; }
root=$(mktemp -d) && trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

files=$(cd "$root" && find . ! -type d | cut -c2- | sort)
# The README's documents and picture go in with it, so that its links hold.
expected=$(sort <<<"/usr/games/zembrat-quillory
/usr/share/applications/zembrat-quillory.desktop
/usr/share/doc/zembrat-quillory/README.md
/usr/share/doc/zembrat-quillory/changelog.gz
/usr/share/doc/zembrat-quillory/copyright
/usr/share/icons/hicolor/scalable/apps/zembrat-quillory.svg
/usr/share/man/man6/zembrat-quillory.6.gz
/usr/share/man/zh_CN/man6/zembrat-quillory.6.gz
/usr/share/metainfo/zembrat-quillory.metainfo.xml
$(find docs -type f | sed 's|^|/usr/share/doc/zembrat-quillory/|')")
[ "$files" = "$expected" ] || { diff <(echo "$expected") <(echo "$files"); fail "file list (< expected, > packaged)"; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libglut' <<<"$depends" || fail "Depends names no GLUT library"
grep -Eq 'libgl1|libopengl0' <<<"$depends" || fail "Depends names no GL library"
# Installable: apt, with a state of its own in which nothing is installed,
# works out all that installing the package would bring from Debian for its
# architecture, and installs nothing (its log: BUILD/deb-apt/apt.log).
arch=$(dpkg-deb -f "$deb" Architecture)
cmake/apt.sh "$build/deb-apt" --arch "$arch" install --simulate -y "$deb" ||
    fail "Depends do not resolve in Debian for $arch"

# Compiled as a Debian package is (build type None): every compile of the
# game's own code holds dpkg-buildflags' flags as it gives them, all hardening
# on, and no other optimisation level or NDEBUG, which a build type would add
# after them and which would override them.
dpkg_flags() { env DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_HOST_ARCH="$arch" dpkg-buildflags --get "$1"; }
flags="$(dpkg_flags CPPFLAGS) $(dpkg_flags CXXFLAGS)"
python3 - "$build/compile_commands.json" "$flags" <<'EOF' ||
import json, os, shlex, sys
wanted = sys.argv[2].split()
ours = tuple(os.path.abspath(folder) + '/' for folder in ('app', 'game', 'render'))
commands = [shlex.split(c['command']) for c in json.load(open(sys.argv[1])) if c['file'].startswith(ours)]
for args in commands:
    extra = [a for a in args if a.startswith('-O') or a == '-DNDEBUG']
    if ' '.join(wanted) not in ' '.join(args) or extra != [a for a in wanted if a.startswith('-O')]:
        sys.exit(f"{' '.join(args)}\n  is not compiled with exactly: {' '.join(wanted)}")
print(f"{len(commands)} compiles of the game with: {' '.join(wanted)}")
sys.exit(not commands)
EOF
    fail "the game is not compiled with dpkg-buildflags' flags alone"
# The packaged program has the hardening those flags ask for. Not fortify's
# count: memcpy of sizes known when compiled is all the game calls that it
# could guard, which hardening-check counts as unguarded.
skip=(--nofortify)
grep -q -- -fcf-protection <<<"$flags" || skip+=(--nocfprotection)
hardening-check "${skip[@]}" "$root/usr/games/zembrat-quillory" || fail "hardening-check"

out=$(desktop-file-validate "$root/usr/share/applications/zembrat-quillory.desktop" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] || { echo "$out"; fail "desktop-file-validate"; }
# Docks match the running window to the menu entry by the window's class.
grep -qx 'StartupWMClass=Zembrat-quillory' "$root/usr/share/applications/zembrat-quillory.desktop" ||
    fail "desktop entry's StartupWMClass is not the window's class, Zembrat-quillory"
# Software centres read the metainfo file, with the desktop entry and icon it
# names. The one note allowed is on its id, which cannot be a reverse domain
# name: the game has no domain of its own.
out=$(appstreamcli validate-tree --no-net --pedantic --explain "$root" 2>&1)
notes=$(grep -E '^ *[EWIP]: ' <<<"$out" |
    grep -Ev '^ *[WI]: zembrat-quillory:[0-9]+: cid-(desktopapp-is-not-rdns|contains-hyphen) ')
grep -q '^ *W: zembrat-quillory:[0-9]*: cid-desktopapp-is-not-rdns ' <<<"$out" && [ -z "$notes" ] ||
    { echo "$out"; fail "appstreamcli validate-tree"; }
for page in man6/zembrat-quillory.6.gz zh_CN/man6/zembrat-quillory.6.gz; do
    out=$(mandoc -T lint "$root/usr/share/man/$page" 2>&1)
    [ $? -eq 0 ] && [ -z "$out" ] || { echo "$out"; fail "mandoc -T lint $page"; }
    # Read in an 80-column terminal, with no line cut or run over.
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page" 2>&1 >/dev/null)
    width=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/usr/share/man/$page" 2>/dev/null | wc -L)
    [ -z "$out" ] && [ "$width" -le 80 ] && [ "$width" -gt 40 ] ||
        { echo "$out"; fail "$page in 80 columns: $width wide, warnings above"; }
done
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
# The licence, as packagers and software centres read it.
grep -qx 'License: MIT' "$root/usr/share/doc/zembrat-quillory/copyright" || fail "copyright grants no MIT licence"
grep -q '<project_license>MIT</project_license>' "$root/usr/share/metainfo/zembrat-quillory.metainfo.xml" ||
    fail "the metainfo's project_license is not MIT"

out=$(ZQ_GAME_PATH="$root/usr/games/zembrat-quillory" "$e2e" \
    --gtest_filter='WindowTest.SmokeFloorAndFirstPieceAreDrawn:WindowTest.HasItsTitleSizeAndPosition:WindowTest.TellsTheDesktopItsClassProcessAndIcon:WindowTest.AWindowManagerTakesItOnByItsClass' 2>&1)
grep -q '^\[  PASSED  \] 4 tests' <<<"$out" || { echo "$out"; fail "the packaged program's window"; }

if [ ${#failed[@]} -gt 0 ]; then
    printf 'Package check FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "Package check passed (files, Depends and their resolving, compile flags, hardening, desktop entry, AppStream, manual pages, lintian, window): $deb"
