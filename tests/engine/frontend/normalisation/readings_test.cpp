// Readings of numbers, symbols and letters through the whole front end over
// the default voice's library: the words normalisation leaves, as text with
// "|" after every word that ends a group with a pause, and as syllables.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "analysis_format.h"
#include "core/unit_code.h"
#include "front_end_runner.h"
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/symbol_table.h"
#include "internal_text.h"

namespace kvo::frontend {
namespace {

std::string Library() { return std::string(KVO_DATA_DIR) + "/zh_cn_mei.kvl"; }

class Reader {
 public:
  explicit Reader(const analyze::RunnerOptions& options = {}) {
    std::string error;
    ok_ = runner_.Open(Library(), options, &error);
    EXPECT_TRUE(ok_) << error;
  }
  // The sentences of text as the front end leaves them.
  std::vector<analyze::AnalysedSentence> Run(const std::string& text) {
    std::vector<analyze::AnalysedSentence> out;
    if (!ok_) return out;
    EXPECT_EQ(runner_.Run(text, [&](const analyze::AnalysedSentence& s) { out.push_back(s); }), 0);
    return out;
  }
  // Words that are not punctuation, concatenated; "|" after a group pause.
  std::string Text(const std::string& text) {
    std::string out;
    for (const auto& s : Run(text)) {
      for (const WordRecord& w : s.words) {
        if (w.word_class == qvTTS_CT_SYMBOL) continue;
        out += analyze::Utf8OfCodes(runner_, w.chars, w.length);
        if (w.flags & 0x40) out += "|";
      }
    }
    return out;
  }
  std::string Citation(const std::string& text) {
    std::string out;
    for (const auto& s : Run(text)) {
      const std::string line = analyze::CitationSyllables(runner_, s);
      if (!line.empty()) out += (out.empty() ? "" : " ") + line;
    }
    return out;
  }
  const analyze::FrontEndRunner& runner() const { return runner_; }

 private:
  analyze::FrontEndRunner runner_;
  bool ok_ = false;
};

struct Case {
  const char* text;
  const char* reading;
};

void ExpectReadings(Reader& reader, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(reader.Text(c.text), c.reading) << c.text;
}

class Readings : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(Library())) GTEST_SKIP() << "no " << Library();
  }
};

TEST_F(Readings, NumberReader) {
  Reader reader;
  ExpectReadings(reader, {
                             {"15", "十五"},
                             {"115", "一百一十五"},
                             {"10010", "一万零一十"},
                             {"2000", "两千"},
                             {"200", "二百"},
                             {"100000元", "十万元"},
                             {"100000001元", "一亿零一元"},
                             {"3.14", "三点一四"},
                             {"0.5", "零点五"},
                             {"4599元", "四千五百九十九元"},
                             {"12345元", "一万二千三百四十五元"},
                             // Thirteen digits and more: digit by digit in pairs.
                             {"1234567890123元", "一二三四五六七八九零一二三元"},
                         });
}

TEST_F(Readings, DigitReaderGroupsWithPauses) {
  analyze::RunnerOptions telegram;
  telegram.digit_mode = 2;
  Reader reader(telegram);
  ExpectReadings(reader, {
                             {"13912345678", "幺三九|幺二三四|五六七八|"},
                             {"12", "幺二"},
                             {"1", "一"},
                             {"12345", "幺二三四五|"},
                             {"123456", "幺二三|四五六|"},
                             {"1234567", "幺二三|四五六七|"},
                             {"3.14", "三点幺四"},
                         });
}

// Each rule of the decision list that ordinary text reaches.
TEST_F(Readings, DigitDecisionList) {
  Reader reader;
  ExpectReadings(reader, {
                             {"身份证110101199001011234", "身份证幺幺零|幺零幺|幺九九零|零幺零幺|幺二三四|"},
                             {"账号123456789012", "账号幺二三|四五六|七八九|零幺二|"},
                             {"05分", "零五分"},
                             {"05月", "五月"},
                             {"007", "零零七"},
                             {"3#楼", "三号楼"},
                             {"按1#", "按一井"},
                             {"2008级", "二零零八级"},
                             {"30%", "百分之三十"},
                             {"7.5%", "百分之七点五"},
                             {"30-40%", "百分之三十到四十"},
                             {"$100", "一百美元"},
                             {"3.15", "三点一五"},
                             {"2008赛季", "二零零八赛季"},
                             {"80年代", "八十年代"},
                             {"2008年", "二零零八年"},
                             {"5年", "五年"},
                             {"在98年", "在九八年"},
                             {"1990-2000年", "一九九零至二零零零年"},
                             {"3次", "三次"},
                             {"9·18", "九一八"},
                             {"“9·11”", "九幺幺"},
                             {"航班1234", "航班幺二三四"},
                             {"36路", "三十六路"},
                             {"302路", "三零二路"},
                             {"电话12345", "电话幺二三四五|"},
                             {"12345", "一万二千三百四十五"},
                             {"GB2312", "GB二三幺二"},
                             {"1024x768", "幺零二四乘七六八"},
                             {"52X", "五十二倍速"},
                             {"8848", "八八四八"},
                             {"13800138000", "幺三八|零零幺三|八零零零|"},
                             {"2008奥运会", "二零零八奥运会"},
                             {"123456", "幺二三|四五六|"},
                         });
}

