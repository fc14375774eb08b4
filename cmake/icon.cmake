# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# The game's icon in the raster forms each platform wants, made at build time
# from its one source, data/zembrat-quillory.svg, which is never kept in the
# tree in any other form: rsvg-convert (librsvg2-bin) renders it at each size;
# ImageMagick turns a rendering into raw pixels for the X11 window, and
# icotool (icoutils) puts renderings together into a Windows icon.

set(ZQ_ICON_SVG ${PROJECT_SOURCE_DIR}/data/zembrat-quillory.svg)
set(ZQ_ICON_DIR ${PROJECT_BINARY_DIR}/icon)
file(MAKE_DIRECTORY ${ZQ_ICON_DIR})

# zq_find_icon_tool(VAR PROGRAM PACKAGE): the build machine's program, or a
# plain word of what to install.
function(zq_find_icon_tool var program package)
    find_program(${var} ${program})
    if(NOT ${var})
        message(FATAL_ERROR "The game's icon is made with ${program}: install the Debian "
            "package ${package}")
    endif()
endfunction()

# zq_icon_png(SIZE): the icon rendered at SIZE by SIZE pixels,
# ${ZQ_ICON_DIR}/zembrat-quillory-SIZE.png.
function(zq_icon_png size)
    zq_find_icon_tool(ZQ_RSVG_CONVERT rsvg-convert librsvg2-bin)
    set(png ${ZQ_ICON_DIR}/zembrat-quillory-${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${ZQ_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${ZQ_ICON_SVG}
        DEPENDS ${ZQ_ICON_SVG}
        VERBATIM)
endfunction()

# zq_x11_icon(HEADER_VAR SIZE...): a C++ header with the icon at each size in
# the layout of the _NET_WM_ICON property (cmake/icon_pixels.cmake), and for
# each size its raw pixels, ${ZQ_ICON_DIR}/zembrat-quillory-SIZE.rgba (red,
# green, blue, alpha bytes, rows top down), which the tests compare with.
function(zq_x11_icon header_var)
    zq_find_icon_tool(ZQ_CONVERT convert imagemagick)
    set(header ${ZQ_ICON_DIR}/window_icon_pixels.h)
    set(rgba_files)
    foreach(size IN LISTS ARGN)
        zq_icon_png(${size})
        set(rgba ${ZQ_ICON_DIR}/zembrat-quillory-${size}.rgba)
        add_custom_command(OUTPUT ${rgba}
            COMMAND ${ZQ_CONVERT} zembrat-quillory-${size}.png -depth 8 RGBA:${rgba}
            DEPENDS ${ZQ_ICON_DIR}/zembrat-quillory-${size}.png
            WORKING_DIRECTORY ${ZQ_ICON_DIR}
            VERBATIM)
        list(APPEND rgba_files ${rgba})
    endforeach()
    add_custom_command(OUTPUT ${header}
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${header} "-DSIZES=${ARGN}" "-DPIXELS=${rgba_files}"
            -P ${PROJECT_SOURCE_DIR}/cmake/icon_pixels.cmake
        DEPENDS ${rgba_files} ${PROJECT_SOURCE_DIR}/cmake/icon_pixels.cmake
        VERBATIM)
    set(${header_var} ${header} PARENT_SCOPE)
endfunction()

# zq_windows_icon(ICO_VAR SIZE...): a Windows icon with the icon at each size,
# ${ZQ_ICON_DIR}/zembrat-quillory.ico. Sizes of 256 are kept as PNG inside
# it, as Windows expects of its large images; the others as bitmaps.
function(zq_windows_icon ico_var)
    zq_find_icon_tool(ZQ_ICOTOOL icotool icoutils)
    set(ico ${ZQ_ICON_DIR}/zembrat-quillory.ico)
    set(arguments)
    set(pngs)
    foreach(size IN LISTS ARGN)
        zq_icon_png(${size})
        set(png zembrat-quillory-${size}.png)
        if(size GREATER_EQUAL 256)
            list(APPEND arguments --raw=${png})
        else()
            list(APPEND arguments ${png})
        endif()
        list(APPEND pngs ${ZQ_ICON_DIR}/${png})
    endforeach()
    add_custom_command(OUTPUT ${ico}
        COMMAND ${ZQ_ICOTOOL} --create --output=${ico} ${arguments}
        DEPENDS ${pngs}
        WORKING_DIRECTORY ${ZQ_ICON_DIR}
        VERBATIM)
    set(${ico_var} ${ico} PARENT_SCOPE)
endfunction()
