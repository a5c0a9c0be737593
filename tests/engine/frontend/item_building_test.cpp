// The analysis items the front end hands to speech generation.
#include <gtest/gtest.h>

#include "frontend_session.h"

namespace frontend_test {
namespace {

class Items : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(session.init_result(), QVTTS_ERR_OK); }

  const std::vector<qvAnalysisItem>& ItemsOf(const std::string& text) {
    static const std::vector<qvAnalysisItem> kNone;
    if (session.Speak(text) != QVTTS_ERR_OK || session.sentences.empty()) return kNone;
    return session.sentences.front().items;
  }
  int LetterBase() const { return 2 * 5 * syllables.Count() + 2; }

  FrontEndSession session;
  Syllables syllables;
};

TEST_F(Items, ChineseSentenceGivesOneItemPerCharacterAndATerminator) {
  const auto& items = ItemsOf("我们今天去银行");
  ASSERT_EQ(items.size(), 8u);
  const int16_t r = 'r', t = 't', v = 'v', n = 'n';
  const int16_t tags[] = {r, r, t, t, v, n, n};
  const int16_t words[] = {0, 0, 1, 1, 2, 3, 3};
  const int32_t positions[] = {0, 0, 2, 2, 4, 5, 5};
  for (size_t i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items[i].part_of_speech, tags[i]);
    EXPECT_EQ(items[i].lexical_word, words[i]);
    EXPECT_EQ(items[i].text_position, positions[i]);
    EXPECT_EQ(items[i].flags & kItemFlagPause, 0);
    EXPECT_EQ(items[i].language, kItemLanguageChinese);
  }
  EXPECT_EQ(items[5].unit, syllables.Code("yin2"));
  EXPECT_EQ(items[6].unit, syllables.Code("hang2"));
  EXPECT_EQ(items[7].character, 0);
  EXPECT_EQ(items[7].flags, kItemFlagTerminator);
}

TEST_F(Items, StructureCountersFollowWordsAndAttachFunctionWords) {
  // The default voice's boundary models make 他走了 one prosodic word (the
  // particle leans on its verb, the pronoun on both) and start none at the
  // comma's phrase; the first item always opens the first word and phrase.
  const auto& first = ItemsOf("他走了，我们去");
  ASSERT_EQ(first.size(), 5u);  // 他 走 了 , terminator
  struct Expected {
    uint8_t position, word_length, word_index, phrase_length;
    uint16_t flags;
  };
  const Expected expected[] = {
      {0, 3, 0, 1, kItemFlagProsodicWordStart},
      {1, 3, 0, 1, 0},
      {2, 3, 0, 1, 0},
      {0, 0, 1, 1, kItemFlagPause | kItemFlagProsodicWordStart},
  };
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(first[i].position_in_prosodic_word, expected[i].position);
    EXPECT_EQ(first[i].prosodic_word_length, expected[i].word_length);
    EXPECT_EQ(first[i].prosodic_word_index, expected[i].word_index);
    EXPECT_EQ(first[i].phrase_length, expected[i].phrase_length);
    EXPECT_EQ(first[i].flags, expected[i].flags);
    EXPECT_EQ(first[i].phrase_count, 1);
  }
}

TEST_F(Items, PunctuationAndUnreadCharactersBecomePauses) {
  struct PauseCase {
    const char* text;
    size_t index;
    int punctuation;  // offset of the unit from B, 0 for a plain pause
    int16_t length;
  };
  const PauseCase cases[] = {
      {"他，", 1, 104, 200},   {"他,", 1, 104, 200},   {"他、去", 1, 125, 250},
      {"他。", 1, 106, 1000},  {"他|去", 1, 110, 500},  // at least 500 for the bar and slash classes
      {"他 A", 1, 0, 150},                              // a space that is not between Chinese words
      {"他\xff去", 1, 0, 400},                          // an undecodable byte
      {"他☆去", 1, 0, 100},                             // a shape the symbol table never reads
  };
  const int b = LetterBase() - 2;
  for (const PauseCase& c : cases) {
    const auto& items = ItemsOf(c.text);
    ASSERT_GT(items.size(), c.index) << c.text;
    EXPECT_EQ(items[c.index].unit, c.punctuation == 0 ? kUnitSilence : b + c.punctuation) << c.text;
    EXPECT_TRUE(items[c.index].flags & kItemFlagPause) << c.text;
    EXPECT_EQ(items[c.index].pause_length, c.length) << c.text;
  }
}

TEST_F(Items, SpaceAloneGivesOneItemWithoutProsodicWord) {
  const auto& items = ItemsOf(" ");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].character, ' ');
  EXPECT_EQ(items[0].prosodic_word_length, 0);
  EXPECT_EQ(items[1].flags, kItemFlagTerminator);
}

TEST_F(Items, LettersReadAsLetterUnitsInRunsOfAtMost24) {
  const std::string run = "abcdefghijklmnopqrstuvwxyzABCD";  // 30 letters
  ASSERT_EQ(session.Speak(run), QVTTS_ERR_OK);
  ASSERT_EQ(session.sentences.size(), 1u);
  const SentenceResult& s = session.sentences[0];
  ASSERT_EQ(s.words.size(), 2u);
  EXPECT_EQ(s.words[0].text.size(), 24u);
  EXPECT_EQ(s.words[1].text.size(), 6u);
  ASSERT_EQ(s.items.size(), 31u);
  for (size_t i = 0; i < 30; ++i) {
    const int letter = (run[i] | 0x20) - 'a';
    EXPECT_EQ(s.items[i].unit, LetterBase() + letter) << i;
  }
  EXPECT_EQ(s.items[1].unit, s.items[27].unit);  // b and B
}

TEST_F(Items, GreekLettersShareACodeForBothCases) {
  const auto& items = ItemsOf("\xce\x91\xce\xb1\xce\xa9");  // Α α Ω
  ASSERT_EQ(items.size(), 4u);
  const int greek = LetterBase() + 51;
  EXPECT_EQ(items[0].unit, greek);
  EXPECT_EQ(items[1].unit, greek);
  EXPECT_EQ(items[2].unit, greek + 23);
}

}  // namespace
}  // namespace frontend_test