TEST_F(Readings, RangesSignsAndSymbols) {
  Reader reader;
  ExpectReadings(reader, {
                             {"-10℃", "零下十摄氏度"},
                             {"18~25℃", "十八至二十五摄氏度"},
                             {"温度-5", "温度负五"},
                             {"×××", "某某某"},
                             {"××", "某某"},
                             {"3×4", "三乘四"},
                             {"3/4", "四分之三"},
                             {"a@b", "a花ab"},
                             {"1+2", "一加二"},
                             {"≥", "大于等于"},
                             {"①", "一"},
                             {"Ⅻ", "十二"},
                             {"∪", "并"},
                             {"∩", "交"},
                             {"#号", "井号"},
                             {"RMB", "人民币"},
                         });
}

// Everyday sentences with numbers, every syllable in citation tones.
TEST_F(Readings, SentencesWithNumbers) {
  Reader reader;
  const Case cases[] = {
      {"今年公司销售额达到4599万元，",
       "jin1 nian2 gong1 si1 xiao1 shou4 e2 da2 dao4 si4 qian1 wu3 bai3 jiu3 shi2 jiu3 wan4 yuan2"},
      {"比去年增长了7.5%。", "bi3 qu4 nian2 zeng1 zhang3 le5 bai3 fen1 zhi1 qi1 dian3 wu3"},
      {"请拨打客服电话4008123456咨询。",
       "qing3 bo1 da3 ke4 fu2 dian4 hua4 si4 ling2 ling2 ba1 yao1 er4 san1 si4 wu3 liu4 zi1 xun2"},
      {"明天最高气温18~25℃，", "ming2 tian1 zui4 gao1 qi4 wen1 shi2 ba1 zhi4 er4 shi2 wu3 she4 shi4 du4"},
      {"夜间最低-3℃。", "ye4 jian1 zui4 di1 ling2 xia4 san1 she4 shi4 du4"},
      {"他于1998年出生，", "ta1 yu2 yi1 jiu3 jiu3 ba1 nian2 chu1 sheng1"},
      {"会议定于2024年3月15日上午9点举行。",
       "hui4 yi4 ding4 yu2 er4 ling2 er4 si4 nian2 san1 yue4 shi2 wu3 ri4 shang4 wu3 "
       "jiu3 dian3 ju3 xing2"},
      {"其中3/4是女生。", "qi2 zhong1 si4 fen1 zhi1 san1 shi4 nv3 sheng1"},
      {"这台电脑售价6999元，", "zhe4 tai2 dian4 nao3 shou4 jia4 liu4 qian1 jiu3 bai3 jiu3 shi2 jiu3 yuan2"},
      {"我的手机号码是13912345678。",
       "wo3 de5 shou3 ji1 hao4 ma3 shi4 yao1 san1 jiu3 yao1 er4 san1 si4 wu3 liu4 qi1 ba1"},
      {"第26届世界大学生运动会", "di4 er4 shi2 liu4 jie4 shi4 jie4 da4 xue2 sheng1 yun4 dong4 hui4"},
      {"这个房间面积约为120平方米。", "zhe4 ge5 fang2 jian1 mian4 ji1 yue1 wei4 yi1 bai3 er4 shi2 ping2 fang1 mi3"},
  };
  for (const Case& c : cases) EXPECT_EQ(reader.Citation(c.text), c.reading) << c.text;
}

// A lone 2 that counts something is 两; ordinals, months, days, floors and
// grades keep 二.
TEST_F(Readings, LoneTwoCountsAsLiang) {
  Reader reader;
  ExpectReadings(reader, {{"服用2片", "服用两片"},
                          {"时长2小时", "时长两小时"},
                          {"2个月", "两个月"},
                          {"过了2年", "过了两年"},
                          {"第2个", "第二个"},
                          {"2月2日", "二月二日"},
                          {"2年级", "二年级"},
                          {"住2楼", "住二楼"},
                          {"2.5个", "二点五个"}});
}

