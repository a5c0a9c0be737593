// The readers' constants against engine/english/english_layout.txt, the
// description the library builder (tools/english) writes from.
#include <gtest/gtest.h>

#include "english/english_library.h"
#include "layout_description.h"

namespace {

using layout_test::LayoutDescription;
namespace L = kvo::english::layout;

const LayoutDescription& Layout() {
  static const LayoutDescription layout("engine/english/english_layout.txt");
  return layout;
}

TEST(EnglishLayout, ReaderConstantsMatchTheDescription) {
  const LayoutDescription& d = Layout();
  const std::pair<const char*, int64_t> values[] = {
      {"english.section.lexicon", L::kSectionLexicon},
      {"english.section.exceptions", L::kSectionExceptions},
      {"english.section.lts", L::kSectionLts},
      {"english.section.pos_lexicon", L::kSectionPosLexicon},
      {"english.section.break_model", L::kSectionBreakModel},
      {"pron.any_tag", L::kPronAnyTag},
      {"pron.max_word_bytes", L::kPronMaxWordBytes},
      {"pron.max_phones", L::kPronMaxPhones},
      {"pron.stress_flag", L::kPronStressFlag},
      {"lts.leaf_position", L::kLtsLeafPosition},
      {"lts.window", L::kLtsWindow},
      {"lts.boundary", L::kLtsBoundary},
      {"lts.padding", L::kLtsPadding},
      {"lts.letters", L::kLtsLetters},
      {"pos.score_per_nat", L::kPosScorePerNat},
      {"pos.score_multiplier", L::kPosScoreMultiplier},
      {"pos.max_candidates", L::kPosMaxCandidates},
      {"break.max_entries", L::kBreakMaxEntries},
      {"break.features", L::kBreakFeatures},
  };
  for (const auto& [name, value] : values) EXPECT_EQ(d.Value(name), value) << name;
}

TEST(EnglishLayout, RecordSizesMatchTheDescription) {
  const LayoutDescription& d = Layout();
  const std::pair<const char*, uint32_t> records[] = {
      {"pron.header", L::kPronHeaderBytes},
      {"pron.index_entry", L::kPronIndexEntryBytes},
      {"pron.entry_head", L::kPronEntryHeadBytes},
      {"lts.header", L::kLtsHeaderBytes},
      {"lts.tree", L::kLtsTreeBytes},
      {"lts.node", L::kLtsNodeBytes},
      {"pos.header", L::kPosHeaderBytes},
      {"pos.index_entry", L::kPosIndexEntryBytes},
      {"pos.entry_head", L::kPosEntryHeadBytes},
      {"pos.candidate", L::kPosCandidateBytes},
      {"break.header", L::kBreakHeaderBytes},
      {"break.entry", L::kBreakEntryBytes},
  };
  for (const auto& [name, bytes] : records) EXPECT_EQ(d.RecordBytes(name), bytes) << name;
}

}  // namespace
