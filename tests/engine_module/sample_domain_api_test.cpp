// The sample domain through the speech API: the catalogue key that pairs
// the 8 kHz voice with the service-line domain splices the recorded
// prompts into synthesis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backend/domain/g729_decoder.h"
#include "kvo_sys.h"
#include "kvo_tts.h"

namespace {

namespace g729 = kvo::backend::g729;

const std::string kData = std::string(KVO_TEST_SOURCE_DIR) + "/data";

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Each phrase of the sample domain decoded as the engine plays it.
std::vector<std::vector<int16_t>> Recordings() {
  std::ifstream in(kData + "/domain_service.kdl", std::ios::binary);
  const std::vector<uint8_t> lib((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::vector<int16_t>> out;
  if (lib.size() < 20 || Le32(lib, 8) + 300 > lib.size()) return out;
  const size_t part = Le32(lib, 8);
  const uint32_t n = Le32(lib, part + 296);
  size_t texts = 0;
  for (uint32_t k = 0; k < n && part + 308 + 8 * k <= lib.size(); ++k)
    texts += lib[part + 300 + 8 * k] | lib[part + 301 + 8 * k] << 8;
  const size_t coded = part + 300 + 8 * size_t{n} + texts;
  uint32_t begin = 0;
  for (uint32_t k = 0; k < n && part + 308 + 8 * k <= lib.size(); ++k) {
    const uint32_t end = Le32(lib, part + 304 + 8 * k);
    g729::G729Decoder d;
    g729::ResetDecoder(&d);
    std::vector<int16_t> pcm;
    for (uint32_t at = begin; at + 10 <= end && coded + at + 10 <= lib.size(); at += 10) {
      int16_t frame[80];
      g729::DecodeFrame(&d, &lib[coded + at], frame);
      pcm.insert(pcm.end(), frame, frame + 80);
    }
    out.push_back(pcm);
    begin = end;
  }
  return out;
}

bool Collect(void* user, const TtsSynthResult* result, int) {
  auto* audio = static_cast<std::vector<int16_t>*>(user);
  if (result->voice_data != nullptr) {
    const size_t n = result->voice_size / 2;
    const size_t at = audio->size();
    audio->resize(at + n);
    std::memcpy(audio->data() + at, result->voice_data, n * 2);
  }
  return true;
}

class SampleDomainApi : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kvo_domain_api_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch_ = pattern;
    ASSERT_EQ(kvo_init(("logLevel=1,logFilePath=" + scratch_ + ",dataPath=" + kData).c_str()), KVO_SYS_OK);
    ASSERT_EQ(kvo_tts_init(("datapath=" + kData + ",initcapkeys=tts.local.synth.service").c_str()), KVO_TTS_OK);
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth.service,audioformat=pcm8k16bit", &id_), KVO_TTS_OK);
  }
  void TearDown() override {
    if (id_ >= 0) kvo_tts_session_stop(id_);
    EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
    EXPECT_EQ(kvo_release(), KVO_SYS_OK);
    std::system(("rm -rf '" + scratch_ + "'").c_str());
  }
  std::vector<int16_t> Speak(const char* text) {
    std::vector<int16_t> audio;
    EXPECT_EQ(kvo_tts_synth(id_, text, "", Collect, &audio), KVO_TTS_OK);
    return audio;
  }

  std::string scratch_;
  int id_ = -1;
};

TEST_F(SampleDomainApi, TheDemoSentenceSplicesTheRecordedPrompts) {
  const std::vector<std::vector<int16_t>> recordings = Recordings();
  ASSERT_FALSE(recordings.empty());
  for (const char* text : {"欢迎致电星河客服热线，请按一。", "欢迎致电星河客服热线，如需帮助请按一。"}) {
    SCOPED_TRACE(text);
    const std::vector<int16_t> out = Speak(text);
    ASSERT_GT(out.size(), 8000u);
    // The greeting and 请按一 come out whole, as recorded.
    std::vector<std::pair<size_t, size_t>> spans;
    for (const std::vector<int16_t>& pcm : recordings) {
      if (pcm.size() < 800) continue;
      const auto at = std::search(out.begin(), out.end(), pcm.begin(), pcm.end());
      if (at != out.end()) spans.push_back({static_cast<size_t>(at - out.begin()), at - out.begin() + pcm.size()});
    }
    std::sort(spans.begin(), spans.end());
    ASSERT_EQ(spans.size(), 2u);
    double e = 0;
    for (int16_t v : out) e += double(v) * v;
    EXPECT_GT(std::sqrt(e / double(out.size())), 300.0) << "too quiet";

    // No click where a recording starts or ends: no step there larger than
    // the largest step anywhere else.
    auto nearEdge = [&](size_t i) {
      return std::any_of(spans.begin(), spans.end(), [&](const std::pair<size_t, size_t>& s) {
        return (i + 40 > s.first && i < s.first + 40) || (i + 40 > s.second && i < s.second + 40);
      });
    };
    int elsewhere = 0, atEdges = 0;
    for (size_t i = 1; i < out.size(); ++i) {
      int& largest = nearEdge(i) ? atEdges : elsewhere;
      largest = std::max(largest, std::abs(out[i] - out[i - 1]));
    }
    EXPECT_LE(atEdges, elsewhere);
  }
}

}  // namespace
