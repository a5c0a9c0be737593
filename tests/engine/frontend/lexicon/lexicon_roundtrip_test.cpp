// The builder's payload of data/words.tsv read back by the lexicon reader.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "frontend/lexicon/lexicon_reader.h"
#include "test_payloads.h"

namespace {

constexpr uint8_t kTagA = 1, kTagD = 8, kTagI = 15, kTagM = 34, kTagN = 38, kTagNs = 42, kTagQ = 49, kTagUl = 75,
                  kTagV = 80;

class LexiconRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = LoadFixture("lexicon.bin");
    memory_ = MemorySection(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
    ASSERT_TRUE(reader_.Open(memory_));
  }

  LexiconStatus Find(const std::string& word, LexiconEntry* entry) {
    const std::vector<uint16_t> chars = Gbk(word);
    return reader_.Find(chars.data(), static_cast<int>(chars.size()), entry);
  }

  static std::string Pinyin(const LexiconReading& r, int length) {
    std::ostringstream out;
    for (int i = 0; i < length; ++i) out << (i ? " " : "") << r.pinyin[i];
    return out.str();
  }

  static std::string Units(const std::string& syllables) {
    std::istringstream in(syllables);
    std::ostringstream out;
    std::string s;
    for (bool first = true; in >> s; first = false) out << (first ? "" : " ") << Unit(s);
    return out.str();
  }

  std::vector<uint8_t> bytes_;
  SectionReader memory_{};
  LexiconReader reader_;
};

TEST_F(LexiconRoundTrip, WordsKeepTagFrequencyAndPinyin) {
  struct Case {
    const char* word;
    uint8_t tag;
    uint32_t frequency;
    const char* pinyin;
  };
  // Frequencies are those of the nearest frequency code (the lower on a
  // tie): 3000 lies halfway between 2950 and 3050.
  const Case cases[] = {
      {"银行", kTagN, 2950, "yin2 hang2"},
      {"行长", kTagN, 875, "hang2 zhang3"},
      {"行为", kTagN, 1150, "xing2 wei2"},
      {"长江", kTagNs, 2450, "chang2 jiang1"},
      {"长城", kTagNs, 1950, "chang2 cheng2"},
      {"长江大桥", kTagNs, 99, "chang2 jiang1 da4 qiao2"},
      {"中华人民共和国", kTagNs, 4950, "zhong1 hua2 ren2 min2 gong4 he2 guo2"},
      {"了", kTagUl, 60000, "le5"},  // 80000 saturates
      {"了解", kTagV, 7, "liao3 jie3"},
      {"不", kTagD, 39500, "bu4"},
      {"卡拉OK", kTagN, 59, "ka3 la1 ou1 kei1"},  // ASCII after the first
      {"一二三四五六七八九十一二三四五六", kTagM, 1,
       "yi1 er4 san1 si4 wu3 liu4 qi1 ba1 jiu3 shi2 yi1 er4 san1 si4 wu3 liu4"},
      // Stored in citation tones although written after the tone change.
      {"一个", kTagM, 49500, "yi1 ge4"},
      {"一模一样", kTagI, 295, "yi1 mu2 yi1 yang4"},
      {"不要", kTagD, 14500, "bu4 yao4"},
  };
  for (const Case& c : cases) {
    LexiconEntry entry;
    ASSERT_EQ(Find(c.word, &entry), LexiconStatus::kFound) << c.word;
    const int length = static_cast<int>(Gbk(c.word).size());
    EXPECT_EQ(entry.length, length) << c.word;
    ASSERT_EQ(entry.reading_count, 1) << c.word;
    EXPECT_EQ(entry.readings[0].tag, c.tag) << c.word;
    EXPECT_EQ(entry.readings[0].frequency, c.frequency) << c.word;
    EXPECT_EQ(entry.frequency_sum, c.frequency) << c.word;
    EXPECT_EQ(Pinyin(entry.readings[0], length), Units(c.pinyin)) << c.word;
    EXPECT_EQ(entry.readings[0].pinyin[length < kLexiconMaxWordLength ? length : 0],
              length < kLexiconMaxWordLength ? kLexiconNoPinyin : entry.readings[0].pinyin[0]);
  }
}

