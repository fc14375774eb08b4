# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64). Libraries and headers are taken only from the
# target's own folders: the MinGW-w64 runtime and whatever prefixes are given
# in CMAKE_FIND_ROOT_PATH (the Windows build gives its freeglut), never from
# the build machine's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_host x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_host}-gcc)
set(CMAKE_CXX_COMPILER ${mingw_host}-g++)
set(CMAKE_RC_COMPILER ${mingw_host}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw_host})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
