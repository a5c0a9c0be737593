// Hostile and random word lists: the patterns never write outside the list,
// never cut a number, and keep the list well formed.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "frontend/normalisation/normalised_words.h"
#include "frontend/normalisation/sentence_patterns.h"
#include "pattern_test_words.h"

namespace kvo::frontend {
namespace {

using pattern_test::Render;
using pattern_test::WordsOf;

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// What every result must satisfy, whatever the input.
void ExpectWellFormed(const WordList& words, int32_t textLength, const std::string& input) {
  ASSERT_GE(words.count, 0) << input;
  ASSERT_LE(words.count, kMaxWordsPerSentence) << input;
  int32_t previous = 0;
  for (int w = 0; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    ASSERT_GE(word.length, 1) << input << " word " << w;
    ASSERT_LE(word.length, kMaxWordChars) << input << " word " << w;
    EXPECT_GE(word.text_position, previous) << input << " word " << w;
    EXPECT_LE(word.text_position, textLength) << input << " word " << w;
    previous = word.text_position;
    if (word.reading_modes[kForcedModeSlot] == kNoForcedMode) continue;
    if (word.word_class == qvTTS_CT_DIGIT) {
      for (int c = 0; c < word.length; ++c) EXPECT_TRUE(word.chars[c] >= '0' && word.chars[c] <= '9') << input;
    } else {
      EXPECT_EQ(word.reading_modes[kForcedModeSlot], kReadSymbols) << input;
    }
  }
}

int32_t TextLength(const WordList& words) {
  return words.count == 0 ? 0 : words.words[words.count - 1].text_position + words.words[words.count - 1].length;
}

WordList ApplyTo(const std::string& text) {
  WordList words = WordsOf(text);
  const int32_t length = TextLength(words);
  ApplySentencePatterns(AnalysisResources{}, NormalisationSettings{}, &words);
  ExpectWellFormed(words, length, text);
  return words;
}

TEST(SentencePatternsRobustness, LongRunsAndManySeparators) {
  const std::string inputs[] = {
      Repeat("1", 600),      Repeat("1,", 600),  Repeat("1:", 600),        Repeat("12-", 400),   Repeat("1.", 600),
      Repeat("1/", 600),     Repeat("1'", 600),  Repeat("1\"", 600),       Repeat("123,", 300),  Repeat("1 ", 600),
      Repeat("(", 600),      Repeat(")", 600),   Repeat("((1+2", 100),     Repeat("1+2))", 100), Repeat("-", 600),
      Repeat("a@", 300),     Repeat("F-1", 200), Repeat("℃", 300),         Repeat("1℃", 300),    Repeat("AM 8:00 ", 60),
      Repeat("E-Mail", 100), Repeat("x'", 300),  Repeat("2008-08-08", 60),
  };
  for (const std::string& text : inputs) ApplyTo(text);
}

TEST(SentencePatternsRobustness, PlainDigitRunsStayWhole) {
  const WordList words = ApplyTo(Repeat("1", 600));
  ASSERT_EQ(words.count, 25);
  for (int w = 0; w < words.count; ++w) {
    EXPECT_EQ(words.words[w].length, kMaxWordChars);
    EXPECT_EQ(words.words[w].reading_modes[kForcedModeSlot], kNoForcedMode);
  }
}

TEST(SentencePatternsRobustness, FormulaEndsWithAWholeNumberAtTheScanLimit) {
  // 25 numbers of 24 digits joined by "+": 624 characters, past the limit
  // of 512 inside the 21st number.
  const std::string number(24, '7');
  std::string text = number;
  for (int i = 1; i < 25; ++i) text += "+" + number;
  const WordList words = ApplyTo(text);
  int forced = 0, plain = 0;
  for (int w = 0; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    if (word.word_class != qvTTS_CT_DIGIT) continue;
    EXPECT_EQ(word.length, kMaxWordChars) << w;
    if (word.reading_modes[kForcedModeSlot] == kReadNumber) {
      ++forced;
      EXPECT_EQ(plain, 0) << "a number of the formula after one outside it";
    } else {
      ++plain;
    }
  }
  EXPECT_EQ(forced, 20);
  EXPECT_EQ(plain, 5);
}

TEST(SentencePatternsRobustness, ReadingsThatDoNotFitAreDroppedWhole) {
  // Eight dates of five words each with separators: 47 words that read as
  // 55; the last date is dropped whole, the separator before it fits.
  std::string text = "2008-08-08";
  for (int i = 0; i < 7; ++i) text += "、2008-08-08";
  const WordList words = ApplyTo(text);
  EXPECT_LE(words.count, kMaxWordsPerSentence);
  const std::string rendered = Render(words);
  const std::string date = "2008#11 年 08#3 月 08#3 日";
  std::string expected = date;
  for (int w = 6; w + 7 <= kMaxWordsPerSentence; w += 7) expected += " 、 " + date;
  EXPECT_EQ(rendered, expected + " 、");

  // A full list: the time's five words read as six, which do not fit.
  std::string full;
  for (int i = 0; i < 45; ++i) full += "好|";
  full += "2:05:09";
  ASSERT_EQ(WordsOf(full).count, kMaxWordsPerSentence);
  EXPECT_EQ(ApplyTo(full).count, 45);
}

TEST(SentencePatternsRobustness, RandomMixturesKeepTheListWellFormed) {
  const char* pieces[] = {"0",    "1",  "2",    "12", "2008", "59", "99", "0551", "-",    "/",  ".",    ":",    ",",
                          "'",    "\"", "(",    ")",  "[",    "]",  "{",  "}",    "+",    "=",  "*",    "×",    "÷",
                          "<",    ">",  " ",    "@",  "_",    "a",  "F",  "B",    "AM",   "PM", "www",  "com",  "km",
                          "s",    "x",  "℃",    "$",  "￥",   "—",  "年", "比分", "今天", "胜", "赛季", "波音", "ISBN",
                          "CCTV", "E",  "Mail", "t",  "Dr",   "○",  "、", "。",   "平均", "对"};
  std::mt19937 random(20081208);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(pieces)) - 1);
  std::uniform_int_distribution<int> size(1, 80);
  for (int sentence = 0; sentence < 3000; ++sentence) {
    std::string text;
    const int n = size(random);
    for (int i = 0; i < n; ++i) text += pieces[pick(random)];
    ApplyTo(text);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace kvo::frontend
