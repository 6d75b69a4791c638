# 32-bit ARM hard-float Linux programs, Debian's armhf, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(pair_sum_triplet arm-linux-gnueabihf)
set(pair_sum_qemu_cpu arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
