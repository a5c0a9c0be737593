// Sound effects: impulse responses show each effect's delays and decay; full-scale input saturates.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "backend/audio/audio_format.h"
#include "backend/audio/sound_effect.h"

namespace {

using namespace kvo::backend;

class BackendSoundEffect : public testing::Test {
 protected:
  void Select(int kind) { ASSERT_EQ(SelectSoundEffect(state_.get(), kind), kBackendOk); }

  // Runs `input` through the effect in blocks of `block` samples.
  std::vector<int16_t> Run(std::vector<int16_t> input, int32_t rate, size_t block = 4096) {
    for (size_t at = 0; at < input.size(); at += block) {
      size_t n = std::min(block, input.size() - at);
      ApplyEffect(state_.get(), input.data() + at, static_cast<int32_t>(n), rate);
    }
    return input;
  }

  static std::vector<int16_t> Impulse(size_t length, int16_t height = 16000) {
    std::vector<int16_t> v(length, 0);
    v[0] = height;
    return v;
  }

  static std::map<size_t, int16_t> NonZero(const std::vector<int16_t>& v) {
    std::map<size_t, int16_t> m;
    for (size_t i = 0; i < v.size(); ++i)
      if (v[i] != 0) m[i] = v[i];
    return m;
  }

  std::unique_ptr<SoundEffectState> state_ = std::make_unique<SoundEffectState>();
};

TEST_F(BackendSoundEffect, EchoRepeatsTheInputFourTimesAtTheLevelsDelay) {
  struct Case {
    int32_t level, rate, delay;
  } cases[] = {{0, 16000, 960}, {32767, 16000, 1920}, {-32767, 8000, 0}, {0, 11025, 660}, {32767, 22050, 2640}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << " rate " << c.rate);
    SetEffectMixLevel(state_.get(), c.level);
    EXPECT_EQ(state_->kind, kEffectEcho);
    EXPECT_EQ(EchoDelaySamples(c.level, c.rate), c.delay);
    std::map<size_t, int16_t> out = NonZero(Run(Impulse(6 * 2640), c.rate, 1000));
    if (c.delay == 0) {
      EXPECT_EQ(out, (std::map<size_t, int16_t>{{0, 16000}}));
      continue;
    }
    const size_t d = c.delay;
    // Echoes come from the input only: no fifth repetition.
    EXPECT_EQ(out, (std::map<size_t, int16_t>{{0, 16000}, {d, 8000}, {2 * d, 4000}, {3 * d, 2000}, {4 * d, 1000}}));
  }
}

TEST_F(BackendSoundEffect, EchoHistoryFitsTheLongestDelayAtTheHighestRate) {
  // 120 ms at 22050 Hz: four taps of 2640 samples must fit the history.
  EXPECT_LE(4 * EchoDelaySamples(32767, 22050), kEffectHistorySamples);
  EXPECT_LE(4 * EchoDelaySamples(32767, 48000), kEffectHistorySamples);
}

TEST_F(BackendSoundEffect, ReverbDecaysByAQuarterEvery64Milliseconds) {
  Select(kEffectReverb);
  std::map<size_t, int16_t> out = NonZero(Run(Impulse(5000), 16000, 700));
  EXPECT_EQ(out, (std::map<size_t, int16_t>{{0, 16000}, {1024, 4000}, {2048, 1000}, {3072, 250}, {4096, 62}}));
}

