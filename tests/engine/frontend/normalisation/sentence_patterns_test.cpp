#include "frontend/normalisation/sentence_patterns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/normalisation/normalised_words.h"
#include "frontend/normalisation/pattern_units.h"
#include "pattern_test_words.h"

namespace kvo::frontend {
namespace {

using pattern_test::Render;
using pattern_test::WordsOf;

struct Case {
  const char* text;
  const char* words;  // Render() of the result
};

std::string Apply(const std::string& text) {
  AnalysisResources res;
  NormalisationSettings settings;
  WordList words = WordsOf(text);
  ApplySentencePatterns(res, settings, &words);
  return Render(words);
}

void ExpectReadings(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) EXPECT_EQ(Apply(cases[i].text), cases[i].words) << cases[i].text;
}

TEST(SentencePatterns, Dates) {
  const Case cases[] = {
      {"2008-08-08", "2008#11 年 08#3 月 08#3 日"},
      {"2008.08.08", "2008#11 年 08#3 月 08#3 日"},
      {"2008/8/8", "2008#11 年 8#3 月 8#3 日"},
      {"12/25", "12#3 月 25#3 日"},
      {"25/12", "12#3 月 25#3 日"},
      {"12/25/2008", "2008#11 年 12#3 月 25#3 日"},
      {"25/12/2008", "2008#11 年 12#3 月 25#3 日"},
      {"12/25/08", "08#11 年 12#3 月 25#3 日"},
      {"2008-08", "2008#11 年 08#3 月"},
      {"08/2008", "2008#11 年 08#3 月"},
      {"于2008-08-08开幕", "于 2008#11 年 08#3 月 08#3 日 开幕"},
      // Leap years by the Gregorian rules.
      {"2008-02-29", "2008#11 年 02#3 月 29#3 日"},
      {"2000-02-29", "2000#11 年 02#3 月 29#3 日"},
      {"2/29", "2#3 月 29#3 日"},
      {"在2007-02-29", "在 2007 - 02 - 29"},
      {"在1900-02-29", "在 1900 - 02 - 29"},
      {"在2008-04-31", "在 2008 - 04 - 31"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, NotDates) {
  const Case cases[] = {
      // No valid month and day, or a year of two digits without its zero.
      {"2/30", "30#3 分之 2#3"},
      {"13/45", "45#3 分之 13#3"},
      // Two numbers that could both be months are a fraction, a range or a
      // decimal, not a date.
      {"3/4", "4#3 分之 3#3"},
      {"3-5个", "3 - 5 个"},
      {"3.15", "3 . 15"},
      // Letters or digits glued on, and seasons.
      {"2008-08-08X", "2008 - 08 - 08 X"},
      {"2008/09赛季", "2008 / 09 赛季"},
      // A dotted pattern followed by a unit is a version or a size.
      {"2008.10.12元", "2008#2 . 10#2 . 12#2 元"},
      {"1.2.3米", "1#2 . 2#2 . 3#2 米"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, TimesAndScores) {
  const Case cases[] = {
      {"8:00", "8#13 点 整"},
      {"2:05:09", "2#13 点 05#12 分 09#12 秒"},
      {"21:15", "21#13 点 15#12 分"},
      {"2:30", "2#13 点 30#12 分"},
      {"24:00", "24#13 点 整"},
      {"AM 8:00", "上午 8#13 点 整"},
      {"PM2:30", "下午 2#13 点 30#12 分"},
      {"8:00 PM", "下午 8#13 点 整"},
      {"A.M. 9:15", "上午 9#13 点 15#12 分"},
      // Context words: the nearer one before decides, a result word after
      // makes a score.
      {"比分3:2", "比分 _ 3#3 比 2#3 _"},
      {"结果3:2", "结果 _ 3#3 比 2#3 _"},
      {"中国队|以3:1胜", "中国队 以 _ 3#3 比 1#3 _ 胜"},
      {"3:1胜出", "_ 3#3 比 1#3 _ 胜出"},
      {"比分落后，今天下午3:30", "比分落后 , 今天下午 3#13 点 30#12 分"},
      {"8:30平均", "8#13 点 30#12 分 平均"},
      {"比赛19:30开始", "比赛 19#13 点 30#12 分 开始"},
      {"星期日3:00", "星期日 3#13 点 整"},
      {"对手3:2胜", "对手 _ 3#3 比 2#3 _ 胜"},
      // Out of the limits of a time: a score.
      {"25:00", "_ 25#3 比 00#3 _"},
      {"10:61", "_ 10#3 比 61#3 _"},
      {"24:30", "_ 24#3 比 30#3 _"},
      {"1:2:3", "1 : 2 : 3"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, NumbersWithSeparators) {
  const Case cases[] = {
      {"1,234,567", "1234567#3"},
      {"1,234.56", "1234#3 . 56#3"},
      {"共12,345人", "共 12345#3 人"},
      {"12,34", "12 , 34"},
      {"1234,567", "1234 , 567"},
      {"192.168.0.1", "192#2 . 168#2 . 0#2 . 1#2"},
      {"1.2.3", "1#2 . 2#2 . 3#2"},
      {"1.苹果", "1#3 苹果"},
      {"12.苹果", "12#3 苹果"},
      {"1.A", "1#2 . A"},
      {"3.14", "3 . 14"},
      {"1'23\"", "1#3 分 23#12 秒"},
      {"3'45\"67", "3#3 分 45#12 秒 67#12"},
      {"9\"58", "9#3 秒 58#12"},
      {"75'10", "75 ' 10"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, TelephoneNumbers) {
  const Case cases[] = {
      {"010-12345678", "010#2 _ 12345678#2"},
      {"010-12345678-123", "010#2 _ 12345678#2 转 123#2"},
      {"12345678x123", "12345678#2 转 123#2"},
      {"138 1234 5678", "138#2 _ 1234#2 _ 5678#2"},
      {"(010) 12345678", "010#2 _ 12345678#2"},
      {"+86 10 12345678", "86#2 _ 10#2 _ 12345678#2"},
      {"978-7-111-12345-6是ISBN", "978#2 杠 7#2 杠 111#2 杠 12345#2 杠 6#2 是 ISBN"},
      // Only at the start of a sentence, never a plain digit string.
      {"12345678元", "12345678 元"},
      {"号码010-12345678", "号码 010 - 12345678"},
      {"010--12345678", "010 — 12345678"},
      {"1234567-1=1234566", "1234567#3 减去 1#3 等于 1234566#3"},
      {"1234567+1", "1234567#3 加 1#3"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, FormulasAndFractions) {
  const Case cases[] = {
      {"6+4=10", "6#3 加 4#3 等于 10#3"},
      {"6 + 4 = 10", "6#3 加 4#3 等于 10#3"},
      {"6-4=2", "6#3 减去 4#3 等于 2#3"},
      {"-3+5=2", "负 3#3 加 5#3 等于 2#3"},
      {"(1+2)*3=9", "左小括号 1#3 加 2#3 右小括号 乘以 3#3 等于 9#3"},
      {"3×4=12", "3#3 乘 4#3 等于 12#3"},
      {"8÷2", "8#3 除以 2#3"},
      {"1<2", "1#3 小于 2#3"},
      {"2x+3=7", "2#3 x 加 3#3 等于 7#3"},
      {"1.5+2.5=4", "1#3 . 5#3 加 2#3 . 5#3 等于 4#3"},
      {"6/3/2", "6#3 除以 3#3 除以 2#3"},
      {"1-5/4", "1#3 减去 5#3 除以 4#3"},
      {"3/4", "4#3 分之 3#3"},
      {"1-3/4", "1#3 又 4#3 分之 3#3"},
      // Not formulas: a trailing operator, brackets that do not balance,
      // ranges, Windows names.
      {"1+", "1 +"},
      {"1+2)", "1 + 2 )"},
      {"(1+2", "( 1#3 加 2#3"},
      {"(1-3)", "( 1 - 3 )"},
      {"98/2000", "98 / 2000"},
      {"1.5/3", "1 . 5 / 3"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, AddressesModelNamesAndLetterCodes) {
  const Case cases[] = {
      {"abc@sina.com", "abc 花 a sina .#10 com"},
      {"www.test123.com", "www .#10 test 123#11 .#10 com"},
      {"http://a-b.org/x", "http :#10 /#10 /#10 a 杠 b .#10 org /#10 x"},
      {"写信到a_b@x.cn。", "写信到 a _#10 b 花 a x .#10 cn 。"},
      {"F-16", "F 16#2"},
      {"F-117A", "F 117#2 A"},
      {"F/A-18", "F 斜杠 A 18#2"},
      {"B-52H", "B 52#2 H"},
      {"AGM-88", "AGM 88#2"},
      {"波音747", "波音 747#2"},
      {"波音747-400", "波音 747#2 _ 400#2"},
      {"歼-10", "歼 10#2"},
      {"苏-27", "苏 27#2"},
      {"江苏2008", "江苏 2008"},
      {"ABC12-34X", "ABC 12#2 杠 34#2 X"},
      {"CCTV-1", "CCTV 1#2"},
      {"MP3/MP4", "MP 3#2 斜杠 MP 4#2"},
      {"好--走", "好 — 走"},
      {"好——走", "好 — 走"},
      {"好----走", "好 - - - - 走"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, EnglishExpressions) {
  const Case cases[] = {
      {"E-Mail", "Email"},
      {"E_Mail", "Email"},
      {"Dr.", "doctor"},
      {"AT&T", "AT&T"},
      {"CD-ROM", "CD-ROM"},
      {"Windows 2000", "Windows 2000"},
      {"X-ray", "X-ray"},
      {"don't", "don't"},
      {"it's", "it's"},
      {"Tom's", "Tom's"},
      {"E-Mails", "E - Mails"},
      {"3DNow", "3DNow"},
      {"postal code", "postal code"},
  };
  ExpectReadings(cases, std::size(cases));
  // Merged expressions are single letter words that no pattern takes apart.
  AnalysisResources res;
  WordList words = WordsOf("Windows 2000");
  ApplySentencePatterns(res, NormalisationSettings{}, &words);
  ASSERT_EQ(words.count, 1);
  EXPECT_EQ(words.words[0].word_class, qvTTS_CT_LETTER);
  EXPECT_EQ(words.words[0].reading_modes[kForcedModeSlot], kNoForcedMode);
}

TEST(SentencePatterns, Units) {
  const Case cases[] = {
      {"30℃", "30 摄氏度"},
      {"-5℃", "- 5 摄氏度"},
      {"5km", "5 千米"},
      {"5 km", "5 千米"},
      {"5mm", "5 毫米"},
      {"5min", "5 分钟"},
      {"100km/h", "100 千米 / 小时"},
      {"3000元/㎡", "3000 元 / 平方米"},
      {"100$", "100 美元"},
      {"30°C", "30 摄氏度"},
      // No units: glued to letters, inside a longer letter run, or apart.
      {"iPhone6s", "iPhone 6 s"},
      {"5mp3", "5 mp 3"},
      {"5 m", "5 _ m"},
  };
  ExpectReadings(cases, std::size(cases));
}

TEST(SentencePatterns, UnitReadingsAreKnownToTheWordRules) {
  for (const char* reading : {"摄氏度", "千米", "美元", "平方米"}) {
    const std::vector<uint16_t> codes = pattern_test::CodesOf(reading);
    EXPECT_TRUE(IsUnitSymbolReading(codes.data(), static_cast<int>(codes.size()))) << reading;
  }
  const std::vector<uint16_t> other = pattern_test::CodesOf("千");
  EXPECT_FALSE(IsUnitSymbolReading(other.data(), static_cast<int>(other.size())));
}

TEST(SentencePatterns, MadeWordsCarryClassesTagsAndPositions) {
  AnalysisResources res;
  WordList words = WordsOf("在2008-08-08 8:00");
  ApplySentencePatterns(res, NormalisationSettings{}, &words);
  ASSERT_EQ(Render(words), "在 2008#11 年 08#3 月 08#3 日 _ 8#13 点 整");
  const int32_t positions[] = {0, 1, 1, 6, 6, 9, 9, 11, 12, 12, 14};
  for (int w = 0; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    EXPECT_EQ(word.text_position, positions[w]) << w;
    if (word.reading_modes[kForcedModeSlot] != kNoForcedMode) {
      EXPECT_EQ(word.word_class, qvTTS_CT_DIGIT) << w;
    }
    if (word.chars[0] > 0x80) {
      EXPECT_EQ(word.word_class, qvTTS_CT_CHINESE) << w;
      EXPECT_EQ(word.pos, w == 0 ? kTagUnknown : kTagTimeWord) << w;
      EXPECT_EQ(word.pinyin[0], kUnknownPinyin) << w;
    }
  }
  // Readings in another order than written never report positions backwards.
  words = WordsOf("12/25/2008");
  ApplySentencePatterns(res, NormalisationSettings{}, &words);
  ASSERT_EQ(Render(words), "2008#11 年 12#3 月 25#3 日");
  for (int w = 1; w < words.count; ++w) EXPECT_GE(words.words[w].text_position, words.words[w - 1].text_position);
}

}  // namespace
}  // namespace kvo::frontend
