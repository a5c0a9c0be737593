// Hostile and large input: never a crash, never a block left in the arena.
#include <gtest/gtest.h>

#include <random>

#include "frontend_session.h"

namespace frontend_test {
namespace {

std::string RandomBytes(std::mt19937* rng, size_t n) {
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>((*rng)() & 0xFF);
  return out;
}

TEST(Robustness, MalformedInputInEveryCodePageLeavesTheArenaClean) {
  FrontEndSession session;
  ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
  const int32_t resident = session.instance()->arena_used;
  std::mt19937 rng(7);
  for (intptr_t codepage : {65001, 936, 950, 1200, 1201, 437}) {
    session.Set(QVTTS_PARAM_CODEPAGE, codepage);
    for (size_t chunk : {1u, 3u, 1024u}) {
      const int result = session.Speak(RandomBytes(&rng, 6000), chunk);
      EXPECT_EQ(result, QVTTS_ERR_OK) << codepage << " " << chunk;
      EXPECT_EQ(session.instance()->arena_used, resident);
    }
  }
  EXPECT_EQ(session.instance()->arena_discipline_faults, 0);
}

TEST(Robustness, MegabytesOfTextAreReadSentenceBySentence) {
  FrontEndSession session;
  ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
  std::string text;
  const std::string pieces[] = {"我们今天去银行", "，", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "1234567890",
                                "研究生命起源", " ", "中华人民共和国成立了", "。", "\xce\xb1\xce\xb2"};
  std::mt19937 rng(11);
  while (text.size() < 2 * 1024 * 1024) text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
  ASSERT_EQ(session.Speak(text), QVTTS_ERR_OK);
  int32_t covered = 0;
  for (const Span& span : session.progress) covered = span.begin + span.length;
  EXPECT_EQ(covered, static_cast<int32_t>(text.size()));
  EXPECT_EQ(session.instance()->arena_discipline_faults, 0);
  for (const SentenceResult& s : session.sentences) {
    ASSERT_LE(s.items.size(), static_cast<size_t>(kBatchItemCount));
    EXPECT_EQ(s.items.back().flags, kItemFlagTerminator);
  }
}

TEST(Robustness, LibraryWithoutLexiconStillReadsText) {
  // A Chinese library whose lexicon and polyphone sections are mere
  // placeholders: every hanzi is unknown, nothing fails.
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/tests/engine_api/libraries/cn16k.lib";
  FrontEndSession session(path);
  ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
  EXPECT_EQ(session.Speak("我们今天去银行。"), QVTTS_ERR_OK);
  EXPECT_EQ(session.instance()->arena_discipline_faults, 0);
}

}  // namespace
}  // namespace frontend_test
