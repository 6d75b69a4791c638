# What CPack runs after it made the ZIP.

if(CPACK_PAIR_SUM_PRIVATE_DIRECTORY)
    file(REMOVE_RECURSE ${CPACK_PAIR_SUM_PRIVATE_DIRECTORY})
endif()

# The ZIP writer stores the builder's uid and gid in each entry.
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
