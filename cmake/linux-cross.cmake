# What the toolchain files for Linux on another Debian architecture share:
# Debian's cross compiler for the GNU triplet that the including file
# names, and qemu-user, for the CPU it names, to run the programs.
set(CMAKE_SYSTEM_NAME Linux)

find_program(CMAKE_CXX_COMPILER ${pair_sum_triplet}-g++)
if(NOT CMAKE_CXX_COMPILER)
    message(FATAL_ERROR "No ${pair_sum_triplet}-g++: install Debian's g++-${pair_sum_triplet}")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${pair_sum_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-user takes the program's loader and libraries from under -L: the
# root, where the target's multiarch C library is installed, else the cross
# compiler's own copy. Under the root with no multiarch C library, it would
# mix the cross loader with whatever it finds there.
find_program(PAIR_SUM_QEMU qemu-${pair_sum_qemu_cpu})
if(PAIR_SUM_QEMU)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-multiarch
        OUTPUT_VARIABLE multiarch OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(library_root /usr/${pair_sum_triplet})
    if(multiarch AND EXISTS /usr/lib/${multiarch}/libc.so.6)
        set(library_root /)
    endif()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PAIR_SUM_QEMU} -L ${library_root})
endif()
