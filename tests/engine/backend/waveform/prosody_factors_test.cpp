// Speed, pitch and volume values at their ends and centre.
#include <gtest/gtest.h>

#include <vector>

#include "backend/waveform/prosody_factors.h"

namespace {

using namespace kvo::backend;

TEST(BackendProsodyFactors, SpeedFactor) {
  struct Case {
    int32_t value;
    bool doubleMode;
    int32_t factor;
  } cases[] = {{0, false, 1023},      {-32768, false, 2047}, {32767, false, 512}, {32767, true, 256},
               {-16384, false, 1535}, {16384, false, 682},   {0, true, 1023},     {-99999, false, 2047},
               {99999, true, 256}};
  for (const Case& c : cases) EXPECT_EQ(SpeedFactor(c.value, c.doubleMode), c.factor) << c.value << " " << c.doubleMode;
}

TEST(BackendProsodyFactors, PitchFactor) {
  struct Case {
    int32_t value, factor;
  } cases[] = {{0, 1024}, {-32768, 512}, {32767, 2048}, {-16384, 682}, {16384, 1536}, {-70000, 512}};
  for (const Case& c : cases) EXPECT_EQ(PitchFactor(c.value), c.factor) << c.value;
}

TEST(BackendProsodyFactors, VolumeScalesFromHalfToDoubleAndSaturates) {
  struct Case {
    int32_t volume;
    std::vector<int16_t> expected;
  } cases[] = {{0, {1000, -1000, 30000, -32768}},
               {32767, {2000, -2000, 32767, -32768}},
               {-32768, {500, -500, 15000, -16384}},
               {16384, {1500, -1500, 32767, -32768}}};
  for (const Case& c : cases) {
    std::vector<int16_t> s = {1000, -1000, 30000, -32768};
    ApplyVolume(s.data(), static_cast<int32_t>(s.size()), c.volume);
    EXPECT_EQ(s, c.expected) << c.volume;
  }
}

}  // namespace
