#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Checks of the Windows .exe as it ships that need no Windows:
#
#   exe_check.sh imports EXE OBJDUMP    the DLLs it imports, read by the toolchain's objdump
#   exe_check.sh resources EXE VERSION  its icon, version information and manifest
set -euo pipefail
check=$1 exe=$2 objdump=${3:-} version=${3:-}

# The .exe may import only DLLs that every Windows has. IMM32.DLL, the input
# method manager, is one of them: with it the game keeps input methods away
# from its window, so that letters reach the window as keys.
check_imports() {
    local dll dlls unexpected=()
    # Read first, so that an objdump that fails stops the check.
    dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    while read -r dll; do
        case "${dll^^}" in
            KERNEL32.DLL | USER32.DLL | GDI32.DLL | OPENGL32.DLL | WINMM.DLL | ADVAPI32.DLL | \
                IMM32.DLL | MSVCRT.DLL) ;;
            *) unexpected+=("$dll") ;;
        esac
    done <<<"$dlls"
    if [ ${#unexpected[@]} -ne 0 ]; then
        echo "zembrat-quillory.exe imports DLLs a Windows machine may not have: ${unexpected[*]}" >&2
        exit 1
    fi
}

# The icon freeglut gives its windows (GLUT_ICON) and the version Explorer
# shows are resources of the .exe: the icon with its four sizes, the version
# information with the project's version. So is the manifest that Windows
# reads when it starts the .exe (type 24, name 1): without its two DPI
# settings Windows would stretch the window as a bitmap. The icon is left,
# as read back, beside the .exe as zembrat-quillory-icon.ico.
check_resources() {
    local ico=${exe%.exe}-icon.ico resources sizes strings field manifest
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
    strings=$(wrestool --extract --raw --type=16 "$exe" | tr -d '\000')
    for field in "ProductNameZembrat Quillory" "FileDescriptionZembrat Quillory" \
        "FileVersion$version" "ProductVersion$version" \
        "LegalCopyrightCopyright 2026 The Zembrat Quillory developers. MIT licence."; do
        grep -aqF "$field" <<<"$strings" || fail_resources "no $field in its version" "$resources"
    done
    manifest=$(wrestool --extract --raw --type=24 --name=1 "$exe" | tr -d '\n')
    for field in \
        '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>' \
        '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>'; do
        grep -qF "$field" <<<"$manifest" || fail_resources "no $field in its manifest" "$resources"
    done
}
fail_resources() {
    echo "$2" >&2
    echo "zembrat-quillory.exe: $1" >&2
    exit 1
}

"check_$check"
echo "zembrat-quillory.exe: $check as they should be"