TEST_F(LexiconRoundTrip, PolyphonicCharacterKeepsEveryReadingInOrder) {
  LexiconEntry entry;
  ASSERT_EQ(Find("行", &entry), LexiconStatus::kFound);
  ASSERT_EQ(entry.reading_count, 3);
  const struct {
    uint8_t tag;
    uint32_t frequency;
    const char* pinyin;
  } expected[] = {{kTagV, 495, "xing2"}, {kTagQ, 99, "hang2"}, {kTagV, 99, "hang2"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(entry.readings[i].tag, expected[i].tag) << i;
    EXPECT_EQ(entry.readings[i].frequency, expected[i].frequency) << i;
    EXPECT_EQ(entry.readings[i].pinyin[0], Unit(expected[i].pinyin)) << i;
  }
  EXPECT_EQ(entry.frequency_sum, 495u + 99u + 99u);

  ASSERT_EQ(Find("长", &entry), LexiconStatus::kFound);
  ASSERT_EQ(entry.reading_count, 2);
  EXPECT_EQ(entry.readings[0].tag, kTagA);
  EXPECT_EQ(entry.readings[0].pinyin[0], Unit("chang2"));
  EXPECT_EQ(entry.readings[1].tag, kTagV);
  EXPECT_EQ(entry.readings[1].pinyin[0], Unit("zhang3"));
}

TEST_F(LexiconRoundTrip, DefaultPinyinOfBlocks) {
  struct Case {
    const char* ch;
    LexiconStatus status;
    const char* pinyin;
  };
  const Case cases[] = {
      {"行", LexiconStatus::kFound, "xing2"},  // its own first reading
      {"银", LexiconStatus::kFound, "yin2"},   // from the only word it starts
      {"一", LexiconStatus::kFound, "yi1"},      {"我", LexiconStatus::kNotFound, nullptr},  // no words: empty block
      {"，", LexiconStatus::kNotFound, nullptr},                                             // not a hanzi
  };
  for (const Case& c : cases) {
    uint16_t code = 0;
    EXPECT_EQ(reader_.DefaultPinyin(Gbk(c.ch)[0], &code), c.status) << c.ch;
    if (c.pinyin != nullptr) {
      EXPECT_EQ(code, Unit(c.pinyin)) << c.ch;
    }
  }
}

TEST_F(LexiconRoundTrip, WordsTheBuilderSkipsOrNeverSawAreNotFound) {
  const char* absent[] = {
      "行业",                                // sorts between stored words of its length
      "长江大",                              // prefix of a stored word
      "一二三四五六七八九十一二三四五六七",  // 17 characters: skipped by the builder
      "AA制",                                // first character is not a hanzi
      "乒乓",                                // no syllable for its reading
      "银",                                  // its block holds only a longer word
  };
  for (const char* word : absent) {
    LexiconEntry entry;
    EXPECT_EQ(Find(word, &entry), LexiconStatus::kNotFound) << word;
  }
  LexiconEntry entry;
  EXPECT_EQ(reader_.Find(nullptr, 2, &entry), LexiconStatus::kNotFound);
  const std::vector<uint16_t> chars = Gbk("行为");
  EXPECT_EQ(reader_.Find(chars.data(), 0, &entry), LexiconStatus::kNotFound);
  EXPECT_EQ(reader_.Find(chars.data(), kLexiconMaxWordLength + 1, &entry), LexiconStatus::kNotFound);
}

TEST_F(LexiconRoundTrip, PrefixesFindEveryLengthAtOnce) {
  struct Case {
    const char* text;
    std::vector<int> lengths;
  };
  const Case cases[] = {
      {"长江大桥很长", {1, 2, 4}},
      {"长城", {1, 2}},
      {"行长说", {1, 2}},
      {"一二三四五六七八九十一二三四五六七八", {1, 16}},
      {"银河", {}},
      {"中华人民共和", {}},  // the text ends before the word does
  };
  for (const Case& c : cases) {
    const std::vector<uint16_t> chars = Gbk(c.text);
    LexiconEntry entries[kLexiconMaxWordLength];
    bool found[kLexiconMaxWordLength];
    const LexiconStatus status = reader_.FindPrefixes(chars.data(), static_cast<int>(chars.size()), entries, found);
    EXPECT_EQ(status, c.lengths.empty() ? LexiconStatus::kNotFound : LexiconStatus::kFound) << c.text;
    std::vector<int> lengths;
    for (int i = 0; i < kLexiconMaxWordLength; ++i) {
      if (!found[i]) continue;
      lengths.push_back(i + 1);
      EXPECT_EQ(entries[i].length, i + 1) << c.text;
      LexiconEntry single;
      ASSERT_EQ(reader_.Find(chars.data(), i + 1, &single), LexiconStatus::kFound);
      EXPECT_EQ(entries[i].readings[0].pinyin[i], single.readings[0].pinyin[i]) << c.text;
    }
    EXPECT_EQ(lengths, c.lengths) << c.text;
  }
}

}  // namespace
