# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# The Windows .exe as it ships, <build>/zembrat-quillory.exe, and beside it
# THIRD-PARTY-NOTICES.txt, the notices of every library the link map shows
# linked in. strip writes the PE header anew, with SOURCE_DATE_EPOCH as its
# time when that is set (scripts/release.sh sets it), the clock's otherwise.
set(exe ${CMAKE_BINARY_DIR}/zembrat-quillory.exe)
set(notices ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
ExternalProject_Get_Property(freeglut SOURCE_DIR BINARY_DIR)
add_custom_command(OUTPUT ${exe} ${notices}
    COMMAND ${CMAKE_STRIP} -o ${exe} $<TARGET_FILE:zembrat-quillory>
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/notices.py windows ${notices} ${PROJECT_VERSION}
        ${CMAKE_BINARY_DIR}/app/zembrat-quillory.map ${CMAKE_BINARY_DIR} ${ZQ_FREEGLUT_TARBALL}
        ${SOURCE_DIR} ${BINARY_DIR} $<TARGET_FILE:GLUT::GLUT>
        ${CMAKE_OBJDUMP} ${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES}
    DEPENDS zembrat-quillory ${PROJECT_SOURCE_DIR}/cmake/notices.py
    VERBATIM)
add_custom_target(windows_exe ALL DEPENDS ${exe} ${notices})
