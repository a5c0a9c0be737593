#include "backend/waveform/prosody_factors.h"

#include "core/saturate.h"

namespace kvo::backend {

namespace {

int64_t ClampValue(int32_t v) { return ClampInt32(v, -32768, 32767); }

}  // namespace

int32_t SpeedFactor(int32_t speedValue, bool doubleSpeedMode) {
  const int64_t b = ClampValue(speedValue);
  if (b <= 0) return static_cast<int32_t>((33521665 - 1024 * b) / 32768);
  const int64_t m = doubleSpeedMode ? 3 : 1;
  return static_cast<int32_t>(33553408 / (b * m + 32767));
}

int32_t PitchFactor(int32_t pitchValue) {
  const int64_t a = ClampValue(pitchValue);
  if (a <= 0) return static_cast<int32_t>(33554432 / (32768 - a));
  return static_cast<int32_t>((a + 32767) * 1024 / 32767);
}

void ApplyVolume(int16_t* samples, int32_t count, int32_t volumeValue) {
  const int64_t v = ClampValue(volumeValue);
  if (!samples || v == 0) return;
  if (v > 0) {
    // More than fits bends softly below full scale instead of clipping.
    for (int32_t i = 0; i < count; ++i) samples[i] = SoftSaturateToInt16(samples[i] * (v + 32767) / 32767);
  } else {
    const int64_t divisor = (32768 - v) * 32767 / 32768;
    for (int32_t i = 0; i < count; ++i) samples[i] = SaturateToInt16(samples[i] * int64_t{32767} / divisor);
  }
}

}  // namespace kvo::backend