TEST_F(BackendSoundEffect, ChorusEchoesSweepWithinTheirDelayRanges) {
  Select(kEffectChorus);
  const int32_t lo[3] = {447, 763, 1099}, hi[3] = {510, 834, 1138};
  const int16_t height[3] = {8000, 4000, 2000};
  int32_t seenMin[3] = {1 << 20, 1 << 20, 1 << 20}, seenMax[3] = {0, 0, 0};
  int heard[3] = {0, 0, 0};
  // Impulses 1500 samples apart, long enough for the three echoes, over a full sweep.
  const size_t kApart = 1500, kImpulses = 16;
  std::vector<int16_t> input(kImpulses * kApart, 0);
  for (size_t at = 0; at < input.size(); at += kApart) input[at] = 16000;
  std::vector<int16_t> out = Run(input, 16000, 512);
  for (size_t at = 0; at < out.size(); at += kApart) {
    EXPECT_EQ(out[at], 16000);
    for (size_t d = 1; d < kApart && at + d < out.size(); ++d) {
      if (out[at + d] == 0) continue;
      int tap = -1;
      for (int e = 0; e < 3; ++e)
        if (static_cast<int32_t>(d) >= lo[e] && static_cast<int32_t>(d) <= hi[e]) tap = e;
      ASSERT_GE(tap, 0) << "echo outside every delay range at " << d;
      EXPECT_EQ(out[at + d], height[tap]);
      ++heard[tap];
      seenMin[tap] = std::min<int32_t>(seenMin[tap], d);
      seenMax[tap] = std::max<int32_t>(seenMax[tap], d);
    }
  }
  for (int e = 0; e < 3; ++e) {
    SCOPED_TRACE(e);
    // A moving delay may repeat or skip one sample; most impulses are heard once per tap.
    EXPECT_GE(heard[e], static_cast<int>(kImpulses) - 4);
    EXPECT_GE(seenMax[e] - seenMin[e], (hi[e] - lo[e]) / 2);  // the delays really move
  }
}

TEST_F(BackendSoundEffect, NearFarFollowsTheGainCurveIn129SampleSteps) {
  Select(kEffectNearFar);
  std::vector<int16_t> out = Run(std::vector<int16_t>(314 * 129 + 10, 10000), 16000, 1000);
  EXPECT_EQ(out[0], 10000 * 38229 / 32768);
  EXPECT_EQ(out[128], out[0]);
  EXPECT_NE(out[129], out[0]);
  EXPECT_EQ(out[157 * 129], 10000 * 5461 / 32768);
  EXPECT_EQ(out[314 * 129], out[0]);  // wraps after the last gain
}

TEST_F(BackendSoundEffect, RobotModulatesWithA160SampleCosine) {
  Select(kEffectRobot);
  std::vector<int16_t> out = Run(std::vector<int16_t>(480, 1000), 16000, 333);
  for (size_t k = 0; k < out.size(); ++k)
    EXPECT_NEAR(out[k], 1000 * std::cos(2 * 3.14159265358979 * (k % 160) / 160), 1.0) << k;
}

TEST_F(BackendSoundEffect, FullScaleInputSaturatesForEveryEffect) {
  for (int kind = kEffectReverb; kind <= kEffectRobot; ++kind) {
    for (int16_t level : {int16_t{32767}, int16_t{-32768}}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " input " << level);
      Select(kind);
      std::vector<int16_t> out = Run(std::vector<int16_t>(12000, level), 16000);
      if (kind == kEffectRobot) {
        EXPECT_EQ(out[0], level);
        EXPECT_EQ(out[80], level == 32767 ? -32767 : 32767);
        continue;
      }
      for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i] > 0, level > 0) << i;  // never wraps to the other sign
      }
      if (kind != kEffectNearFar) {
        EXPECT_EQ(out.back(), level);
      }
    }
  }
}

TEST_F(BackendSoundEffect, SelectionAndMixLevelRules) {
  Select(kEffectReverb);
  Run(Impulse(100), 16000);
  Select(kEffectChorus);
  EXPECT_EQ(state_->level, 32767);
  EXPECT_EQ(state_->position, 0);
  SetEffectMixLevel(state_.get(), -32768);
  EXPECT_EQ(state_->kind, kEffectNone);
  EXPECT_EQ(state_->level, -32768);
  std::vector<int16_t> in = Impulse(3000);
  EXPECT_EQ(Run(in, 16000), in);
  EXPECT_EQ(SelectSoundEffect(state_.get(), 6), kBackendInvalidArgument);
  ApplyEffect(nullptr, in.data(), 10, 16000);
  ApplyEffect(state_.get(), in.data(), 0, 16000);
}

