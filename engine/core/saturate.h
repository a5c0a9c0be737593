// Clamping helpers shared by the signal-processing stages.
#pragma once

#include <cstdint>

namespace kvo::backend {

inline int16_t SaturateToInt16(int64_t v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<int16_t>(v);
}

// Linear up to kSoftKnee, then bending smoothly (same slope at the knee)
// towards full scale without reaching it: loud samples are compressed
// instead of being cut flat.
constexpr int32_t kSoftKnee = 24576;

inline int16_t SoftSaturateToInt16(int64_t v) {
  constexpr int64_t room = 32767 - kSoftKnee;
  int64_t m = v < 0 ? -v : v;
  if (m > (int64_t{1} << 40)) m = int64_t{1} << 40;
  if (m <= kSoftKnee) return static_cast<int16_t>(v);
  const int64_t excess = m - kSoftKnee;
  const int64_t y = kSoftKnee + excess * room / (excess + room);
  return static_cast<int16_t>(v < 0 ? -y : y);
}

inline int32_t ClampInt32(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace kvo::backend
