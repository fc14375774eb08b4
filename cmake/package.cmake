# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Installing the game as a Debian system expects a game: the program in games/,
# its manual page in section 6 (in English and in Chinese), a desktop entry and
# an icon for the menus, the AppStream metadata software centres describe it
# by, and its documents; and a Debian package of exactly that (the native
# preset's package step).
# Tests, the benchmark and the static libraries are never installed.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
endif()

include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(zq_data ${PROJECT_SOURCE_DIR}/data)
set(zq_out ${PROJECT_BINARY_DIR}/data)
set(zq_doc ${CMAKE_INSTALL_DATADIR}/doc/zembrat-quillory)

# The package's changelog names the version it was written for, and its
# newest entry's time is the release's date in the AppStream metadata.
find_program(ZQ_DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
foreach(field Version Timestamp)
    execute_process(COMMAND ${ZQ_DPKG_PARSECHANGELOG} -l ${zq_data}/changelog -S ${field}
        OUTPUT_VARIABLE zq_changelog_${field} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(NOT zq_changelog_Version STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "data/changelog's newest entry is for version ${zq_changelog_Version}; "
        "add an entry for version ${PROJECT_VERSION}")
endif()
execute_process(COMMAND date -u -d @${zq_changelog_Timestamp} +%F
    OUTPUT_VARIABLE ZQ_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The manual pages (the English one, and the Chinese one in zh_CN/) and the
# changelog go in compressed, with no name or time in the gzip header, so that
# the same sources give the same package.
configure_file(${zq_data}/zembrat-quillory.6 ${zq_out}/zembrat-quillory.6 @ONLY)
configure_file(${zq_data}/zembrat-quillory.zh_CN.6 ${zq_out}/zh_CN/zembrat-quillory.6 @ONLY)
configure_file(${zq_data}/changelog ${zq_out}/changelog COPYONLY)
configure_file(${zq_data}/zembrat-quillory.metainfo.xml.in
    ${zq_out}/zembrat-quillory.metainfo.xml @ONLY)

find_program(ZQ_GZIP gzip REQUIRED)
set(zq_docs zembrat-quillory.6 zh_CN/zembrat-quillory.6 changelog)
add_custom_command(
    OUTPUT ${zq_out}/zembrat-quillory.6.gz ${zq_out}/zh_CN/zembrat-quillory.6.gz ${zq_out}/changelog.gz
    COMMAND ${ZQ_GZIP} -9nkf ${zq_docs}
    DEPENDS ${zq_out}/zembrat-quillory.6 ${zq_out}/zh_CN/zembrat-quillory.6 ${zq_out}/changelog
    WORKING_DIRECTORY ${zq_out}
    VERBATIM)
add_custom_target(compressed_docs ALL
    DEPENDS ${zq_out}/zembrat-quillory.6.gz ${zq_out}/zh_CN/zembrat-quillory.6.gz ${zq_out}/changelog.gz)

install(TARGETS zembrat-quillory RUNTIME DESTINATION games)
# A stripped program needs no compiler notes either.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/zembrat-quillory\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
install(FILES ${zq_out}/zembrat-quillory.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${zq_out}/zh_CN/zembrat-quillory.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_CN/man6)
install(FILES ${zq_data}/zembrat-quillory.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${zq_out}/zembrat-quillory.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${zq_data}/zembrat-quillory.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${zq_data}/copyright ${zq_out}/changelog.gz
    DESTINATION ${zq_doc})
# The documents the README links to, and its picture.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${zq_doc})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zembrat-quillory)
set(CPACK_PACKAGE_VENDOR "Zembrat Quillory developers")
set(CPACK_PACKAGE_CONTACT "Zembrat Quillory developers <zembrat-quillory@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # zembrat-quillory_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the program is linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(CMAKE_CROSSCOMPILING)
    # A package for the toolchain's Debian architecture, whose Depends
    # dpkg-shlibdeps finds in the sysroot (cmake/debian-sysroot.cmake):
    # the libraries in its folders, their packages' symbols and shlibs in its
    # DEBIAN/. It reads the binaries with that architecture's objdump.
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ZQ_DEB_ARCH})
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
        ${ZQ_SYSROOT}/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}
        ${ZQ_SYSROOT}/lib/${CMAKE_LIBRARY_ARCHITECTURE})
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_host_arch.cmake)
    file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "set(ENV{DEB_HOST_ARCH} ${ZQ_DEB_ARCH})\n")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle over a coloured triangle figure")
# CPack puts the summary above this.
set(CPACK_PACKAGE_DESCRIPTION
    "Pieces of four blocks, in seven shapes, fall one row a second onto a field of
twenty by twenty cells; the player moves and turns them with four keys so
that they fill whole rows, which then disappear. The game ends when a new
piece has no room at the top.
.
Behind the field the game draws a coloured figure of triangles, smaller ones
growing from the sides of larger ones. Its order is typed in the terminal
before the window opens: a six-pointed star at order 2, a fine snowflake at
order 6, which is also the order when what is typed does not begin with a
number.")
include(CPack)
