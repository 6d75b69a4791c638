#ifndef INT_PAIR_HPP
#define INT_PAIR_HPP

#include <cstdint>

// Two signed 32-bit operands and their sum. Constructed as (0, 0) and
// loaded with set().
struct int_pair {
    std::int32_t first = 0;
    std::int32_t second = 0;

    constexpr void set(std::int32_t new_first, std::int32_t new_second) noexcept
    {
        first = new_first;
        second = new_second;
    }

    // Wraps around modulo 2^32: the addition is done in unsigned
    // arithmetic, where overflow is defined, and read back as signed.
    [[nodiscard]] constexpr std::int32_t sum() const noexcept
    {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(first) +
                                         static_cast<std::uint32_t>(second));
    }
};

#endif
