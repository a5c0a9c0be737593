// A sentence whose first word is a recorded phrase and whose other words are
// synthesised, through the whole engine with the 8-kHz back-end test voice.
extern "C" {
#include <bcg729/encoder.h>
}

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "backend_engine.h"
#include "domain/domain_recordings.h"
#include "domain_writer.h"

namespace {

std::vector<int16_t> Speech(size_t samples) {
  const std::string path = std::string(KVO_TEST_SOURCE_DIR) + "/tests/engine/backend/domain/data/speech8k.raw";
  std::vector<int16_t> pcm(samples, 0);
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    const size_t n = std::fread(pcm.data(), 2, samples, f);
    pcm.resize(n);
    std::fclose(f);
  }
  return pcm;
}

std::vector<uint8_t> Encode(std::vector<int16_t> pcm) {
  pcm.resize(pcm.size() / 80 * 80);
  bcg729EncoderChannelContextStruct* enc = initBcg729EncoderChannel(0);
  std::vector<uint8_t> coded;
  for (size_t i = 0; i < pcm.size(); i += 80) {
    uint8_t bits[10], len = 0;
    bcg729Encoder(enc, &pcm[i], bits, &len);
    for (int k = 0; k < 5; ++k) {
      coded.push_back(bits[2 * k + 1]);
      coded.push_back(bits[2 * k]);
    }
  }
  closeBcg729EncoderChannel(enc);
  return coded;
}

class DomainSynthesis : public ::testing::Test {
 protected:
  void SetUp() override {
    // 中国 (lead bytes low) recorded: 0.6 s of speech faded in and out.
    std::vector<int16_t> pcm = Speech(4800);
    ASSERT_EQ(pcm.size(), 4800u);
    for (size_t i = 0; i < 400; ++i) {
      pcm[i] = static_cast<int16_t>(pcm[i] * static_cast<int>(i) / 400);
      pcm[pcm.size() - 1 - i] = static_cast<int16_t>(pcm[pcm.size() - 1 - i] * static_cast<int>(i) / 400);
    }
    kvo::domain::DomainPhrase p;
    p.text = {0xD0D6, 0xFAB9};
    p.coded = Encode(pcm);
    recorded_ = domain_test::DecodeFrames(p.coded);
    path_ = std::string(KVO_TEST_BINARY_DIR) + "/tests/engine/backend/domain_test.kdl";
    const std::vector<uint8_t> lib = kvo::domain::DomainLibrary({p}, {"test"});
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(lib.data()), static_cast<std::streamsize>(lib.size()));
  }
  std::string path_;
  std::vector<int16_t> recorded_;
};

TEST_F(DomainSynthesis, RecordedWordsPlayAndTheRestIsSynthesisedWithoutClicks) {
  BackendEngine engine(BackendLibrary("cn8k.lib"), path_);
  ASSERT_EQ(engine.Init(), QVTTS_ERR_OK);
  ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
  EXPECT_EQ(engine.arenaAfter, engine.arenaBefore);

  // The recorded word has no spelling in the reports; the others have theirs.
  std::vector<std::string> spelled;
  for (const SyllableReport& r : engine.reports) {
    if (r.character == "\xD6\xD0" || r.character == "\xB9\xFA") {
      EXPECT_EQ(r.spelling, "") << "recorded word spelled";
    }
    if (r.character == "\xC8\xCB" || r.character == "\xC3\xF1") spelled.push_back(r.spelling);
  }
  EXPECT_EQ(spelled.size(), 2u);
  for (const std::string& s : spelled) EXPECT_FALSE(s.empty());

  // The recording comes out unchanged at the neutral volume, followed by
  // the synthesised words.
  const std::vector<int16_t> out = engine.Samples16();
  ASSERT_GT(out.size(), recorded_.size() + 1600);
  const std::vector<int16_t> head(out.begin(), out.begin() + static_cast<long>(recorded_.size()));
  EXPECT_EQ(head, recorded_);
  double tail_energy = 0;
  for (size_t i = recorded_.size(); i < out.size(); ++i) tail_energy += double(out[i]) * out[i];
  EXPECT_GT(tail_energy / double(out.size() - recorded_.size()), 100.0) << "the rest is not synthesised";

  // No click at the join: the largest step between neighbouring samples
  // around it stays within the largest step inside the synthesised speech.
  const size_t join = recorded_.size();
  int join_step = 0, speech_step = 0;
  for (size_t i = join - 40; i < join + 40; ++i) join_step = std::max(join_step, std::abs(out[i] - out[i - 1]));
  for (size_t i = join + 400; i < out.size(); ++i) speech_step = std::max(speech_step, std::abs(out[i] - out[i - 1]));
  EXPECT_LE(join_step, speech_step);
}

// With a 16-kHz voice the 8-kHz recordings cannot play: the domain library
// is left aside and the whole text is synthesised.
TEST_F(DomainSynthesis, SixteenKilohertzVoiceSynthesisesEverything) {
  BackendEngine engine(BackendLibrary("cn16k.lib"), path_);
  ASSERT_EQ(engine.Init(), QVTTS_ERR_OK);
  ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
  int spelled = 0;
  for (const SyllableReport& r : engine.reports) spelled += r.spelling.empty() ? 0 : 1;
  EXPECT_EQ(spelled, 4);
}

// A damaged domain library is refused at init and changes nothing else.
TEST_F(DomainSynthesis, BrokenDomainLibraryPlaysNothingRecorded) {
  std::vector<uint8_t> lib;
  {
    std::ifstream in(path_, std::ios::binary);
    lib.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Cut the coded speech: the phrase's end offset now runs past the file.
  lib.resize(lib.size() - 100);
  const std::string broken = path_ + ".cut";
  std::ofstream(broken, std::ios::binary)
      .write(reinterpret_cast<const char*>(lib.data()), static_cast<std::streamsize>(lib.size()));
  BackendEngine engine(BackendLibrary("cn8k.lib"), broken);
  ASSERT_EQ(engine.Init(), QVTTS_ERR_OK);
  ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
  int spelled = 0;
  for (const SyllableReport& r : engine.reports) spelled += r.spelling.empty() ? 0 : 1;
  EXPECT_EQ(spelled, 4);
}

}  // namespace
