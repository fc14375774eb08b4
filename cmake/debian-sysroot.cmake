# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# A sysroot of another architecture's Debian packages, for a cross toolchain
# file: ZQ_SYSROOT_PACKAGES and everything they depend on, for ZQ_DEB_ARCH,
# fetched by cmake/apt.sh (the system's sources, apt state of its own: the
# system's apt set-up is left as it is) and unpacked into ZQ_SYSROOT. Made
# once; again only when the list of packages changes.
#
# Besides the files, the sysroot gets what dpkg-shlibdeps needs to compute a
# package's Depends against it: DEBIAN/symbols and DEBIAN/shlibs, every
# package's own put together, which it reads for libraries found under a
# directory with a DEBIAN folder.
set(zq_stamp ${ZQ_SYSROOT}/DEBIAN/packages)
if(EXISTS ${zq_stamp})
    file(READ ${zq_stamp} zq_made_from)
    if(zq_made_from STREQUAL "${ZQ_DEB_ARCH} ${ZQ_SYSROOT_PACKAGES}")
        return()
    endif()
endif()

message(STATUS "Fetching Debian's ${ZQ_DEB_ARCH} packages for ${ZQ_SYSROOT}")
set(zq_apt ${ZQ_SYSROOT}-apt)
execute_process(
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/apt.sh ${zq_apt} --arch ${ZQ_DEB_ARCH}
        install --download-only --no-install-recommends -y ${ZQ_SYSROOT_PACKAGES}
    COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${ZQ_SYSROOT})
file(MAKE_DIRECTORY ${ZQ_SYSROOT}/DEBIAN)
file(GLOB zq_debs ${zq_apt}/cache/archives/*.deb)
set(zq_control ${ZQ_SYSROOT}-control)
foreach(zq_deb IN LISTS zq_debs)
    file(REMOVE_RECURSE ${zq_control})
    execute_process(COMMAND dpkg-deb --extract ${zq_deb} ${ZQ_SYSROOT} COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND dpkg-deb --control ${zq_deb} ${zq_control} COMMAND_ERROR_IS_FATAL ANY)
    foreach(zq_info symbols shlibs)
        if(EXISTS ${zq_control}/${zq_info})
            file(READ ${zq_control}/${zq_info} zq_text)
            file(APPEND ${ZQ_SYSROOT}/DEBIAN/${zq_info} "${zq_text}")
        endif()
    endforeach()
endforeach()
file(REMOVE_RECURSE ${zq_control})

# A link to an absolute path means the build machine's file: made relative,
# it points into the sysroot, for the linker and for qemu alike.
file(GLOB_RECURSE zq_links LIST_DIRECTORIES true ${ZQ_SYSROOT}/*)
foreach(zq_link IN LISTS zq_links)
    if(IS_SYMLINK ${zq_link})
        file(READ_SYMLINK ${zq_link} zq_target)
        if(IS_ABSOLUTE "${zq_target}")
            get_filename_component(zq_dir ${zq_link} DIRECTORY)
            file(RELATIVE_PATH zq_target ${zq_dir} ${ZQ_SYSROOT}${zq_target})
            file(REMOVE ${zq_link})
            file(CREATE_LINK ${zq_target} ${zq_link} SYMBOLIC)
        endif()
    endif()
endforeach()
file(WRITE ${zq_stamp} "${ZQ_DEB_ARCH} ${ZQ_SYSROOT_PACKAGES}")
