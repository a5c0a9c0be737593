// The designed tables keep the properties the vocoder, filters and effects rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "backend/vocoder/dsp_tables.h"

namespace {

using namespace kvo::backend;

struct WindowCase {
  const uint8_t* w;
  int size, lastZero, firstFull;
};

TEST(BackendTables, WindowsAreSymmetricBellsWithTheStatedEdges) {
  const WindowCase cases[] = {{kPulseWindow192, 192, 9, 52}, {kPulseWindow256, 256, 12, 66}};
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.size);
    for (int j = 0; j < c.size; ++j) EXPECT_EQ(c.w[j], c.w[c.size - 1 - j]) << j;
    for (int j = 0; j <= c.lastZero; ++j) EXPECT_EQ(c.w[j], 0) << j;
    EXPECT_GT(c.w[c.lastZero + 1], 0);
    EXPECT_LT(c.w[c.firstFull - 1], 255);
    for (int j = c.firstFull; j < c.size - c.firstFull; ++j) EXPECT_EQ(c.w[j], 255) << j;
    for (int j = 1; j < c.firstFull; ++j) EXPECT_GE(c.w[j], c.w[j - 1]) << j;
  }
}

TEST(BackendTables, ExcitationPulseHasItsPeakAtTheCentreAndNoDc) {
  long sum = 0;
  int peakIndex = 0;
  for (int i = 0; i < kExcitationPulseSize; ++i) {
    sum += kExcitationPulse[i];
    if (std::abs(kExcitationPulse[i]) > std::abs(kExcitationPulse[peakIndex])) peakIndex = i;
  }
  EXPECT_EQ(kExcitationPulse[0], 0);
  EXPECT_EQ(kExcitationPulse[kExcitationPulseSize - 1], 0);
  EXPECT_EQ(peakIndex, kExcitationPulsePeakIndex);
  EXPECT_EQ(kExcitationPulse[kExcitationPulsePeakIndex], 1768);
  EXPECT_EQ(sum, 0);
}

TEST(BackendTables, NoiseBurstsAreZeroMeanWithTheDesignedSpread) {
  int maxPeak = 0;
  for (int b = 0; b < kNoiseBurstCount; ++b) {
    const int16_t* x = kNoiseBursts + b * kNoiseBurstLength;
    double sum = 0, energy = 0;
    for (int i = 0; i < kNoiseBurstLength; ++i) {
      sum += x[i];
      energy += static_cast<double>(x[i]) * x[i];
      maxPeak = std::max(maxPeak, std::abs(int{x[i]}));
    }
    EXPECT_EQ(sum, 0) << "burst " << b;
    double sd = std::sqrt(energy / kNoiseBurstLength);
    EXPECT_NEAR(sd, 620, 5) << "burst " << b;
  }
  EXPECT_LE(maxPeak, 1730);
  EXPECT_GT(maxPeak, 1200);  // Gaussian-like, not clipped flat
}

TEST(BackendTables, AntiAliasFiltersAreUnityGainSincsWithTheRatioAtTheCentre) {
  for (int f = 0; f < kAntiAliasFilterCount; ++f) {
    const int16_t* h = kAntiAliasFilters + f * kAntiAliasTaps;
    SCOPED_TRACE(kAntiAliasRatios[f]);
    long sum = 0;
    for (int j = 0; j < kAntiAliasTaps; ++j) {
      sum += h[j];
      EXPECT_EQ(h[j], h[kAntiAliasTaps - 1 - j]);
      EXPECT_LE(h[j], h[20]);
    }
    EXPECT_EQ(h[20], kAntiAliasRatios[f]);
    EXPECT_NEAR(sum, 10000, 150);
  }
  const int16_t* half = kAntiAliasFilters + 4 * kAntiAliasTaps;  // ratio 5000
  EXPECT_EQ(half[18], 0);
  EXPECT_EQ(half[19], 3165);
  EXPECT_EQ(half[21], 3165);
  EXPECT_EQ(half[22], 0);
}

TEST(BackendTables, EffectTablesSpanTheirRanges) {
  EXPECT_EQ(kNearFarGains[0], 38229);
  EXPECT_EQ(kNearFarGains[157], 5461);
  for (int k = 1; k < kNearFarGainCount; ++k) EXPECT_EQ(kNearFarGains[k], kNearFarGains[kNearFarGainCount - k]);

  struct Sweep {
    const int16_t* d;
    int count, lo, hi;
  } sweeps[] = {{kChorusDelay1, kChorusDelay1Count, 447, 510},
                {kChorusDelay2, kChorusDelay23Count, 763, 834},
                {kChorusDelay3, kChorusDelay23Count, 1099, 1138}};
  for (const Sweep& s : sweeps) {
    SCOPED_TRACE(s.lo);
    int lo = 1 << 20, hi = 0;
    for (int i = 0; i < s.count; ++i) {
      lo = std::min(lo, int{s.d[i]});
      hi = std::max(hi, int{s.d[i]});
      // Linear sweep: no jumps, including the wrap back to the start.
      EXPECT_LE(std::abs(s.d[(i + 1) % s.count] - s.d[i]), 2);
    }
    EXPECT_EQ(lo, s.lo);
    EXPECT_GE(hi, s.hi - 1);
    EXPECT_LE(hi, s.hi);
  }
  EXPECT_EQ(kRobotCarrier[0], 32768);
  EXPECT_EQ(kRobotCarrier[80], -32768);
  EXPECT_EQ(kRobotCarrier[40], 0);
  EXPECT_EQ(kCosineTable[0], 32767);
  EXPECT_EQ(kCosineTable[2048], 0);
  EXPECT_EQ(kCosineTable[4095], -32767);
}

}  // namespace
