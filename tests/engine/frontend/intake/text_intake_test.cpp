// The intake driven chunk by chunk as the engine's synthesis loop does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/intake/code_pages.h"
#include "frontend/intake/intake_debug.h"
#include "frontend/intake/internal_code.h"
#include "frontend/intake/text_intake.h"
#include "table_fixture.h"

namespace {

using namespace kvo::frontend;

struct Collected {
  std::vector<std::vector<uint16_t>> codes;
  std::vector<std::vector<int64_t>> offsets;  // with the closing offset
  std::vector<int> statuses;
};

TextIntakeConfig Config(int codePage, bool english = false, int mode = 0) {
  TextIntakeConfig c;
  c.codePage = codePage;
  c.tables = kvo::testing::Tables().tables;
  c.englishAvailable = english;
  c.englishMode = mode;
  return c;
}

int RunIntake(const TextIntakeConfig& config, const std::string& text, size_t chunkSize, Collected* out) {
  static TextIntake intake;
  return DebugRunIntake(
      &intake, config, reinterpret_cast<const uint8_t*>(text.data()), text.size(), chunkSize,
      [](void* user, const DebugSentence& s) {
        auto* c = static_cast<Collected*>(user);
        c->codes.emplace_back(s.codes, s.codes + s.length);
        c->offsets.emplace_back(s.offsets, s.offsets + s.length + 1);
        c->statuses.push_back(s.languageStatus);
      },
      out);
}

TEST(FrontendTextIntake, GbkCharacterSplitAcrossChunksKeepsItsLeadByteOffset) {
  // "a中。b": the lead byte of 中 ends the first two-byte chunk.
  const std::string text =
      "a\xD6\xD0\xA1\xA3"
      "b";
  for (size_t chunk : {2u, 1u, 3u, 64u}) {
    Collected c;
    ASSERT_EQ(RunIntake(Config(kCodePageGbk), text, chunk, &c), kFeOk);
    ASSERT_EQ(c.codes.size(), 2u) << chunk;
    EXPECT_EQ(c.codes[0], (std::vector<uint16_t>{'a', GbkCode(0xD6, 0xD0), GbkCode(0xA1, 0xA3)}));
    EXPECT_EQ(c.offsets[0], (std::vector<int64_t>{0, 1, 3, 5})) << chunk;
    EXPECT_EQ(c.offsets[1], (std::vector<int64_t>{5, 6})) << chunk;
  }
}

TEST(FrontendTextIntake, ByteSwappedUtf16ReadsTheSameCharacters) {
  Collected le, be;
  ASSERT_EQ(RunIntake(Config(kCodePageUtf16Le), std::string("\x2D\x4E\x02\x30", 4), 3, &le), kFeOk);
  ASSERT_EQ(RunIntake(Config(kCodePageUtf16Be), std::string("\x4E\x2D\x30\x02", 4), 3, &be), kFeOk);
  EXPECT_EQ(le.codes, be.codes);
  ASSERT_EQ(le.codes.size(), 1u);
  EXPECT_EQ(le.codes[0], (std::vector<uint16_t>{GbkCode(0xD6, 0xD0), GbkCode(0xA1, 0xA3)}));
}

TEST(FrontendTextIntake, FullWidthAsciiArrivesAsAscii) {
  Collected c;
  ASSERT_EQ(RunIntake(Config(kCodePageUtf8), "ＡＢＣ１２３", 4, &c), kFeOk);
  ASSERT_EQ(c.codes.size(), 1u);
  EXPECT_EQ(c.codes[0], (std::vector<uint16_t>{'A', 'B', 'C', '1', '2', '3'}));
  EXPECT_EQ(c.offsets[0], (std::vector<int64_t>{0, 3, 6, 9, 12, 15, 18}));
}

TEST(FrontendTextIntake, Big5AndGbkTextReadAlike) {
  Collected gbk, big5;
  ASSERT_EQ(RunIntake(Config(kCodePageGbk), "\xD6\xD0\xCE\xC4\xA3\xA1", 1, &gbk), kFeOk);
  ASSERT_EQ(RunIntake(Config(kCodePageBig5), "\xA4\xA4\xA4\xE5\xA1\x49", 1, &big5), kFeOk);
  EXPECT_EQ(gbk.codes, big5.codes);
}

TEST(FrontendTextIntake, EnglishSentencesAreHandedOver) {
  Collected c;
  ASSERT_EQ(RunIntake(Config(kCodePageUtf8, true, 0), "你好。hello world", 1024, &c), kFeOk);
  EXPECT_EQ(c.statuses, (std::vector<int>{kLanguageStatusChinese, kLanguageStatusEnglishWaiting}));
  c = Collected{};
  ASSERT_EQ(RunIntake(Config(kCodePageUtf8, true, 1), "hello world", 1024, &c), kFeOk);
  EXPECT_EQ(c.statuses, (std::vector<int>{kLanguageStatusChinese}));
}

TEST(FrontendTextIntake, StepStatuses) {
  static TextIntake intake;
  IntakeReset(&intake, Config(kCodePageUtf8));
  const uint8_t text[] = {'a', '.', ' ', 'b'};
  EXPECT_EQ(IntakeNewChunk(&intake, text, 0), kFeEmptyChunk);
  EXPECT_EQ(IntakeNewChunk(&intake, text, -5), kFeEmptyChunk);
  int language = 0;
  EXPECT_EQ(IntakeNextSentence(&intake, &language), kFeChunkDone);  // nothing yet
  ASSERT_EQ(IntakeNewChunk(&intake, text, 4), kFeOk);
  ASSERT_EQ(IntakeNextSentence(&intake, &language), kFeOk);
  EXPECT_EQ(intake.sentence.length, 2u);
  // While the English side continues a sentence, no new one is cut.
  language = kLanguageStatusEnglishPending;
  EXPECT_EQ(IntakeNextSentence(&intake, &language), kFeOk);
  EXPECT_EQ(intake.sentence.length, 2u);
  language = kLanguageStatusChinese;
  EXPECT_EQ(IntakeNextSentence(&intake, &language), kFeChunkDone);  // " b" may go on
  IntakeEndOfInput(&intake);
  ASSERT_EQ(IntakeNextSentence(&intake, &language), kFeOk);
  EXPECT_EQ(intake.sentence.length, 2u);
  EXPECT_EQ(intake.sentence.offsets[0], 2);
  EXPECT_EQ(intake.sentence.offsets[2], 4);
  EXPECT_EQ(IntakeNextSentence(&intake, &language), kFeChunkDone);

  TextIntakeConfig big5WithoutTable = Config(kCodePageBig5);
  big5WithoutTable.tables.big5 = SectionReader{};
  IntakeReset(&intake, big5WithoutTable);
  ASSERT_EQ(IntakeNewChunk(&intake, text, 4), kFeOk);
  EXPECT_EQ(IntakeNextSentence(&intake, &language), kFeNoConversion);
  IntakeReset(&intake, Config(1252));
  EXPECT_EQ(IntakeNextSentence(&intake, &language), kFeNoConversion);
}

TEST(FrontendTextIntake, LongTextsKeepAbsoluteOffsets) {
  // 300 sentences across many chunks: every sentence's span is where it is in the input.
  std::string text;
  for (int i = 0; i < 300; ++i) text += "第" + std::to_string(i) + "句。";
  Collected c;
  ASSERT_EQ(RunIntake(Config(kCodePageUtf8), text, 1024, &c), kFeOk);
  ASSERT_EQ(c.offsets.size(), 300u);
  int64_t expectedBegin = 0;
  for (size_t i = 0; i < c.offsets.size(); ++i) {
    const std::string sentence = "第" + std::to_string(i) + "句。";
    EXPECT_EQ(c.offsets[i].front(), expectedBegin) << i;
    EXPECT_EQ(c.offsets[i].back(), expectedBegin + static_cast<int64_t>(sentence.size())) << i;
    expectedBegin += static_cast<int64_t>(sentence.size());
  }
}

TEST(FrontendTextIntake, ArbitraryBytesNeverBreakIt) {
  // Deterministic pseudo-random bytes in every code page and a few chunk sizes.
  uint32_t seed = 12345;
  std::string text(5000, '\0');
  for (char& ch : text) {
    seed = seed * 1103515245u + 12345u;
    ch = static_cast<char>(seed >> 24);
  }
  for (int page : {65001, 1200, 1201, 936, 950, 437}) {
    for (size_t chunk : {1u, 7u, 1024u}) {
      Collected c;
      ASSERT_EQ(RunIntake(Config(page, true, 0), text, chunk, &c), kFeOk) << page;
      int64_t last = 0;
      for (const auto& offsets : c.offsets) {
        EXPECT_GE(offsets.front(), last);
        EXPECT_LE(offsets.back(), static_cast<int64_t>(text.size()));
        last = offsets.back();
      }
      EXPECT_EQ(last, static_cast<int64_t>(text.size())) << page << " " << chunk;
    }
  }
}

}  // namespace
