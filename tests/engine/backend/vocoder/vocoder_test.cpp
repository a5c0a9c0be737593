// LPC vocoder: periods, formants, noise, speed, buffer splitting and robustness.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "backend/audio/audio_format.h"
#include "backend/vocoder/vocoder.h"
#include "signal_measure.h"

namespace {

using namespace kvo::backend;

int OrderFor(int32_t rate) {
  int32_t order = 0, n = 0;
  VocoderRateConstants(rate, &order, &n);
  return order;
}

// Evenly spread lines (flat envelope) with a close pair at formantHz.
std::vector<int16_t> Lines(int32_t rate, double formantHz) {
  const int order = OrderFor(rate);
  std::vector<double> hz;
  for (int k = 0; k < order; ++k) hz.push_back((k + 1) * (rate / 2.0) / (order + 1));
  int nearest = 0;
  for (int k = 0; k < order; ++k)
    if (std::fabs(hz[k] - formantHz) < std::fabs(hz[nearest] - formantHz)) nearest = k;
  int other = nearest + 1 < order ? nearest + 1 : nearest - 1;
  hz[std::min(nearest, other)] = formantHz - 30;
  hz[std::max(nearest, other)] = formantHz + 30;
  std::vector<int16_t> v;
  for (double f : hz) v.push_back(static_cast<int16_t>(static_cast<uint16_t>(std::lround(f / (rate / 2.0) * 65536))));
  return v;
}

struct Item {
  int32_t rate;
  std::vector<int16_t> frames;

  Item(int32_t r) : rate(r) {}
  Item& Add(int count, int16_t f0, int16_t gain, double formantHz = 1000) {
    std::vector<int16_t> lines = Lines(rate, formantHz);
    for (int i = 0; i < count; ++i) {
      frames.insert(frames.end(), lines.begin(), lines.end());
      frames.push_back(f0);
      frames.push_back(gain);
    }
    return *this;
  }
  int32_t Bytes() const { return static_cast<int32_t>(frames.size() * 2); }
};

class BackendVocoder : public testing::Test {
 protected:
  void SetUp() override { *tail_ = VocoderTail{}; }

  // Renders an item completely with buffers of `capacity` samples.
  std::vector<int16_t> Render(const Item& item, int32_t capacity = 4096, int32_t speed = 1024, int32_t pitch = 1024) {
    EXPECT_EQ(VocoderStart(state_.get(), tail_.get(), item.rate, item.frames.data(), item.Bytes(), speed, pitch),
              kBackendOk);
    std::vector<int16_t> all, buf(capacity);
    for (int calls = 0; calls < 100000; ++calls) {
      int32_t completed = -1;
      bool done = VocoderRun(state_.get(), buf.data(), capacity, &completed);
      EXPECT_GE(completed, 0);
      EXPECT_LE(completed, capacity);
      all.insert(all.end(), buf.begin(), buf.begin() + completed);
      if (done) return all;
    }
    ADD_FAILURE() << "vocoder never completed";
    return all;
  }

  std::vector<int16_t> PendingTail() const {
    return std::vector<int16_t>(tail_->samples, tail_->samples + kVocoderMaxPulse);
  }

  std::unique_ptr<VocoderState> state_ = std::make_unique<VocoderState>();
  std::unique_ptr<VocoderTail> tail_ = std::make_unique<VocoderTail>();
};

// Smallest lag whose normalised autocorrelation reaches 90% of the best one.
int PeriodOf(const std::vector<double>& x, double* strength) {
  double best = 0;
  BestLag(x, 20, 400, &best);
  if (strength) *strength = best;
  for (int lag = 20; lag <= 400; ++lag) {
    double r = 0;
    BestLag(x, lag, lag, &r);
    if (r >= 0.9 * best) return lag;
  }
  return -1;
}

TEST_F(BackendVocoder, VoicedPulsesRepeatAtThePitchPeriod) {
  struct Case {
    int32_t rate;
    int16_t f0;
    int32_t pitchFactor;
    int period;
  } cases[] = {{16000, 200, 1024, 80}, {16000, 200, 1536, 53}, {16000, 100, 512, 320},
               {16000, 85, 512, 372},  // the lowest pitch on the lowest F0: 43 Hz, no floor in between
               {16000, 100, 2048, 80}, {8000, 150, 1024, 53},  {11025, 120, 1024, 92},
               {22050, 120, 2048, 92}, {16000, 85, 1024, 188}, {22050, 85, 1024, 259}};  // period longer than the pulse
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, F0 " << c.f0 << ", pitch " << c.pitchFactor);
    Item item(c.rate);
    item.Add(100, c.f0, 120);
    std::vector<int16_t> out = Render(item, 4096, 1024, c.pitchFactor);
    double strength = 0;
    EXPECT_EQ(PeriodOf(ToDouble(out.data() + 400, out.size() - 400), &strength), c.period);
    EXPECT_GT(strength, 0.95);
  }
}

