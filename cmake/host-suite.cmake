# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# The real-window suite (tests/e2e) for a cross build: built with the build
# machine's own compiler under <build>/host, where it drives the game built
# here through a launcher (Wine, an emulator) and compares it with the
# native game it builds beside itself.
#
# zq_host_suite(TARGETS target...
#               [LABEL label GAME program LAUNCHER program FILTER gtest-filter
#                ENVIRONMENT name=value... FIXTURES fixture...])
#
# Builds the given targets of the host tree; ZQ_HOST_DIR is its folder. With
# a LABEL, the suite's tests that FILTER picks run in this tree's CTest as
# <label>.<test>, with that label, against GAME run by LAUNCHER (one
# program: an emulator's options go in its ENVIRONMENT), after the FIXTURES.
include(ExternalProject)
function(zq_host_suite)
    cmake_parse_arguments(PARSE_ARGV 0 suite "" "LABEL;GAME;LAUNCHER;FILTER"
        "TARGETS;ENVIRONMENT;FIXTURES")
    if(suite_LABEL AND NOT suite_FILTER)
        message(FATAL_ERROR "zq_host_suite: the tests for ${suite_LABEL} need a FILTER")
    endif()
    set(host ${CMAKE_BINARY_DIR}/host)
    set(ZQ_HOST_DIR ${host} PARENT_SCOPE)
    set(build_targets)
    foreach(target IN LISTS suite_TARGETS)
        list(APPEND build_targets --target ${target})
    endforeach()
    # Lists reach the host tree with | between their items.
    string(REPLACE ";" "|" environment "${suite_ENVIRONMENT}")
    string(REPLACE ";" "|" fixtures "${suite_FIXTURES}")
    ExternalProject_Add(host_suite
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${host}
        LIST_SEPARATOR |
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DZQ_SUITE_LABEL=${suite_LABEL}
            -DZQ_SUITE_GAME=${suite_GAME} -DZQ_SUITE_FILTER=${suite_FILTER}
            -DZQ_SUITE_LAUNCHER=${suite_LAUNCHER} -DZQ_SUITE_ENVIRONMENT=${environment}
            -DZQ_SUITE_FIXTURES=${fixtures}
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${host} ${build_targets}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON)
    if(suite_LABEL)
        # CTest reads the host tree's tests with this tree's.
        file(WRITE ${CMAKE_BINARY_DIR}/host_suite_tests.cmake "subdirs(\"${host}/tests/e2e\")\n")
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY
            TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/host_suite_tests.cmake)
    endif()
endfunction()
