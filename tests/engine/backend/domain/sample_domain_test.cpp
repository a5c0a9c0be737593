// The sample service-line domain (data/domain_service.kdl) with the 8 kHz
// voice (data/zh_cn_mei_8k.kvl), the pair a catalogue key names: the
// prompts of the demo sentence play their recordings, the rest is
// synthesised, and the joins do not click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backend_engine.h"
#include "core/resource_library.h"
#include "domain/domain_recordings.h"

namespace {

std::string DataFile(const char* name) { return std::string(KVO_TEST_SOURCE_DIR) + "/data/" + name; }

class SampleDomain : public ::testing::Test {
 protected:
  void SetUp() override {
    recordings_ = domain_test::PhraseRecordings(DataFile("domain_service.kdl"));
    ASSERT_FALSE(recordings_.empty());
    engine_ = std::make_unique<BackendEngine>(DataFile("zh_cn_mei_8k.kvl"), DataFile("domain_service.kdl"));
    ASSERT_EQ(engine_->Init(), QVTTS_ERR_OK);
    ASSERT_TRUE(qvLibrary_IsOpen(&engine_->instance()->domain)) << "the domain library was set aside";
    ASSERT_EQ(engine_->Set(QVTTS_PARAM_CODEPAGE, 65001), QVTTS_ERR_OK);
  }
  // The Chinese characters (GBK) reported without a spelling: those that
  // came from recordings.
  std::string Recorded() const {
    std::string recorded;
    for (const SyllableReport& r : engine_->reports)
      if (r.spelling.empty() && r.character.size() == 2 && static_cast<uint8_t>(r.character[0]) >= 0xB0)
        recorded += r.character;
    return recorded;
  }
  // [start, end) of each phrase recording found whole in the output.
  std::vector<std::pair<size_t, size_t>> Spans(const std::vector<int16_t>& out) const {
    std::vector<std::pair<size_t, size_t>> spans;
    for (const std::vector<int16_t>& pcm : recordings_) {
      if (pcm.size() < 800) continue;
      const auto at = std::search(out.begin(), out.end(), pcm.begin(), pcm.end());
      if (at == out.end()) continue;
      const size_t start = static_cast<size_t>(at - out.begin());
      spans.push_back({start, start + pcm.size()});
    }
    std::sort(spans.begin(), spans.end());
    return spans;
  }

  std::vector<std::vector<int16_t>> recordings_;
  std::unique_ptr<BackendEngine> engine_;
};

// GBK of the prompts.
const char* kGreeting = "\xBB\xB6\xD3\xAD\xD6\xC2\xB5\xE7\xD0\xC7\xBA\xD3\xBF\xCD\xB7\xFE\xC8\xC8\xCF\xDF";
const char* kPressOne = "\xC7\xEB\xB0\xB4\xD2\xBB";

TEST_F(SampleDomain, PromptsPlayTheirRecordingsWordsOutsideThemAreSynthesised) {
  struct Case {
    const char* text;
    std::string recorded;
    size_t recordings;
  } cases[] = {
      {"欢迎致电星河客服热线，请按一。", std::string(kGreeting) + kPressOne, 2},
      {"欢迎致电星河客服热线，如需帮助请按一。", std::string(kGreeting) + kPressOne, 2},
      {"如需帮助请按一。", kPressOne, 1},
      // 再见 is recorded for the end of a sentence or alone, not its start.
      {"好的，再见。", "\xD4\xD9\xBC\xFB", 1},
      {"再见了，朋友。", "", 0},
      {"今天天气很好。", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(engine_->Speak(c.text), QVTTS_ERR_OK);
    EXPECT_EQ(engine_->arenaAfter, engine_->arenaBefore);
    EXPECT_EQ(Recorded(), c.recorded);
    EXPECT_EQ(Spans(engine_->Samples16()).size(), c.recordings);
  }
}

TEST_F(SampleDomain, RecordingsJoinSynthesisWithoutClicks) {
  ASSERT_EQ(engine_->Speak("欢迎致电星河客服热线，如需帮助请按一。"), QVTTS_ERR_OK);
  const std::vector<int16_t> out = engine_->Samples16();
  const std::vector<std::pair<size_t, size_t>> spans = Spans(out);
  ASSERT_EQ(spans.size(), 2u);

  // Between the prompts lies synthesised speech, not silence.
  double e = 0;
  for (size_t i = spans[0].second; i < spans[1].first; ++i) e += double(out[i]) * out[i];
  EXPECT_GT(std::sqrt(e / double(spans[1].first - spans[0].second)), 100.0);

  // Around each recording's edges the largest step between neighbouring
  // samples stays within the largest step elsewhere (inside the recordings
  // and the synthesised speech).
  auto nearEdge = [&](size_t i) {
    return std::any_of(spans.begin(), spans.end(), [&](const std::pair<size_t, size_t>& s) {
      return (i + 40 > s.first && i < s.first + 40) || (i + 40 > s.second && i < s.second + 40);
    });
  };
  int elsewhere = 0;
  for (size_t i = 1; i < out.size(); ++i)
    if (!nearEdge(i)) elsewhere = std::max(elsewhere, std::abs(out[i] - out[i - 1]));
  for (const auto& s : spans) {
    for (size_t edge : {s.first, s.second}) {
      int step = 0;
      for (size_t i = edge > 40 ? edge - 40 : 1; i < std::min(out.size(), edge + 40); ++i)
        step = std::max(step, std::abs(out[i] - out[i - 1]));
      EXPECT_LE(step, elsewhere) << "at sample " << edge;
    }
  }
}

}  // namespace
