// Hostile and large input: never a crash, never a block left in the arena.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "core/library_format.h"
#include "frontend_session.h"
#include "library_writer.h"
#include "test_voice.h"

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
  const std::string pieces[] = {"我们今天去银行",       "，",           "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                "1234567890",           "研究生命起源", " ",
                                "中华人民共和国成立了", "。",           "\xce\xb1\xce\xb2"};
  std::mt19937 rng(11);
  // A mebibyte: hours of speech, so the whole engine runs for a while.
  while (text.size() < 1024 * 1024) text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
  // Read at the fastest speed: what is checked here is the reading of the
  // text, and a quarter of the samples leaves every stage running.
  session.Set(QVTTS_PARAM_SPEED_MODE, 1);
  session.Set(QVTTS_PARAM_SPEED, 32767);
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
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/tests/engine/core/libraries/cn16k.lib";
  FrontEndSession session(path);
  ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
  EXPECT_EQ(session.Speak("我们今天去银行。"), QVTTS_ERR_OK);
  EXPECT_EQ(session.instance()->arena_discipline_faults, 0);
}

// A library whose prosodic word model is the given payload, written to a
// file of the test's own.
std::string LibraryWithWordModel(const kvo_libtool::Bytes& model, const char* name) {
  const kvo_libtool::Bytes out = test_voice::ChineseLibraryWithSection(kvo_library::kCnWordBoundaryModel, model);
  const std::string path = ::testing::TempDir() + name;
  std::string error;
  kvo_libtool::WriteFile(path, out, &error);
  return path;
}

TEST(Robustness, BrokenBoundaryModelFailsTheInitAndAGoodOneLoads) {
  struct ModelCase {
    const char* name;
    kvo_libtool::Bytes model;
    int expected;
  };
  const ModelCase cases[] = {
      // 255 word keys announced, none there.
      {"keys_past_end.lib", {0xFF, 0, 0, 0, 0, 0, 0, 0}, QVTTS_ERR_RESOURCE},
      // One entry announced after no keys, its bytes missing.
      {"entries_past_end.lib", {0, 0, 0, 0, 1, 0, 0, 0}, QVTTS_ERR_RESOURCE},
      // Two entries out of order.
      {"unsorted.lib",
       {0, 0, 0, 0, 2, 0, 0, 0, 5, 1, 0xFF, 0, 1, 0, 2, 0, 4, 1, 0xFF, 0, 1, 0, 2, 0},
       QVTTS_ERR_RESOURCE},
      // A truncated count.
      {"short_count.lib", {0, 0}, QVTTS_ERR_RESOURCE},
      {"one_entry.lib", {0, 0, 0, 0, 1, 0, 0, 0, 4, 1, 0xFF, 0, 1, 0, 2, 0}, QVTTS_ERR_OK},
  };
  for (const ModelCase& c : cases) {
    SCOPED_TRACE(c.name);
    FrontEndSession session(LibraryWithWordModel(c.model, c.name));
    EXPECT_EQ(session.init_result(), c.expected);
    if (c.expected == QVTTS_ERR_OK) {
      EXPECT_EQ(session.Speak("我们今天去银行。"), QVTTS_ERR_OK);
      EXPECT_EQ(session.instance()->arena_discipline_faults, 0);
    }
  }
}

}  // namespace
}  // namespace frontend_test
