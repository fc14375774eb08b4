# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# What runs around groups of tests, as CTest fixtures: CTest starts a fixture
# before the first test that requires it, also when that test is run alone,
# and stops it after the last.

# zq_xvfb_fixture(): the fixture xvfb, an X server for tests that start none
# of their own; they run through ZQ_XVFB_RUN, which sets their DISPLAY.
function(zq_xvfb_fixture)
    set(helper bash ${PROJECT_SOURCE_DIR}/tests/fixtures/xvfb.sh)
    set(state ${CMAKE_BINARY_DIR}/xvfb)
    set(ZQ_XVFB_RUN ${helper} run ${state} PARENT_SCOPE)
    if(TEST xvfb.start)
        return()
    endif()
    add_test(NAME xvfb.start COMMAND ${helper} start ${state})
    add_test(NAME xvfb.stop COMMAND ${helper} stop ${state})
    set_tests_properties(xvfb.start PROPERTIES FIXTURES_SETUP xvfb TIMEOUT 90)
    set_tests_properties(xvfb.stop PROPERTIES FIXTURES_CLEANUP xvfb)
endfunction()
