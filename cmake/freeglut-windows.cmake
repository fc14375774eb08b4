# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# freeglut for the Windows .exe, linked in: GLUT::GLUT, built with the same
# toolchain under <build>/freeglut from Debian's source package, which the
# first configure fetches into <build>/apt (by cmake/apt.sh, which leaves the
# system's apt set-up alone). Another tarball or a changed toolchain file
# builds it again, from a fresh configure. The steps' logs are in
# <build>/freeglut/src/freeglut-stamp.
include(ExternalProject)
set(apt ${CMAKE_BINARY_DIR}/apt)
file(GLOB ZQ_FREEGLUT_TARBALL ${apt}/source/freeglut_*.orig.tar.*)
if(NOT ZQ_FREEGLUT_TARBALL)
    message(STATUS "Fetching freeglut's source from Debian")
    file(MAKE_DIRECTORY ${apt}/source)
    execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/apt.sh ${apt} source --download-only freeglut
        WORKING_DIRECTORY ${apt}/source COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB ZQ_FREEGLUT_TARBALL ${apt}/source/freeglut_*.orig.tar.*)
endif()
ExternalProject_Add(freeglut URL ${ZQ_FREEGLUT_TARBALL} PREFIX ${CMAKE_BINARY_DIR}/freeglut
    CMAKE_ARGS --fresh -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
        -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF
        -DFREEGLUT_REPLACE_GLUT=ON
    BUILD_BYPRODUCTS <BINARY_DIR>/lib/libglut.a INSTALL_COMMAND ""
    LOG_DOWNLOAD ON LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
ExternalProject_Add_StepDependencies(freeglut download ${ZQ_FREEGLUT_TARBALL})
ExternalProject_Add_StepDependencies(freeglut configure ${CMAKE_TOOLCHAIN_FILE})

# The library as built, with the headers of its source, linked in rather than
# imported from a DLL (FREEGLUT_STATIC), with the system libraries it calls.
ExternalProject_Get_Property(freeglut SOURCE_DIR BINARY_DIR)
add_library(GLUT::GLUT STATIC IMPORTED)
file(MAKE_DIRECTORY ${SOURCE_DIR}/include)
set_target_properties(GLUT::GLUT PROPERTIES IMPORTED_LOCATION ${BINARY_DIR}/lib/libglut.a
    INTERFACE_INCLUDE_DIRECTORIES ${SOURCE_DIR}/include INTERFACE_COMPILE_DEFINITIONS FREEGLUT_STATIC
    INTERFACE_LINK_LIBRARIES "OpenGL::GL;gdi32;winmm")
add_dependencies(GLUT::GLUT freeglut)
