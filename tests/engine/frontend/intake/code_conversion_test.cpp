#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/intake/code_conversion.h"
#include "frontend/intake/code_pages.h"
#include "frontend/intake/internal_code.h"
#include "table_fixture.h"

namespace {

using kvo::frontend::ConvertBig5;
using kvo::frontend::ConvertGbk;
using kvo::frontend::ConvertUnicode;
using kvo::frontend::GbkCode;
using kvo::frontend::kCodeUnconvertible;
using kvo::frontend::NormaliseSymbol;
using kvo::testing::Tables;

bool IsGb2312(int lead, int trail) {
  if (trail < 0xA1 || trail > 0xFE) return false;
  return (lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7);
}

// Every GB2312 character reads as itself, whether it arrives as GBK or as
// Unicode (row 0xA3 and two symbols are then normalised).
TEST(FrontendConversionTables, Gb2312CharactersKeepTheirCode) {
  const auto& t = Tables();
  int checked = 0;
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (!IsGb2312(lead, trail)) continue;
      const uint16_t code = GbkCode(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      char32_t cp;
      if (!t.builder->GbkToUnicode(code, &cp)) continue;  // unassigned position
      ++checked;
      ASSERT_EQ(ConvertGbk(t.tables, code), code) << std::hex << code;
      ASSERT_EQ(NormaliseSymbol(ConvertUnicode(t.tables, static_cast<uint16_t>(cp))), NormaliseSymbol(code))
          << std::hex << cp;
    }
  }
  EXPECT_GT(checked, 7000);
}

// Every GBK character gives the same internal code by the GBK route and by
// the Unicode route, and that is the code the builder meant.
TEST(FrontendConversionTables, EveryGbkCharacterAgreesAcrossRoutes) {
  const auto& t = Tables();
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const uint16_t code = GbkCode(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      char32_t cp;
      if (!t.builder->GbkToUnicode(code, &cp) || cp > 0xFFFF) continue;
      ++checked;
      const uint16_t expected = t.builder->InternalCodeFor(cp);
      ASSERT_NE(expected, kCodeUnconvertible) << std::hex << code;
      ASSERT_EQ(ConvertGbk(t.tables, code), expected) << std::hex << code;
      ASSERT_EQ(ConvertUnicode(t.tables, static_cast<uint16_t>(cp)), expected) << std::hex << cp;
    }
  }
  EXPECT_GT(checked, 21000);
}

TEST(FrontendConversionTables, EveryBig5CharacterWithAGbkCounterpartConverts) {
  const auto& t = Tables();
  int checked = 0;
  for (int lead = 0xA1; lead <= 0xF9; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const uint16_t code = GbkCode(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      char32_t cp;
      if (kvo::frontend::Big5Index(code) < 0 || !t.builder->Big5ToUnicode(code, &cp)) continue;
      const uint16_t expected = t.builder->InternalCodeFor(cp);
      if (expected == kCodeUnconvertible) continue;
      ++checked;
      ASSERT_EQ(ConvertBig5(t.tables, code), expected) << std::hex << code;
    }
  }
  EXPECT_GT(checked, 13000);
}

uint16_t ReadingCode(const std::string& syllable, int tone) {
  for (size_t i = 0; i < kvo::tables::kSyllableCount; ++i)
    if (syllable == kvo::tables::kSyllables[i]) return static_cast<uint16_t>(128 + i * 5 + tone - 1);
  ADD_FAILURE() << syllable;
  return 0;
}

struct Sample {
  const char* what;
  int codePage;
  uint16_t raw;
  uint16_t expected;
};

