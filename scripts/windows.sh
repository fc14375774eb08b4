#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Cross-builds the game for 64-bit Windows as one file that needs no DLL of
# its own, build-windows/zembrat-quillory.exe, with Debian's MinGW-w64, and
# then plays it through Wine in the real-window suite (ctest label windows).
#
#   scripts/windows.sh              build, then check under Wine
#   scripts/windows.sh --no-check   build only
#
# Installs what it needs from Debian's packages when it is missing. freeglut
# is built from Debian's source package, fetched with apt into build-windows/
# without touching the system's apt set-up.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

check=yes
case "${1:-}" in
    "") ;;
    --no-check) check=no ;;
    *)
        echo "usage: scripts/windows.sh [--no-check]" >&2
        exit 2
        ;;
esac

out=$PWD/build-windows
host=x86_64-w64-mingw32
toolchain=$PWD/cmake/mingw-w64.cmake
jobs=$(nproc)
logs=$out/logs
mkdir -p "$logs"

# The deb-src twin of every source the system's apt reads, in both the
# one-line and the deb822 form.
write_source_lists() {
    local parts=$1 file
    : >"$parts/src.list"
    : >"$parts/src.sources"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        if [ -f "$file" ]; then
            sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file" >>"$parts/src.list"
        fi
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        if [ -f "$file" ]; then
            sed 's/^Types:.*/Types: deb-src/' "$file" >>"$parts/src.sources"
            echo >>"$parts/src.sources"  # stanzas are separated by a blank line
        fi
    done
}

fetch_freeglut_source() {
    local apt=$out/apt
    if ls "$apt"/source/freeglut_*.orig.tar.* >/dev/null 2>&1; then
        return 0
    fi
    echo "Fetching freeglut's source from Debian" >&2
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$apt/source"
    write_source_lists "$apt/parts"
    local options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
        -o "APT::Sandbox::User=$(id -un)")
    # A third-party source without a deb-src side only warns here; what
    # counts is whether freeglut's source comes.
    apt-get "${options[@]}" update >"$logs/apt-update.log" 2>&1 || true
    (cd "$apt/source" && apt-get "${options[@]}" source --download-only freeglut) \
        >"$logs/apt-source.log" 2>&1 || {
        cat "$logs/apt-update.log" "$logs/apt-source.log" >&2
        echo "Could not fetch freeglut's source package: the build needs Debian's" >&2
        echo "source archive (deb-src) to be reachable." >&2
        exit 1
    }
}

build_freeglut() {
    local prefix=$out/freeglut
    if [ -f "$prefix/lib/libglut.a" ]; then
        return 0
    fi
    fetch_freeglut_source
    echo "Building freeglut for Windows (static)" >&2
    rm -rf "$out/freeglut-src" "$out/freeglut-build"
    mkdir -p "$out/freeglut-src"
    tar -xf "$(ls "$out"/apt/source/freeglut_*.orig.tar.* | head -n 1)" \
        -C "$out/freeglut-src" --strip-components=1
    run freeglut-configure.log cmake -S "$out/freeglut-src" -B "$out/freeglut-build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
        -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON
    run freeglut-build.log cmake --build "$out/freeglut-build" -j "$jobs"
    run freeglut-install.log cmake --install "$out/freeglut-build"
}

# With the check, the build makes the probe it runs beside the .exe as well
# (tests/e2e/input_context_probe.cpp).
build_game() {
    echo "Building zembrat-quillory.exe" >&2
    local tests=OFF
    [ "$check" = no ] || tests=ON
    run game-configure.log cmake -S . -B "$out/game" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_FIND_ROOT_PATH="$out/freeglut" -DCMAKE_BUILD_TYPE=Release -DZQ_BUILD_TESTS=$tests
    run game-build.log cmake --build "$out/game" -j "$jobs"
    # strip writes the PE header anew, with SOURCE_DATE_EPOCH as its time
    # when that is set (scripts/release.sh sets it), the clock's otherwise.
    "$host-strip" -o "$out/zembrat-quillory.exe" "$out/game/app/zembrat-quillory.exe"
}

