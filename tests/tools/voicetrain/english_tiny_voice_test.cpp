// End-to-end smoke test of the English voice build: trains the tiny voice
// (thirty-odd sentences, Flite as the teacher) with the build command over
// the default English library stripped of its voice, checks that it is
// reproduced byte for byte, that every English question is asked on its
// labels, and that the engine loads it and speaks English with it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "align/phone_alignment.h"
#include "cluster/decision_tree.h"
#include "core/library_format.h"
#include "core/qvtts.h"
#include "tiny_voice_support.h"

namespace {

const std::string kSource = KVO_TEST_SOURCE_DIR;
const std::string kBinary = KVO_TEST_BINARY_DIR;

using tiny_voice::ReadFile;

uint32_t Le32(const std::vector<char>& b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(k)]);
  return v;
}

// The default English library with an empty ninth section in place of
// its voice: what the labels are made from, so the tiny build never reads
// the voice it replaces.
std::string VoicelessLibrary(const std::string& work) {
  const std::vector<char> file = ReadFile(kSource + "/data/en_us_slt.kvl");
  size_t at = kvo_library::kHeaderBytes;
  for (int k = 1; k < kvo_library::kEnglishSectionCount && at + 8 <= file.size(); ++k) at += Le32(file, at + 4);
  const std::string path = work + "-sections.kvl";
  std::ofstream out(path, std::ios::binary);
  out.write(file.data(), static_cast<std::streamsize>(std::min(at, file.size())));
  const uint32_t section[2] = {static_cast<uint32_t>(at), 8};  // offset, size: no payload
  for (uint32_t v : section)
    for (int k = 0; k < 4; ++k) out.put(static_cast<char>(v >> (8 * k)));
  return path;
}

int BuildTiny(const std::string& work) {
  const std::string command = "bash '" + kSource + "/tools/voicetrain/build_english_voice.sh' --tiny --bin '" +
                              kBinary + "/bin' --sections-from '" + VoicelessLibrary(work) + "' --chinese '" + kSource +
                              "/data/zh_cn_mei.kvl' --work '" + work + "' > '" + work + ".log' 2>&1";
  return std::system(command.c_str());
}

std::vector<int16_t> SpeakEnglish(const std::string& english, const std::string& text) {
  std::vector<int16_t> samples;
  tiny_voice::Speak(kSource + "/data/zh_cn_mei.kvl", english.c_str(), text, &samples);
  return samples;
}

bool Asks(const voicetrain::ContextQuestion& q, const int8_t* label) {
  const int v = label[q.labelByte];
  switch (q.test) {
    case 0:
      return std::find(q.values.begin(), q.values.end(), v) != q.values.end();
    case 1:
      return v <= q.values[0];
    case 2:
      return v >= q.values[0];
    default:
      return v == q.values[0];
  }
}

class VoicetrainEnglishTinyVoice : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = kBinary + "/voicetrain-en-tiny-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    status_ = BuildTiny(work_);
  }
  std::string work_;
  int status_ = -1;
};

TEST_F(VoicetrainEnglishTinyVoice, BuildsReproduciblyAndSpeaks) {
  ASSERT_EQ(status_, 0) << "see " << work_ << ".log";
  const std::string library = work_ + "/en_us_tiny.kvl";
  const std::vector<char> first = ReadFile(library);
  ASSERT_GT(first.size(), 100000u);
  EXPECT_EQ(first[kvo_library::kLanguageOffset], kvo_library::kLanguageEnglish);
  const std::string again = work_ + "-again";
  ASSERT_EQ(BuildTiny(again), 0) << "see " << again << ".log";
  EXPECT_TRUE(first == ReadFile(again + "/en_us_tiny.kvl"));

  const std::string text = "Good morning, the weather is fine today.";
  const std::vector<int16_t> spoken = SpeakEnglish(library, text);
  const double seconds = spoken.size() / 16000.0;
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 6.0);
  double sum = 0;
  for (int16_t v : spoken) sum += double(v) * v;
  const double rms = std::sqrt(sum / std::max<size_t>(spoken.size(), 1));
  EXPECT_GT(rms, 300.0);
  EXPECT_LT(rms, 12000.0);
  EXPECT_EQ(spoken, SpeakEnglish(library, text));
  // The library the labels came from has no voice: the same text is
  // analysed but silent.
  EXPECT_TRUE(SpeakEnglish(work_ + "-sections.kvl", text).empty());
}

// Every question of the English question file tells some phones of the
// tiny corpus apart: none is always or never true there.
TEST_F(VoicetrainEnglishTinyVoice, EveryQuestionIsAskedOnTheTinyCorpus) {
  ASSERT_EQ(status_, 0) << "see " << work_ << ".log";
  std::ifstream file(kSource + "/tools/voicetrain/questions/questions_en.txt");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<voicetrain::ContextQuestion> questions;
  std::string error;
  ASSERT_TRUE(voicetrain::ParseQuestions(text, &questions, &error)) << error;
  ASSERT_GT(questions.size(), 500u);
  int malformed = 0;
  const std::vector<voicetrain::Utterance> labels = voicetrain::ReadLabels(work_ + "/labels/labels.txt", &malformed);
  EXPECT_EQ(malformed, 0);
  ASSERT_GE(labels.size(), 30u);
  for (const voicetrain::ContextQuestion& q : questions) {
    long yes = 0, all = 0;
    for (const voicetrain::Utterance& u : labels)
      for (const voicetrain::LabelledPhone& p : u.phones) {
        ++all;
        yes += Asks(q, p.label) ? 1 : 0;
      }
    EXPECT_GT(yes, 0) << q.name;
    EXPECT_LT(yes, all) << q.name;
  }
}

// Sentences the teacher reads with other phones than ours are skipped and
// counted, never trained on.
TEST_F(VoicetrainEnglishTinyVoice, MismatchedSentencesAreSkippedAndCounted) {
  ASSERT_EQ(status_, 0) << "see " << work_ << ".log";
  std::ifstream report(work_ + "/training-report.txt");
  const std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
  const size_t used = text.find("sentences used ");
  ASSERT_NE(used, std::string::npos) << text;
  int kept = 0, total = 0;
  ASSERT_EQ(std::sscanf(text.c_str() + used, "sentences used %d of %d", &kept, &total), 2);
  EXPECT_EQ(total, 32);
  EXPECT_GE(kept, 24);
  int skipped = 0;
  for (size_t at = text.find("skipped "); at != std::string::npos; at = text.find("skipped ", at + 1)) {
    int n = 0;
    if (std::sscanf(text.c_str() + at, "skipped %d", &n) == 1) skipped += n;
  }
  EXPECT_EQ(kept + skipped, total) << text;
}

}  // namespace