// A falling contour (a fourth tone, 180 down to 90 Hz) keeps its shape at
// every pitch factor the engine uses: the periods of its two ends keep
// their ratio instead of the lower end running into a floor.
TEST_F(BackendVocoder, PitchFactorMovesTheWholeContour) {
  for (int32_t pitch : {512, 682, 1024, 1536, 2048}) {
    SCOPED_TRACE(testing::Message() << "pitch " << pitch);
    Item item(16000);
    item.Add(60, 180, 120).Add(60, 90, 120);
    std::vector<int16_t> out = Render(item, 4096, 1024, pitch);
    const size_t half = out.size() / 2;
    const double high = 16000.0 / PeriodOf(ToDouble(out.data() + 400, half - 800), nullptr);
    const double low = 16000.0 / PeriodOf(ToDouble(out.data() + half + 400, half - 800), nullptr);
    EXPECT_NEAR(high, 180.0 * pitch / 1024, 180.0 * pitch / 1024 * 0.02);
    EXPECT_NEAR(low, 90.0 * pitch / 1024, 90.0 * pitch / 1024 * 0.02);
    EXPECT_NEAR(high / low, 2.0, 0.05);
  }
}

TEST_F(BackendVocoder, ScaledF0KeepsTheRatioDownToTheLowestPitch) {
  struct Case {
    int32_t f0, pitch, scaled;
  } cases[] = {{85, 512, 43},    {100, 512, 50},    {403, 512, 202}, {85, 682, 57}, {120, 1024, 120},
               {403, 2048, 806}, {600, 2048, 1000}, {85, 1, 40},     {85, 400, 40}};
  for (const Case& c : cases) EXPECT_EQ(VocoderScaledF0(c.f0, c.pitch), c.scaled) << c.f0 << " x " << c.pitch;
}

// Each pulse carries the energy of the frame's own period, so the level
// stays put when the pitch factor packs the pulses closer or spreads them.
TEST_F(BackendVocoder, PitchFactorDoesNotChangeTheLevel) {
  for (int16_t f0 : {int16_t{100}, int16_t{130}}) {
    for (double formant : {700.0, 2200.0}) {
      SCOPED_TRACE(testing::Message() << "F0 " << f0 << ", formant " << formant);
      Item item(16000);
      item.Add(150, f0, 100, formant);
      auto levelAt = [&](int32_t pitch) {
        *tail_ = VocoderTail{};
        std::vector<int16_t> out = Render(item, 4096, 1024, pitch);
        return Rms(ToDouble(out.data() + 800, out.size() - 1600));
      };
      const double reference = levelAt(1024);
      ASSERT_GT(reference, 100);
      for (int32_t pitch : {512, 682, 1536, 2048})
        EXPECT_NEAR(20 * std::log10(levelAt(pitch) / reference), 0.0, 1.0) << "pitch " << pitch;
    }
  }
}

TEST_F(BackendVocoder, LevelScalesVoicedAndUnvoicedOutput) {
  for (int16_t f0 : {int16_t{0}, int16_t{150}}) {
    SCOPED_TRACE(f0);
    Item item(16000);
    item.Add(40, f0, 150);
    auto render = [&](int32_t level) {
      *tail_ = VocoderTail{};
      EXPECT_EQ(VocoderStart(state_.get(), tail_.get(), 16000, item.frames.data(), item.Bytes(), 1024, 1024),
                kBackendOk);
      EXPECT_EQ(state_->level, kVocoderUnityLevel);
      VocoderSetLevel(state_.get(), level);
      std::vector<int16_t> buf(4096);
      int32_t completed = 0;
      EXPECT_TRUE(VocoderRun(state_.get(), buf.data(), 4096, &completed));
      buf.resize(static_cast<size_t>(completed));
      return buf;
    };
    const std::vector<int16_t> full = render(kVocoderUnityLevel), half = render(kVocoderUnityLevel / 2);
    ASSERT_EQ(full.size(), half.size());
    ASSERT_GT(Rms(ToDouble(full.data(), full.size())), 200);
    // Rounding of each overlapping contribution: at most a few units.
    for (size_t i = 0; i < full.size(); ++i) ASSERT_NEAR(half[i], full[i] / 2.0, 8.0) << i;
  }
}

