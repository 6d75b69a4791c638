// int_pair's cases, checked by the compiler that builds the program: a case
// that does not hold fails the build at its line. Undefined behaviour is an
// error in a constant expression, so they also prove the wrap-around well
// defined.
#include "int_pair.hpp"

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();

// set() stores its arguments in field order, and sum() adds them.
constexpr bool set_stores_and_sums(std::int32_t first, std::int32_t second,
                                   std::int32_t sum) noexcept
{
    int_pair pair;
    pair.set(first, second);
    return pair.first == first && pair.second == second && pair.sum() == sum;
}

static_assert(set_stores_and_sums(1, 2, 3));
static_assert(set_stores_and_sums(2, 1, 3));
static_assert(set_stores_and_sums(0, 0, 0));
static_assert(set_stores_and_sums(-5, 5, 0));
static_assert(set_stores_and_sums(7, -10, -3));
static_assert(set_stores_and_sums(max, 1, min));
static_assert(set_stores_and_sums(min, -1, max));
static_assert(set_stores_and_sums(max, max, -2));
static_assert(set_stores_and_sums(min, min, 0));
static_assert(set_stores_and_sums(max, min, -1));

constexpr int_pair constructed() noexcept
{
    int_pair pair;
    return pair;
}

static_assert(constructed().first == 0 && constructed().second == 0 && constructed().sum() == 0,
              "a pair that was only constructed holds (0, 0)");

constexpr int_pair set_twice() noexcept
{
    int_pair pair;
    pair.set(max, -7);
    pair.set(1, 2);
    return pair;
}

static_assert(set_twice().first == 1 && set_twice().second == 2 && set_twice().sum() == 3,
              "a later set replaces both values");

} // namespace
