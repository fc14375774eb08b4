# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# freeglut for the Windows .exe, linked in: built once, when the build is
# first configured, from Debian's source package (fetched by cmake/apt.sh,
# which leaves the system's apt set-up alone), with the same toolchain, and
# installed under <build>/freeglut, where find_package(GLUT) then looks.
set(freeglut ${CMAKE_BINARY_DIR}/freeglut)
set(ZQ_FREEGLUT_SOURCE ${CMAKE_BINARY_DIR}/freeglut-src)
set(ZQ_FREEGLUT_BUILD ${CMAKE_BINARY_DIR}/freeglut-build)
set(apt ${CMAKE_BINARY_DIR}/apt)

function(freeglut_step log)
    execute_process(COMMAND ${ARGN} OUTPUT_FILE ${CMAKE_BINARY_DIR}/${log} ERROR_FILE ${CMAKE_BINARY_DIR}/${log}
        RESULT_VARIABLE failed)
    if(failed)
        file(READ ${CMAKE_BINARY_DIR}/${log} output)
        message(FATAL_ERROR "${output}\nBuilding freeglut for Windows failed (log: ${log})")
    endif()
endfunction()

file(GLOB ZQ_FREEGLUT_TARBALL ${apt}/source/freeglut_*.orig.tar.*)
if(NOT ZQ_FREEGLUT_TARBALL)
    message(STATUS "Fetching freeglut's source from Debian")
    file(MAKE_DIRECTORY ${apt}/source)
    execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/apt.sh ${apt} source --download-only freeglut
        WORKING_DIRECTORY ${apt}/source COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB ZQ_FREEGLUT_TARBALL ${apt}/source/freeglut_*.orig.tar.*)
endif()
if(NOT EXISTS ${freeglut}/lib/libglut.a)
    message(STATUS "Building freeglut for Windows (static)")
    file(REMOVE_RECURSE ${ZQ_FREEGLUT_SOURCE} ${ZQ_FREEGLUT_BUILD})
    file(ARCHIVE_EXTRACT INPUT ${ZQ_FREEGLUT_TARBALL} DESTINATION ${CMAKE_BINARY_DIR}/freeglut-unpacked)
    file(GLOB unpacked ${CMAKE_BINARY_DIR}/freeglut-unpacked/*)
    file(RENAME ${unpacked} ${ZQ_FREEGLUT_SOURCE})
    freeglut_step(freeglut-configure.log ${CMAKE_COMMAND} -S ${ZQ_FREEGLUT_SOURCE} -B ${ZQ_FREEGLUT_BUILD}
        -G ${CMAKE_GENERATOR} -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX=${freeglut} -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON
        -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON)
    freeglut_step(freeglut-build.log ${CMAKE_COMMAND} --build ${ZQ_FREEGLUT_BUILD})
    freeglut_step(freeglut-install.log ${CMAKE_COMMAND} --install ${ZQ_FREEGLUT_BUILD})
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${freeglut})
