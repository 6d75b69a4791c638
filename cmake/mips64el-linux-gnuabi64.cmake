# 64-bit little-endian MIPS Linux programs, Debian's mips64el, with Debian's cross compiler.
set(CMAKE_SYSTEM_PROCESSOR mips64)
set(pair_sum_triplet mips64el-linux-gnuabi64)
set(pair_sum_qemu_cpu mips64el)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
