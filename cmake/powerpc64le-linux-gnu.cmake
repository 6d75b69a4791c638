# 64-bit little-endian POWER Linux programs, Debian's ppc64el, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(pair_sum_triplet powerpc64le-linux-gnu)
set(pair_sum_qemu_cpu ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
