// The person-name step on word lists made by hand (words, tags and a small
// name model), and a library whose name model is broken.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/library_format.h"
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/lexicon/person_name_model.h"
#include "frontend_session.h"
#include "library_writer.h"
#include "test_voice.h"

namespace frontend_test {
namespace {

using kvo::frontend::AnalysisResources;
using kvo::frontend::WordList;
using kvo::frontend::WordRecord;

// Internal codes of UTF-8 text (GBK bytes, lead byte low).
std::vector<uint16_t> Codes(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string in_text = utf8;
  std::string gbk(utf8.size() * 2 + 4, '\0');
  char* in = in_text.data();
  size_t in_left = in_text.size();
  char* out = gbk.data();
  size_t out_left = gbk.size();
  iconv(cd, &in, &in_left, &out, &out_left);
  iconv_close(cd);
  gbk.resize(gbk.size() - out_left);
  std::vector<uint16_t> codes;
  for (size_t i = 0; i < gbk.size(); ++i) {
    const uint8_t b = static_cast<uint8_t>(gbk[i]);
    if (b < 0x80) {
      codes.push_back(b);
    } else {
      codes.push_back(static_cast<uint16_t>(b | (static_cast<uint8_t>(gbk[i + 1]) << 8)));
      ++i;
    }
  }
  return codes;
}

// The little name model of these tests, as a section payload.
kvo_libtool::Bytes NameModelPayload() {
  const char* lists[kvo::frontend::kNameListCount] = {
      "王张李任单乐解和都欧阳长孙曾",  // surnames
      "明伟丽云忌光",                  // one-character given names
      "建国小明大无海",                // first of two
      "国华云伟明忌燕",                // second of two
  };
  kvo_libtool::Bytes out(kvo::frontend::kNameModelHeaderBytes);
  for (int i = 0; i < kvo::frontend::kNameListCount; ++i) {
    std::vector<uint16_t> codes = Codes(lists[i]);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    kvo_library::StoreLe16(out.data() + 2 * i, static_cast<int16_t>(2 * codes.size()));
    for (uint16_t c : codes) {
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(static_cast<uint8_t>(c >> 8));
    }
  }
  return out;
}

// Syllable codes the step writes (units of the five-tone syllable table).
constexpr uint16_t kRen2 = 1386, kShan4 = 1493, kYue4 = 1893, kXie4 = 1783;
constexpr uint16_t kZhang3 = 1962, kSun1 = 1605;
// Readings the words come with: 100 + the character's index in the sentence.
constexpr uint16_t kBuilt = 100;

class PersonNames : public testing::Test {
 protected:
  void SetUp() override {
    payload_ = NameModelPayload();
    const SectionReader view = MemorySection(payload_.data(), payload_.size());
    uint32_t bytes = 0;
    ASSERT_EQ(kvo::frontend::NameModelBytes(view, &bytes), kvo::frontend::NameModelStatus::kOk);
    lists_.resize(bytes / 2);
    ASSERT_EQ(kvo::frontend::LoadNameModel(view, lists_.data(), bytes, &res_.names),
              kvo::frontend::NameModelStatus::kOk);
    res_.syllableCodeCount = 2085;
  }

  // Words "text/tag" separated by spaces, e.g. "任/r 建国/ns".
  static WordList Words(const std::vector<std::pair<std::string, int>>& words) {
    WordList list{};
    int position = 0;
    for (const auto& [text, tag] : words) {
      WordRecord& w = list.words[list.count++];
      const std::vector<uint16_t> codes = Codes(text);
      w.length = static_cast<int16_t>(codes.size());
      w.pos = static_cast<int16_t>(tag);
      w.word_class = 3;
      w.text_position = position;
      for (size_t c = 0; c < codes.size(); ++c) {
        w.chars[c] = codes[c];
        w.pinyin[c] = static_cast<uint16_t>(kBuilt + position + c);
      }
      position += w.length;
    }
    return list;
  }

