// Division by a reciprocal: the quotients of `/` for every sign and size.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/reciprocal_divide.h"

namespace {

using namespace kvo::backend;

TEST(ReciprocalDivide, TruncatesLikeTheOperator) {
  uint64_t seed = 7;
  auto next = [&seed]() {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return seed;
  };
  const int64_t top = INT64_MAX;
  // Divisors of the stability check (2^19 ... 2^30) and of the trajectory
  // solver (up to 2^40), and the smallest ones.
  const uint64_t dens[] = {
      1, 2, 3, 7, (1u << 19) + 1, 999983, (1u << 30) - 1, 1u << 30, 4294967291ull, (1ull << 40) - 87, 1ull << 40};
  for (uint64_t den : dens) {
    const uint64_t inv = ReciprocalOf(den);
    const int64_t d = static_cast<int64_t>(den);
    std::vector<int64_t> nums = {0,      1,   -1,   d - 1,   d,           d + 1,         -d,
                                 -d - 1, top, -top, top - 1, top / d * d, -(top / d * d)};
    for (int r = 0; r < 20000; ++r) {
      const int shift = static_cast<int>(next() % 63);
      nums.push_back(static_cast<int64_t>(next() >> (shift + 1)) * (r % 2 ? 1 : -1));
    }
    for (int64_t num : nums) ASSERT_EQ(DivideByReciprocal(num, den, inv), num / d) << num << " / " << den;
  }
}

}  // namespace
