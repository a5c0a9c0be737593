// The sample domain through the speech API: the catalogue key that pairs
// the 8 kHz voice with the service-line domain splices the recorded
// prompts into synthesis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "domain/domain_recordings.h"
#include "kvo_sys.h"
#include "kvo_tts.h"

namespace {

const std::string kData = std::string(KVO_TEST_SOURCE_DIR) + "/data";

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
  const std::vector<std::vector<int16_t>> recordings = domain_test::PhraseRecordings(kData + "/domain_service.kdl");
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
