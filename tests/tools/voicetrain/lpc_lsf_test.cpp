// LPC and LSF analysis against the engine's own LSF-to-LPC conversion, and
// voicing and F0 of synthetic pulse trains and noises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "backend/vocoder/lsf_to_lpc.h"
#include "features/lpc_analysis.h"

namespace {

using voicetrain::LpcFromSignal;
using voicetrain::LpcToLsf;
using voicetrain::LsfToLpcFloat;

// A stable all-pole predictor from (frequency Hz, bandwidth Hz) resonances.
std::vector<double> Resonators(const std::vector<std::pair<double, double>>& poles, int order, double rate = 16000) {
  std::vector<double> a{1.0};
  for (const auto& p : poles) {
    const double r = std::exp(-M_PI * p.second / rate);
    const double c = -2 * r * std::cos(2 * M_PI * p.first / rate);
    std::vector<double> next(a.size() + 2, 0.0);
    for (size_t i = 0; i < a.size(); ++i) {
      next[i] += a[i];
      next[i + 1] += c * a[i];
      next[i + 2] += r * r * a[i];
    }
    a = next;
  }
  a.resize(static_cast<size_t>(order) + 1, 0.0);
  return a;
}

// Log-magnitude envelope of 1/A at n frequencies, in dB.
std::vector<double> Envelope(const std::vector<double>& a, int n = 128) {
  std::vector<double> out;
  for (int k = 0; k < n; ++k) {
    const double w = M_PI * (k + 0.5) / n;
    std::complex<double> sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += a[i] * std::polar(1.0, -w * double(i));
    out.push_back(-20 * std::log10(std::abs(sum)));
  }
  return out;
}

double RmsDifference(const std::vector<double>& x, const std::vector<double>& y) {
  double sum = 0;
  for (size_t i = 0; i < x.size(); ++i) sum += (x[i] - y[i]) * (x[i] - y[i]);
  return std::sqrt(sum / double(x.size()));
}

const std::vector<std::pair<double, double>> kVowel = {{700, 80}, {1200, 90}, {2600, 150}, {3400, 200}, {4500, 300}};

TEST(VoicetrainLsf, FloatRoundTripIsExact) {
  const std::vector<double> a = Resonators(kVowel, 20);
  std::vector<double> lsf;
  ASSERT_TRUE(LpcToLsf(a, lsf));
  ASSERT_EQ(lsf.size(), 20u);
  for (size_t i = 1; i < lsf.size(); ++i) EXPECT_LT(lsf[i - 1], lsf[i]);
  const std::vector<double> back = LsfToLpcFloat(lsf);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(back[i], a[i], 1e-6) << i;
}

TEST(VoicetrainLsf, EngineConversionKeepsTheEnvelope) {
  // Our LSFs, quantised to the frame's unit, through the vocoder's own
  // fixed-point conversion: the envelope stays within a few dB (the
  // vocoder sharpens formants on purpose, so not exactly).
  const std::vector<double> a = Resonators(kVowel, 20);
  std::vector<double> lsf;
  ASSERT_TRUE(LpcToLsf(a, lsf));
  int16_t lines[20];
  for (int i = 0; i < 20; ++i) lines[i] = static_cast<int16_t>(voicetrain::LsfUnits(lsf[i]));
  int32_t q15[20];
  ASSERT_TRUE(kvo::backend::LsfToLpc(lines, 20, q15));
  std::vector<double> engine{1.0};
  for (int i = 0; i < 20; ++i) engine.push_back(q15[i] / 32768.0);
  std::vector<double> want = Envelope(a), got = Envelope(engine);
  // Compare shapes, not levels.
  double offset = 0;
  for (size_t i = 0; i < want.size(); ++i) offset += got[i] - want[i];
  offset /= double(want.size());
  for (double& g : got) g -= offset;
  EXPECT_LT(RmsDifference(want, got), 3.0);
}

TEST(VoicetrainLsf, AnalysisFindsTheResonances) {
  // Noise through the resonators: the analysed envelope matches the
  // filter's within a few dB.
  const std::vector<double> a = Resonators(kVowel, 20);
  std::vector<double> x(4000, 0.0);
  uint32_t seed = 1;
  for (size_t n = 0; n < x.size(); ++n) {
    seed = seed * 1664525u + 1013904223u;
    double v = (double(seed >> 8) / double(1 << 24) - 0.5) * 1000;
    for (size_t i = 1; i < a.size() && i <= n; ++i) v -= a[i] * x[n - i];
    x[n] = v;
  }
  std::vector<double> found;
  LpcFromSignal(x.data() + 1000, 3000, 20, found);
  // The analysis keeps a noise floor 40 dB down (no needle-sharp
  // filters), so only the band within 35 dB of the peak is compared.
  const std::vector<double> want = Envelope(a), got = Envelope(found);
  const double peak = *std::max_element(want.begin(), want.end());
  std::vector<double> w, g;
  for (size_t i = 0; i < want.size(); ++i)
    if (want[i] > peak - 35) {
      w.push_back(want[i]);
      g.push_back(got[i]);
    }
  ASSERT_GT(w.size(), want.size() / 3);
  double offset = 0;
  for (size_t i = 0; i < w.size(); ++i) offset += g[i] - w[i];
  offset /= double(w.size());
  for (double& v : g) v -= offset;
  EXPECT_LT(RmsDifference(w, g), 3.0);
}

TEST(VoicetrainLsf, UnitsStayInsideTheFrameRange) {
  EXPECT_EQ(voicetrain::LsfUnits(0.0), 1);
  EXPECT_EQ(voicetrain::LsfUnits(M_PI), 65535);
  EXPECT_EQ(voicetrain::LsfUnits(M_PI / 2), 32768);
  EXPECT_EQ(voicetrain::LsfUnits(-1.0), 1);
}

TEST(VoicetrainLsf, SilenceAndClippedInputStillGiveOrderedLines) {
  voicetrain::AnalysisSettings settings;
  for (int16_t level : {int16_t{0}, int16_t{32767}}) {
    std::vector<int16_t> samples(1600, level);
    const auto frames = voicetrain::AnalyseSignal(samples, settings);
    ASSERT_EQ(frames.size(), 20u);
    for (const auto& f : frames) {
      ASSERT_EQ(f.lsf.size(), 20u);
      for (size_t i = 1; i < f.lsf.size(); ++i) EXPECT_LE(f.lsf[i - 1], f.lsf[i]);
    }
  }
}

// Voicing and F0. Pulse trains are voiced at their rate, with or without a
// DC offset; noise stays unvoiced whatever its colour, an offset under it,
// or a weak hum that repeats only in the lowest band.
namespace pitch {

uint32_t Next(uint32_t& seed) { return seed = seed * 1664525u + 1013904223u; }

double Pulse(size_t n, double f0) {
  const double phase = std::fmod(n * f0 / 16000.0, 1.0);
  return phase < f0 / 16000.0 ? 12000 : 0;
}

enum class Kind { kPulses, kWhiteNoise, kHissNoise, kNoiseOnOffset, kPulsesOnOffset, kHissOverHum };

std::vector<int16_t> Signal(Kind kind, double f0) {
  std::vector<int16_t> s(8000, 0);
  uint32_t seed = 7;
  double w1 = 0, w2 = 0, previous = 0;
  for (size_t n = 0; n < s.size(); ++n) {
    const double white = (int(Next(seed) >> 20) & 4095) - 2048;
    // Second difference: most of the power above 4 kHz, like a sibilant.
    const double hiss = white - 2 * w1 + w2;
    w2 = w1;
    w1 = white;
    // Pulses smoothed a little so they look like glottal flow.
    const double pulses = 0.6 * Pulse(n, f0) + 0.4 * previous;
    previous = pulses;
    double v = 0;
    switch (kind) {
      case Kind::kPulses:
        v = pulses;
        break;
      case Kind::kWhiteNoise:
        v = white;
        break;
      case Kind::kHissNoise:
        v = hiss;
        break;
      case Kind::kNoiseOnOffset:
        v = white + 6000;
        break;
      case Kind::kPulsesOnOffset:
        v = pulses + 6000;
        break;
      // The hum: a 120-Hz sine with a twentieth of the hiss's power.
      case Kind::kHissOverHum:
        v = hiss + 916 * std::sin(2 * M_PI * 120.0 * n / 16000.0);
        break;
    }
    s[n] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
  }
  return s;
}

// Pulses at 160 Hz scaled by `scale`, after 0.25 s of loud white noise
// when `loudLead` (rms about 19000, the loudest thing in the signal).
std::vector<int16_t> QuietPulses(double scale, bool loudLead) {
  const std::vector<int16_t> pulses = Signal(Kind::kPulses, 160);
  std::vector<int16_t> s;
  uint32_t seed = 11;
  if (loudLead)
    for (int n = 0; n < 4000; ++n) s.push_back(static_cast<int16_t>(static_cast<int32_t>(Next(seed) >> 16) - 32768));
  for (int16_t v : pulses) s.push_back(static_cast<int16_t>(std::lround(v * scale)));
  return s;
}

}  // namespace pitch

TEST(VoicetrainPitch, PulseTrainsAreVoicedAndNoiseIsNot) {
  using pitch::Kind;
  struct Case {
    const char* name;
    Kind kind;
    double f0;  // 0: must be unvoiced
  } cases[] = {
      {"pulses 100 Hz", Kind::kPulses, 100},
      {"pulses 160 Hz", Kind::kPulses, 160},
      {"pulses 250 Hz", Kind::kPulses, 250},
      {"pulses 160 Hz on an offset", Kind::kPulsesOnOffset, 160},
      {"white noise", Kind::kWhiteNoise, 0},
      {"hiss", Kind::kHissNoise, 0},
      {"white noise on an offset", Kind::kNoiseOnOffset, 0},
      {"hiss over a weak hum", Kind::kHissOverHum, 0},
  };
  voicetrain::AnalysisSettings settings;
  for (const Case& c : cases) {
    const auto frames = voicetrain::AnalyseSignal(pitch::Signal(c.kind, c.f0 > 0 ? c.f0 : 160), settings);
    int voiced = 0, close = 0, middle = 0;
    for (size_t t = 10; t + 10 < frames.size(); ++t, ++middle) {
      voiced += frames[t].voiced;
      if (frames[t].voiced && std::fabs(frames[t].f0 - c.f0) < 0.03 * c.f0) ++close;
    }
    if (c.f0 > 0) {
      EXPECT_GT(voiced, middle * 9 / 10) << c.name;
      EXPECT_GT(close, middle * 9 / 10) << c.name;
    } else {
      EXPECT_LT(voiced, middle / 10) << c.name;
    }
  }
}

// A DC offset is not loudness: the level is the noise's own.
TEST(VoicetrainPitch, OffsetDoesNotCountAsLevel) {
  const auto plain = voicetrain::AnalyseSignal(pitch::Signal(pitch::Kind::kWhiteNoise, 160), {});
  const auto shifted = voicetrain::AnalyseSignal(pitch::Signal(pitch::Kind::kNoiseOnOffset, 160), {});
  ASSERT_EQ(plain.size(), shifted.size());
  for (size_t t = 10; t + 10 < plain.size(); ++t) EXPECT_NEAR(shifted[t].rms, plain[t].rms, 0.05 * plain[t].rms) << t;
}

// Voicing is heard against the loudest part of the utterance: pulses
// about 48 dB below it are near silence, the same pulses alone a voice.
TEST(VoicetrainPitch, PulsesFarBelowTheLoudestFrameAreUnvoiced) {
  struct Case {
    const char* name;
    double scale;
    bool loudLead;
    bool voiced;
  } cases[] = {
      {"pulses after loud noise", 1.0, true, true},
      {"quiet pulses after loud noise", 0.1, true, false},
      {"the same quiet pulses alone", 0.1, false, true},
  };
  for (const Case& c : cases) {
    const auto frames = voicetrain::AnalyseSignal(pitch::QuietPulses(c.scale, c.loudLead), {});
    const size_t first = c.loudLead ? 60 : 10;  // past the noise and its edge
    int voiced = 0, middle = 0;
    double rms = 0;
    for (size_t t = first; t + 10 < frames.size(); ++t, ++middle) {
      voiced += frames[t].voiced;
      rms = std::max(rms, frames[t].rms);
    }
    EXPECT_GT(rms, voicetrain::AnalysisSettings().silence_rms) << c.name;
    if (c.voiced)
      EXPECT_GT(voiced, middle * 9 / 10) << c.name;
    else
      EXPECT_EQ(voiced, 0) << c.name;
  }
}

}  // namespace
