// Word building and tagging of real sentences over the test lexicon.
#include <gtest/gtest.h>

#include "frontend_session.h"

namespace frontend_test {
namespace {

class Segmentation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(session.init_result(), QVTTS_ERR_OK); }
  FrontEndSession session;
};

struct SegmentationCase {
  const char* text;
  const char* words;
};

TEST_F(Segmentation, RealSentencesCutIntoExpectedWords) {
  const SegmentationCase cases[] = {
      {"我们今天去银行", "我们/今天/去/银行"},
      {"中华人民共和国成立了", "中华人民共和国/成立/了"},
      {"他是银行行长", "他/是/银行/行长"},
      // Ambiguous cuts decided by frequency: 研究/生命, not 研究生/命.
      {"研究生命起源", "研究/生命/起源"},
      {"结婚的和尚未结婚的", "结婚/的/和/尚未/结婚/的"},
      // Punctuation and Latin runs stand as words of their own.
      {"我们去，他去。", "我们/去/,/他/去/。"},
      {"我们Hello去", "我们/Hello/去"},
  };
  for (const SegmentationCase& c : cases) {
    ASSERT_EQ(session.Speak(c.text), QVTTS_ERR_OK) << c.text;
    EXPECT_EQ(session.Segmentation(), c.words) << c.text;
  }
}

TEST_F(Segmentation, TagsComeFromTheLexiconAndUnknownWordsGetW) {
  ASSERT_EQ(session.Speak("我们鑫去"), QVTTS_ERR_OK);
  ASSERT_EQ(session.Segmentation(), "我们/鑫/去");
  const std::vector<Word>& words = session.sentences.at(0).words;
  EXPECT_EQ(words[0].tag, 61);  // r
  EXPECT_EQ(words[1].tag, 88);  // w: in no dictionary
  EXPECT_EQ(words[2].tag, 80);  // v
}

TEST_F(Segmentation, PolyphonicWordTakesTheTaggedReading) {
  // 行 after 银 inside 银行 reads hang2 from the word; 长 alone as an
  // adjective after a verb-less context reads chang2 (its cheaper reading).
  Syllables syllables;
  ASSERT_EQ(session.Speak("他是银行行长"), QVTTS_ERR_OK);
  const Word* bank = session.FindWord("银行");
  const Word* head = session.FindWord("行长");
  ASSERT_NE(bank, nullptr);
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(bank->pinyin[1], syllables.Code("hang2"));
  EXPECT_EQ(head->pinyin[0], syllables.Code("hang2"));
  EXPECT_EQ(head->pinyin[1], syllables.Code("zhang3"));
}

TEST_F(Segmentation, WordSegmentProcReportsEveryWordWithItsBytesAndTag) {
  const std::string text = "他去。我们去银行！";
  ASSERT_EQ(session.Speak(text, 5), QVTTS_ERR_OK);
  std::string joined;
  std::vector<int32_t> tags;
  for (const Span& span : session.spans) {
    ASSERT_GE(span.begin, 0);
    ASSERT_LE(static_cast<size_t>(span.begin + span.length), text.size());
    joined +=
        (joined.empty() ? "" : "/") + text.substr(static_cast<size_t>(span.begin), static_cast<size_t>(span.length));
    tags.push_back(span.tag);
  }
  EXPECT_EQ(joined, "他/去/。/我们/去/银行/！");
  EXPECT_EQ(tags, (std::vector<int32_t>{61, 80, 88, 61, 80, 38, 88}));
}

}  // namespace
}  // namespace frontend_test
