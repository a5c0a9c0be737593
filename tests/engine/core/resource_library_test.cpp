// Library files that are damaged or hostile, and the read path through the
// shared cache.
#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "core/resource_library.h"
#include "engine_fixture.h"
#include "temp_library.h"
#include "test_voice.h"

namespace {

using kvo_libtool::Bytes;
using namespace kvo_library;

// File position of a section's 8-byte lead in the test Chinese library.
int32_t SectionLead(const Bytes& bytes, int32_t section) {
  int32_t position = kHeaderBytes;
  for (int32_t i = 1; i < section; ++i) position += LoadLe32(bytes.data() + position + 4);
  return position;
}

struct CorruptCase {
  const char* name;
  std::function<void(Bytes&)> damage;
  int expected;
};

TEST(EngineCorruptChineseLibrary, InitReportsResourceFailureAndLeavesNothingOpen) {
  const CorruptCase cases[] = {
      {"empty file", [](Bytes& b) { b.clear(); }, QVTTS_ERR_RESOURCE},
      {"header cut short", [](Bytes& b) { b.resize(40); }, QVTTS_ERR_RESOURCE},
      {"header only", [](Bytes& b) { b.resize(kHeaderBytes); }, QVTTS_ERR_RESOURCE},
      {"wrong magic", [](Bytes& b) { b[3] = 'X'; }, QVTTS_ERR_RESOURCE},
      {"magic without its NUL", [](Bytes& b) { b[kMagicBytes - 1] = '1'; }, QVTTS_ERR_RESOURCE},
      {"language byte 1", [](Bytes& b) { b[kLanguageOffset] = 1; }, QVTTS_ERR_RESOURCE},
      {"cut inside the last section", [](Bytes& b) { b.resize(b.size() - 5); }, QVTTS_ERR_RESOURCE},
      {"cut inside a section lead", [](Bytes& b) { b.resize(static_cast<size_t>(SectionLead(b, 12) + 5)); },
       QVTTS_ERR_RESOURCE},
      {"cut after section 10", [](Bytes& b) { b.resize(static_cast<size_t>(SectionLead(b, 11))); }, QVTTS_ERR_RESOURCE},
      {"size past the end", [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, 4) + 4, 0x7FFFFFF0); },
       QVTTS_ERR_RESOURCE},
      {"size zero loops in place", [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, 4) + 4, 0); },
       QVTTS_ERR_RESOURCE},
      {"size below its own lead", [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, 4) + 4, 4); }, QVTTS_ERR_RESOURCE},
      {"negative size", [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, 4) + 4, -100); }, QVTTS_ERR_RESOURCE},
      {"offset loops back to the first section",
       [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, 6), kHeaderBytes); }, QVTTS_ERR_RESOURCE},
      {"syllable count beyond its names",
       [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, kCnSyllableNames) + 8, 1000); }, QVTTS_ERR_RESOURCE},
      {"syllable count negative", [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, kCnSyllableNames) + 8, -1); },
       QVTTS_ERR_RESOURCE},
      {"no syllables", [](Bytes& b) { StoreLe32(b.data() + SectionLead(b, kCnSyllableNames) + 8, 0); },
       QVTTS_ERR_RESOURCE},
      {"last phone name without NUL",
       [](Bytes& b) { b[static_cast<size_t>(SectionLead(b, kCnPhoneVoicing) - 1)] = 'x'; }, QVTTS_ERR_RESOURCE},
      {"trailing bytes after the chain", [](Bytes& b) { b.insert(b.end(), 100, 0xEE); }, QVTTS_ERR_OK},
  };
  for (const CorruptCase& c : cases) {
    Bytes bytes = test_voice::ChineseLibrary();
    c.damage(bytes);
    TempLibrary library(bytes);
    EngineBlock engine;
    const int rc = engine.InitPaths(&library.path(), nullptr, nullptr);
    EXPECT_EQ(rc, c.expected) << c.name;
    if (rc != QVTTS_ERR_OK) {
      EXPECT_EQ(engine.instance()->initialised, 0u) << c.name;
      EXPECT_EQ(engine.instance()->chinese.file, nullptr) << c.name;
      EXPECT_EQ(engine.instance()->arena_used, 0) << c.name;
    }
  }
}

