#!/usr/bin/env bash
# Builds the Debian package and checks it: the files it installs, the
# libraries it depends on, its desktop entry, manual page and lintian report,
# and the packaged program opening its window under Xvfb.
# Usage: tests/package/check.sh PATH/TO/e2e_tests
set -uo pipefail
e2e=$(realpath "$1")
cd "$(dirname "$0")/../.."
source scripts/packages.sh
ensure_packages "${DEB_PACKAGES[@]}" "${DEB_CHECK_PACKAGES[@]}"

failed=()
fail() { failed+=("$1"); echo "FAILED: $1" >&2; }

deb=$(scripts/package.sh | tail -n 1) || { echo "FAILED: building the package" >&2; exit 1; }
root=$(mktemp -d) && trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

files=$(cd "$root" && find . ! -type d | cut -c2- | sort)
expected="/usr/games/zembrat-quillory
/usr/share/applications/zembrat-quillory.desktop
/usr/share/doc/zembrat-quillory/README.md
/usr/share/doc/zembrat-quillory/changelog.gz
/usr/share/doc/zembrat-quillory/copyright
/usr/share/icons/hicolor/scalable/apps/zembrat-quillory.svg
/usr/share/man/man6/zembrat-quillory.6.gz"
[ "$files" = "$expected" ] || { diff <(echo "$expected") <(echo "$files"); fail "file list (< expected, > packaged)"; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libglut' <<<"$depends" || fail "Depends names no GLUT library"
grep -Eq 'libgl1|libopengl0' <<<"$depends" || fail "Depends names no GL library"

out=$(desktop-file-validate "$root/usr/share/applications/zembrat-quillory.desktop" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] || { echo "$out"; fail "desktop-file-validate"; }
# Docks match the running window to the menu entry by the window's class.
grep -qx 'StartupWMClass=Zembrat-quillory' "$root/usr/share/applications/zembrat-quillory.desktop" ||
    fail "desktop entry's StartupWMClass is not the window's class, Zembrat-quillory"
out=$(mandoc -T lint "$root/usr/share/man/man6/zembrat-quillory.6.gz" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] || { echo "$out"; fail "mandoc -T lint"; }
lintian --fail-on error "$deb" || fail "lintian reports errors"

out=$(ZQ_GAME_PATH="$root/usr/games/zembrat-quillory" "$e2e" \
    --gtest_filter='WindowTest.SmokeFloorAndFirstPieceAreDrawn:WindowTest.HasItsTitleSizeAndPosition:WindowTest.TellsTheDesktopItsClassProcessAndIcon:WindowTest.AWindowManagerTakesItOnByItsClass' 2>&1)
grep -q '^\[  PASSED  \] 4 tests' <<<"$out" || { echo "$out"; fail "the packaged program's window"; }

if [ ${#failed[@]} -gt 0 ]; then
    printf 'Package check FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "Package check passed (files, Depends, desktop entry, manual page, lintian, window): $deb"
