// Gains by analysis by synthesis through the engine's vocoder: gains found
// for a target level render at that level.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "features/gain_calibration.h"

namespace {

// Line frequencies in Hz in the vocoder's unit at a rate (pi/65536, pi
// being half the rate).
std::vector<uint16_t> Lines(const std::vector<double>& hz, int rate = 16000) {
  std::vector<uint16_t> out;
  for (double f : hz) out.push_back(static_cast<uint16_t>(std::lround(f / (rate / 2.0) * 65536.0)));
  return out;
}

std::vector<uint16_t> Flat(int order) {
  std::vector<uint16_t> flat;
  for (int i = 1; i <= order; ++i) flat.push_back(static_cast<uint16_t>(i * 65536 / (order + 1)));
  return flat;
}

// Vowel-like, nasal-like, fricative-like and flat spectra.
std::vector<std::vector<uint16_t>> Spectra() {
  std::vector<std::vector<uint16_t>> s;
  s.push_back(Lines({300,  650,  750,  1100, 1250, 1900, 2500, 2700, 3300, 3500,
                     4000, 4300, 4700, 5000, 5500, 5900, 6300, 6700, 7100, 7500}));
  s.push_back(Lines({200,  280,  900,  1100, 1500, 1800, 2300, 2500, 2900, 3300,
                     3700, 4100, 4500, 4900, 5300, 5700, 6100, 6500, 6900, 7400}));
  s.push_back(Lines({400,  800,  1200, 1600, 2000, 2400, 2800, 3200, 3600, 4000,
                     4400, 4800, 5200, 5600, 5900, 6100, 6500, 6900, 7200, 7600}));
  s.push_back(Flat(20));
  return s;
}

// The same kinds of spectra with the 12 lines of an 8 kHz voice.
std::vector<std::vector<uint16_t>> NarrowSpectra() {
  std::vector<std::vector<uint16_t>> s;
  s.push_back(Lines({300, 650, 750, 1100, 1250, 1900, 2300, 2500, 2700, 3100, 3300, 3600}, 8000));
  s.push_back(Lines({200, 280, 900, 1100, 1500, 1800, 2300, 2500, 2900, 3200, 3500, 3800}, 8000));
  s.push_back(Lines({300, 600, 900, 1200, 1500, 1800, 2100, 2400, 2700, 3000, 3300, 3600}, 8000));
  s.push_back(Flat(12));
  return s;
}

// Unvoiced (f0 0) and voiced frames at both voice rates: a level above
// silence always gets a gain, and a gain a frame carries well renders that
// level. (At 8 kHz the rendering once held only the ramps, and every
// unvoiced frame got gain 0: the 8 kHz voice's consonants were silent.)
TEST(VoicetrainGain, GainsRenderTheTargetLevel) {
  struct Case {
    int rate;
    std::vector<std::vector<uint16_t>> spectra;
  } cases[] = {{16000, Spectra()}, {8000, NarrowSpectra()}};
  for (const Case& c : cases)
    for (const auto& lsf : c.spectra)
      for (int f0 : {0, 90, 140, 200})
        for (double target : {100.0, 800.0, 3000.0}) {
          SCOPED_TRACE(testing::Message() << "rate " << c.rate << " f0 " << f0 << " target " << target);
          const double gain = voicetrain::GainForRms(lsf, f0, target, c.rate);
          EXPECT_GT(gain, 0.0);
          if (gain < 8 || gain > 250) continue;  // outside what a frame carries well
          const double rendered = voicetrain::RenderedRms(lsf, f0, static_cast<int>(std::lround(gain)), c.rate);
          EXPECT_NEAR(20 * std::log10(rendered / target), 0.0, 1.5);
        }
  EXPECT_EQ(voicetrain::GainForRms(Spectra()[0], 120, 0.0, 16000), 0.0);  // silence
}

TEST(VoicetrainGain, RenderedLevelGrowsWithGain) {
  const auto lsf = Spectra()[0];
  const double low = voicetrain::RenderedRms(lsf, 120, 40, 16000);
  const double high = voicetrain::RenderedRms(lsf, 120, 160, 16000);
  EXPECT_NEAR(high / low, 4.0, 0.4);
  EXPECT_EQ(voicetrain::RenderedRms(lsf, 120, 0, 16000), 0.0);
}

TEST(VoicetrainGain, LogGainValueMatchesTheGeneratorTable) {
  // The generator renders v as 7650 * exp(-v / 2048), clamped to 255.
  for (double g : {3.0, 10.0, 100.0, 255.0})
    EXPECT_NEAR(voicetrain::GainOfLogValue(voicetrain::LogGainValue(g)), g, g * 0.002 + 0.01);
  EXPECT_EQ(voicetrain::LogGainValue(1000.0), voicetrain::LogGainValue(255.0));  // louder than a frame can be
  // Too quiet to render: silent, but still ordered by level down to a floor.
  for (double quiet : {2.0, 1.0, 0.0, -5.0}) {
    EXPECT_GE(voicetrain::LogGainValue(quiet), voicetrain::kSilentLogGain) << quiet;
    EXPECT_EQ(voicetrain::GainOfLogValue(voicetrain::LogGainValue(quiet)), 0.0) << quiet;
  }
  EXPECT_LT(voicetrain::LogGainValue(2.0), voicetrain::LogGainValue(1.0));
  EXPECT_LT(voicetrain::LogGainValue(1.0), voicetrain::LogGainValue(0.0));
  EXPECT_EQ(voicetrain::LogGainValue(0.0), voicetrain::LogGainValue(-5.0));
  EXPECT_EQ(voicetrain::LogGainValue(0.0), voicetrain::LogGainValue(voicetrain::kQuietestGain));
  EXPECT_EQ(voicetrain::GainOfLogValue(voicetrain::kSilentLogGain), 0.0);
}

}  // namespace
