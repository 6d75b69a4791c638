# 64-bit ARM Linux programs, Debian's arm64, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(pair_sum_triplet aarch64-linux-gnu)
set(pair_sum_qemu_cpu aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
