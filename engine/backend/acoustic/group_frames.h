// The frames of one group as the trajectory stages fill them: phones with
// their labels, frames per state and the contiguous frame buffer.
#pragma once

#include <cstdint>

namespace kvo {
namespace backend {

struct GroupFrames {
  int phones = 0;
  const int8_t* labels = nullptr;        // kLabelBytes per phone
  const int32_t* stateFrames = nullptr;  // 5 per phone
  int32_t frameCount = 0;
  int order = 20;
  int16_t* frames = nullptr;  // frameCount * (order + 2) values

  int FrameValues() const { return order + 2; }
  int16_t* Frame(int32_t index) const { return frames + static_cast<int64_t>(index) * FrameValues(); }
};

// Shift by n bits, left for n >= 0 and arithmetic right otherwise.
inline int64_t ShiftBits(int64_t v, int n) {
  if (n >= 0) return v * (int64_t{1} << (n > 40 ? 40 : n));
  return v >> (-n > 62 ? 62 : -n);
}

}  // namespace backend
}  // namespace kvo
