#ifndef INT_PAIR_HPP
#define INT_PAIR_HPP

// C headers only, here and in the program: once a C++ library header is
// in, MinGW's printf is a formatter of the library's own instead of the C
// runtime's.
#include <stdint.h>

// Two signed 32-bit operands and their sum. Constructed as (0, 0) and
// loaded with set().
struct int_pair {
    int32_t first = 0;
    int32_t second = 0;

    constexpr void set(int32_t new_first, int32_t new_second) noexcept
    {
        first = new_first;
        second = new_second;
    }

    // Wraps around modulo 2^32: the addition is done in unsigned
    // arithmetic, where overflow is defined, and read back as signed.
    [[nodiscard]] constexpr int32_t sum() const noexcept
    {
        return static_cast<int32_t>(static_cast<uint32_t>(first) + static_cast<uint32_t>(second));
    }
};

#endif