# The .exe may import only DLLs that every Windows has. IMM32.DLL, the input
# method manager, is one of them: with it the game keeps input methods away
# from its window, so that letters reach the window as keys.
check_imports() {
    local dll unexpected=()
    while read -r dll; do
        case "${dll^^}" in
            KERNEL32.DLL | USER32.DLL | GDI32.DLL | OPENGL32.DLL | WINMM.DLL | ADVAPI32.DLL | \
                IMM32.DLL | MSVCRT.DLL) ;;
            *) unexpected+=("$dll") ;;
        esac
    done < <("$host-objdump" -p "$out/zembrat-quillory.exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if [ ${#unexpected[@]} -ne 0 ]; then
        echo "zembrat-quillory.exe imports DLLs a Windows machine may not have: ${unexpected[*]}" >&2
        exit 1
    fi
}

# The icon freeglut gives its windows (GLUT_ICON) and the version Explorer
# shows are resources of the .exe: the icon with its four sizes, the version
# information with the project's version. The icon is left, as read back, in
# build-windows/zembrat-quillory-icon.ico.
check_resources() {
    local exe=$out/zembrat-quillory.exe ico=$out/zembrat-quillory-icon.ico
    local resources sizes version strings field
    resources=$(wrestool --list "$exe")
    grep -q -- "--type=14 --name='GLUT_ICON'" <<<"$resources" ||
        fail_resources "no icon group named GLUT_ICON" "$resources"
    grep -q -- "--type=16 " <<<"$resources" || fail_resources "no version resource" "$resources"
    wrestool --extract --type=14 --name=GLUT_ICON --output="$ico" "$exe"
    sizes=$(icotool --list "$ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' |
        sort -n | tr '\n' ' ')
    [ "$sizes" = "16x16 32x32 48x48 256x256 " ] ||
        fail_resources "the icon's sizes are ${sizes:-none}, not 16, 32, 48 and 256" "$resources"
    # Its strings are UTF-16, each value right after its name: without their
    # zero bytes they read as ASCII.
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/game/CMakeCache.txt")
    strings=$(wrestool --extract --raw --type=16 "$exe" | tr -d '\000')
    for field in "ProductNameZembrat Quillory" "FileDescriptionZembrat Quillory" \
        "FileVersion$version" "ProductVersion$version" \
        "LegalCopyrightCopyright 2026 The Zembrat Quillory developers. MIT licence."; do
        grep -aqF "$field" <<<"$strings" || fail_resources "no $field in its version" "$resources"
    done
}
fail_resources() {
    echo "$2" >&2
    echo "zembrat-quillory.exe: $1" >&2
    exit 1
}

