// Options of both engine modules, each against the same synthesis without
// it: the audio changes, in the expected direction where it is measurable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "module_test_support.h"

namespace module_test {
namespace {

const char kText[] = "今天天气很好，我们去公园散步吧！明天也许会下雨。";

enum class Measure { kLonger, kShorter, kLouder, kSameLength };

struct OptionCase {
  const char* capkey;
  const char* baseline;  // configuration entries both sessions share
  const char* option;
  Measure measure;
};

std::ostream& operator<<(std::ostream& out, const OptionCase& c) {
  return out << c.capkey << " " << c.baseline << " + " << c.option;
}

class ModuleOption : public ModuleApiTest, public ::testing::WithParamInterface<OptionCase> {
 protected:
  // The audio of kText from a session with this configuration (16 kHz
  // 16-bit unless it names another format).
  std::vector<unsigned char> Speak(const std::string& extra) {
    std::string config = std::string("capkey=") + GetParam().capkey;
    if (extra.find("audioformat=") == std::string::npos) config += ",audioformat=pcm16k16bit";
    if (!extra.empty()) config += "," + extra;
    int id = -1;
    EXPECT_EQ(kvo_tts_session_start(config.c_str(), &id), 0) << config;
    if (id < 0) return {};
    CallRecorder recorder;
    recorder.text = kText;
    EXPECT_EQ(kvo_tts_synth(id, kText, nullptr, CallRecorder::Callback, &recorder), 0) << config;
    EXPECT_EQ(kvo_tts_session_stop(id), 0);
    return recorder.audio;
  }
};

double Rms16(const std::vector<unsigned char>& bytes) {
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  double sum = 0;
  for (int16_t v : s) sum += static_cast<double>(v) * v;
  return s.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(s.size()));
}

std::string Join(const char* a, const char* b) {
  if (*a == '\0') return b;
  return std::string(a) + "," + b;
}

TEST_P(ModuleOption, ChangesTheAudioAsExpected) {
  const OptionCase& c = GetParam();
  const std::vector<unsigned char> base = Speak(c.baseline);
  const std::vector<unsigned char> with = Speak(Join(c.baseline, c.option));
  ASSERT_GT(base.size(), 1000u);
  EXPECT_NE(with, base);
  switch (c.measure) {
    case Measure::kLonger:
      EXPECT_GT(with.size(), base.size());
      break;
    case Measure::kShorter:
      EXPECT_LT(with.size(), base.size());
      break;
    case Measure::kLouder:
      EXPECT_GT(Rms16(with), 1.5 * Rms16(base));
      break;
    case Measure::kSameLength:
      EXPECT_EQ(with.size(), base.size());
      break;
  }
  std::printf("[measure] %s %s %s: %zu -> %zu bytes\n", c.capkey, c.baseline, c.option, base.size(), with.size());
}

INSTANTIATE_TEST_SUITE_P(
    Modules, ModuleOption,
    ::testing::Values(
        // Pauses shortened.
        OptionCase{"tts.local.synth", "", "silencemode=short", Measure::kShorter},
        // Voice styles against the default normal style.
        OptionCase{"tts.local.synth", "", "voicestyle=plain", Measure::kLonger},
        OptionCase{"tts.local.synth", "", "voicestyle=vivid", Measure::kShorter},
        OptionCase{"tts.local.synth.n6", "", "voicestyle=plain", Measure::kLonger},
        // n6 only: louder with a gain factor above the default 2.
        OptionCase{"tts.local.synth.n6", "", "gainfactor=6", Measure::kLouder},
        // The vocoder reuses its filter longer; timing stays.
        OptionCase{"tts.local.synth.n6", "", "speedup=3", Measure::kSameLength},
        // Punctuation after speech sounds as its pause.
        OptionCase{"tts.local.synth.n6", "", "symbolfilter=off", Measure::kLonger},
        // Effects in a format other than 16 kHz 16-bit.
        OptionCase{"tts.local.synth", "audioformat=alaw8k8bit", "soundeffect=robot", Measure::kSameLength},
        OptionCase{"tts.local.synth", "audioformat=pcm8k8bit", "soundeffect=echo", Measure::kLonger}));

}  // namespace
}  // namespace module_test