std::vector<Sample> KnownSamples() {
  const uint16_t zhong = GbkCode(0xD6, 0xD0), fa = GbkCode(0xB7, 0xA2);
  return {
      {"中 from Big5", kvo::frontend::kCodePageBig5, GbkCode(0xA4, 0xA4), zhong},
      {"髮 from Big5 reads as 发", kvo::frontend::kCodePageBig5, GbkCode(0xBE, 0x76), fa},
      {"髮 from GBK reads as 发", kvo::frontend::kCodePageGbk, GbkCode(0xF3, 0x8C), fa},
      {"髮 from Unicode reads as 发", kvo::frontend::kCodePageUtf8, 0x9AEE, fa},
      {"後 is GB2312 itself", kvo::frontend::kCodePageUtf8, 0x5F8C, GbkCode(0xE1, 0xE1)},
      {"丂 reads as kao3", kvo::frontend::kCodePageGbk, GbkCode(0x81, 0x40), ReadingCode("kao", 3)},
      {"丂 from Unicode", kvo::frontend::kCodePageUtf8, 0x4E02, ReadingCode("kao", 3)},
      {"乥 has no reading: its own code", kvo::frontend::kCodePageGbk, GbkCode(0x81, 0x62), GbkCode(0x81, 0x62)},
      {"乥 from Unicode", kvo::frontend::kCodePageUtf8, 0x4E65, GbkCode(0x81, 0x62)},
      {"Big5 full-width comma", kvo::frontend::kCodePageBig5, GbkCode(0xA1, 0x41), ','},
      {"Unicode full-width A", kvo::frontend::kCodePageUtf8, 0xFF21, 'A'},
      {"Unicode ratio sign", kvo::frontend::kCodePageUtf8, 0x2236, ':'},
      {"Unicode full-width dollar", kvo::frontend::kCodePageUtf8, 0xFF04, '$'},
      {"Unicode full-width yen stays", kvo::frontend::kCodePageUtf8, 0xFFE5, GbkCode(0xA3, 0xA4)},
      {"Unicode byte-order mark", kvo::frontend::kCodePageUtf8, 0xFEFF, kCodeUnconvertible},
      {"Unicode lone surrogate", kvo::frontend::kCodePageUtf16Le, 0xD800, kCodeUnconvertible},
      {"Unicode Hangul has no GBK form", kvo::frontend::kCodePageUtf8, 0xAC00, kCodeUnconvertible},
      {"GBK user area", kvo::frontend::kCodePageGbk, GbkCode(0xAA, 0xA1), kCodeUnconvertible},
      {"GBK row D7 past its end", kvo::frontend::kCodePageGbk, GbkCode(0xD7, 0xFA), kCodeUnconvertible},
      {"Big5 outside the table", kvo::frontend::kCodePageBig5, GbkCode(0xC7, 0xA1), kCodeUnconvertible},
      {"ASCII stays", kvo::frontend::kCodePageBig5, 'x', 'x'},
  };
}

TEST(FrontendConversionTables, KnownCharacters) {
  for (const Sample& s : KnownSamples()) {
    uint16_t code = s.raw;
    ASSERT_TRUE(kvo::frontend::ConvertCodes(Tables().tables, s.codePage, &code, 1)) << s.what;
    EXPECT_EQ(code, s.expected) << s.what << std::hex << " got " << code;
  }
}

// Conversions through the memo of recent characters give what the tables
// give: with the code page changing between characters (髮 is A4A4 in one
// and something else in another), and with many raw codes sharing a set.
TEST(FrontendConversionTables, RecentCharacterMemoChangesNothing) {
  kvo::frontend::ConversionMemo memo;
  kvo::frontend::ConversionTables remembering = Tables().tables;
  remembering.memo = &memo;
  for (int round = 0; round < 2; ++round) {
    for (const Sample& s : KnownSamples()) {
      uint16_t code = s.raw;
      ASSERT_TRUE(kvo::frontend::ConvertCodes(remembering, s.codePage, &code, 1)) << s.what;
      EXPECT_EQ(code, s.expected) << s.what << " in round " << round;
    }
  }
  for (int codePage : {kvo::frontend::kCodePageGbk, kvo::frontend::kCodePageBig5, kvo::frontend::kCodePageUtf8}) {
    for (int round = 0; round < 3; ++round) {
      for (uint32_t raw = 0x80; raw <= 0xFEFE; raw += 7) {
        uint16_t plain = static_cast<uint16_t>(raw), remembered = static_cast<uint16_t>(raw);
        ASSERT_TRUE(kvo::frontend::ConvertCodes(Tables().tables, codePage, &plain, 1));
        ASSERT_TRUE(kvo::frontend::ConvertCodes(remembering, codePage, &remembered, 1));
        ASSERT_EQ(remembered, plain) << std::hex << raw << " in code page " << std::dec << codePage;
      }
    }
  }
}

