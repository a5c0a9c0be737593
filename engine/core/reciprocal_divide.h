// Exact integer division by a divisor that serves many quotients: one
// division makes its reciprocal, each quotient then costs a multiplication
// and a correction. The results are those of `/`.
#pragma once

#include <cstdint>

namespace kvo::backend {

__extension__ typedef unsigned __int128 ReciprocalProduct;

// The reciprocal of den > 0.
inline uint64_t ReciprocalOf(uint64_t den) { return ~uint64_t{0} / den; }

// num / den truncated towards zero, for |num| < 2^63, den > 0 and inv =
// ReciprocalOf(den). inv lies below 2^64 / den by less than two, so for
// |num| < 2^63 the first estimate of the quotient is low by at most one.
inline int64_t DivideByReciprocal(int64_t num, uint64_t den, uint64_t inv) {
  // Without branches: the correction falls at random and would be mispredicted.
  const uint64_t sign = num < 0 ? ~uint64_t{0} : 0;
  const uint64_t m = (static_cast<uint64_t>(num) ^ sign) - sign;
  uint64_t q = static_cast<uint64_t>((static_cast<ReciprocalProduct>(m) * inv) >> 64);
  const uint64_t r = m - q * den;
  q += r >= den ? 1 : 0;
  return static_cast<int64_t>((q ^ sign) - sign);
}

}  // namespace kvo::backend
