// The number and digit readers on their own: words, group pauses, the n6
// readings and the all-or-nothing contract of a full list.
#include <gtest/gtest.h>

#include <string>

#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/number_reading.h"

namespace kvo::frontend {
namespace {

std::string Utf8(char16_t c) {
  std::string out;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

// Words as text: "/" between words, "|" after a word that ends a group.
std::string Words(const WordList& list) {
  std::string out;
  for (int w = 0; w < list.count; ++w) {
    const WordRecord& word = list.words[w];
    if (w > 0 && !(list.words[w - 1].flags & kGroupPauseMark)) out += "/";
    for (int c = 0; c < word.length; ++c) {
      std::string one = "?";
      for (int k = 1; k < kInternalCodeMapSize; ++k)
        if (kInternalCodeMap[k].internal == word.chars[c]) one = Utf8(kInternalCodeMap[k].unicode);
      out += one;
    }
    if (word.flags & kGroupPauseMark) {
      EXPECT_EQ(word.boundary, kGroupPauseBoundary);
      out += "|";
    }
  }
  return out;
}

std::string Read(const char* digits, int16_t type, DigitGrouping grouping = DigitGrouping::kDefault,
                 const NormalisationSettings& settings = {}) {
  uint16_t chars[256];
  int n = 0;
  for (; digits[n] != '\0'; ++n) chars[n] = static_cast<uint16_t>(digits[n]);
  WordList list{};
  EXPECT_TRUE(AppendDigitStringReading(chars, n, type, grouping, settings, 7, &list));
  for (int w = 0; w < list.count; ++w) EXPECT_EQ(list.words[w].text_position, 7);
  return Words(list);
}

struct Case {
  const char* digits;
  const char* words;
};

TEST(NumberReader, WordsOfNumbers) {
  const Case cases[] = {
      {"15", "十五"},
      {"115", "一百/一十五"},
      {"10010", "一万/零/一十"},
      {"2000", "两千"},
      {"20", "二十"},
      {"0", "零"},
      {"007", "七"},
      {"100000", "十万"},
      {"100000001", "一亿/零/一"},
      {"123456789012", "一千/二百/三十四亿/五千/六百/七十八万/九千/零/一十二"},
      {"3.14", "三/点/一四"},
      {"1234567890123", "一二/三四/五六/七八/九零/一二/三"},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.digits, kReadNumber), c.words) << c.digits;
  EXPECT_EQ(Read("05", kReadMinutes), "零/五");
  EXPECT_EQ(Read("2", kReadHour), "两");
  EXPECT_EQ(Read("02", kReadHour), "两");
  EXPECT_EQ(Read("12", kReadHour), "十二");
}

TEST(DigitReader, GroupPauses) {
  const struct {
    const char* digits;
    DigitGrouping grouping;
    const char* words;
  } cases[] = {
      {"13912345678", DigitGrouping::kDefault, "幺三九|幺二三四|五六七八|"},
      {"1234", DigitGrouping::kDefault, "幺二三四"},
      {"123456789", DigitGrouping::kIdNumber, "幺二三|四五六|七八九|"},  // the table by length first
      {"110101900101123", DigitGrouping::kIdNumber, "幺幺零|幺零幺|九零|零幺零幺|幺二三|"},
      {"110101199001011234", DigitGrouping::kIdNumber, "幺幺零|幺零幺|幺九九零|零幺零幺|幺二三四|"},
      {"1234567890123", DigitGrouping::kThousands, "幺二三四|五六七|八九零|幺二三|"},
      {"013912345678", DigitGrouping::kDefault, "零|幺三九|幺二三四|五六七八|"},
      {"021234567890", DigitGrouping::kDefault, "零二幺二|三四五六|七八九零|"},
      {"123456789012", DigitGrouping::kDefault, "幺二三四|五六七八|九零幺二|"},
      {"1234567890123", DigitGrouping::kDefault, "幺二三四|五六七八|九零幺二三|"},
      {"12345678901234", DigitGrouping::kDefault, "幺二三四|五六七八|九零幺|二三四|"},
      {"123456789012345", DigitGrouping::kDefault, "幺二三四|五六七八|九零幺二|三四五|"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.digits, kReadDigits, c.grouping), c.words) << c.digits;
  EXPECT_EQ(Read("2008", kReadYearDigits), "二零/零八");
  EXPECT_EQ(Read("1", kReadDigits), "一");
  EXPECT_EQ(Read("3.14", kReadDigits), "三/点/幺四");
  NormalisationSettings six_tones;
  six_tones.voiceKindOne = true;
  EXPECT_EQ(Read("110", kReadDigits, DigitGrouping::kDefault, six_tones), "一一零");
}

TEST(NumberReader, N6SpecialNumbers) {
  const struct {
    int bits;
    const char* digits;
    int16_t type;
    const char* words;
  } cases[] = {
      {0, "200", kReadNumber, "两百"},
      {0, "2200", kReadNumber, "两千/两百"},
      {0, "20000", kReadNumber, "两万"},
      {0, "200000000", kReadNumber, "两亿"},
      {0, "22", kReadNumber, "二十二"},
      {0, "2", kReadNumber, "二"},
      {512, "2", kReadNumber, "两"},
      {256, "2200", kReadNumber, "二千/二百"},
      {256, "2", kReadHour, "两"},
      {0, "200.5", kReadNumber, "二百/点/五"},
      {16, "1", kReadDigits, "幺"},
      {32, "110", kReadDigits, "一一零"},
      {16, "2011", kReadYearDigits, "二零/幺幺"},
  };
  for (const auto& c : cases) {
    NormalisationSettings n6;
    n6.n6Numbers = true;
    n6.specialNumbers = c.bits;
    EXPECT_EQ(Read(c.digits, c.type, DigitGrouping::kDefault, n6), c.words) << c.bits << " " << c.digits;
  }
}

TEST(NumberReader, AllOrNothingWhenTheListIsFull) {
  WordList list{};
  list.count = kMaxWordsPerSentence - 2;
  const uint16_t digits[] = {'1', '2', '3', '4', '5'};  // 一万/二千/三百/四十五: four words
  EXPECT_FALSE(AppendDigitStringReading(digits, 5, kReadNumber, DigitGrouping::kDefault, {}, 0, &list));
  EXPECT_EQ(list.count, kMaxWordsPerSentence - 2);
  EXPECT_TRUE(AppendDigitStringReading(digits, 2, kReadNumber, DigitGrouping::kDefault, {}, 0, &list));
  EXPECT_EQ(list.count, kMaxWordsPerSentence - 1);
}

}  // namespace
}  // namespace kvo::frontend
