// Per-item speed, pitch and volume values (-32768..32767, 0 neutral) turned
// into the factors the vocoder and the block renderer apply.
#pragma once

#include <cstdint>

namespace kvo::backend {

// Samples rendered per nominal 1024: 1023 at 0, up to 2047 (slower) at
// -32768, down to 512 at 32767, or 256 in the double speed mode.
int32_t SpeedFactor(int32_t speedValue, bool doubleSpeedMode);

// F0 multiplier in 1/1024: 512 at -32768, 1024 at 0, 2048 at 32767.
int32_t PitchFactor(int32_t pitchValue);

// Scales samples in place by about 1/2 (-32768) to 2 (32767); 0 leaves them
// unchanged. Above 3/4 of full scale a louder volume compresses softly
// (SoftSaturateToInt16), so no sample is cut flat at full scale.
void ApplyVolume(int16_t* samples, int32_t count, int32_t volumeValue);

}  // namespace kvo::backend