# THIRD-PARTY-NOTICES.txt beside the .exe: the notices of every library the
# link map shows linked in. freeglut's are its COPYING and the notices at the
# head of each of its files compiled in; the MinGW-w64 runtime's are the
# stanzas of its Debian copyright file that cover the source files its
# objects name in their debug information; GCC's runtime needs one line.
# Import stubs of Windows DLLs hold no code of a library's. Anything else
# stops the build until its notices are known.
write_notices() {
    local map=$out/game/app/zembrat-quillory.map work=$out/notices entry archive member
    local glut=() unknown=() gcc=no mingw_copyright=/usr/share/doc/mingw-w64-x86-64-dev/copyright
    rm -rf "$work"
    mkdir -p "$work"
    : >"$work/mingw-sources"
    while read -r entry; do
        archive=$(realpath -m "${entry%%(*}") member=
        [[ $entry != *\)* ]] || { member=${entry#*(}; member=${member%)}; }
        case $archive in
            "$out/freeglut/lib/libglut.a")
                member=$(freeglut_source "$member") || exit 1
                glut+=("$member")
                ;;
            /usr/lib/gcc/$host/*) gcc=yes ;;
            /usr/$host/lib/*) mingw_source "$archive" "$member" >>"$work/mingw-sources" || unknown+=("$entry") ;;
            "$out"/game/*) ;;  # the game's own
            *) unknown+=("$entry") ;;
        esac
    done < <(sed -n -e 's/^LOAD \(.*\.o\)$/\1/p' -e '/^Archive member included/,/^Discarded input sections/s/^\([^ ]*\.a([^)]*)\).*/\1/p' \
        "$map" | sed "s|^\([^/]\)|$out/game/app/\1|")
    if [ ${#unknown[@]} -ne 0 ] || [ "$gcc" = no ] || [ ${#glut[@]} -eq 0 ]; then
        printf '%s\n' "${unknown[@]}" >&2
        echo "No notices known for the objects above (or no freeglut, or no GCC runtime, in $map)" >&2
        exit 1
    fi
    sort -u -o "$work/mingw-sources" "$work/mingw-sources"
    local version source
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/game/CMakeCache.txt")
    source=$(basename "$(ls "$out"/apt/source/freeglut_*.orig.tar.* | head -n 1)")
    {
        notice_header "Zembrat Quillory $version for 64-bit Windows: licences"
        notice_section "freeglut, from Debian's source package $source"
        cat "$out/freeglut-src/COPYING"
        echo
        echo "The files of freeglut compiled into zembrat-quillory.exe, and their own notices:"
        echo
        source_notices "$out/freeglut-src" "${glut[@]}"
        notice_section "The MinGW-w64 runtime, from $mingw_copyright"
        dep5_stanzas "$mingw_copyright" "$work/mingw-sources" || exit 1
        notice_section "The GCC runtime"
        echo "libgcc and libstdc++ are linked in under the GCC Runtime Library Exception,"
        echo "version 3.1, which asks for no notice (/usr/share/doc/gcc-mingw-w64-base/copyright)."
    } >"$out/THIRD-PARTY-NOTICES.txt"
}
# freeglut_source MEMBER: the source file, in freeglut's tree, of the object
# MEMBER of its static library.
freeglut_source() {
    local object
    object=$(cd "$out/freeglut-build" && find . -path "*/freeglut_static.dir/*" -name "$1" | head -n 1)
    [ -n "$object" ] || { echo "freeglut's build has no object $1" >&2; return 1; }
    object=${object#*/freeglut_static.dir/}
    echo "${object%.obj}"
}
# mingw_source ARCHIVE [MEMBER]: the source file, in MinGW-w64's tree, that
# the object (or the member of the archive) names in its debug information;
# nothing for an import stub.
mingw_source() {
    local object=$out/notices/object.o name
    if [ -n "$2" ]; then "$host-ar" p "$1" "$2" >"$object"; else cp "$1" "$object"; fi
    name=$("$host-objdump" --dwarf=info "$object" 2>/dev/null |
        sed -n '/DW_TAG_compile_unit/,/DW_AT_comp_dir/s/.*DW_AT_name *:.*: //p' | head -n 1)
    if [ -n "$name" ]; then
        echo "${name#./}"
    elif ! "$host-objdump" -h "$object" | grep -q '\.idata\$'; then
        return 1
    fi
}

ensure_packages "${WINDOWS_PACKAGES[@]}"
build_freeglut
build_game
check_imports
check_resources
source scripts/notices.sh
write_notices
echo "Built $out/zembrat-quillory.exe ($(stat -c %s "$out/zembrat-quillory.exe") bytes)" >&2
[ "$check" = yes ] || exit 0

# The check: the real-window suite, built natively, starts the .exe through
# Wine on its own virtual screens, next to the native game it is compared
# with.
ensure_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev xvfb libx11-dev libxtst-dev \
    wine wine64
export WINEPREFIX=$out/wine WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing a Wine prefix in $WINEPREFIX" >&2
    # No Mono or Gecko: the game needs neither, and their installers ask.
    WINEDLLOVERRIDES="mscoree,mshtml=" run wineboot.log env -u DISPLAY wineboot -i
fi
echo "Building the real-window suite" >&2
run check-configure.log cmake -S . -B "$out/check" -DCMAKE_BUILD_TYPE=Release \
    -DZQ_WINDOWS_EXE="$out/zembrat-quillory.exe" \
    -DZQ_WINDOWS_PROBE="$out/game/tests/e2e/input_context_probe.exe"
run check-build.log cmake --build "$out/check" -j "$jobs" --target e2e_tests
cd "$out/check"
ctest -L windows --output-on-failure
