// The readers' constants against engine/frontend/lexicon/lexicon_layout.txt,
// the description the Python builder writes the payloads from. The order of
// the fields inside entries, rules and limits is checked by the other
// reader tests, which read payloads that builder made.
#include <gtest/gtest.h>

#include "frontend/lexicon/lexicon_reader.h"
#include "frontend/lexicon/polyphone_reader.h"
#include "layout_description.h"

namespace {

using layout_test::LayoutDescription;

const LayoutDescription& Layout() {
  static const LayoutDescription layout("engine/frontend/lexicon/lexicon_layout.txt");
  return layout;
}

TEST(LexiconLayout, BlockIndexCoversTheDescribedHanzi) {
  const auto lead = Layout().Values("lexicon.hanzi_lead");
  const auto trail = Layout().Values("lexicon.hanzi_trail");
  ASSERT_EQ(lead.size(), 2u);
  ASSERT_EQ(trail.size(), 2u);
  const int64_t trails = trail[1] - trail[0] + 1;
  EXPECT_EQ(int64_t{kLexiconIndexEntries}, (lead[1] - lead[0] + 1) * trails);
  EXPECT_EQ(kLexiconIndexBytes, kLexiconIndexEntries * Layout().RecordBytes("lexicon.index_entry"));
  auto code = [](int64_t l, int64_t t) { return static_cast<uint16_t>(l | (t << 8)); };
  struct Case {
    uint16_t code;
    int64_t index;
  };
  const Case cases[] = {
      {code(lead[0], trail[0]), 0},          {code(lead[0], trail[1]), trails - 1},
      {code(lead[0] + 1, trail[0]), trails}, {code(lead[1], trail[1]), int64_t{kLexiconIndexEntries} - 1},
      {code(lead[0] - 1, trail[0]), -1},     {code(lead[1] + 1, trail[0]), -1},
      {code(lead[0], trail[0] - 1), -1},     {code(lead[0], trail[1] + 1), -1},
  };
  for (const Case& c : cases) EXPECT_EQ(LexiconHanziIndex(c.code), c.index) << std::hex << c.code;
}

TEST(LexiconLayout, LimitsAndMarkers) {
  EXPECT_EQ(kLexiconMaxWordLength, Layout().Value("lexicon.max_word_length"));
  EXPECT_EQ(kLexiconMaxReadings, Layout().Value("lexicon.max_readings"));
  EXPECT_EQ(kLexiconNoPinyin, Layout().Value("lexicon.no_code"));
  EXPECT_EQ(sizeof(kLexiconNoPinyin), Layout().RecordBytes("lexicon.code"));
  EXPECT_EQ(2u, Layout().RecordBytes("lexicon.entry_head"));
}

TEST(LexiconLayout, EntryHeadFieldsSitWhereDescribed) {
  const int64_t length_shift = Layout().Value("lexicon.length_shift");
  const int64_t size_shift = Layout().Value("lexicon.size_shift");
  const int64_t max_size = Layout().Value("lexicon.max_entry_bytes");
  const int64_t max_length = Layout().Value("lexicon.max_word_length");
  for (int64_t length : {int64_t{1}, int64_t{4}, max_length}) {
    for (int64_t size : {int64_t{4}, int64_t{37}, max_size}) {
      const auto head = static_cast<uint16_t>(((length - 1) << length_shift) | (size << size_shift));
      const LexiconEntryHeader h = DecodeLexiconEntryHeader(head);
      EXPECT_EQ(h.length, length) << head;
      EXPECT_EQ(h.size, size) << head;
    }
  }
}

TEST(LexiconLayout, EveryFrequencyCodeDecodesAsDescribed) {
  const auto steps = Layout().Rows("lexicon.frequency_step");
  ASSERT_FALSE(steps.empty());
  for (int code = 0; code < 256; ++code) {
    int64_t expected = Layout().Value("lexicon.max_frequency");
    for (const auto& step : steps) {
      ASSERT_EQ(step.size(), 3u);
      if (code < step[0]) {
        expected = step[1] * code + step[2];
        break;
      }
    }
    EXPECT_EQ(int64_t{LexiconFrequency(static_cast<uint8_t>(code))}, expected) << code;
  }
}

TEST(PolyphoneLayout, TablesLimitTypesAndMarkers) {
  EXPECT_EQ(kPolyphoneHeaderBytes, Layout().RecordBytes("polyphone.header"));
  EXPECT_EQ(kPolyphoneSingleBytes, Layout().RecordBytes("polyphone.single"));
  EXPECT_EQ(kPolyphonePairBytes, Layout().RecordBytes("polyphone.pair"));
  EXPECT_EQ(kPolyphoneLimitPartOfSpeech, Layout().Value("polyphone.limit.part_of_speech"));
  EXPECT_EQ(kPolyphoneLimitWords, Layout().Value("polyphone.limit.words"));
  EXPECT_EQ(kPolyphoneLimitCharacterNumber, Layout().Value("polyphone.limit.character_number"));
  EXPECT_EQ(kPolyphoneLimitCharacterAttribute, Layout().Value("polyphone.limit.character_attribute"));
  EXPECT_EQ(kPolyphoneMaxTags, Layout().Value("polyphone.max_list_items"));
  EXPECT_EQ(kPolyphoneMaxPatternChars, Layout().Value("polyphone.max_pattern_chars"));
  EXPECT_EQ(kPolyphoneWildcard, Layout().Value("polyphone.wildcard"));
}

}  // namespace