TEST_F(BackendSoundEffect, ClearedHistoryStartsLikeAFreshEffect) {
  for (int kind = kEffectReverb; kind <= kEffectRobot; ++kind) {
    SCOPED_TRACE(kind);
    Select(kind);
    std::vector<int16_t> fresh = Run(Impulse(3000), 16000);
    Run(std::vector<int16_t>(777, 5000), 16000);
    ClearEffectHistory(state_.get());
    EXPECT_EQ(Run(Impulse(3000), 16000), fresh);
  }
}

// A lower voice rate keeps the write position but shortens the ring: the
// position must wrap into the new ring, whose old contents only add their
// own echo until the ring has been refilled.
TEST_F(BackendSoundEffect, RateChangeWithAnOldPositionStaysInsideTheHistory) {
  // Echo: 9000 samples of 100 at 22050 Hz leave the position past the
  // 3840-sample ring of 8000 Hz; that ring now holds nothing but 100s.
  SetEffectMixLevel(state_.get(), 32767);
  Run(std::vector<int16_t>(9000, 100), 22050);
  const size_t d = EchoDelaySamples(32767, 8000);
  ASSERT_EQ(d, 960u);
  std::vector<int16_t> echo = Run(Impulse(5000), 8000, 700);
  EXPECT_LT(state_->position, static_cast<int32_t>(4 * d));
  for (size_t n = 0; n < echo.size(); ++n) {
    int32_t expected = n == 0 ? 16000 : 0;
    for (size_t tap = 1; tap <= 4; ++tap) {
      if (n == tap * d) expected += 16000 >> tap;  // the impulse's own echo
      if (n < tap * d) expected += 100 >> tap;     // a tap still reaching into the old ring
    }
    ASSERT_EQ(echo[n], expected) << n;
  }

  // Reverb: 1400 samples at 22050 Hz (a 1408-sample ring), then the
  // 512-sample ring of 8000 Hz, filled with 100s.
  Select(kEffectReverb);
  Run(std::vector<int16_t>(1400, 100), 22050);
  std::vector<int16_t> reverb = Run(Impulse(1100), 8000, 300);
  EXPECT_LT(state_->position, 512);
  std::vector<int32_t> expected(reverb.size());
  for (size_t n = 0; n < reverb.size(); ++n) {
    expected[n] = (n == 0 ? 16000 : 0) + (n < 512 ? 100 / 4 : expected[n - 512] / 4);
    ASSERT_EQ(reverb[n], expected[n]) << n;
  }
}

}  // namespace

namespace {

// After the tail the effect holds nothing more: zeros come out as zeros,
// and the tail itself still carries sound for the effects with memory.
TEST_F(BackendSoundEffect, TailCoversWhatTheEffectStillHolds) {
  struct Case {
    int kind;
    int32_t rate;
    int32_t tail;
  } cases[] = {{kEffectReverb, 16000, 8 * 1024}, {kEffectEcho, 16000, 4 * 1920},
               {kEffectEcho, 8000, 4 * 960},     {kEffectChorus, 16000, kChorusHistorySamples},
               {kEffectNearFar, 16000, 0},       {kEffectRobot, 11025, 0},
               {kEffectNone, 16000, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " rate " << c.rate);
    Select(c.kind);
    EXPECT_EQ(EffectTailSamples(state_.get(), c.rate), c.tail);
    std::vector<int16_t> loud(3000);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = static_cast<int16_t>(i % 3 == 0 ? 32767 : -32768);
    Run(loud, c.rate, 512);
    const std::vector<int16_t> tail = Run(std::vector<int16_t>(static_cast<size_t>(c.tail), 0), c.rate, 700);
    EXPECT_EQ(NonZero(tail).empty(), c.tail == 0);
    EXPECT_TRUE(NonZero(Run(std::vector<int16_t>(4000, 0), c.rate)).empty());
  }
}

}  // namespace