TEST(FrontendConversionTables, TableValuesUpToGAreReadingCodes) {
  // A table entry naming syllable code 7 arrives as reading code 135.
  std::vector<uint8_t> gbk(2 * kvo::frontend::kGbkTableEntries, 0xFF);
  const int index = kvo::frontend::GbkExtensionIndex(GbkCode(0x81, 0x41));
  gbk[2 * index] = 7;
  gbk[2 * index + 1] = 0;
  kvo::frontend::ConversionTables tables;
  tables.gbk = MemorySection(gbk.data(), gbk.size());
  tables.syllableCodeCount = 2085;
  EXPECT_EQ(ConvertGbk(tables, GbkCode(0x81, 0x41)), 135);
  EXPECT_EQ(ConvertGbk(tables, GbkCode(0x81, 0x42)), kCodeUnconvertible);
}

// A cut or corrupt section reads as unconvertible characters, never out of bounds.
TEST(FrontendConversionTables, TruncatedSectionsNeverReadOutside) {
  const auto& t = Tables();
  for (size_t keep :
       {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{10}, t.unicode.size() / 2, t.unicode.size() - 1}) {
    std::vector<uint8_t> cut(t.unicode.begin(), t.unicode.begin() + static_cast<long>(keep));
    kvo::frontend::ConversionTables tables = t.tables;
    tables.unicode = MemorySection(cut.data(), cut.size());
    for (uint16_t cp : {uint16_t{0x9FA5}, uint16_t{0x4E2D}, uint16_t{0xFF21}, uint16_t{0x00B7}}) {
      const uint16_t got = ConvertUnicode(tables, cp);
      if (keep < t.unicode.size() / 2) {
        EXPECT_EQ(got, kCodeUnconvertible) << keep;
      }
    }
  }
  // Counts claiming more ranges and pairs than the section holds.
  const uint8_t lying[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01};
  kvo::frontend::ConversionTables tables;
  tables.unicode = MemorySection(lying, sizeof lying);
  EXPECT_EQ(ConvertUnicode(tables, 0x00B7), kCodeUnconvertible);
  EXPECT_EQ(ConvertUnicode(tables, 0x4E2D), kCodeUnconvertible);
  std::vector<uint8_t> shortGbk(100, 0);
  tables.gbk = MemorySection(shortGbk.data(), shortGbk.size());
  EXPECT_EQ(ConvertGbk(tables, GbkCode(0xFE, 0xA0)), kCodeUnconvertible);
}

// The engine reads sections through its cache: the same lookups through a
// read callback, and a failing read gives an unconvertible character.
TEST(FrontendConversionTables, CallbackReaderMatchesMemory) {
  struct Source {
    const std::vector<uint8_t>* bytes;
    bool fail;
  };
  auto read = [](void* user, uint32_t offset, void* dst, uint32_t n) {
    const auto* src = static_cast<Source*>(user);
    if (src->fail) return false;
    std::copy_n(src->bytes->data() + offset, n, static_cast<uint8_t*>(dst));
    return true;
  };
  const auto& t = Tables();
  Source gbk{&t.gbk, false}, unicode{&t.unicode, false};
  kvo::frontend::ConversionTables tables = t.tables;
  tables.gbk = SectionReader{nullptr, static_cast<uint32_t>(t.gbk.size()), read, &gbk};
  tables.unicode = SectionReader{nullptr, static_cast<uint32_t>(t.unicode.size()), read, &unicode};
  for (uint16_t cp : {uint16_t{0x4E2D}, uint16_t{0x9AEE}, uint16_t{0xFF21}, uint16_t{0x00B7}, uint16_t{0x3041}})
    EXPECT_EQ(ConvertUnicode(tables, cp), ConvertUnicode(t.tables, cp)) << std::hex << cp;
  EXPECT_EQ(ConvertGbk(tables, GbkCode(0xF3, 0x8C)), ConvertGbk(t.tables, GbkCode(0xF3, 0x8C)));
  gbk.fail = unicode.fail = true;
  EXPECT_EQ(ConvertUnicode(tables, 0x4E2D), kCodeUnconvertible);
  EXPECT_EQ(ConvertGbk(tables, GbkCode(0xF3, 0x8C)), kCodeUnconvertible);
}

