# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Writes the icon for the X11 window as a C++ header: kWindowIcon holds the
# images in the layout of the _NET_WM_ICON property, each one its width and
# height followed by its pixels, rows top down, as 0xAARRGGBB (alpha not
# premultiplied). Each value is an unsigned long, the type Xlib takes for
# 32-bit property data even where a long is 64 bits.
#
#   cmake -DOUTPUT=<header> -DSIZES=<size;...> -DPIXELS=<rgba file;...> -P icon_pixels.cmake
#
# Each rgba file holds the red, green, blue and alpha bytes of a square image
# of the matching size.

set(text "// The game's icon for its X11 window, made at build time from\n")
string(APPEND text "// data/zembrat-quillory.svg by cmake/icon_pixels.cmake.\n")
string(APPEND text "#pragma once\n\ninline constexpr unsigned long kWindowIcon[] = {\n")
foreach(size file IN ZIP_LISTS SIZES PIXELS)
    file(SIZE ${file} bytes)
    math(EXPR expected "${size} * ${size} * 4")
    if(NOT bytes EQUAL expected)
        message(FATAL_ERROR "${file} holds ${bytes} bytes, not the ${expected} of a "
            "${size}-px image")
    endif()
    file(READ ${file} hex HEX)
    # RRGGBBAA becomes 0xAARRGGBB, eight values to a line.
    set(byte "([0-9a-f][0-9a-f])")
    string(REGEX REPLACE "${byte}${byte}${byte}${byte}" "0x\\4\\1\\2\\3, " hex "${hex}")
    string(REPEAT "0x[0-9a-f]+, " 8 line)
    string(REGEX REPLACE "(${line})" "\\1\n    " hex "${hex}")
    string(STRIP "${hex}" hex)
    string(APPEND text "    ${size}, ${size},\n    ${hex}\n")
endforeach()
string(APPEND text "};\n")
file(WRITE ${OUTPUT} "${text}")