// An ASCII point at the end of a sentence or clause is a full stop.
TEST_F(Readings, TrailingPointIsAFullStop) {
  Reader reader;
  ExpectReadings(reader,
                 {{"中国人民.", "中国人民"}, {"他说:好. 走吧", "他说好走吧"}, {"版本3.5发布", "版本三点五发布"}});
}

TEST_F(Readings, PinyinInputIsOneSyllable) {
  Reader reader;
  EXPECT_EQ(reader.Citation("hao3"), "hao3");
  EXPECT_EQ(reader.Citation("我说hao3。"), "wo3 shuo1 hao3");
  EXPECT_EQ(reader.Citation("google"), "gu3 ge1");
}

TEST_F(Readings, CompletedPinyinOfReadWords) {
  Reader reader;
  EXPECT_EQ(reader.Citation("7.5%"), "bai3 fen1 zhi1 qi1 dian3 wu3");
  EXPECT_EQ(reader.Citation("-10℃"), "ling2 xia4 shi2 she4 shi4 du4");
  EXPECT_EQ(reader.Citation("2000"), "liang3 qian1");
}

// The comma keeps its punctuation unit and pause; puncmode 1 reads it first.
TEST_F(Readings, PunctuationModes) {
  for (int mode : {0, 1, 2, 3}) {
    analyze::RunnerOptions options;
    options.punc_mode = mode;
    Reader reader(options);
    const auto sentences = reader.Run("好,");
    ASSERT_EQ(sentences.size(), 1u);
    const auto& words = sentences[0].words;
    ASSERT_FALSE(words.empty());
    const WordRecord& comma = words.back();
    const int b = 2 * reader.runner().SyllableCodeCount();
    EXPECT_EQ(comma.word_class, qvTTS_CT_SYMBOL);
    EXPECT_EQ(comma.pinyin[0], b + 104) << mode;
    EXPECT_EQ(comma.pinyin[1], 200) << mode;
    const bool read = mode == 1 || mode == 3;
    EXPECT_EQ(reader.Text("好,"), read ? "好逗号" : "好") << mode;
  }
}

TEST_F(Readings, DigitModes) {
  struct ModeCase {
    int mode;
    const char* text;
    const char* reading;
  };
  const ModeCase cases[] = {
      {0, "110", "幺幺零"},    {3, "110", "一百一十"},
      {2, "2000", "二零零零"}, {3, "电话12345", "电话一万二千三百四十五"},
      {1, "4599", "四五九九"}, {0, "4599", "四千五百九十九"},
  };
  for (const ModeCase& c : cases) {
    analyze::RunnerOptions options;
    options.digit_mode = c.mode;
    Reader reader(options);
    EXPECT_EQ(reader.Text(c.text), c.reading) << c.mode << " " << c.text;
  }
}

TEST_F(Readings, EnglishModeTwoKeepsPlaceholders) {
  analyze::RunnerOptions options;
  options.eng_mode = 2;
  Reader reader(options);
  EXPECT_EQ(reader.Text("xxx先生"), "某某某先生");
}

TEST_F(Readings, N6SpecialNumbers) {
  struct N6Case {
    int bits;
    const char* text;
    const char* reading;
  };
  const N6Case cases[] = {
      {0, "200", "两百"},   {0, "2200", "两千两百"},       {0, "20000", "两万"},
      {0, "22", "二十二"},  {256, "200", "二百"},          {512, "2", "两"},
      {0, "2", "二"},       {32, "电话110", "电话一一零"}, {16, "电话110", "电话幺幺零"},
      {0, "2.5", "二点五"},
  };
  for (const N6Case& c : cases) {
    analyze::RunnerOptions options;
    options.n6_numbers = true;
    options.special_numbers = c.bits;
    Reader reader(options);
    EXPECT_EQ(reader.Text(c.text), c.reading) << c.bits << " " << c.text;
  }
}

