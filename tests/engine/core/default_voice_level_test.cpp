// The default voice's level and pitch on real sentences: headroom at the
// default volume, soft saturation when the volume asks for more, loudness
// and tone contours that survive every pitch value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine_fixture.h"

namespace {

constexpr int kRate = 16000;

// News-like sentences; the first one clipped at full scale when the voice
// was rendered at its trained level.
const char* const kSentences[] = {
    "据气象部门预报，明天白天到夜间多云转阴，局部地区有小雨，气温十八到二十五度。",
    "今天天气很好，我们去公园散步吧。银行行长说，这个项目明年就能完成。",
    "市政府决定从下个月起调整公交线路，请广大市民注意出行安全。",
};

// API values 0, 2.5, 5, 7.5 and 9.99 as the engine module passes them on.
constexpr int32_t kPitchValues[] = {-32767, -16383, 0, 16383, 32701};

class DefaultVoiceLevel : public testing::Test {
 protected:
  void SetUp() override {
    library_ = KVO_DEFAULT_VOICE;
    if (!std::filesystem::exists(library_)) GTEST_SKIP() << "no " << library_;
    ASSERT_EQ(engine_.InitPaths(&library_, nullptr, nullptr), QVTTS_ERR_OK);
    qvTTS_HANDLE h = engine_.handle();
    qvTTS_SetParam(h, QVTTS_PARAM_CODEPAGE, 65001);
    qvTTS_SetParam(h, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    qvTTS_SetParam(h, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Feed));
    qvTTS_SetParam(h, QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Collect));
    qvTTS_SetParam(h, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this));
  }

  std::vector<int16_t> Speak(const std::string& text, int32_t volume, int32_t pitch) {
    qvTTS_SetParam(engine_.handle(), QVTTS_PARAM_VOLUME, volume);
    qvTTS_SetParam(engine_.handle(), QVTTS_PARAM_PITCH, pitch);
    text_ = text;
    offset_ = 0;
    samples_.clear();
    EXPECT_EQ(qvTTS_SynthesizeText(engine_.handle()), QVTTS_ERR_OK);
    return samples_;
  }

  std::vector<int16_t> SpeakAll(int32_t volume, int32_t pitch) {
    std::vector<int16_t> all;
    for (const char* s : kSentences) {
      std::vector<int16_t> one = Speak(s, volume, pitch);
      all.insert(all.end(), one.begin(), one.end());
    }
    return all;
  }

 private:
  static int Feed(void* user, char* buffer, int32_t* length) {
    auto* self = static_cast<DefaultVoiceLevel*>(user);
    const size_t n = std::min(self->text_.size() - self->offset_, static_cast<size_t>(*length));
    std::memcpy(buffer, self->text_.data() + self->offset_, n);
    self->offset_ += n;
    *length = static_cast<int32_t>(n);
    return 0;
  }
  static int Collect(void* user, int32_t, const void* data, int32_t bytes) {
    auto* self = static_cast<DefaultVoiceLevel*>(user);
    const auto* p = static_cast<const int16_t*>(data);
    if (p != nullptr) self->samples_.insert(self->samples_.end(), p, p + bytes / 2);
    return 0;
  }

  std::string library_;
  EngineBlock engine_;
  std::string text_;
  size_t offset_ = 0;
  std::vector<int16_t> samples_;
};

int Peak(const std::vector<int16_t>& x) {
  int peak = 0;
  for (int16_t v : x) peak = std::max(peak, std::abs(static_cast<int>(v)));
  return peak;
}

int FullScaleSamples(const std::vector<int16_t>& x) {
  int n = 0;
  for (int16_t v : x) n += v >= 32767 || v <= -32767;
  return n;
}

// RMS of the 20-ms frames within 30 dB of the loudest: the level of the
// speech, whatever the pauses.
double SpeechRms(const std::vector<int16_t>& x) {
  std::vector<double> frames;
  for (size_t i = 0; i + 320 <= x.size(); i += 320) {
    double e = 0;
    for (size_t k = i; k < i + 320; ++k) e += double(x[k]) * x[k];
    frames.push_back(e / 320);
  }
  const double loudest = *std::max_element(frames.begin(), frames.end());
  double sum = 0;
  int n = 0;
  for (double e : frames)
    if (e > loudest * 1e-3) sum += e, ++n;
  return std::sqrt(sum / std::max(n, 1));
}

