// Training at another voice rate: the analysis follows the vocoder's order
// and 5-ms frames at that rate, finds voicing and F0 in 8 kHz audio, and
// the voice information names the rate the model is trained at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "features/lpc_analysis.h"
#include "teacher/resampler.h"
#include "train/voice_information.h"

namespace {

TEST(VoicetrainRate, SettingsFollowTheVocoderAtEveryRate) {
  struct Case {
    int rate;
    bool usable;
    int order, hop, window, span;
  } cases[] = {
      {8000, true, 12, 40, 200, 240},
      {16000, true, 20, 80, 400, 480},
      // The vocoder renders these, but a 5-ms frame is not whole samples.
      {11025, false, 0, 0, 0, 0},
      {22050, false, 0, 0, 0, 0},
      {44100, false, 0, 0, 0, 0},
      {0, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    voicetrain::AnalysisSettings s;
    ASSERT_EQ(voicetrain::AnalysisForRate(c.rate, &s), c.usable) << c.rate;
    if (!c.usable) continue;
    EXPECT_EQ(s.rate, c.rate);
    EXPECT_EQ(s.order, c.order) << c.rate;
    EXPECT_EQ(s.hop, c.hop) << c.rate;
    EXPECT_EQ(s.window, c.window) << c.rate;
    EXPECT_EQ(s.pitch_span, c.span) << c.rate;
    EXPECT_EQ(s.pitch_span % 4, 0) << c.rate;
  }
  EXPECT_EQ(voicetrain::LpcOrderForRate(11025), 14);
  EXPECT_EQ(voicetrain::LpcOrderForRate(22050), 24);
  // The 16 kHz settings are the defaults the existing voice was built with.
  voicetrain::AnalysisSettings wide, defaults;
  ASSERT_TRUE(voicetrain::AnalysisForRate(16000, &wide));
  EXPECT_EQ(wide.order, defaults.order);
  EXPECT_EQ(wide.hop, defaults.hop);
  EXPECT_EQ(wide.window, defaults.window);
  EXPECT_EQ(wide.pitch_span, defaults.pitch_span);
}

uint32_t Next(uint32_t& seed) { return seed = seed * 1664525u + 1013904223u; }

// One second at 16 kHz: smoothed pulses at f0, or white noise when f0 = 0.
std::vector<int16_t> Wide(double f0) {
  std::vector<int16_t> s(16000);
  uint32_t seed = 5;
  double previous = 0;
  for (size_t n = 0; n < s.size(); ++n) {
    double v;
    if (f0 > 0) {
      const double phase = std::fmod(n * f0 / 16000.0, 1.0);
      v = 0.6 * (phase < f0 / 16000.0 ? 12000 : 0) + 0.4 * previous;
      previous = v;
    } else {
      v = (int(Next(seed) >> 20) & 4095) - 2048;
    }
    s[n] = static_cast<int16_t>(v);
  }
  return s;
}

// Teacher audio at 16 kHz taken down to an 8 kHz voice: the frame count is
// the 16 kHz one, every frame has 12 ascending lines, pulses are voiced at
// their rate and noise is not.
TEST(VoicetrainRate, NarrowbandAnalysisOfResampledAudio) {
  struct Case {
    double f0;  // 0: noise, must be unvoiced
  } cases[] = {{100}, {160}, {250}, {0}};
  voicetrain::AnalysisSettings narrow;
  ASSERT_TRUE(voicetrain::AnalysisForRate(8000, &narrow));
  for (const Case& c : cases) {
    const std::vector<int16_t> wide = Wide(c.f0);
    const auto frames = voicetrain::AnalyseSignal(voicetrain::Resample(wide, 16000, 8000), narrow);
    EXPECT_EQ(frames.size(), voicetrain::AnalyseSignal(wide, {}).size()) << c.f0;
    int voiced = 0, close = 0, middle = 0;
    for (size_t t = 10; t + 10 < frames.size(); ++t, ++middle) {
      ASSERT_EQ(frames[t].lsf.size(), 12u);
      for (size_t i = 1; i < frames[t].lsf.size(); ++i) ASSERT_LT(frames[t].lsf[i - 1], frames[t].lsf[i]) << t;
      voiced += frames[t].voiced;
      if (frames[t].voiced && std::fabs(frames[t].f0 - c.f0) < 0.03 * c.f0) ++close;
    }
    if (c.f0 > 0) {
      EXPECT_GT(voiced, middle * 9 / 10) << c.f0;
      EXPECT_GT(close, middle * 9 / 10) << c.f0;
    } else {
      EXPECT_LT(voiced, middle / 10);
    }
  }
}

TEST(VoicetrainRate, VoiceInformationNamesTheTrainedRate) {
  // A 16 kHz voice's payload: the rate at byte 36, the width at byte 46.
  std::vector<uint8_t> payload(64, 0);
  payload[36] = 0x80;
  payload[37] = 0x3e;
  payload[46] = 16;
  ASSERT_EQ(voicetrain::VoiceRate(payload), 16000);
  const std::vector<uint8_t> before = payload;
  ASSERT_TRUE(voicetrain::SetVoiceRate(payload, 8000));
  EXPECT_EQ(voicetrain::VoiceRate(payload), 8000);
  for (size_t i = 0; i < payload.size(); ++i) {
    if (i < 36 || i > 39) {
      EXPECT_EQ(payload[i], before[i]) << i;
    }
  }

  // Too short to hold the second record: refused and left as it was.
  std::vector<uint8_t> shortPayload(63, 7);
  EXPECT_FALSE(voicetrain::SetVoiceRate(shortPayload, 8000));
  EXPECT_EQ(shortPayload, std::vector<uint8_t>(63, 7));
  EXPECT_EQ(voicetrain::VoiceRate(shortPayload), 0);
}

}  // namespace