TEST(EngineCorruptChineseLibrary, VoicingShorterThanThePhoneList) {
  std::vector<Bytes> payloads = test_voice::ChinesePayloads({});
  payloads[kCnPhoneVoicing - 1].pop_back();
  Bytes bytes;
  std::string error;
  ASSERT_TRUE(kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, {}, payloads, &bytes, &error));
  TempLibrary library(bytes);
  EngineBlock engine;
  EXPECT_EQ(engine.InitPaths(&library.path(), nullptr, nullptr), QVTTS_ERR_RESOURCE);
}

TEST(EngineCorruptOptionalLibraries, AreLeftClosedAndTheInstanceStillStarts) {
  Bytes english = test_voice::EnglishLibrary();
  english.resize(english.size() - 3);
  Bytes domain = test_voice::DomainLibrary();
  StoreLe32(domain.data() + 4 * kDomainSpeechSizeField, 100000);
  TempLibrary english_file(english);
  TempLibrary domain_file(domain);
  const std::string chinese = TestLibrary("cn16k.lib");
  EngineBlock engine;
  ASSERT_EQ(engine.InitPaths(&chinese, &english_file.path(), &domain_file.path()), QVTTS_ERR_OK);
  EXPECT_FALSE(qvLibrary_IsOpen(&engine.instance()->english));
  EXPECT_FALSE(qvLibrary_IsOpen(&engine.instance()->domain));
}

TEST(EngineDomainLibrary, PartsOutsideTheFileAreRefused) {
  struct Case {
    int32_t field;
    int32_t value;
    bool opens;
  };
  const Case cases[] = {
      {kDomainDictionaryOffsetField, 0, false},  // overlaps the locating values
      {kDomainDictionaryOffsetField, -4, false},     {kDomainDictionarySizeField, -1, false},
      {kDomainSpeechSizeField, 301, false},  // one byte past the end
      {kDomainSpeechOffsetField, 0x7FFFFFFF, false}, {kDomainReservedField, 12345, true},
  };
  for (const Case& c : cases) {
    Bytes bytes = test_voice::DomainLibrary();
    StoreLe32(bytes.data() + 4 * c.field, c.value);
    TempLibrary file(bytes);
    alignas(16) static qvInstance instance{};
    qvReadCache_Init(&instance.cache, instance.cache_bytes);
    qvLibrary library{};
    EXPECT_EQ(qvLibrary_OpenDomain(&library, file.path().c_str(), &instance.cache), c.opens)
        << c.field << " " << c.value;
    qvLibrary_Close(&library);
  }
}

class EngineSectionReads : public ::testing::Test {
 protected:
  void SetUp() override {
    qvReadCache_Init(&instance.cache, instance.cache_bytes);
    payloads = test_voice::ChinesePayloads({});
    // One payload larger than the cache, so reads cross its reloads.
    payloads[kCnMainLexicon - 1].resize(5000);
    for (size_t i = 0; i < 5000; ++i) payloads[kCnMainLexicon - 1][i] = static_cast<uint8_t>(i * 13 + i / 256);
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, {}, payloads, &bytes, &error));
    file = std::make_unique<TempLibrary>(bytes);
    other = std::make_unique<TempLibrary>(test_voice::EnglishLibrary());
    ASSERT_TRUE(qvLibrary_OpenContainer(&chinese, file->path().c_str(), kqvChinese, &instance.cache));
    ASSERT_TRUE(qvLibrary_OpenContainer(&english, other->path().c_str(), kqvEnglish, &instance.cache));
  }
  void TearDown() override {
    qvLibrary_Close(&chinese);
    qvLibrary_Close(&english);
  }
  static constexpr qvContainerRules kqvChinese{kChineseSectionCount, true, true};
  static constexpr qvContainerRules kqvEnglish{kEnglishSectionCount, true, false};
  alignas(16) qvInstance instance{};
  std::vector<Bytes> payloads;
  std::unique_ptr<TempLibrary> file;
  std::unique_ptr<TempLibrary> other;
  qvLibrary chinese{};
  qvLibrary english{};
};