// F0 of each clearly periodic 40-ms frame (every 20 ms), from the
// normalised autocorrelation at 8 kHz; the shortest lag that comes close
// to the best one, so that a multiple of the period is not taken.
std::vector<double> F0Track(const std::vector<int16_t>& x) {
  std::vector<double> d;
  for (size_t i = 0; i + 1 < x.size(); i += 2) d.push_back((double(x[i]) + x[i + 1]) / 2);
  const int span = 320, minLag = 8000 / 450, maxLag = 8000 / 38;
  std::vector<double> f0, r(static_cast<size_t>(maxLag) + 1);
  for (size_t start = 0; start + span + maxLag < d.size(); start += 160) {
    double e0 = 0;
    for (int i = 0; i < span; ++i) e0 += d[start + i] * d[start + i];
    if (e0 < span * 300.0 * 300.0) continue;
    double best = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
      double c = 0, e1 = 0;
      for (int i = 0; i < span; ++i) {
        c += d[start + i] * d[start + i + lag];
        e1 += d[start + i + lag] * d[start + i + lag];
      }
      r[lag] = c / std::sqrt(e0 * e1 + 1);
      best = std::max(best, r[lag]);
    }
    if (best < 0.7) continue;
    for (int lag = minLag + 1; lag < maxLag; ++lag)
      if (r[lag] >= 0.85 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
        f0.push_back(8000.0 / lag);
        break;
      }
  }
  return f0;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(p * (v.size() - 1))];
}

TEST_F(DefaultVoiceLevel, DefaultVolumeLeavesHeadroomAtEveryPitch) {
  for (int32_t pitch : kPitchValues) {
    SCOPED_TRACE(testing::Message() << "pitch " << pitch);
    const std::vector<int16_t> x = SpeakAll(0, pitch);
    ASSERT_GT(x.size(), 5u * kRate);
    EXPECT_EQ(FullScaleSamples(x), 0);
    EXPECT_LT(Peak(x), 29204);  // -1 dBFS
    EXPECT_GT(SpeechRms(x), 1000);
  }
}

TEST_F(DefaultVoiceLevel, LoudVolumeSaturatesSoftly) {
  const std::vector<int16_t> normal = SpeakAll(0, 0);
  for (int32_t volume : {13107, 32701}) {  // 7 and 9.99
    SCOPED_TRACE(testing::Message() << "volume " << volume);
    const std::vector<int16_t> x = SpeakAll(volume, 0);
    EXPECT_EQ(FullScaleSamples(x), 0);
    int flat = 0;  // neighbours equal at a loud level: a cut-off top
    for (size_t i = 1; i < x.size(); ++i) flat += x[i] == x[i - 1] && std::abs(static_cast<int>(x[i])) > 30000;
    EXPECT_EQ(flat, 0);
    EXPECT_GT(SpeechRms(x), SpeechRms(normal) * (volume > 20000 ? 1.7 : 1.3));
  }
}

// Every pitch value moves the whole contour: the spread of F0 over the
// sentences (the tones) keeps its width in semitones, the median follows
// the pitch factor, and the loudness stays.
TEST_F(DefaultVoiceLevel, PitchMovesTheContourAndKeepsItsSpreadAndLevel) {
  const std::vector<int16_t> normal = SpeakAll(0, 0);
  const std::vector<double> f0 = F0Track(normal);
  ASSERT_GT(f0.size(), 100u);
  const double median = Percentile(f0, 0.5);
  const double spread = 12 * std::log2(Percentile(f0, 0.9) / Percentile(f0, 0.1));
  ASSERT_GT(spread, 5.0);
  const double level = SpeechRms(normal);
  for (int32_t pitch : kPitchValues) {
    SCOPED_TRACE(testing::Message() << "pitch " << pitch);
    const double factor = pitch <= 0 ? 32768.0 / (32768 - pitch) : (pitch + 32767.0) / 32767;
    const std::vector<int16_t> x = SpeakAll(0, pitch);
    const std::vector<double> track = F0Track(x);
    ASSERT_GT(track.size(), 100u);
    EXPECT_NEAR(12 * std::log2(Percentile(track, 0.5) / (median * factor)), 0.0, 1.0);
    EXPECT_NEAR(12 * std::log2(Percentile(track, 0.9) / Percentile(track, 0.1)), spread, 1.5);
    EXPECT_NEAR(20 * std::log10(SpeechRms(x) / level), 0.0, 1.5);
  }
}

}  // namespace