TEST_F(BackendVocoder, VoicingThresholdIs85Hz) {
  struct Case {
    int16_t f0;
    bool periodic;
  } cases[] = {{85, true}, {84, false}, {0, false}, {-5, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.f0);
    Item item(16000);
    item.Add(100, c.f0, 120);
    std::vector<int16_t> out = Render(item);
    double strength = 0;
    PeriodOf(ToDouble(out.data() + 400, out.size() - 400), &strength);
    if (c.periodic) {
      EXPECT_GT(strength, 0.95);
    } else {
      EXPECT_LT(strength, 0.5);
    }
  }
}

TEST_F(BackendVocoder, SpectrumEnvelopePeaksAtTheFormant) {
  struct Case {
    int32_t rate;
    int16_t f0;
    double formant;
  } cases[] = {{16000, 100, 1000}, {16000, 100, 2500}, {16000, 0, 1500}, {8000, 120, 700}, {22050, 0, 3000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, F0 " << c.f0 << ", formant " << c.formant);
    Item item(c.rate);
    item.Add(200, c.f0, 100, c.formant);
    std::vector<int16_t> out = Render(item);
    std::vector<double> x = ToDouble(out.data() + 400, out.size() - 400);
    double best = EnvelopePeakFrequency(x, c.rate, 200, c.rate / 2.0 - 200);
    EXPECT_NEAR(best, c.formant, 100);
  }
}

TEST_F(BackendVocoder, UnvoicedLevelFollowsTheGain) {
  double rms[3];
  const int16_t gains[3] = {40, 80, 160};
  for (int g = 0; g < 3; ++g) {
    Item item(16000);
    item.Add(100, 0, gains[g]);
    std::vector<int16_t> out = Render(item);
    std::vector<double> x = ToDouble(out.data() + 200, out.size() - 200);
    rms[g] = Rms(x);
    double mean = 0;
    for (double v : x) mean += v;
    EXPECT_LT(std::fabs(mean / x.size()), rms[g] * 0.1);
  }
  EXPECT_GT(rms[0], 50);
  EXPECT_NEAR(rms[1] / rms[0], 2.0, 0.1);
  EXPECT_NEAR(rms[2] / rms[1], 2.0, 0.1);
}

TEST_F(BackendVocoder, GainZeroIsSilenceOfTheFullLength) {
  for (int16_t f0 : {int16_t{0}, int16_t{150}}) {
    Item item(16000);
    item.Add(40, f0, 0);
    std::vector<int16_t> out = Render(item);
    EXPECT_GE(out.size(), 40u * 80);
    EXPECT_EQ(out, std::vector<int16_t>(out.size(), 0));
  }
}

TEST_F(BackendVocoder, SpeedFactorScalesTheSampleCount) {
  struct Case {
    int32_t speed, total;
  } cases[] = {{1024, 8000}, {1023, 7992}, {512, 4000}, {256, 2000}, {2047, 15992}};
  for (const Case& c : cases) {
    for (int16_t f0 : {int16_t{0}, int16_t{100}}) {
      SCOPED_TRACE(testing::Message() << "speed " << c.speed << " F0 " << f0);
      Item item(16000);
      item.Add(100, f0, 100);
      std::vector<int16_t> out = Render(item, 4096, c.speed);
      EXPECT_EQ(state_->total, c.total);
      const int hop = f0 ? 160 : 16;
      EXPECT_GE(static_cast<int>(out.size()), c.total);
      EXPECT_LT(static_cast<int>(out.size()), c.total + hop);
    }
  }
}

// Frames are read at the stretched pace: with half the samples, each frame
// still gets its share of the output.
TEST_F(BackendVocoder, FramesAreVisitedInProportionToTheSpeed) {
  Item item(16000);
  item.Add(50, 0, 100).Add(50, 0, 0);  // noise, then silence
  std::vector<int16_t> out = Render(item, 4096, 512);
  ASSERT_GE(out.size(), 4000u);
  double first = Rms(ToDouble(out.data() + 100, 1700)), second = Rms(ToDouble(out.data() + 2300, 1700));
  EXPECT_GT(first, 50);
  EXPECT_EQ(second, 0);
}

TEST_F(BackendVocoder, BufferSizeDoesNotChangeTheOutput) {
  Item a(16000), b(16000);
  a.Add(30, 0, 90).Add(40, 130, 110).Add(20, 170, 60, 2000);
  b.Add(25, 95, 80, 600).Add(15, 0, 70);
  std::vector<int16_t> reference;
  for (int32_t capacity : {4096, 2000, 257, 192, 300}) {
    SCOPED_TRACE(capacity);
    *tail_ = VocoderTail{};
    std::vector<int16_t> out = Render(a, capacity);
    std::vector<int16_t> second = Render(b, capacity);  // the tail of item a continues into item b
    out.insert(out.end(), second.begin(), second.end());
    std::vector<int16_t> pending = PendingTail();
    out.insert(out.end(), pending.begin(), pending.end());
    if (reference.empty()) {
      reference = out;
      continue;
    }
    EXPECT_EQ(out, reference);
  }
}

TEST_F(BackendVocoder, TailCarriesTheOverlapIntoTheNextItem) {
  Item voiced(16000), empty(16000);
  voiced.Add(20, 100, 150);
  std::vector<int16_t> out = Render(voiced);
  std::vector<int16_t> pending = PendingTail();
  EXPECT_NE(pending, std::vector<int16_t>(kVocoderMaxPulse, 0));
  // An item without frames leaves the tail for the item after it.
  EXPECT_TRUE(Render(empty).empty());
  EXPECT_EQ(PendingTail(), pending);
  Item silence(16000);
  silence.Add(10, 0, 0);
  std::vector<int16_t> next = Render(silence);
  ASSERT_GE(next.size(), pending.size());
  EXPECT_EQ(std::vector<int16_t>(next.begin(), next.begin() + pending.size()), pending);
}

TEST_F(BackendVocoder, TooSmallBufferReturnsWithoutProgress) {
  Item item(16000);
  item.Add(10, 120, 100);
  ASSERT_EQ(VocoderStart(state_.get(), tail_.get(), 16000, item.frames.data(), item.Bytes(), 1024, 1024), kBackendOk);
  std::vector<int16_t> buf(191, 0x1234);
  int32_t completed = -1;
  EXPECT_FALSE(VocoderRun(state_.get(), buf.data(), 191, &completed));
  EXPECT_EQ(completed, 0);
  EXPECT_EQ(state_->done, 0);
  EXPECT_EQ(buf, std::vector<int16_t>(191, 0x1234));
}

TEST_F(BackendVocoder, OutputIsDeterministicAndTheNoiseRestartsPerItem) {
  Item item(16000);
  item.Add(40, 0, 100).Add(40, 140, 100);
  std::vector<int16_t> first = Render(item);
  *tail_ = VocoderTail{};
  std::vector<int16_t> second = Render(item);
  EXPECT_EQ(first, second);
}

TEST_F(BackendVocoder, RefusesUnsupportedSetups) {
  Item item(16000);
  item.Add(5, 100, 100);
  EXPECT_EQ(VocoderStart(state_.get(), tail_.get(), 12000, item.frames.data(), item.Bytes(), 1024, 1024),
            kBackendInvalidArgument);
  EXPECT_EQ(VocoderStart(state_.get(), nullptr, 16000, item.frames.data(), item.Bytes(), 1024, 1024),
            kBackendInvalidArgument);
  EXPECT_EQ(VocoderStart(nullptr, tail_.get(), 16000, item.frames.data(), item.Bytes(), 1024, 1024),
            kBackendInvalidArgument);
  // No frames, a partial frame or a negative length: nothing to render.
  for (int32_t bytes : {0, 21, -44}) {
    ASSERT_EQ(VocoderStart(state_.get(), tail_.get(), 16000, item.frames.data(), bytes, 1024, 1024), kBackendOk);
    int16_t buf[256];
    int32_t completed = -1;
    EXPECT_TRUE(VocoderRun(state_.get(), buf, 256, &completed));
    EXPECT_EQ(completed, 0);
  }
}

// Garbage frames: random lines, F0 and gain, extreme speed and pitch factors.
TEST_F(BackendVocoder, GarbageFramesRenderSafelyAndDeterministically) {
  for (int32_t rate : {8000, 11025, 16000, 22050}) {
    SCOPED_TRACE(rate);
    Item item(rate);
    uint32_t seed = 99;
    for (int f = 0; f < 60; ++f) {
      for (int k = 0; k < OrderFor(rate) + 2; ++k) {
        seed = seed * 1664525u + 1013904223u;
        item.frames.push_back(static_cast<int16_t>(seed >> 16));
      }
    }
    for (int32_t pitch : {1, 1024, 1 << 20}) {
      *tail_ = VocoderTail{};
      std::vector<int16_t> a = Render(item, 1000, 700, pitch);
      *tail_ = VocoderTail{};
      std::vector<int16_t> b = Render(item, 613, 700, pitch);  // room for the longest period
      EXPECT_EQ(a, b);
      EXPECT_FALSE(a.empty());
    }
  }
}

// Fingerprint of a fixed rendering: integer code must give the same samples
// with every compiler and platform. Update the value only for an intended change.
TEST_F(BackendVocoder, OutputMatchesTheRecordedFingerprint) {
  Item item(16000);
  item.Add(30, 0, 90).Add(40, 130, 110).Add(20, 170, 60, 2000).Add(10, 0, 200, 3000);
  std::vector<int16_t> out = Render(item, 1000, 900, 1100);
  uint64_t hash = 1469598103934665603ull;
  for (int16_t v : out) {
    hash = (hash ^ static_cast<uint16_t>(v)) * 1099511628211ull;
  }
  EXPECT_EQ(out.size(), 7042u);
  EXPECT_EQ(hash, 0x953a98c390e36affull) << std::hex << hash;
}

// Fingerprints at every voice rate (every filter order), with speed and
// pitch away from neutral and a level below unity: the renderer is tuned
// for speed, and none of that may change a single sample. The values were
// recorded with the plain filter loop; update them only for an intended
// change of the sound.
TEST_F(BackendVocoder, EveryRateMatchesItsRecordedFingerprint) {
  struct Case {
    int32_t rate;
    int32_t speed, pitch, level;
    size_t samples;
    uint64_t hash;
  };
  const Case cases[] = {
      {8000, 1024, 1024, kVocoderUnityLevel, 3460, 0x0ab36eacaa9cef65ull},
      {11025, 700, 1300, kVocoderUnityLevel, 3213, 0x66c2e0b91fcead43ull},
      {16000, 1500, 800, 20000, 10085, 0x306d79c4dc9d7f18ull},
      {22050, 1024, 1024, kVocoderUnityLevel, 9512, 0x33eadcb36c473977ull},
      {22050, 900, 1800, 40000, 8256, 0x406fd0781ed6b9beull},
  };
  for (const Case& c : cases) {
    Item item(c.rate);
    item.Add(12, 0, 120, 2500).Add(25, 110, 150, 700).Add(6, 0, 0).Add(18, 240, 90, 1800).Add(9, 0, 255, 4000);
    item.Add(15, 95, 255, 500);
    ASSERT_EQ(VocoderStart(state_.get(), tail_.get(), item.rate, item.frames.data(), item.Bytes(), c.speed, c.pitch),
              kBackendOk);
    VocoderSetLevel(state_.get(), c.level);
    std::vector<int16_t> out, buf(1500);
    for (bool done = false; !done;) {
      int32_t completed = 0;
      done = VocoderRun(state_.get(), buf.data(), static_cast<int32_t>(buf.size()), &completed);
      out.insert(out.end(), buf.begin(), buf.begin() + completed);
    }
    uint64_t hash = 1469598103934665603ull;
    for (int16_t v : out) hash = (hash ^ static_cast<uint16_t>(v)) * 1099511628211ull;
    EXPECT_EQ(out.size(), c.samples) << c.rate << " Hz";
    EXPECT_EQ(hash, c.hash) << c.rate << " Hz: 0x" << std::hex << hash;
  }
}

}  // namespace
