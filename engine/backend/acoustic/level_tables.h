// F0 and excitation-gain lookup tables used when turning solved
// trajectories into frame values.
#pragma once

#include <cstdint>

namespace kvo {
namespace backend {

// Log-F0 in 11 fractional bits, 8192 ... 12288 in steps of 2.
constexpr int kF0TableSize = 2049;
constexpr int kF0LogMin = 8192;
constexpr int kF0LogMax = 12288;
extern const uint16_t kF0Table[kF0TableSize];

// Negated log-gain 0 ... 8192 in steps of 8.
constexpr int kGainTableSize = 1025;
constexpr int kGainLogMax = 8192;
extern const uint8_t kGainTable[kGainTableSize];

// F0 in Hz (85 ... 403) for a log-F0 value in 11 fractional bits.
inline int F0FromLog(int64_t logF0) {
  if (logF0 < kF0LogMin) logF0 = kF0LogMin;
  if (logF0 > kF0LogMax) logF0 = kF0LogMax;
  return kF0Table[(logF0 - kF0LogMin) / 2];
}

// Excitation gain (0 ... 255) for a solved log-gain value.
inline int GainFromLog(int64_t logGain) {
  int64_t v = -logGain;
  if (v < 0) v = 0;
  if (v > kGainLogMax) v = kGainLogMax;
  return kGainTable[v / 8];
}

}  // namespace backend
}  // namespace kvo