TEST_F(EngineSectionReads, LargeAndInterleavedReadsReturnTheFileBytes) {
  const Bytes& lexicon = payloads[kCnMainLexicon - 1];
  Bytes got(4500);
  ASSERT_TRUE(qvLibrary_Read(&chinese, kCnMainLexicon, 300, got.data(), 4500));
  EXPECT_TRUE(std::equal(got.begin(), got.end(), lexicon.begin() + 300));
  // Alternate between two files through the one cache.
  for (int32_t offset = 0; offset < 4990; offset += 333) {
    EXPECT_EQ(static_cast<uint8_t>(qvLibrary_ReadI16(&chinese, kCnMainLexicon, offset) & 0xFF), lexicon[offset]);
    uint8_t english_byte = 0;
    ASSERT_TRUE(qvLibrary_Read(&english, 1, 3, &english_byte, 1));
    EXPECT_EQ(english_byte, static_cast<uint8_t>(0 + 3 * 7));
  }
}

// A library cut short after it was opened: a read past the new end gives
// zeros and false, also where the cache block that would hold it starts
// before that end (and the block comes back shorter than the read needs).
TEST_F(EngineSectionReads, ReadsPastAFileCutAfterOpeningFail) {
  const int32_t offset = 3000;
  const int32_t cut = chinese.section[kCnMainLexicon].offset + offset - 100;
  ASSERT_GT(cut % kReadCacheBytes, 0);
  std::filesystem::resize_file(file->path(), static_cast<uintmax_t>(cut));
  for (int32_t at : {offset, offset - 50, offset + 2 * kReadCacheBytes}) {
    uint8_t got[16];
    std::memset(got, 0x5A, sizeof got);
    EXPECT_FALSE(qvLibrary_Read(&chinese, kCnMainLexicon, at, got, sizeof got)) << at;
    for (uint8_t b : got) ASSERT_EQ(b, 0) << at;
  }
  // What lies before the cut still reads.
  const Bytes& lexicon = payloads[kCnMainLexicon - 1];
  uint8_t first = 0;
  ASSERT_TRUE(qvLibrary_Read(&chinese, kCnMainLexicon, 10, &first, 1));
  EXPECT_EQ(first, lexicon[10]);
}

TEST_F(EngineSectionReads, ReadsOutsideTheSectionGiveZeros) {
  const int32_t size = qvLibrary_SectionSize(&chinese, kCnSyllableNames);
  struct Case {
    int32_t section;
    int32_t offset;
    int32_t bytes;
  };
  const Case cases[] = {
      {kCnSyllableNames, size - 3, 4},
      {kCnSyllableNames, -1, 2},
      {kCnSyllableNames, size, 1},
      {kCnSyllableNames, 0x7FFFFFFF, 4},
      {0, 0, 4},
      {kChineseSectionCount + 1, 0, 4},
      {-3, 0, 4},
      {kCnBig5Table + 100, 0, 1},
  };
  for (const Case& c : cases) {
    uint8_t got[4] = {1, 1, 1, 1};
    EXPECT_FALSE(qvLibrary_Read(&chinese, c.section, c.offset, got, c.bytes)) << c.section << " " << c.offset;
    for (int32_t i = 0; i < c.bytes; ++i) EXPECT_EQ(got[i], 0);
  }
  EXPECT_EQ(qvLibrary_ReadI32(&chinese, kCnSyllableNames, size - 2), 0);
  EXPECT_EQ(qvLibrary_ReadI32(&chinese, kCnSyllableNames, 0), 8);
}

}  // namespace
