// Designed constant tables of the vocoder, the format converter and the
// sound effects. The values live in dsp_tables_generated.cpp, written by
// tools/dsptables (see there for the formulas).
#pragma once

#include <cstdint>

namespace kvo::backend {

constexpr int kCosineTableSize = 4096;     // entry k = 32767 cos(pi k / 4096)
constexpr int kExcitationPulseSize = 256;  // main peak at entry 128
constexpr int kExcitationPulsePeakIndex = 128;
constexpr int kNoiseBurstCount = 40;
constexpr int kNoiseBurstLength = 16;
constexpr int kAntiAliasFilterCount = 8;
constexpr int kAntiAliasTaps = 41;
constexpr int kNearFarGainCount = 314;
constexpr int kChorusDelay1Count = 250;
constexpr int kChorusDelay23Count = 125;
constexpr int kRobotCarrierCount = 160;

extern const int16_t kCosineTable[kCosineTableSize];
extern const uint8_t kPulseWindow192[192];
extern const uint8_t kPulseWindow256[256];
extern const int16_t kExcitationPulse[kExcitationPulseSize];
extern const int16_t kNoiseBursts[kNoiseBurstCount * kNoiseBurstLength];
// Cutoff of each anti-alias filter as a fraction of the input Nyquist rate, in 1/10000.
extern const int16_t kAntiAliasRatios[kAntiAliasFilterCount];
// Filter f occupies entries f*41 .. f*41+40; taps sum to about 10000.
extern const int16_t kAntiAliasFilters[kAntiAliasFilterCount * kAntiAliasTaps];
extern const int32_t kNearFarGains[kNearFarGainCount];    // Q15, up to 38229
extern const int16_t kChorusDelay1[kChorusDelay1Count];   // samples, 447..510
extern const int16_t kChorusDelay2[kChorusDelay23Count];  // samples, 763..834
extern const int16_t kChorusDelay3[kChorusDelay23Count];  // samples, 1099..1138
extern const int32_t kRobotCarrier[kRobotCarrierCount];   // Q15, -32768..32768

}  // namespace kvo::backend
