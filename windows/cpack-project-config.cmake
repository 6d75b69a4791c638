# What CPack reads before it makes the ZIP.

# Its date is the one the build was configured with, unless
# SOURCE_DATE_EPOCH says otherwise now.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_PAIR_SUM_EPOCH})
endif()
# A ZIP file keeps its dates in local time.
set(ENV{TZ} "UTC0")

# CPack finds the files to pack with a wildcard under its working
# directory, which must hold no wildcard characters of its own: for a build
# directory with them, it works in a private directory made for this run
# alone, which cpack-post-build.cmake removes.
if(CPACK_PACKAGE_DIRECTORY MATCHES "[][*?]")
    execute_process(COMMAND mktemp -d -t pair-sum-cpack.XXXXXXXXXX
        OUTPUT_VARIABLE CPACK_PAIR_SUM_PRIVATE_DIRECTORY OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    # Inside it: CPack removes and makes its own directory anew.
    set(CPACK_TOPLEVEL_DIRECTORY ${CPACK_PAIR_SUM_PRIVATE_DIRECTORY}/cpack)
    set(CPACK_TEMPORARY_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME})
    set(CPACK_TEMPORARY_INSTALL_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY})
endif()
