# 32-bit little-endian MIPS Linux programs, Debian's mipsel, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR mips)
set(pair_sum_triplet mipsel-linux-gnu)
set(pair_sum_qemu_cpu mipsel)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
