// Tagging, phrase breaks, pronunciation, syllables and labels over the
// committed English library.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "english/english_normalisation.h"
#include "english/english_tables.h"
#include "english_library_fixture.h"

namespace {

using namespace kvo::english;
using english_test::TheLibrary;

SentenceTokens Tokens(const std::string& text) {
  SentenceTokens t{};
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) {
      t.start[t.count] = static_cast<int16_t>(start);
      t.length[t.count] = static_cast<int16_t>(i - start);
      ++t.count;
    }
  }
  return t;
}

std::vector<std::string> Tags(const std::string& text) {
  SentenceTokens t = Tokens(text);
  TagParts(TheLibrary().res, text.c_str(), &t);
  std::vector<std::string> out;
  static const char* const kNames[] = {"*BOUNDARY*", "ADV",  "PRON", "VERB", "UNC", "ADJ",
                                       "INTERJ",     "CONJ", "PREP", "STOP", "ART", "SUBST"};
  for (int i = 0; i < t.count; ++i) out.push_back(kNames[t.tag[i]]);
  return out;
}

// Words of a run with syllables after the post-lexical rules, as
// "phones.phones" per word with ' before a stressed syllable.
std::string Pronunciation(const std::string& text) {
  TokenList tokens{};
  TokeniseRun(text.c_str(), text.size(), &tokens);
  EnglishWordList words{};
  NormaliseTokens(tokens, &words);
  Pronounce(TheLibrary().res, &words);
  ApplyPostLexicalRules(&words);
  std::string out;
  for (int w = 0; w < words.count; ++w) {
    if (w) out += " | ";
    for (int s = 0; s < words.words[w].syllable_count; ++s) {
      const Syllable& y = words.words[w].syllables[s];
      if (s) out += " . ";
      if (y.info & kSyllableStressed) out += "'";
      for (int k = 0; k < (y.info & kSyllableCountMask); ++k)
        out += (k ? " " : "") + std::string(kSymbols[y.phones[k]]);
    }
  }
  return out;
}

TEST(Tagging, KnownSentences) {
  EXPECT_EQ(Tags("the cat sat on the mat"), (std::vector<std::string>{"ART", "SUBST", "VERB", "PREP", "ART", "SUBST"}));
  EXPECT_EQ(Tags("she quickly reads a good book"),
            (std::vector<std::string>{"PRON", "ADV", "VERB", "ART", "ADJ", "SUBST"}));
  // Digits are adjectives and other non-letters unclassified, without a lookup;
  // an unknown word is a noun.
  EXPECT_EQ(Tags("blorfs 42 #x"), (std::vector<std::string>{"SUBST", "ADJ", "UNC"}));
}

TEST(PhraseBreaks, NeverNearTheStartOrEachOther) {
  const std::string text =
      "the old man who lived in the small house near the river and his wife who never said a word went to the "
      "market because they wanted to buy bread and cheese for the long winter";
  SentenceTokens t = Tokens(text);
  TagParts(TheLibrary().res, text.c_str(), &t);
  PredictBreaks(TheLibrary().res, text.c_str(), &t);
  int breaks = 0, last = -10;
  for (int i = 0; i < t.count; ++i) {
    if (!t.break_before[i]) continue;
    ++breaks;
    EXPECT_GE(i, 2);
    EXPECT_GE(i - last, 3);
    last = i;
  }
  EXPECT_GT(breaks, 0) << "a sentence of " << t.count << " words without a break";
}

TEST(Pronunciation, LexiconLetterToSoundAndPostLexicalRules) {
  const std::pair<const char*, const char*> cases[] = {
      {"cat", "'k ae t"},
      {"hello", "hh ax . 'l ow"},
      // The before a vowel and before a consonant.
      {"the apple", "dh iy | 'ae . p ax l"},
      {"the pear", "dh ax | 'p eh r"},
      // 's after a voiceless consonant, a voiced one and a sibilant.
      {"cat's", "'k ae t | s"},
      {"dog's", "'d ao g | z"},
      {"bus's", "'b ah s | ax z"},
      {"he'll", "'hh iy | l"},
      {"it'll", "'ih t | ax l"},
      // Not in the lexicon: letter-to-sound.
      {"blorfington", "'b l ao r . f ih ng . t ax n"},
  };
  for (const auto& [text, phones] : cases) EXPECT_EQ(Pronunciation(text), phones) << text;
}

TEST(Syllables, AtMostFivePhonesAndStressFromTheVowel) {
  // s t r eh1 ng k th s: one vowel, eight phones.
  const uint8_t phones[] = {55, 57, 54, static_cast<uint8_t>(24 | layout::kPronStressFlag), 45, 40, 58, 55};
  EnglishWord w{};
  Syllabify(phones, 8, &w);
  ASSERT_EQ(w.syllable_count, 2);
  EXPECT_EQ(w.syllables[0].info, 5 | kSyllableStressed);
  EXPECT_EQ(w.syllables[1].info, 3);
}

