// Readings of polyphonic characters chosen by the polyphone rules, and the
// surname readings switched on by the name-reading parameter.
#include <gtest/gtest.h>

#include "frontend_session.h"

namespace frontend_test {
namespace {

class Polyphones : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(session.init_result(), QVTTS_ERR_OK); }

  // The reading of the one-character word ch in text.
  std::string ReadingOf(const std::string& text, const std::string& ch) {
    if (session.Speak(text) != QVTTS_ERR_OK) return "synthesis failed";
    const Word* word = session.FindWord(ch);
    if (word == nullptr) return "not a word in " + session.Segmentation();
    return syllables.Reading(word->pinyin[0]);
  }

  FrontEndSession session;
  Syllables syllables;
};

struct ReadingCase {
  const char* text;
  const char* character;
  const char* reading;
};

TEST_F(Polyphones, RulesChooseTheReadingFromTheNeighbours) {
  const ReadingCase cases[] = {
      {"吃不了", "了", "liao3"},    {"他走了", "了", "le5"},  {"睡不着", "着", "zhao2"},      {"他看着", "着", "zhe5"},
      {"他得了第一", "得", "de2"},  {"跑得快", "得", "de5"},  {"还钱", "还", "huan2"},        {"他还在", "还", "hai2"},
      {"这行吗", "行", "xing2"},    {"每行", "行", "hang2"},  {"孩子长大了", "长", "zhang3"}, {"很长", "长", "chang2"},
      {"我们重来", "重", "chong2"}, {"很重", "重", "zhong4"}, {"改为", "为", "wei2"},         {"为你", "为", "wei4"},
  };
  for (const ReadingCase& c : cases) EXPECT_EQ(ReadingOf(c.text, c.character), c.reading) << c.text;
}

TEST_F(Polyphones, SurnameReadingOnlyWithNameReadingsOn) {
  EXPECT_EQ(ReadingOf("他姓单", "单"), "dan1");
  session.Set(QVTTS_PARAM_NAME_POLYPHONE, 1);
  ASSERT_EQ(session.Speak("他姓单"), QVTTS_ERR_OK);
  const Word* word = session.FindWord("单");
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(word->pinyin[0], 1493);
}

TEST(SurnameTable, EntriesAreFoundAtBothEndsAndOthersAreNot) {
  // Lookups by binary search: both ends of the table, one inside, a miss.
  EXPECT_EQ(kvo::frontend::SurnameReading(0xD8B0), 32);      // 柏 (B0 D8)
  EXPECT_EQ(kvo::frontend::SurnameReading(0xC1F6), 728);     // 隽 (F6 C1)
  EXPECT_EQ(kvo::frontend::SurnameReading(0xA5B5), 1493);    // 单 (B5 A5)
  EXPECT_EQ(kvo::frontend::SurnameReading(0xC7C7), 0xFFFF);  // 乔 is not in it
}

}  // namespace
}  // namespace frontend_test
