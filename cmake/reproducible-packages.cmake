# CPack reads this file for each package it makes, so that a package is the
# same bit for bit wherever, whenever and by whomever it is made.

# Its dates: SOURCE_DATE_EPOCH where it is set, else the time of the last
# commit, taken now. Only pair-sum's own repository counts: a source tree
# unpacked inside another one takes the time its changelog was unpacked with.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git rev-parse --show-prefix
        WORKING_DIRECTORY ${CPACK_PAIR_SUM_SOURCE_DIR}
        RESULT_VARIABLE outside OUTPUT_VARIABLE prefix OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT outside AND prefix STREQUAL "")
        execute_process(COMMAND git log -1 --format=%ct
            WORKING_DIRECTORY ${CPACK_PAIR_SUM_SOURCE_DIR}
            OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    else()
        file(TIMESTAMP ${CPACK_PAIR_SUM_SOURCE_DIR}/doc/changelog epoch "%s" UTC)
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
# A ZIP file keeps its dates in local time.
set(ENV{TZ} "UTC0")

if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(PAIR_SUM_DPKG_SHLIBDEPS dpkg-shlibdeps)
    if(NOT PAIR_SUM_DPKG_SHLIBDEPS)
        message(FATAL_ERROR "A .deb takes its dependencies from dpkg-shlibdeps: "
            "install Debian's dpkg-dev")
    endif()
    if(CPACK_PAIR_SUM_GNU_TYPE)
        execute_process(COMMAND dpkg-architecture -t${CPACK_PAIR_SUM_GNU_TYPE} -qDEB_HOST_ARCH
            OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
            ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
endif()