TEST(Labels, OneShortUtteranceFieldByField) {
  // "hi cat": pau hh ay k ae t, two stressed and accented content words.
  TokenList tokens{};
  TokeniseRun("hi cat", 6, &tokens);
  EnglishWordList words{};
  NormaliseTokens(tokens, &words);
  Pronounce(TheLibrary().res, &words);
  ApplyPostLexicalRules(&words);
  const int tone = PredictAccents(&words);
  DropSilentWords(&words);
  EXPECT_EQ(tone, kSymLL);
  std::vector<qvAnalysisItem> items(kBatchItemCount);
  std::vector<char> names(kBatchItemCount * kItemNameBytes);
  for (int i = 0; i < kBatchItemCount; ++i) items[i].name = names.data() + i * kItemNameBytes;
  const int n = MakeItems(words, tone, ItemParameters{1, 2, 3}, items.data(), 0, kBatchItemCount);
  ASSERT_EQ(n, 6);
  const int ay = SymbolIndex("ay"), hh = SymbolIndex("hh"), k = SymbolIndex("k"), ae = SymbolIndex("ae");
  const int t = SymbolIndex("t");
  // The "ae" of cat: every field the table fills.
  const int8_t* L = items[4].context;
  const int expected[53] = {
      ay,          k,  ae, t, kSymPau,  // 0-4 phones around
      2,           2,                   // 5-6 position in the syllable
      1,           1,  2,               // 7-9 previous syllable: stressed, accented, phones
      1,           1,  3,               // 10-12 current syllable
      1,           1,                   // 13-14 syllable in the word
      2,           1,                   // 15-16 syllable in the phrase
      1,           0,  1,  0,           // 17-20 stressed and accented before / after
      1,           0,  1,  0,           // 21-24 distance to stressed and accented syllables
      ae,                               // 25 vowel
      -1,          -1, -1,              // 26-28 no next syllable
      kSymContent, 1,                   // 29-30 previous word
      kSymContent, 1,                   // 31-32 current word
      2,           1,                   // 33-34 word in the phrase
      1,           0,  1,  0,           // 35-38 content words
      -1,          -1,                  // 39-40 no next word
      0,           0,                   // 41-42 no previous phrase
      2,           2,  1,  1,           // 43-46 the phrase and its place
      kSymLL,                           // 47 final tone
      0,           0,                   // 48-49 no next phrase
      2,           2,  1,               // 50-52 the utterance
  };
  for (int b = 0; b < 53; ++b) EXPECT_EQ(L[b], static_cast<int8_t>(expected[b])) << "byte " << b;
  for (int b = 53; b < kContextLabelBytes; ++b) EXPECT_EQ(L[b], -1) << "byte " << b;
  // The pause in front: no syllable, no word.
  EXPECT_EQ(items[0].context[2], kSymPau);
  EXPECT_EQ(items[0].context[3], hh);
  EXPECT_EQ(items[0].context[10], kSymX);
  EXPECT_EQ(items[0].context[31], kSymX);
  EXPECT_EQ(items[0].context[47], 0);
  // Item fields.
  EXPECT_EQ(items[0].character, ' ');
  EXPECT_STREQ(items[3].name, "cat");
  EXPECT_EQ(items[3].character, 'c');
  EXPECT_EQ(items[3].flags, kItemFlagTerminator);
  EXPECT_EQ(items[4].flags, kItemFlagTerminator | kItemFlagSameNameAsPrevious);
  EXPECT_EQ(items[4].language, kItemLanguageEnglish);
  EXPECT_EQ(items[4].label_count, 1);
  EXPECT_EQ(items[4].unit, 0);
  EXPECT_EQ(items[4].pitch, 1);
  EXPECT_EQ(items[4].speed, 2);
  EXPECT_EQ(items[4].volume, 3);
}

TEST(Labels, StopOneShortOfTheArray) {
  TokenList tokens{};
  const std::string run = "internationalisation extraordinary";
  TokeniseRun(run.c_str(), run.size(), &tokens);
  EnglishWordList words{};
  NormaliseTokens(tokens, &words);
  Pronounce(TheLibrary().res, &words);
  std::vector<qvAnalysisItem> items(12);
  std::vector<char> names(12 * kItemNameBytes);
  for (int i = 0; i < 12; ++i) items[i].name = names.data() + i * kItemNameBytes;
  EXPECT_EQ(MakeItems(words, kSymNone, ItemParameters{}, items.data(), 3, 12), 8);
}

}  // namespace
