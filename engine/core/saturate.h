// Clamping helpers shared by the signal-processing stages.
#pragma once

#include <cstdint>

namespace kvo::backend {

inline int16_t SaturateToInt16(int64_t v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<int16_t>(v);
}

inline int32_t ClampInt32(int32_t v, int32_t lo, int32_t hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace kvo::backend
