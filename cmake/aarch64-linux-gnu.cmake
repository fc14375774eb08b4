# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit ARM Linux (Debian's arm64, as on a Raspberry Pi
# or an ARM laptop) with Debian's g++-aarch64-linux-gnu. Headers and libraries
# come only from a sysroot of Debian's arm64 packages, unpacked in the build
# tree the first time (cmake/debian-sysroot.cmake), never from the build
# machine's /usr, whose x86-64 libraries would not link. What CTest runs goes
# through qemu-aarch64-static, which finds the arm64 loader, libraries and
# Mesa in the same sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# One sysroot per build tree, handed to the projects try_compile makes.
if(NOT ZQ_SYSROOT)
    set(ZQ_SYSROOT ${CMAKE_BINARY_DIR}/sysroot)
endif()
set(ZQ_DEB_ARCH arm64)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZQ_SYSROOT ZQ_DEB_ARCH)
# What the game, its tests and its package are built against, and the Mesa
# that draws the window under emulation.
set(ZQ_SYSROOT_PACKAGES libc6-dev libstdc++-12-dev freeglut3-dev libgl-dev libx11-dev
    libgtest-dev libgl1-mesa-dri libglx-mesa0)
include(${CMAKE_CURRENT_LIST_DIR}/debian-sysroot.cmake)

set(CMAKE_SYSROOT ${ZQ_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(ZQ_QEMU qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZQ_QEMU} -L ${ZQ_SYSROOT})
