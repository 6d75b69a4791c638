# 64-bit big-endian IBM Z Linux programs, Debian's s390x, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(pair_sum_triplet s390x-linux-gnu)
set(pair_sum_qemu_cpu s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
