# 32-bit ARM soft-float Linux programs, Debian's armel, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR armv5tel)
set(pair_sum_triplet arm-linux-gnueabi)
set(pair_sum_qemu_cpu arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
