// End-to-end smoke test of the voice build: trains a tiny voice (a few
// dozen sentences) with the build command, checks that it is reproduced
// byte for byte, and that the engine loads it and speaks Chinese with it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/qvtts.h"
#include "tiny_voice_support.h"

namespace {

const std::string kSource = KVO_TEST_SOURCE_DIR;
const std::string kBinary = KVO_TEST_BINARY_DIR;

using tiny_voice::ReadFile;

// Builds the tiny voice into work/zh_cn_tiny.kvl at `rate`; the sections
// come from the committed default library, so no network is needed.
int BuildTiny(const std::string& work, int rate = 16000) {
  const std::string command = "bash '" + kSource + "/tools/voicetrain/build_voice.sh' --tiny --rate " +
                              std::to_string(rate) + " --bin '" + kBinary + "/bin' --sections-from '" + kSource +
                              "/data/zh_cn_mei.kvl' --work '" + work + "' > '" + work + ".log' 2>&1";
  return std::system(command.c_str());
}

// Every test builds its own voice in its own folder: CTest may run the
// tests of this file at the same time.
class VoicetrainTinyVoice : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = kBinary + "/voicetrain-tiny-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  std::string work_;
};

// The engine speaks the voice at its own rate: 11 syllables take as long
// at 8 kHz as at 16 kHz.
void ExpectSentence(const std::string& library, int rate) {
  std::vector<int16_t> samples;
  ASSERT_TRUE(tiny_voice::Speak(library, nullptr, "今天天气很好，我们去公园。", &samples));  // 11 syllables
  const double seconds = samples.size() / double(rate);
  EXPECT_GT(seconds, 11 * 0.12);
  EXPECT_LT(seconds, 11 * 0.45 + 1.0);
  double sum = 0;
  for (int16_t v : samples) sum += double(v) * v;
  const double rms = std::sqrt(sum / std::max<size_t>(samples.size(), 1));
  EXPECT_GT(rms, 300.0);
  EXPECT_LT(rms, 12000.0);
}

TEST_F(VoicetrainTinyVoice, BuildsReproduciblyAndSpeaks) {
  ASSERT_EQ(BuildTiny(work_), 0) << "see " << work_ << ".log";
  const std::vector<char> first = ReadFile(work_ + "/zh_cn_tiny.kvl");
  ASSERT_GT(first.size(), 1000u);
  const std::string again = work_ + "-again";
  ASSERT_EQ(BuildTiny(again), 0) << "see " << again << ".log";
  EXPECT_TRUE(first == ReadFile(again + "/zh_cn_tiny.kvl"));
  ExpectSentence(work_ + "/zh_cn_tiny.kvl", 16000);
}

// An 8 kHz voice from the 16 kHz teacher and the default voice's sections:
// the header names 8000 Hz, and it speaks at that rate.
TEST_F(VoicetrainTinyVoice, NarrowbandVoiceSpeaksAtItsRate) {
  const std::string work = work_ + "-8k";
  ASSERT_EQ(BuildTiny(work, 8000), 0) << "see " << work << ".log";
  const std::vector<char> library = ReadFile(work + "/zh_cn_tiny.kvl");
  ASSERT_GT(library.size(), 64u);
  int32_t headerRate = 0;
  std::memcpy(&headerRate, library.data() + 20, 4);
  EXPECT_EQ(headerRate, 8000);
  ExpectSentence(work + "/zh_cn_tiny.kvl", 8000);
}

TEST_F(VoicetrainTinyVoice, BadSentencesAreSkippedAndCounted) {
  ASSERT_EQ(BuildTiny(work_), 0) << "see " << work_ << ".log";
  // Take the first labelled sentence and make bad copies of it: one
  // without audio, one whose alignment lost a syllable, one with a broken
  // label record.
  std::ifstream in(work_ + "/labels/labels.txt");
  std::vector<std::string> first;
  for (std::string line; std::getline(in, line);) {
    if (line[0] == 'U' && !first.empty()) break;
    first.push_back(line);
  }
  ASSERT_GT(first.size(), 2u);
  const std::string id = first[0].substr(2, first[0].find(' ', 2) - 2);
  const std::string dir = work_ + "-bad";
  ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/audio'").c_str()), 0);
  auto renamed = [&](const std::string& to) {
    std::string out;
    for (size_t k = 0; k < first.size(); ++k)
      out += (k == 0 ? "U " + to + first[0].substr(2 + id.size()) : first[k]) + "\n";
    return out;
  };
  std::ofstream labels(dir + "/labels.txt");
  labels << renamed(id) << renamed("noaudio") << renamed("lostsyllable");
  std::string broken = renamed("broken");
  broken.replace(broken.rfind(' ') + 1, 4, "zzzz");
  labels << broken;
  labels.close();
  const std::string audio = work_ + "/audio/" + id;
  ASSERT_EQ(std::system(("cp '" + audio + ".wav' '" + audio + ".align' '" + dir + "/audio/' && cp '" + audio +
                         ".wav' '" + dir + "/audio/lostsyllable.wav'")
                            .c_str()),
            0);
  {
    // The alignment without its last syllable.
    std::ifstream a(audio + ".align");
    std::vector<std::string> lines;
    for (std::string line; std::getline(a, line);) lines.push_back(line);
    size_t lastSyl = 0;
    for (size_t k = 0; k < lines.size(); ++k)
      if (lines[k].rfind("syl ", 0) == 0) lastSyl = k;
    std::ofstream out(dir + "/audio/lostsyllable.align");
    for (size_t k = 0; k < lastSyl; ++k) out << lines[k] << "\n";
  }
  const std::string command = "'" + kBinary + "/bin/kvo-voicetrain' --labels '" + dir + "/labels.txt' --audio '" + dir +
                              "/audio' --questions '" + kSource +
                              "/tools/voicetrain/questions/questions.txt' --sections '" + kSource +
                              "/data/zh_cn_mei.kvl' --out '" + dir + "/voice.kvl' --report '" + dir +
                              "/report.txt' --leaves 4 --duration-leaves 4 > '" + dir + ".log' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "see " << dir << ".log";
  std::ifstream report(dir + "/report.txt");
  const std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("sentences used 1 of 3"), std::string::npos) << text;
  EXPECT_NE(text.find("skipped 1: malformed label records"), std::string::npos) << text;
  EXPECT_NE(text.find("skipped 1: no audio or alignment"), std::string::npos) << text;
  EXPECT_NE(text.find("skipped 1: alignment misfit: teacher syllable count differs"), std::string::npos) << text;
  int32_t size = 0;
  EXPECT_EQ(qvTTS_GetExtBufSize((dir + "/voice.kvl").c_str(), nullptr, nullptr, &size), QVTTS_ERR_OK);
}

}  // namespace