TEST(FrontendConversionTables, CodePagesWithoutTheirSectionAreRefused) {
  kvo::frontend::ConversionTables none;
  uint16_t code = 'a';
  EXPECT_TRUE(kvo::frontend::ConvertCodes(none, 936, &code, 1));
  EXPECT_TRUE(kvo::frontend::ConvertCodes(none, 437, &code, 1));
  EXPECT_FALSE(kvo::frontend::ConvertCodes(none, 950, &code, 1));
  EXPECT_FALSE(kvo::frontend::ConvertCodes(none, 65001, &code, 1));
  EXPECT_FALSE(kvo::frontend::ConvertCodes(Tables().tables, 1252, &code, 1));
}

TEST(FrontendConversionBuilder, OrderOfPreference) {
  // U+3400 and U+3401 have no GBK form, U+4E02 (丂) is a GBK extension character.
  kvo::tables::SimplifiedMap map;
  map[0x3400] = 0x4E2D;  // simplified form 中
  map[0x3402] = 0x4E02;  // simplified form 丂, which has a reading
  map[0x3403] = 0x4E65;  // simplified form 乥, which has none
  kvo::tables::ReadingMap readings;
  readings[0x3400] = 7;
  readings[0x3401] = 9;
  readings[0x4E02] = 762;
  kvo::tables::ConversionBuilder builder(std::move(map), std::move(readings));
  ASSERT_TRUE(builder.ok());
  EXPECT_EQ(builder.InternalCodeFor(0x4E2D), GbkCode(0xD6, 0xD0));  // GB2312 stays
  EXPECT_EQ(builder.InternalCodeFor(0x3400), GbkCode(0xD6, 0xD0));  // simplified GB2312 beats a reading
  EXPECT_EQ(builder.InternalCodeFor(0x3401), 128 + 9);              // then the reading
  EXPECT_EQ(builder.InternalCodeFor(0x4E02), 128 + 762);
  EXPECT_EQ(builder.InternalCodeFor(0x3402), 128 + 762);            // the simplified form's reading
  EXPECT_EQ(builder.InternalCodeFor(0x3403), GbkCode(0x81, 0x62));  // the simplified form's code
  EXPECT_EQ(builder.InternalCodeFor(0x4E65), GbkCode(0x81, 0x62));  // own GBK code
  EXPECT_EQ(builder.InternalCodeFor(0x3404), kCodeUnconvertible);
  // Tables store a reading code as its syllable code.
  EXPECT_EQ(kvo::tables::ConversionBuilder::TableValue(128 + 762), 762);
  EXPECT_EQ(kvo::tables::ConversionBuilder::TableValue(GbkCode(0x81, 0x62)), GbkCode(0x81, 0x62));
}

TEST(FrontendConversionBuilder, ReadingFileUsesTheSyllableTable) {
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/frontend_readings_test.txt";
  {
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("# comment\n4E02\tkao3\n4E03\tzzz1\n4E04\tlue4\n4E05\tbad\n4E06\tnv5\n", f);
    std::fclose(f);
  }
  kvo::tables::ReadingMap readings;
  std::string error;
  ASSERT_TRUE(kvo::tables::LoadReadingMap(path, &readings, &error));
  EXPECT_EQ(readings.size(), 3u);
  EXPECT_EQ(readings[0x4E02] + 128, ReadingCode("kao", 3));
  EXPECT_EQ(readings[0x4E04] + 128, ReadingCode("lue", 4));
  EXPECT_EQ(readings[0x4E06] + 128, ReadingCode("nv", 5));
  EXPECT_FALSE(kvo::tables::LoadReadingMap(path + ".missing", &readings, &error));
  std::remove(path.c_str());
}

}  // namespace
