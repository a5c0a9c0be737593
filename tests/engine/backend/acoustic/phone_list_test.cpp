#include "backend/labels/phone_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/labels/context_label.h"
#include "core/unit_code.h"
#include "test_voice.h"

namespace kvo {
namespace backend {
namespace {

using testvoice::English;
using testvoice::Pause;
using testvoice::Syllable;
using testvoice::Voice;

NameTable Table(const std::vector<const char*>& names) {
  NameTable t;
  t.names = names.data();
  t.count = static_cast<int>(names.size());
  return t;
}

const std::vector<const char*> kMandarinInitials = {"zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l",
                                                    "g",  "k",  "h",  "j", "q", "x", "r", "z", "c", "s"};
const std::vector<const char*> kSixToneInitials = {"gw", "kw", "ng", "b", "m", "s"};

struct SplitCase {
  int tones;
  const char* name;
  const char* initial;
  const char* final_;
  int initialIndex;
};

const SplitCase kSplits[] = {
    {5, "zhong1", "zh", "ong", 0}, {5, "shi4", "sh", "i", 2},     {5, "ba1", "b", "a", 3},
    {5, "a1", "", "a", -1},        {5, "yu2", "", "v", -1},       {5, "yi1", "", "i", -1},
    {5, "ying1", "", "ing", -1},   {5, "you3", "", "iu", -1},     {5, "yue4", "", "ve", -1},
    {5, "yuan2", "", "van", -1},   {5, "yun2", "", "vn", -1},     {5, "yong3", "", "iong", -1},
    {5, "yo1", "", "iu", -1},      {5, "wu3", "", "u", -1},       {5, "wei4", "", "ui", -1},
    {5, "wen2", "", "un", -1},     {5, "weng1", "", "ueng", -1},  {5, "wan3", "", "uan", -1},
    {5, "jun1", "j", "vn", 14},    {5, "ju2", "j", "v", 14},      {5, "quan2", "q", "van", 15},
    {5, "xue2", "x", "ve", 16},    {5, "lue4", "l", "ve", 10},    {5, "gui4", "g", "ui", 11},
    {5, "ri4", "r", "i", 17},      {5, "nv3", "n", "v", 9},       {5, "er5", "", "er", -1},
    {5, "m2", "m", "", 5},         {6, "m4", "", "m", -1},        {6, "ng5", "", "ng", -1},
    {6, "ngaa1", "ng", "aa", 2},   {6, "gwong2", "gw", "ong", 0}, {6, "aa3", "", "aa", -1},
    {6, "maa1", "m", "aa", 4},     {6, "yu2", "", "yu", -1},
};

class SyllableSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SyllableSplitting, GivesInitialAndFinal) {
  const SplitCase& c = GetParam();
  SyllableSplit split;
  ASSERT_TRUE(SplitSyllable(c.name, c.tones, Table(c.tones == 5 ? kMandarinInitials : kSixToneInitials), &split));
  EXPECT_STREQ(split.initial, c.initial);
  EXPECT_STREQ(split.final_, c.final_);
  EXPECT_EQ(split.initialIndex, c.initialIndex);
}

INSTANTIATE_TEST_SUITE_P(Acoustic, SyllableSplitting, ::testing::ValuesIn(kSplits),
                         [](const ::testing::TestParamInfo<SplitCase>& i) {
                           return std::to_string(i.param.tones) + "_" + i.param.name;
                         });

TEST(AcousticSyllableSplit, RefusesNamesThatDoNotFit) {
  SyllableSplit split;
  EXPECT_FALSE(SplitSyllable("", 5, Table(kMandarinInitials), &split));
  EXPECT_FALSE(SplitSyllable("1", 5, Table(kMandarinInitials), &split));
  EXPECT_FALSE(SplitSyllable("zhuangzhuangzhuang1", 5, Table(kMandarinInitials), &split));
}

// Builds a chunk and returns the phone names of each item, with "+" for a
// leading and trailing pause flag ("+pau" marks the flagged pause phones).
class AcousticPhoneList : public ::testing::Test {
 protected:
  Voice voice;
  std::vector<AnalysisItem> items;
  std::vector<SpeechItem> speech;

