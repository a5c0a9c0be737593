// Maximum-likelihood trajectory of one parameter dimension from per-frame
// static, delta (window -1/2, 0, 1/2) and delta-delta (1, -2, 1) means and
// precisions, by an integer L*D*L' factorisation of the band matrix.
#pragma once

#include <cstdint>

#include "backend/scratch_arena.h"

namespace kvo {
namespace backend {

struct TrajectoryInput {
  int frames = 0;
  int windows = 3;  // 2 or 3
  // mean[w][t], precision[w][t] for window w (static, delta, delta-delta).
  const int32_t* mean[3] = {nullptr, nullptr, nullptr};
  const int32_t* precision[3] = {nullptr, nullptr, nullptr};
};

// Solves for `out[0 .. frames-1]`; the band workspace comes from the arena
// and is returned before the call ends. False when the arena is too small.
bool SolveTrajectory(const TrajectoryInput& input, int64_t* out, ScratchArena& arena);

// 16.16 factor times a value: (low half * v) / 65536 + high half * v.
inline int64_t MulFactor(int64_t factor, int64_t v) {
  int64_t high = factor >> 16;  // floor, so the low half is never negative
  int64_t low = factor - high * 65536;
  return low * v / 65536 + high * v;
}

}  // namespace backend
}  // namespace kvo
