# 32-bit x86 Windows console programs on the Universal C Runtime, built with
# Debian's mingw-w64 cross compiler and run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(toolchain_prefix i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++-win32)
find_program(CMAKE_RC_COMPILER ${toolchain_prefix}-windres)
if(NOT CMAKE_CXX_COMPILER OR NOT CMAKE_RC_COMPILER)
    message(FATAL_ERROR "No ${toolchain_prefix}-g++-win32 or ${toolchain_prefix}-windres: "
        "install Debian's g++-mingw-w64-i686-win32")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler links msvcrt.dll by default. Its own specs with the UCRT in
# msvcrt's place, and the headers told the same, make every program of the
# build use the UCRT instead.
set(ucrt_specs ${CMAKE_BINARY_DIR}/ucrt.specs)
if(NOT EXISTS ${ucrt_specs})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpspecs
        OUTPUT_VARIABLE specs COMMAND_ERROR_IS_FATAL ANY)
    string(REPLACE "-lmsvcrt" "-lucrt" specs "${specs}")
    file(WRITE ${ucrt_specs} "${specs}")
endif()
# Make and Ninja take a $ in a command as their own, and the shell that
# runs the command takes the path as it is in single quotes.
string(REPLACE "$" "$$" specs_argument "'-specs=${ucrt_specs}'")
set(CMAKE_CXX_FLAGS_INIT "${specs_argument} -D__MSVCRT_VERSION__=0xE00")
# Static GCC and C++ runtimes: the programs need nothing on Windows beyond
# the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine runs the programs here, with a prefix of the build's own.
find_program(PAIR_SUM_WINE wine)
if(PAIR_SUM_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all
        ${PAIR_SUM_WINE})
endif()
