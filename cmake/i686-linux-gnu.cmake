# 32-bit x86 Linux programs, Debian's i386, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(pair_sum_triplet i686-linux-gnu)
set(pair_sum_qemu_cpu i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