// Random mixtures never crash, and every digit and every table symbol that
// has a reading and no punctuation class is gone from the words: read or
// dropped by a rule.
TEST_F(Readings, RandomMixturesLeaveNothingUnread) {
  Reader reader;
  const std::vector<std::string> pieces = {
      "我们", "银行", "电话", "年", "元", "月", "号", "1", "23", "456", "7890", "0",  ".", ",", "-",    "~", "/",
      "%",    "℃",    "×",    "@",  "+",  "#",  "*",  "(", ")",  "《",  "》",   "①",  "Ⅻ", " ", "abc",  "X", "ＡＢ",
      "１２", "：",   "，",   "￥", "$",  "‰",  "±",  "≥", "·",  "〇",  "○",    "、", "—", "…", "hao3", "^", "☆"};
  std::mt19937 rng(20261210);
  int sentences = 0;
  for (int n = 0; n < 2000; ++n) {
    std::string text;
    const int count = 1 + static_cast<int>(rng() % 12);
    for (int k = 0; k < count; ++k) text += pieces[rng() % pieces.size()];
    text += "。";
    for (const auto& s : reader.Run(text)) {
      ++sentences;
      ASSERT_LE(s.words.size(), static_cast<size_t>(kMaxWordsPerSentence));
      for (size_t k = 0; k < s.words.size(); ++k) {
        const WordRecord& w = s.words[k];
        ASSERT_GE(w.length, 1);
        // A sentence-initial "×" before a non-Chinese word is kept as written.
        if (k == 0 && w.chars[0] == InternalCodeOf(u'×')) continue;
        ASSERT_LE(w.length, kMaxWordChars);
        for (int c = 0; c < w.length; ++c) {
          EXPECT_FALSE(w.chars[c] >= '0' && w.chars[c] <= '9') << text;
          if (w.word_class != qvTTS_CT_SYMBOL || w.length != 1) continue;
          const SymbolEntry* entry = FindSymbol(w.chars[c]);
          const bool speaks = entry != nullptr && entry->readingClass == 0 &&
                              (!entry->reading.empty() || entry->number > 0) &&
                              PunctuationClassOf(w.chars[c]) == kNoPunctuationClass;
          EXPECT_FALSE(speaks) << text;
        }
      }
    }
  }
  EXPECT_GT(sentences, 2000);
}

TEST_F(Readings, HostileInput) {
  Reader reader;
  std::string digits(700, '7');
  std::string separators;
  for (int i = 0; i < 400; ++i) separators += "1,";
  const std::string cases[] = {
      digits,
      separators,
      std::string(300, '(') + "12" + std::string(5, ']'),
      "１2３4５6７8９0１2３4５6７8９0１2３4５6７8９0元",
      std::string(200, '-') + "5",
      std::string(100, '/') + "3",
      "99999999999999999999999999999999999999.99999999999999%",
      std::string(200, '.') + "1",
  };
  for (const std::string& text : cases) {
    for (const auto& s : reader.Run(text)) {
      ASSERT_LE(s.words.size(), static_cast<size_t>(kMaxWordsPerSentence));
      for (const WordRecord& w : s.words) {
        for (int c = 0; c < w.length; ++c) EXPECT_FALSE(w.chars[c] >= '0' && w.chars[c] <= '9');
      }
    }
  }
}

// The list holds 50 words: a reading that does not fit is dropped whole,
// never half a number.
TEST_F(Readings, FullListDropsWholeReadings) {
  analyze::RunnerOptions options;
  options.punc_mode = 1;  // every 、 gives two words: 顿号 and its pause
  Reader reader(options);
  std::string marks;
  for (int i = 0; i < 23; ++i) marks += "、";
  std::string expected;
  for (int i = 0; i < 23; ++i) expected += "顿号";
  EXPECT_EQ(reader.Text(marks + "12345元"), expected + "一万二千三百四十五");
  EXPECT_EQ(reader.Text(marks + "、12345元"), expected + "顿号");
}

TEST(SymbolTable, EntriesAndClasses) {
  EXPECT_EQ(kSymbolTableSize, 208);
  const SymbolEntry* star = FindSymbol(InternalCodeOf(u'☆'));
  ASSERT_NE(star, nullptr);
  EXPECT_EQ(star->readingClass, 2);
  const SymbolEntry* period = FindSymbol(InternalCodeOf(u'。'));
  ASSERT_NE(period, nullptr);
  EXPECT_EQ(period->pause, 1000);
  struct ClassCase {
    char16_t symbol;
    int offset;
  };
  const ClassCase classes[] = {{u',', 104}, {u';', 105},  {u'。', 106}, {u'!', 107}, {u'?', 108},  {u':', 109},
                               {u'|', 110}, {u'/', 111},  {u'、', 125}, {u'“', 126}, {u'《', 127}, {u'—', 128},
                               {u'…', 129}, {u'【', 130}, {u'·', 131},  {u'_', 132}, {u'%', 205},  {u'℃', 205}};
  for (const ClassCase& c : classes)
    EXPECT_EQ(PunctuationClassOf(InternalCodeOf(c.symbol)), c.offset) << static_cast<int>(c.symbol);
}

}  // namespace
}  // namespace kvo::frontend
