# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Sourced by the play, test and build scripts: installs the Debian packages a
# step needs when they are missing, or says plainly which ones to install; and
# runs the long steps of a build quietly.

# ensure_packages PACKAGE...
ensure_packages() {
    local missing=() package
    if ! command -v dpkg-query >/dev/null 2>&1; then
        echo "note: no dpkg here; this needs the equivalents of these Debian packages: $*" >&2
        return 0
    fi
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            sudo="sudo"
        else
            echo "Missing Debian packages: ${missing[*]}" >&2
            echo "Install them as root, then run this again:" >&2
            echo "    apt-get update && apt-get install -y ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "Installing Debian packages: ${missing[*]}" >&2
    $sudo apt-get update -q >&2 &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
            "${missing[@]}" >&2 || {
        echo "Could not install: ${missing[*]}. Install them with apt-get and run this again." >&2
        exit 1
    }
}

# What building the game needs: CMake with Ninja (the presets) or make, the
# compiler, freeglut and GL; dpkg-buildflags for the flags of a Debian
# package, which the native preset builds with; rsvg-convert and ImageMagick,
# which render the icon from its SVG source and turn it into the pixels the
# X11 window is given.
BUILD_PACKAGES=(cmake ninja-build make g++ freeglut3-dev libgl-dev libx11-dev libgl1-mesa-dri libglx-mesa0
    dpkg-dev librsvg2-bin imagemagick)

# What its tests need: GoogleTest, an X server, XTest for the key presses
# and a window manager to open the window under.
TEST_PACKAGES=(googletest libgtest-dev xvfb libxtst-dev openbox)

# What building the Debian package needs (file, through which CPack finds
# the programs to look at), and what checking it needs (hardening-check is in
# devscripts).
DEB_PACKAGES=(dpkg-dev file)
DEB_CHECK_PACKAGES=(lintian desktop-file-utils mandoc man-db appstream devscripts python3)

# The Windows .exe: the MinGW-w64 compiler and windres, and the tools that
# render the icon and make a Windows icon of it (icoutils also reads the
# resources back out of the .exe); Wine to play it; python3-debian for the notices.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64 icoutils wine wine64 python3-debian)

# The arm64 build: Debian's cross compiler, and qemu to run what it makes.
# The arm64 libraries it is built against come as Debian packages into a
# sysroot of its own (cmake/debian-sysroot.cmake), unpacked by dpkg-deb: the
# system's apt set-up is left as it is, with no foreign architecture added.
ARM64_PACKAGES=(g++-aarch64-linux-gnu qemu-user-static dpkg-dev)

# The web build, and the browsers it is tested in. Debian's emscripten brings
# Debian's node with it, unless a node from elsewhere is there already.
WEB_PACKAGES=(emscripten chromium firefox-esr python3-debian)

# The frame-time benchmark (the bench preset), and the libFuzzer targets (the
# fuzz preset): clang and its runtime libraries, libFuzzer and the sanitizers.
BENCH_PACKAGES=(libbenchmark-dev xvfb)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# run LOG COMMAND...: runs the command with its output in $logs/LOG (the
# sourcing script sets logs), shown only when it fails.
run() {
    local log=$logs/$1
    shift
    if ! "$@" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "failed: $* (whole log: $log)" >&2
        exit 1
    fi
}