  void Prepare() {
    speech.assign(items.size(), SpeechItem());
    PrepareSpeechItems(items.data(), static_cast<int>(items.size()), voice.G(), voice.symbols.tones, speech.data());
    BuildPhoneLists(voice.symbols, voice.G(), items.data(), speech.data(), static_cast<int>(items.size()));
  }
  std::string Phones(int i) const {
    std::string out;
    const SpeechItem& s = speech[i];
    for (int k = 0; k < s.PhoneCount() && k < kMaxItemPhones; ++k) {
      if (!out.empty()) out += " ";
      uint8_t id = s.phones[k];
      out += id < voice.symbols.phones.count ? voice.symbols.phones.names[id] : "?";
    }
    return out;
  }
  uint16_t B(int offset) const { return static_cast<uint16_t>(2 * voice.G() + offset); }
};

TEST_F(AcousticPhoneList, PhraseEdgesGetPauses) {
  items = {Syllable(voice.Code("zhong", 1), 0, 2), Syllable(voice.Code("guo", 2), 1, 2)};
  Prepare();
  EXPECT_EQ(Phones(0), "pau zh ong");
  EXPECT_EQ(Phones(1), "g uo pau");
  EXPECT_EQ(speech[0].pauseFlags, kLeadingPause);
  EXPECT_EQ(speech[1].pauseFlags, kTrailingPause);
  EXPECT_EQ(speech[1].tone, 2);
}

struct NextItemCase {
  const char* name;
  int nextOffset;  // code of the next item as B + offset; -1: an English item
  int nextSpeed;
  bool pause;
};

// What follows a syllable inside its phrase decides its trailing pause.
const NextItemCase kNextItems[] = {
    {"english_item", -1, 0, true},
    {"punctuation_125", kUnitPunctuationPauseClass, 0, true},
    {"colon", kUnitPunctuationColon, 0, true},
    {"comma_speed_0", kUnitPunctuationFirst, 0, false},
    {"comma_faster", kUnitPunctuationFirst, 100, true},
    {"blank", kUnitSpokenSymbol, 0, false},
    {"special_first", kUnitSentencePause, 0, true},
    {"special_other", kUnitSentencePause + 2, 0, false},
    {"letter", kUnitLetterFirst, 0, false},
};

class TrailingPauseByNextItem : public AcousticPhoneList, public ::testing::WithParamInterface<NextItemCase> {};

TEST_P(TrailingPauseByNextItem, FollowsTheRule) {
  const NextItemCase& c = GetParam();
  AnalysisItem next = c.nextOffset < 0 ? English(testvoice::kEnAa) : Pause(B(c.nextOffset));
  next.speed = static_cast<int16_t>(c.nextSpeed);
  // A closing syllable in the same phrase keeps "ma" from being phrase-final.
  items = {Syllable(voice.Code("ba", 1), 0, 1), Syllable(voice.Code("ma", 1), 0, 1), next,
           Syllable(voice.Code("shi", 4), 0, 1)};
  Prepare();
  EXPECT_EQ((speech[1].pauseFlags & kTrailingPause) != 0, c.pause);
  EXPECT_EQ(Phones(1), c.pause ? "m a pau" : "m a");
}

INSTANTIATE_TEST_SUITE_P(Acoustic, TrailingPauseByNextItem, ::testing::ValuesIn(kNextItems),
                         [](const ::testing::TestParamInfo<NextItemCase>& i) { return std::string(i.param.name); });

TEST_F(AcousticPhoneList, SyllabicNasalHasNoFinalPhone) {
  items = {Syllable(voice.Code("m", 2), 0, 1)};
  Prepare();
  EXPECT_EQ(Phones(0), "pau m pau");
}

TEST_F(AcousticPhoneList, BreakAfterLongWordAddsPause) {
  items = {Syllable(voice.Code("ba", 1), 0, 3), Syllable(voice.Code("ma", 1), 1, 3),
           Syllable(voice.Code("si", 1), 2, 3), Syllable(voice.Code("shi", 4), 0, 1)};
  for (auto& a : items) a.flags |= kItemFlagBreakAfterWord;
  Prepare();
  EXPECT_EQ(Phones(2), "s i pau");
  items[3].flags = 0;
  Prepare();
  EXPECT_EQ(Phones(2), "s i");
}

TEST_F(AcousticPhoneList, PositionsCountSyllablesPerPhraseAndBatch) {
  items = {Syllable(voice.Code("ba", 1), 0, 2, 0, 2), Syllable(voice.Code("ma", 1), 1, 2, 0, 2),
           Pause(B(kUnitPunctuationFirst)), Syllable(voice.Code("shi", 4), 0, 1, 1, 2)};
  items[2].phrase_index = 0;
  items[2].phrase_count = 2;
  Prepare();
  struct Expect {
    int inPhrase, phraseLen, inSentence, sentenceLen;
  };
  const Expect expect[] = {{0, 2, 0, 3}, {1, 2, 1, 3}, {0, 0, 0, 0}, {0, 1, 2, 3}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(speech[i].sylInPhrase, expect[i].inPhrase);
    EXPECT_EQ(speech[i].phraseLen, expect[i].phraseLen);
    EXPECT_EQ(speech[i].sylInSentence, expect[i].inSentence);
    EXPECT_EQ(speech[i].sentenceLen, expect[i].sentenceLen);
  }
  EXPECT_EQ(Phones(1), "m a pau");  // phrase-final
  EXPECT_EQ(Phones(2), "");
}

TEST_F(AcousticPhoneList, UnitsAndUnclassifiedCodes) {
  items = {Pause(B(kUnitLetterFirst + 1)),
           Pause(B(kUnitGreekFirst)),
           Pause(B(300)),
           Pause(B(kUnitPhraseFirst)),
           Pause(kUnitSilence),
           Pause(B(kUnitLetterFirst + 40)),
           English(testvoice::kEnT),
           Syllable(static_cast<uint16_t>(voice.G() + 3), 0, 1)};
  items[6].unit = 1234;
  Prepare();
  EXPECT_EQ(Phones(0), "b i");           // letter B
  EXPECT_EQ(Phones(1), "a l f a");       // Greek alpha
  EXPECT_EQ(speech[2].PhoneCount(), 0);  // in no class
  EXPECT_EQ(speech[3].PhoneCount(), 0);  // domain phrase: silence for now
  EXPECT_EQ(speech[4].PhoneCount(), 0);
  EXPECT_EQ(speech[5].PhoneCount(), 0);  // letter without table entry
  EXPECT_EQ(speech[6].PhoneCount(), 1);  // English: one phone, code forced to 0
  EXPECT_EQ(speech[6].code, 0);
  EXPECT_EQ(items[6].unit, 0);
  EXPECT_EQ(speech[7].PhoneCount(), 0);  // syllable code beyond the table
}

TEST_F(AcousticPhoneList, ChineseLabelsCarryContextTonesAndPositions) {
  items = {Syllable(voice.Code("zhong", 1), 0, 2), Syllable(voice.Code("guo", 2), 1, 2)};
  Prepare();
  std::vector<int8_t> labels(6 * kLabelBytes);
  ASSERT_TRUE(
      BuildGroupLabels(voice.symbols, voice.G(), items.data(), speech.data(), 2, 0, 2, labels.data(), voice.arena));
  auto L = [&](int phone, int byte) {
    return static_cast<int>(static_cast<uint8_t>(labels[phone * kLabelBytes + byte]));
  };
  const int zero = voice.Phone("0"), pau = voice.Phone("pau");
  // Phone 3 is "g": neighbours across the item boundary, segment tones.
  const int expectPhones[5] = {voice.Phone("zh"), voice.Phone("ong"), voice.Phone("g"), voice.Phone("uo"), pau};
  const int expectTones[5] = {0xFF, 1, 2, 0xFF, 0xFF};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(L(3, k), expectPhones[k]) << k;
    EXPECT_EQ(L(3, 7 + k), expectTones[k]) << k;
  }
  EXPECT_EQ(L(3, 13), 2);  // second of two
  EXPECT_EQ(L(3, 14), 3);  // last in phrase
  EXPECT_EQ(L(3, 15), 3);  // last in batch
  EXPECT_EQ(L(3, 16), 2);
  EXPECT_EQ(L(3, 17), 1);
  EXPECT_EQ(L(3, 23), 0);
  EXPECT_EQ(L(3, kLabelVoicing), 0);
  EXPECT_EQ(L(1, 13), 0);  // "zh": first of word
  EXPECT_EQ(L(1, 23), 0);
  EXPECT_EQ(L(2, kLabelVoicing), 1);
  // The leading pause: outside phones are "0", positions not applicable.
  EXPECT_EQ(L(0, 0), zero);
  EXPECT_EQ(L(0, 1), zero);
  EXPECT_EQ(L(0, 2), pau);
  for (int b = 13; b <= 23; ++b) EXPECT_EQ(L(0, b), 0xFF) << b;
  EXPECT_EQ(L(0, kLabelVoicing), 3);
  EXPECT_EQ(L(5, 4), zero);
}

TEST_F(AcousticPhoneList, EnglishAndLetterLabels) {
  items = {English(testvoice::kEnT), English(kEnglishZ), English(kEnglishZ), Pause(B(kUnitLetterFirst + 1)),
           Syllable(voice.Code("ba", 1), 0, 1)};
  items[0].context[5] = 1;
  items[2].context[3] = kEnglishPau;
  Prepare();
  std::vector<int8_t> labels(12 * kLabelBytes);
  ASSERT_TRUE(
      BuildGroupLabels(voice.symbols, voice.G(), items.data(), speech.data(), 5, 0, 4, labels.data(), voice.arena));
  auto L = [&](int phone, int byte) {
    return static_cast<int>(static_cast<uint8_t>(labels[phone * kLabelBytes + byte]));
  };
  EXPECT_EQ(L(0, kLabelVoicing), 0);  // "t" at byte 5 = 1
  EXPECT_EQ(L(1, kLabelVoicing), 0);  // "z" not before a pause
  EXPECT_EQ(L(2, kLabelVoicing), 3);  // "z" before a pause
  // Letter B: contexts from the unit table; followed by a syllable.
  EXPECT_EQ(L(3, 2), voice.Phone("b"));
  EXPECT_EQ(L(3, 3), voice.Phone("i"));
  EXPECT_EQ(L(4, 2), voice.Phone("i"));
  EXPECT_EQ(L(3, 5), 1);
  EXPECT_EQ(L(4, kLabelVoicing), 1);
  EXPECT_EQ(L(3, 13), 0xFF);
}

}  // namespace
}  // namespace backend
}  // namespace kvo
