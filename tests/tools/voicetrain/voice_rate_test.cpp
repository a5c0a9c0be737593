// Training at another voice rate: the analysis follows the vocoder's order
// and 5-ms frames at that rate, finds voicing and F0 in 8 kHz audio, and
// the voice information names the rate the model is trained at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "backend/vocoder/vocoder.h"
#include "features/gain_calibration.h"
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

// Renders per-frame LSFs, F0s and gains through the engine's vocoder.
std::vector<int16_t> Render(const std::vector<std::vector<uint16_t>>& lsf, const std::vector<int>& f0,
                            const std::vector<int>& gain, int rate) {
  const int order = static_cast<int>(lsf[0].size()), values = order + 2;
  std::vector<int16_t> data(lsf.size() * values);
  for (size_t t = 0; t < lsf.size(); ++t) {
    for (int i = 0; i < order; ++i) data[t * values + i] = static_cast<int16_t>(lsf[t][i]);
    data[t * values + order] = static_cast<int16_t>(f0[t]);
    data[t * values + order + 1] = static_cast<int16_t>(gain[t]);
  }
  kvo::backend::VocoderTail tail{};
  kvo::backend::VocoderState state;
  EXPECT_EQ(
      kvo::backend::VocoderStart(&state, &tail, rate, data.data(), static_cast<int32_t>(data.size() * 2), 1024, 1024),
      0);
  std::vector<int16_t> out, buffer(4096);
  for (;;) {
    int32_t completed = 0;
    const bool done = kvo::backend::VocoderRun(&state, buffer.data(), static_cast<int32_t>(buffer.size()), &completed);
    out.insert(out.end(), buffer.begin(), buffer.begin() + completed);
    if (done || completed == 0) break;
  }
  return out;
}

// A close vowel of the teacher (its 16 kHz envelope, at a low male F0
// gliding over 20 Hz) is analysed at the voice rate as training does and
// rendered again at the voice's own F0, which swings by 30% as tones do.
// The pitch analysis must hear that F0, not a harmonic of it. At 8 kHz
// with the 16 kHz lag window (60 Hz), 6 to 8 of the 180 frames were heard
// at 1.5 or 2 times their F0 in three of the four cases.
TEST(VoicetrainRate, RenderedEnvelopeKeepsTheFundamental) {
  const std::vector<uint16_t> teacherVowel = {1682,  2682,  3639,  6555,  14730, 14940, 20214, 20949, 26346, 29111,
                                              31445, 32910, 34226, 41363, 45143, 49596, 54158, 56207, 57341, 60709};
  constexpr int kFrames = 200;
  struct Case {
    int rate;
    double teacherF0, voiceF0;
  } cases[] = {{16000, 72, 125}, {16000, 80, 125}, {16000, 72, 160}, {16000, 80, 160},
               {8000, 72, 125},  {8000, 80, 125},  {8000, 72, 160},  {8000, 80, 160}};
  for (const Case& c : cases) {
    std::vector<int> teacherF0(kFrames), level(kFrames, 60);
    for (int t = 0; t < kFrames; ++t) teacherF0[t] = static_cast<int>(std::lround(c.teacherF0 + 20.0 * t / kFrames));
    std::vector<int16_t> teacher =
        Render(std::vector<std::vector<uint16_t>>(kFrames, teacherVowel), teacherF0, level, 16000);
    if (c.rate != 16000) teacher = voicetrain::Resample(teacher, 16000, c.rate);

    voicetrain::AnalysisSettings training, report;
    ASSERT_TRUE(voicetrain::AnalysisForRate(c.rate, &training));
    ASSERT_TRUE(voicetrain::AnalysisForRate(c.rate, &report));
    training.lag_window_hz = voicetrain::TrainingLagWindowHz(c.rate);
    const auto analysed = voicetrain::AnalyseSignal(teacher, training);
    ASSERT_GE(analysed.size(), static_cast<size_t>(kFrames));

    std::vector<std::vector<uint16_t>> lsf(kFrames);
    std::vector<int> f0(kFrames), gain(kFrames);
    for (int t = 0; t < kFrames; ++t) {
      lsf[t] = analysed[t].lsf;
      f0[t] = static_cast<int>(std::lround(c.voiceF0 * (1 + 0.3 * std::sin(t / 15.0))));
      gain[t] = static_cast<int>(
          std::clamp(std::lround(voicetrain::GainForRms(lsf[t], f0[t], analysed[t].rms, c.rate)), 0L, 255L));
    }
    const auto heard = voicetrain::AnalyseSignal(Render(lsf, f0, gain, c.rate), report);
    int wrong = 0, frames = 0;
    for (int t = 10; t + 10 < kFrames && t < static_cast<int>(heard.size()); ++t, ++frames)
      if (!heard[t].voiced || std::fabs(heard[t].f0 / f0[t] - 1) > 0.2) ++wrong;
    EXPECT_GT(frames, 170);
    EXPECT_LE(wrong, 1) << c.rate << " Hz, teacher from " << c.teacherF0 << " Hz, voice around " << c.voiceF0 << " Hz";
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
