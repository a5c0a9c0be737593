// The domain library's phrase dictionary as the builder writes it, read by
// the dictionary reader and used by word building; damaged dictionaries are
// read as far as they are sound and never outside the part.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "domain_writer.h"
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/lexicon/domain_dictionary.h"
#include "test_payloads.h"

namespace {

using kvo::frontend::AnalysisResources;
using kvo::frontend::WordBuildScratch;
using kvo::frontend::WordList;

constexpr int kTagN = 38, kTagNs = 42, kTagL = 28;

std::vector<uint16_t> Units(const std::string& syllables) {
  std::istringstream in(syllables);
  std::vector<uint16_t> out;
  for (std::string s; in >> s;) out.push_back(s == "?" ? kLexiconNoPinyin : Unit(s));
  return out;
}

kvo::domain::DomainPhrase Phrase(const std::string& text, const std::string& readings, const std::string& tag) {
  kvo::domain::DomainPhrase p;
  p.text = Gbk(text);
  p.pinyin = Units(readings);
  p.tag = tag;
  return p;
}

std::vector<uint8_t> Dictionary(const std::vector<kvo::domain::DomainPhrase>& phrases) {
  return kvo::domain::DictionaryPart(kvo::domain::SortPhrases(phrases));
}

void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Index(const std::string& utf8) { return static_cast<uint32_t>(LexiconHanziIndex(Gbk(utf8)[0])); }

class DomainDictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override { block_.assign(kDomainBlockBytes, 0xAB); }

  bool Open(const std::vector<uint8_t>& part) {
    part_ = part;
    return dictionary_.Open(MemorySection(part_.data(), part_.size()), block_.data());
  }
  bool Find(const std::string& text, LexiconEntry* entry) {
    const std::vector<uint16_t> chars = Gbk(text);
    return dictionary_.Find(chars.data(), static_cast<int>(chars.size()), entry);
  }
  // Lengths of the phrases that start `text`.
  std::vector<int> Prefixes(const std::string& text) {
    const std::vector<uint16_t> chars = Gbk(text);
    bool found[kLexiconMaxWordLength];
    dictionary_.FindPrefixes(chars.data(), static_cast<int>(chars.size()), found);
    std::vector<int> lengths;
    for (int i = 0; i < kLexiconMaxWordLength; ++i)
      if (found[i]) lengths.push_back(i + 1);
    return lengths;
  }

  std::vector<uint8_t> part_, block_;
  DomainDictionary dictionary_;
};

TEST_F(DomainDictionaryTest, PhrasesComeBackWithTheirTagAndReadings) {
  ASSERT_TRUE(
      Open(Dictionary({Phrase("长江大桥", "chang2 jiang1 da4 qiao2", "ns"), Phrase("长城", "chang2 cheng2", "n"),
                       Phrase("长江", "chang2 jiang1", "l"), Phrase("行长", "hang2 zhang3", "zz")})));
  struct Case {
    const char* text;
    int tag;
    const char* readings;
  } cases[] = {
      {"长江大桥", kTagNs, "chang2 jiang1 da4 qiao2"},
      {"长城", kTagN, "chang2 cheng2"},
      {"长江", kTagL, "chang2 jiang1"},
      {"行长", 255, "hang2 zhang3"},  // a tag name the table lacks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    LexiconEntry entry{};
    ASSERT_TRUE(Find(c.text, &entry));
    EXPECT_EQ(entry.reading_count, 1);
    EXPECT_EQ(entry.frequency_sum, kDomainWordFrequency);
    EXPECT_EQ(entry.readings[0].tag, c.tag);
    const std::vector<uint16_t> want = Units(c.readings);
    EXPECT_EQ(std::vector<uint16_t>(entry.readings[0].pinyin, entry.readings[0].pinyin + want.size()), want);
  }
  LexiconEntry entry{};
  EXPECT_FALSE(Find("长江大", &entry));  // only whole phrases
  EXPECT_FALSE(Find("银行", &entry));    // a first character without phrases
  EXPECT_EQ(Prefixes("长江大桥边"), (std::vector<int>{2, 4}));
  EXPECT_EQ(Prefixes("长城"), (std::vector<int>{2}));
  EXPECT_TRUE(Prefixes("长").empty());
}

