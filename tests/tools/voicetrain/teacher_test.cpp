#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "teacher/pinyin_script.h"
#include "teacher/resampler.h"
#include "teacher/wav_file.h"

namespace {

std::vector<int16_t> Tone(double hz, int rate, int count, double amplitude = 10000.0) {
  std::vector<int16_t> out(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    out[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
  return out;
}

double Rms(const std::vector<int16_t>& x, size_t skip) {
  double sum = 0;
  for (size_t i = skip; i + skip < x.size(); ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / double(x.size() - 2 * skip));
}

int ZeroCrossings(const std::vector<int16_t>& x) {
  int count = 0;
  for (size_t i = 1; i < x.size(); ++i) count += (x[i - 1] < 0) != (x[i] < 0);
  return count;
}

TEST(ResamplerTest, TeacherRateToModelRateKeepsPitchAndLevel) {
  const auto input = Tone(440.0, 22050, 22050);
  const auto output = voicetrain::Resample(input, 22050, 16000);
  ASSERT_EQ(output.size(), 16000u);
  EXPECT_NEAR(ZeroCrossings(output), 880, 3);
  EXPECT_NEAR(Rms(output, 200), 10000.0 / std::sqrt(2.0), 150.0);
}

TEST(ResamplerTest, RemovesWhatTheLowerRateCannotCarry) {
  // 9 kHz exists at 22050 Hz but lies above 8 kHz, the new Nyquist frequency.
  const auto output = voicetrain::Resample(Tone(9000.0, 22050, 22050), 22050, 16000);
  EXPECT_LT(Rms(output, 200), 10000.0 * 0.01);
}

TEST(ResamplerTest, MapsEventPositions) {
  EXPECT_EQ(voicetrain::MapSamplePosition(22050, 22050, 16000), 16000);
  EXPECT_EQ(voicetrain::MapSamplePosition(0, 22050, 16000), 0);
  EXPECT_EQ(voicetrain::MapSamplePosition(1856, 22050, 16000), 1347);
}

TEST(WavFileTest, RoundTrip) {
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/voicetrain_roundtrip.wav";
  const auto samples = Tone(100.0, 16000, 999);
  ASSERT_TRUE(voicetrain::WriteWav16(path, samples, 16000));
  std::vector<int16_t> back;
  int rate = 0;
  ASSERT_TRUE(voicetrain::ReadWav16(path, back, rate));
  EXPECT_EQ(rate, 16000);
  EXPECT_EQ(back, samples);
  std::remove(path.c_str());
}

struct ScriptCase {
  const char* line;
  bool ok;
  const char* teacher_text;
  int syllables;
};

class ScriptLineTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptLineTest, Parses) {
  voicetrain::ScriptLine line;
  std::string error;
  EXPECT_EQ(voicetrain::ParseScriptLine(GetParam().line, line, error), GetParam().ok) << error;
  if (GetParam().ok) {
    EXPECT_EQ(line.teacher_text, GetParam().teacher_text);
    EXPECT_EQ(line.syllable_count, GetParam().syllables);
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, ScriptLineTest,
                         ::testing::Values(ScriptCase{"s1\tni3 hao3 , shi4 jie4 .", true, "ni3 hao3, shi4 jie4.", 4},
                                           ScriptCase{"s2\t, lv4 ma5", true, "lv4 ma5", 2},
                                           ScriptCase{"s3\tni3  hao3", true, "ni3 hao3", 2},
                                           ScriptCase{"no tab here", false, "", 0}, ScriptCase{"\tni3", false, "", 0},
                                           ScriptCase{"s4\tni6", false, "", 0}, ScriptCase{"s5\tNi3", false, "", 0},
                                           ScriptCase{"s6\t, .", false, "", 0}, ScriptCase{"a/b\tni3", false, "", 0}));

TEST(ScriptLineTest, PositionsPointAtSyllablesInTheTeacherText) {
  voicetrain::ScriptLine line;
  std::string error;
  ASSERT_TRUE(voicetrain::ParseScriptLine("x\tni3 hao3 , ma1", line, error));
  for (const auto& token : line.tokens) {
    if (token.is_pause) continue;
    EXPECT_EQ(line.teacher_text.substr(static_cast<size_t>(token.text_position - 1), token.text.size()), token.text);
  }
}

}  // namespace
