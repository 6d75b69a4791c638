#include "int_pair.hpp"

#include <cstdint>
#include <limits>
#include <ostream>

#include <gtest/gtest.h>

namespace {

constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();

constexpr std::int32_t sum_of(std::int32_t first, std::int32_t second) noexcept
{
    int_pair pair;
    pair.set(first, second);
    return pair.sum();
}

// Undefined behaviour is a compile error in a constant expression, so
// these also prove that the wrap-around is well defined.
static_assert(int_pair{}.sum() == 0);
static_assert(sum_of(max, 1) == min);
static_assert(sum_of(min, -1) == max);

struct set_case {
    std::int32_t first;
    std::int32_t second;
    std::int32_t sum;

    friend void PrintTo(const set_case& c, std::ostream* out)
    {
        *out << "set(" << c.first << ", " << c.second << ") sums to " << c.sum;
    }
};

class int_pair_set : public testing::TestWithParam<set_case> {};

TEST_P(int_pair_set, stores_arguments_in_field_order_and_sums_them)
{
    const set_case c = GetParam();
    int_pair pair;
    pair.set(c.first, c.second);

    EXPECT_EQ(pair.sum(), c.sum);
    EXPECT_EQ(pair.first, c.first);
    EXPECT_EQ(pair.second, c.second);
}

INSTANTIATE_TEST_SUITE_P(table, int_pair_set,
                         testing::Values(set_case{1, 2, 3}, set_case{2, 1, 3}, set_case{0, 0, 0},
                                         set_case{-5, 5, 0}, set_case{7, -10, -3},
                                         set_case{max, 1, min}, set_case{min, -1, max},
                                         set_case{max, max, -2}, set_case{min, min, 0},
                                         set_case{max, min, -1}));

TEST(int_pair, starts_as_zero)
{
    const int_pair pair;
    EXPECT_EQ(pair.first, 0);
    EXPECT_EQ(pair.second, 0);
    EXPECT_EQ(pair.sum(), 0);
}

TEST(int_pair, later_set_replaces_both_values)
{
    int_pair pair;
    pair.set(max, -7);
    pair.set(1, 2);
    EXPECT_EQ(pair.first, 1);
    EXPECT_EQ(pair.second, 2);
    EXPECT_EQ(pair.sum(), 3);
}

} // namespace