TEST_F(DomainDictionaryTest, DamagedDictionariesAreReadOnlyAsFarAsTheyAreSound) {
  const std::vector<uint8_t> good = Dictionary(
      {Phrase("长城", "chang2 cheng2", "n"), Phrase("长江", "chang2 jiang1", "n"), Phrase("银行", "yin2 hang2", "n")});
  const uint32_t chang = Index("长"), yin = Index("银");
  const uint32_t base = kDomainBlockBase;
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
    bool changFound, yinFound;
  } cases[] = {
      {"sound", [](std::vector<uint8_t>&) {}, true, true},
      {"a block of exactly 40960 bytes",
       [&](std::vector<uint8_t>& b) {
         const uint32_t begin = b[4 * chang] | b[4 * chang + 1] << 8;
         b.resize(base + begin + kDomainBlockBytes + 64, 0);
         for (uint32_t k = chang + 1; k < yin; ++k) Set32(b, 4 * k, begin + kDomainBlockBytes);
       },
       true, true},
      {"a block over 40960 bytes",
       [&](std::vector<uint8_t>& b) {
         // The 长 block claims 40962 bytes: the part holds them, the buffer does not.
         const uint32_t begin = b[4 * chang] | b[4 * chang + 1] << 8;
         b.resize(base + begin + kDomainBlockBytes + 2 + 64, 0);
         for (uint32_t k = chang + 1; k < yin; ++k) Set32(b, 4 * k, begin + kDomainBlockBytes + 2);
       },
       false, true},
      {"offsets out of order", [&](std::vector<uint8_t>& b) { Set32(b, 4 * (chang + 1), 0); }, false, true},
      {"a block past the end of the part", [&](std::vector<uint8_t>& b) { Set32(b, 4 * (chang + 1), 0x7FFFFFF0); },
       false, true},
      {"M beyond the part", [&](std::vector<uint8_t>& b) { Set32(b, 4 * kLexiconIndexEntries, 0x40000000); }, false,
       false},
      {"an entry of length 0",
       [&](std::vector<uint8_t>& b) {
         const uint32_t begin = b[4 * chang] | b[4 * chang + 1] << 8;
         b[base + begin + 2] = 0;
       },
       false, true},
      {"an entry running past its block",
       [&](std::vector<uint8_t>& b) {
         const uint32_t begin = b[4 * chang] | b[4 * chang + 1] << 8;
         b[base + begin + 2] = 200;
       },
       false, true},
      {"a count beyond the entries",
       [&](std::vector<uint8_t>& b) {
         const uint32_t begin = b[4 * chang] | b[4 * chang + 1] << 8;
         b[base + begin] = 0xFF;
       },
       true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> b = good;
    c.damage(b);
    ASSERT_TRUE(Open(b));
    LexiconEntry entry{};
    EXPECT_EQ(Find("长城", &entry), c.changFound);
    EXPECT_EQ(Find("银行", &entry), c.yinFound);
  }
  EXPECT_FALSE(Open(std::vector<uint8_t>(kDomainIndexBytes - 1, 0)));
  LexiconEntry entry{};
  EXPECT_FALSE(Find("长城", &entry));
}

class DomainWords : public ::testing::Test {
 protected:
  void SetUp() override {
    lexicon_ = LoadFixture("lexicon.bin");
    ASSERT_TRUE(res_.lexicon.Open(MemorySection(lexicon_.data(), lexicon_.size())));
    res_.hasLexicon = true;
    res_.syllableCodeCount = 500;
    block_.assign(kDomainBlockBytes, 0);
    scratch_ = std::make_unique<WordBuildScratch>();
  }
  void UseDomain(const std::vector<kvo::domain::DomainPhrase>& phrases) {
    part_ = Dictionary(phrases);
    ASSERT_TRUE(dictionary_.Open(MemorySection(part_.data(), part_.size()), block_.data()));
    res_.domain = &dictionary_;
  }
  // "word/tag" per word, readings in brackets.
  std::string Words(const std::string& text) {
    const std::vector<uint16_t> codes = Gbk(text);
    WordList words{};
    if (!kvo::frontend::BuildWords(res_, codes.data(), static_cast<int>(codes.size()), 0, scratch_.get(), &words))
      return "corrupt";
    std::ostringstream out;
    for (int w = 0; w < words.count; ++w) {
      out << (w ? " " : "") << words.words[w].length << "/" << words.words[w].pos << "[";
      for (int c = 0; c < words.words[w].length; ++c) out << (c ? " " : "") << words.words[w].pinyin[c];
      out << "]";
    }
    return out.str();
  }
  static std::string Word(int length, int tag, const std::string& readings) {
    std::ostringstream out;
    out << length << "/" << tag << "[";
    const std::vector<uint16_t> u = Units(readings);
    for (size_t c = 0; c < u.size(); ++c) out << (c ? " " : "") << u[c];
    out << "]";
    return out.str();
  }

  std::vector<uint8_t> lexicon_, part_, block_;
  AnalysisResources res_;
  DomainDictionary dictionary_;
  std::unique_ptr<WordBuildScratch> scratch_;
};

TEST_F(DomainWords, APhraseIsOneWordWithTheDictionarysReading) {
  // Without the domain: 银行 and 长城 from the lexicon.
  EXPECT_EQ(Words("银行长城"), Word(2, kTagN, "yin2 hang2") + " " + Word(2, kTagNs, "chang2 cheng2"));
  // 银行长城 reads as a phrase of the domain (frequency 80000) over the
  // lexicon's 银行 + 长城; a domain phrase also outweighs the lexicon's own
  // entry for the same span (长江大桥, frequency 100) with its own reading.
  UseDomain({Phrase("银行长城", "yin2 hang2 chang2 cheng2", "l"), Phrase("长江大桥", "chang2 jiang1 da4 qiao2", "n")});
  EXPECT_EQ(Words("银行长城"), Word(4, kTagL, "yin2 hang2 chang2 cheng2"));
  EXPECT_EQ(Words("长江大桥"), Word(4, kTagN, "chang2 jiang1 da4 qiao2"));
  EXPECT_EQ(Words("银行"), Word(2, kTagN, "yin2 hang2"));
}

TEST_F(DomainWords, APhraseWithoutAReadingForACharacterTakesTheLexiconsDefault) {
  UseDomain({Phrase("长行不", "? hang2 ?", "n")});
  uint16_t chang = 0, bu = 0;
  ASSERT_EQ(res_.lexicon.DefaultPinyin(Gbk("长")[0], &chang), LexiconStatus::kFound);
  ASSERT_EQ(res_.lexicon.DefaultPinyin(Gbk("不")[0], &bu), LexiconStatus::kFound);
  std::ostringstream want;
  want << "3/" << kTagN << "[" << chang << " " << Unit("hang2") << " " << bu << "]";
  EXPECT_EQ(Words("长行不"), want.str());
}

}  // namespace