  static std::string Text(const WordRecord& w) { return Utf8OfCodes(w.chars, w.length); }
  static std::string Listing(const WordList& list) {
    std::string out;
    for (int i = 0; i < list.count; ++i)
      out += (i ? " " : "") + Text(list.words[i]) + "/" + std::to_string(list.words[i].pos);
    return out;
  }

  AnalysisResources res_;
  kvo_libtool::Bytes payload_;
  std::vector<uint16_t> lists_;
};

// Tag numbers used below.
constexpr int c = 6, d = 8, n = 38, nr = 39, nrf = 40, ns = 42, p = 47, r = 61, v = 80, w = 88, y = 106, a = 1, b = 5;

struct NameCase {
  const char* name;
  std::vector<std::pair<std::string, int>> words;
  const char* expected;      // words/tags after the step
  uint16_t surname_reading;  // of the name word's first character, 0: not checked
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class NameSentences : public PersonNames, public testing::WithParamInterface<NameCase> {};

TEST_P(NameSentences, BecomeNameWords) {
  const NameCase& t = GetParam();
  WordList list = Words(t.words);
  ASSERT_TRUE(kvo::frontend::RecognisePersonNames(res_, &list));
  EXPECT_EQ(Listing(list), t.expected);
  if (t.surname_reading == 0) return;
  for (int i = 0; i < list.count; ++i) {
    if (list.words[i].pos != nr) continue;
    EXPECT_EQ(list.words[i].pinyin[0], t.surname_reading) << Text(list.words[i]);
    // The given name keeps the reading of word building.
    const WordRecord& name = list.words[i];
    EXPECT_EQ(name.pinyin[name.length - 1], kBuilt + name.text_position + name.length - 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Step, NameSentences,
    testing::Values(
        // A preposition before, a verb after: 任 reads ren2.
        NameCase{"TwoCharacterGivenName",
                 {{"会议", n}, {"由", p}, {"任", r}, {"建国", ns}, {"主持", v}, {"。", w}},
                 "会议/38 由/47 任建国/39 主持/80 。/88",
                 kRen2},
        NameCase{"GivenNameInTwoWords",
                 {{"他", r}, {"叫", v}, {"解", v}, {"小", a}, {"明", a}, {"。", w}},
                 "他/61 叫/80 解小明/39 。/88",
                 kXie4},
        // At the start of the sentence no context is needed.
        NameCase{"SentenceStart",
                 {{"乐", a}, {"小", a}, {"云", ns}, {"是", v}, {"歌手", n}, {"。", w}},
                 "乐小云/39 是/80 歌手/38 。/88",
                 kYue4},
        // The same name between two unrelated words stays apart.
        NameCase{"NoContextMidSentence",
                 {{"我们", r}, {"看", v}, {"乐", a}, {"小", a}, {"云", ns}, {"吧", y}, {"。", w}},
                 "我们/61 看/80 乐/1 小/1 云/42 吧/106 。/88",
                 0},
        // 单 + a one-character given name before 先生.
        NameCase{"TitleAfterName",
                 {{"他", r}, {"是", v}, {"单", a}, {"明", a}, {"先生", n}, {"。", w}},
                 "他/61 是/80 单明/39 先生/38 。/88",
                 kShan4},
        NameCase{
            "CompoundSurnameWord", {{"欧阳", ns}, {"建国", ns}, {"说", v}, {"。", w}}, "欧阳建国/39 说/80 。/88", 0},
        NameCase{"CompoundSurnameInTwoWords",
                 {{"记者", n}, {"欧", ns}, {"阳", n}, {"海", n}, {"燕", n}, {"说", v}, {"。", w}},
                 "记者/38 欧阳海燕/39 说/80 。/88",
                 0},
        NameCase{"CompoundSurnameReading",
                 {{"长孙", n}, {"无忌", nr}, {"说", v}, {"。", w}},
                 "长孙无忌/39 说/80 。/88",
                 kZhang3},
        NameCase{"OldWang", {{"老", a}, {"王", n}, {"来", v}, {"了", 0}, {"。", w}}, "老王/39 来/80 了/0 。/88", 0},
        // A title tagged as a noun joins the surname; one tagged otherwise
        // leaves the surname alone, tagged as a surname.
        NameCase{"SurnameAndNounTitle", {{"张", 49}, {"主任", n}, {"说", v}, {"。", w}}, "张主任/39 说/80 。/88", 0},
        NameCase{
            "SurnameAndOtherTitle", {{"张", 49}, {"主任", b}, {"说", v}, {"。", w}}, "张/40 主任/5 说/80 。/88", 0},
        // 和 before a two-character word is never a surname.
        NameCase{
            "HeBeforeTwoCharacters", {{"和", c}, {"建国", ns}, {"说", v}, {"。", w}}, "和/6 建国/42 说/80 。/88", 0},
        // 都 is a surname far more rarely than an adverb.
        NameCase{"UnlikelySurname",
                 {{"大家", r}, {"都", d}, {"明", a}, {"白", a}, {"。", w}},
                 "大家/61 都/8 明/1 白/1 。/88",
                 0},
        // Where only the end of the clause speaks for a name, the given name
        // must not read as ordinary words: one character, a word of another
        // class or a verb stay apart; a name word of the lexicon joins.
        NameCase{"OneCharacterGivenNameAtTheEnd",
                 {{"他们", r}, {"便", d}, {"任", r}, {"云", ns}, {"。", w}},
                 "他们/61 便/8 任/61 云/42 。/88",
                 0},
        NameCase{"NounAsGivenNameAtTheEnd",
                 {{"他们", r}, {"便", d}, {"任", r}, {"海燕", n}, {"。", w}},
                 "他们/61 便/8 任/61 海燕/38 。/88",
                 0},
        NameCase{"NameWordAsGivenNameAtTheEnd",
                 {{"他们", r}, {"便", d}, {"任", r}, {"海燕", nr}, {"。", w}},
                 "他们/61 便/8 任海燕/39 。/88",
                 kRen2},
        NameCase{"VerbInGivenNameAtTheEnd",
                 {{"他们", r}, {"便", d}, {"曾", d}, {"无", v}, {"明", a}, {"，", w}},
                 "他们/61 便/8 曾/8 无/80 明/1 ，/88",
                 0},
        // Words that only begin with a surname are no candidates.
        NameCase{"Controls",
                 {{"单据", n}, {"曾几何时", 15}, {"任何", r}, {"解释", v}, {"音乐", n}, {"。", w}},
                 "单据/38 曾几何时/15 任何/61 解释/80 音乐/38 。/88",
                 0}));

TEST_F(PersonNames, WithoutNameModelNothingChanges) {
  res_.names = kvo::frontend::PersonNameModel{};
  WordList list = Words({{"会议", n}, {"由", p}, {"任", r}, {"建国", ns}, {"主持", v}, {"。", w}});
  ASSERT_TRUE(kvo::frontend::RecognisePersonNames(res_, &list));
  EXPECT_EQ(Listing(list), "会议/38 由/47 任/61 建国/42 主持/80 。/88");
  EXPECT_EQ(list.words[2].pinyin[0], kBuilt + 3);
}

TEST_F(PersonNames, SentenceOfSurnamesOnlyStaysAWellFormedList) {
  std::vector<std::pair<std::string, int>> words;
  for (int i = 0; i < kvo::frontend::kMaxWordsPerSentence; ++i) words.push_back({i % 3 == 0 ? "王" : "张", n});
  WordList list = Words(words);
  ASSERT_TRUE(kvo::frontend::RecognisePersonNames(res_, &list));
  int chars = 0;
  for (int i = 0; i < list.count; ++i) {
    EXPECT_GE(list.words[i].length, 1);
    EXPECT_LE(list.words[i].length, kvo::frontend::kMaxWordChars);
    chars += list.words[i].length;
  }
  EXPECT_EQ(chars, kvo::frontend::kMaxWordsPerSentence);  // nothing lost, nothing doubled
}

TEST_F(PersonNames, NameAtTheEndOfAFullWordList) {
  std::vector<std::pair<std::string, int>> words(kvo::frontend::kMaxWordsPerSentence - 3, {"我们", r});
  for (const auto& word : std::vector<std::pair<std::string, int>>{{"叫", v}, {"任", r}, {"建国", ns}})
    words.push_back(word);
  WordList list = Words(words);
  ASSERT_EQ(list.count, kvo::frontend::kMaxWordsPerSentence);
  ASSERT_TRUE(kvo::frontend::RecognisePersonNames(res_, &list));
  ASSERT_EQ(list.count, kvo::frontend::kMaxWordsPerSentence - 1);
  const WordRecord& last = list.words[list.count - 1];
  EXPECT_EQ(Text(last), "任建国");
  EXPECT_EQ(last.pos, nr);
  EXPECT_EQ(last.pinyin[0], kRen2);
}

TEST_F(PersonNames, WordTooLongToJoinStaysApart) {
  // A title noun of 24 characters cannot join the surname before it.
  std::string long_noun = "主任";
  while (Codes(long_noun).size() < static_cast<size_t>(kvo::frontend::kMaxWordChars)) long_noun += "国";
  WordList list = Words({{"他", r}, {"叫", v}, {"王", n}, {long_noun, n}, {"。", w}});
  ASSERT_TRUE(kvo::frontend::RecognisePersonNames(res_, &list));
  EXPECT_EQ(Listing(list), "他/61 叫/80 王/40 " + long_noun + "/38 。/88");
}

// A front-end test library whose name model section is the given payload.
std::string LibraryWithNameModel(const kvo_libtool::Bytes& model, const char* name) {
  const kvo_libtool::Bytes out = test_voice::ChineseLibraryWithSection(kvo_library::kCnPersonNameModel, model);
  const std::string path = ::testing::TempDir() + name;
  std::string error;
  kvo_libtool::WriteFile(path, out, &error);
  return path;
}

TEST(PersonNameLibrary, BrokenNameModelFailsTheInitAndAGoodOneLoads) {
  struct ModelCase {
    const char* name;
    kvo_libtool::Bytes model;
    int expected;
  };
  const ModelCase cases[] = {
      {"names_absent.lib", {}, QVTTS_ERR_OK},
      {"names_header_cut.lib", {2, 0, 0}, QVTTS_ERR_RESOURCE},
      // Two surname bytes announced, none there.
      {"names_overrun.lib", {2, 0, 0, 0, 0, 0, 0, 0}, QVTTS_ERR_RESOURCE},
      {"names_odd_size.lib", {1, 0, 0, 0, 0, 0, 0, 0, 0xCD}, QVTTS_ERR_RESOURCE},
      {"names_bytes_left_over.lib", {0, 0, 0, 0, 0, 0, 0, 0, 0xCD, 0xF5}, QVTTS_ERR_RESOURCE},
      {"names_unsorted.lib", {4, 0, 0, 0, 0, 0, 0, 0, 0xF5, 0xCD, 0xC5, 0xCD}, QVTTS_ERR_RESOURCE},
      {"names_good.lib", NameModelPayload(), QVTTS_ERR_OK},
  };
  for (const ModelCase& t : cases) {
    SCOPED_TRACE(t.name);
    FrontEndSession session(LibraryWithNameModel(t.model, t.name));
    EXPECT_EQ(session.init_result(), t.expected);
    if (t.expected == QVTTS_ERR_OK) {
      const int32_t resident = session.instance()->arena_used;
      EXPECT_EQ(session.Speak("王小明说，张伟来了。"), QVTTS_ERR_OK);
      EXPECT_EQ(session.instance()->arena_used, resident);
      EXPECT_EQ(session.instance()->arena_discipline_faults, 0);
    }
  }
}

}  // namespace
}  // namespace frontend_test
