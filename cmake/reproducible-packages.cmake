# CPack reads this file before it makes the ZIP, and runs it after, so that
# the ZIP is the same bit for bit wherever, whenever and by whomever it is
# made.

if(DEFINED CPACK_PACKAGE_FILES)
    # After: the ZIP writer stores the builder's uid and gid in each entry.
    find_program(PAIR_SUM_STRIP_NONDETERMINISM strip-nondeterminism)
    if(NOT PAIR_SUM_STRIP_NONDETERMINISM)
        message(FATAL_ERROR "The ZIP's entries are made the same for every builder by "
            "strip-nondeterminism: install Debian's strip-nondeterminism")
    endif()
    foreach(package IN LISTS CPACK_PACKAGE_FILES)
        # A package without the program is a failure, however it came about.
        execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${package}
            OUTPUT_VARIABLE entries COMMAND_ERROR_IS_FATAL ANY)
        if(NOT entries MATCHES "/pair-sum\\.exe\n")
            file(REMOVE ${package})
            message(FATAL_ERROR "${package} holds no pair-sum.exe")
        endif()
        execute_process(COMMAND ${PAIR_SUM_STRIP_NONDETERMINISM} --type zip
                --timestamp $ENV{SOURCE_DATE_EPOCH} ${package}
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    return()
endif()
# Its date is the one the build was configured with, unless
# SOURCE_DATE_EPOCH says otherwise now.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_PAIR_SUM_EPOCH})
endif()
# CPack finds the files to pack with a wildcard under its working
# directory, which must hold no wildcard characters of its own: for a build
# directory with them, it works in one of /tmp's, kept for the next run.
if(CPACK_PACKAGE_DIRECTORY MATCHES "[][*?]")
    string(MD5 name ${CPACK_PACKAGE_DIRECTORY})
    set(CPACK_TOPLEVEL_DIRECTORY /tmp/pair-sum-cpack-${name})
    set(CPACK_TEMPORARY_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME})
    set(CPACK_TEMPORARY_INSTALL_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY})
    file(MAKE_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY})
endif()
# A ZIP file keeps its dates in local time.
set(ENV{TZ} "UTC0")
