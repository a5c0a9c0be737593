// Speed, pitch and volume values at their ends and centre.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "backend/waveform/prosody_factors.h"
#include "core/saturate.h"

namespace {

using namespace kvo::backend;

TEST(BackendProsodyFactors, SpeedFactor) {
  struct Case {
    int32_t value;
    bool doubleMode;
    int32_t factor;
  } cases[] = {{0, false, 1023},   {-32768, false, 2047}, {32767, false, 512},
               {32767, true, 256}, {-16384, false, 1535}, {16384, false, 682},
               {0, true, 1023},    {-99999, false, 2047}, {99999, true, 256}};
  for (const Case& c : cases) EXPECT_EQ(SpeedFactor(c.value, c.doubleMode), c.factor) << c.value << " " << c.doubleMode;
}

TEST(BackendProsodyFactors, PitchFactor) {
  struct Case {
    int32_t value, factor;
  } cases[] = {{0, 1024}, {-32768, 512}, {32767, 2048}, {-16384, 682}, {16384, 1536}, {-70000, 512}};
  for (const Case& c : cases) EXPECT_EQ(PitchFactor(c.value), c.factor) << c.value;
}

TEST(BackendProsodyFactors, VolumeScalesFromHalfToDoubleAndSaturatesSoftly) {
  struct Case {
    int32_t volume;
    std::vector<int16_t> expected;
  } cases[] = {{0, {1000, -1000, 30000, -32768}},
               {32767, {2000, -2000, 31228, -31401}},
               {-32768, {500, -500, 15000, -16384}},
               {16384, {1500, -1500, 30422, -30719}}};
  for (const Case& c : cases) {
    std::vector<int16_t> s = {1000, -1000, 30000, -32768};
    ApplyVolume(s.data(), static_cast<int32_t>(s.size()), c.volume);
    EXPECT_EQ(s, c.expected) << c.volume;
  }
}

TEST(BackendProsodyFactors, SoftSaturationIsLinearBelowTheKneeAndNeverReachesFullScale) {
  struct Case {
    int64_t in;
    int16_t out;
  } cases[] = {{0, 0},           {24576, 24576}, {-24576, -24576}, {24577, 24576},     {32767, 28671},
               {-32768, -28671}, {65534, 31401}, {-65536, -31401}, {1LL << 40, 32766}, {-(1LL << 50), -32766}};
  for (const Case& c : cases) EXPECT_EQ(SoftSaturateToInt16(c.in), c.out) << c.in;
  // Monotonic, and the slope never jumps: neighbouring inputs stay within one step.
  int previous = SoftSaturateToInt16(20000);
  for (int64_t v = 20001; v <= 70000; ++v) {
    const int y = SoftSaturateToInt16(v);
    ASSERT_GE(y, previous) << v;
    ASSERT_LE(y - previous, 1) << v;
    previous = y;
  }
}

// A loud volume on a sentence-like signal bends its peaks below full scale:
// no sample is cut flat at full scale, the waveform keeps its order, and the
// quiet part is scaled exactly.
TEST(BackendProsodyFactors, LoudVolumeLeavesNoHardClippedSamples) {
  std::vector<int16_t> in;
  for (int i = 0; i < 4000; ++i)
    in.push_back(
        static_cast<int16_t>(std::lround((i < 2000 ? 8000 : 31000) * std::sin(i * 0.05) * std::sin(i * 0.0013))));
  for (int32_t volume : {9830, 19660, 32701}) {  // 6.5, 8 and 9.99
    SCOPED_TRACE(volume);
    std::vector<int16_t> out = in;
    ApplyVolume(out.data(), static_cast<int32_t>(out.size()), volume);
    int peak = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(out[i])));
      if (i > 0 && in[i] > in[i - 1]) {
        EXPECT_GE(out[i], out[i - 1]) << i;
      }
      if (i < 2000) {
        EXPECT_EQ(out[i], in[i] * (volume + 32767) / 32767) << i;
      }
    }
    EXPECT_LT(peak, 32767);
    EXPECT_GT(peak, kSoftKnee);
  }
}

}  // namespace
