// Boundary prediction with hand-made models: payload checks, lookups, the
// features of a word, the greater-or-equal vote and the quote and 楼 rules.
#include "frontend/prosody/prosodic_boundary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "layout_description.h"
#include "test_batch.h"

namespace {

using namespace kvo::frontend;

// A model payload: word keys and (feature, value, sub) → weights, sorted on output.
struct ModelFile {
  std::vector<std::string> words;  // UTF-8
  std::vector<std::tuple<int, int, int, int, int>> entries;

  std::vector<uint8_t> Bytes() const {
    std::vector<std::array<uint8_t, 4>> keys;
    for (const std::string& w : words) {
      const auto codes = sandhi_test::InternalCodes(w);
      const uint16_t c0 = codes[0], c1 = codes.size() > 1 ? codes[1] : 0;
      keys.push_back({uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8)});
    }
    std::sort(keys.begin(), keys.end());
    auto sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
      for (int b = 0; b < 4; ++b) out.push_back(uint8_t(v >> (8 * b)));
    };
    u32(uint32_t(keys.size()));
    for (const auto& k : keys) out.insert(out.end(), k.begin(), k.end());
    u32(uint32_t(sorted.size()));
    for (const auto& [f, v, s, no, yes] : sorted) {
      out.insert(out.end(), {uint8_t(f), uint8_t(v), uint8_t(s), 0, uint8_t(no), uint8_t(uint16_t(no) >> 8),
                             uint8_t(yes), uint8_t(uint16_t(yes) >> 8)});
    }
    return out;
  }
  // Index of a listed word in the sorted keys.
  int IndexOf(const std::string& word) const {
    std::vector<uint8_t> bytes = Bytes();
    BoundaryModel model;
    BoundaryModelInPlace(bytes.data(), uint32_t(bytes.size()), &model);
    const auto codes = sandhi_test::InternalCodes(word);
    return FindBoundaryWord(model, codes.data(), int(codes.size()));
  }
};

struct LoadedModel {
  std::vector<uint8_t> bytes;
  BoundaryModel model;
  explicit LoadedModel(const ModelFile& file) : bytes(file.Bytes()) {
    EXPECT_EQ(BoundaryModelInPlace(bytes.data(), uint32_t(bytes.size()), &model), BoundaryModelStatus::kOk);
  }
};

// Words "text@tag", tag a tag number; symbols get class 2, the rest class 3.
WordList Words(const std::vector<std::pair<std::string, int>>& words) {
  WordList list{};
  for (const auto& [text, tag] : words) {
    WordRecord& w = list.words[list.count++];
    const auto codes = sandhi_test::InternalCodes(text);
    w.length = int16_t(codes.size());
    for (size_t k = 0; k < codes.size(); ++k) w.chars[k] = codes[k];
    w.pos = int16_t(tag);
    const bool symbol = codes[0] < 128 ? !std::isalnum(codes[0]) : (codes[0] & 0xFF) < 0xB0;
    w.word_class = symbol ? 2 : 3;
  }
  return list;
}

using Key = std::tuple<int, int, int>;
std::set<Key> Features(const WordList& words, int index, const BoundaryModel& model, BoundaryModelKind kind,
                       int phrase_start = 0) {
  BoundaryFeature out[kMaxBoundaryFeatures];
  const int n = ExtractBoundaryFeatures(words, index, model, kind, phrase_start, out);
  std::set<Key> keys;
  for (int k = 0; k < n; ++k) keys.insert({out[k].feature, out[k].value, out[k].sub_value});
  EXPECT_EQ(keys.size(), size_t(n)) << "a feature twice";
  return keys;
}

// Tag numbers of the tag-name table.
constexpr int kV = 80, kN = 38, kR = 61, kW = 88, kNs = 42;

TEST(BoundaryModel, PayloadChecks) {
  ModelFile file{{"北京", "我们"}, {{24, 2, 255, 1, 5}, {0, 0, 1, -3, 7}}};
  const std::vector<uint8_t> good = file.Bytes();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    BoundaryModelStatus status;
  };
  std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
  std::vector<uint8_t> huge_count = good;
  huge_count[3] = 0x40;  // 2^30 keys
  std::vector<uint8_t> huge_entries = good;
  huge_entries[4 + 8 + 3] = 0xFF;
  std::vector<uint8_t> unsorted_entries = good;
  std::swap_ranges(unsorted_entries.begin() + 16, unsorted_entries.begin() + 24, unsorted_entries.begin() + 24);
  std::vector<uint8_t> unsorted_keys = good;
  std::swap_ranges(unsorted_keys.begin() + 4, unsorted_keys.begin() + 8, unsorted_keys.begin() + 8);
  const Case cases[] = {
      {"good", good, BoundaryModelStatus::kOk},
      {"absent section", {}, BoundaryModelStatus::kOk},
      {"three bytes", {1, 0, 0}, BoundaryModelStatus::kCorrupt},
      {"no entry count", {0, 0, 0, 0}, BoundaryModelStatus::kCorrupt},
      {"truncated entry", truncated, BoundaryModelStatus::kCorrupt},
      {"key count too large", huge_count, BoundaryModelStatus::kCorrupt},
      {"entry count too large", huge_entries, BoundaryModelStatus::kCorrupt},
      {"entries unsorted", unsorted_entries, BoundaryModelStatus::kCorrupt},
      {"keys unsorted", unsorted_keys, BoundaryModelStatus::kCorrupt},
  };
  for (const Case& c : cases) {
    BoundaryModel model;
    EXPECT_EQ(BoundaryModelInPlace(c.bytes.data(), uint32_t(c.bytes.size()), &model), c.status) << c.what;
    const SectionReader payload = MemorySection(c.bytes.data(), uint32_t(c.bytes.size()));
    std::vector<uint8_t> arena(256);
    EXPECT_EQ(LoadBoundaryModel(payload, arena.data(), uint32_t(arena.size()), &model), c.status) << c.what;
    if (c.status != BoundaryModelStatus::kOk) {
      EXPECT_EQ(model.entry_count, 0u) << c.what;
    }
  }
}

TEST(BoundaryModel, ArenaCopyAnswersLikeThePayload) {
  ModelFile file{{"北京", "我们"}, {{24, 2, 255, 1, 5}, {0, 0, 1, -3, 7}}};
  const std::vector<uint8_t> bytes = file.Bytes();
  const SectionReader payload = MemorySection(bytes.data(), uint32_t(bytes.size()));
  uint32_t need = 0;
  ASSERT_EQ(BoundaryModelBytes(payload, &need), BoundaryModelStatus::kOk);
  EXPECT_EQ(need, 2u * 4 + 2u * 8);
  std::vector<uint8_t> arena(need);
  BoundaryModel model;
  EXPECT_EQ(LoadBoundaryModel(payload, arena.data(), need - 1, &model), BoundaryModelStatus::kTooSmall);
  ASSERT_EQ(LoadBoundaryModel(payload, arena.data(), need, &model), BoundaryModelStatus::kOk);
  const BoundaryWeights hit = LookupBoundaryFeature(model, 0, 0, 1);
  EXPECT_EQ(hit.no_boundary, -3);
  EXPECT_EQ(hit.boundary, 7);
  const BoundaryWeights miss = LookupBoundaryFeature(model, 24, 3, 255);
  EXPECT_EQ(miss.no_boundary, 0);
  EXPECT_EQ(miss.boundary, 0);
  const auto beijing = sandhi_test::InternalCodes("北京人");
  EXPECT_EQ(FindBoundaryWord(model, beijing.data(), 3), file.IndexOf("北京"));
  const auto bei = sandhi_test::InternalCodes("北");
  EXPECT_EQ(FindBoundaryWord(model, bei.data(), 1), -1);
}

TEST(BoundaryFeatures, ProsodicWordFeaturesOfAWord) {
  ModelFile file{{"我们", "去", "北京", "。"}, {}};
  LoadedModel m(file);
  const WordList words = Words({{"我们", kR}, {"去", kV}, {"北京", kNs}, {"玩", -1}, {"。", kW}});
  const int we = file.IndexOf("我们"), go = file.IndexOf("去"), bj = file.IndexOf("北京");
  const std::set<Key> expected = {
      {0, 0, go},     {1, 0, go},                                 // the word itself
      {3, 0, bj},     {4, 0, bj},                                 // next word
      {13, 0, we},    {14, 0, we},                                // previous word
      {23, kV, 255},  {24, 1, 255}, {12, kR, 255}, {20, 2, 255},  // previous
      {2, kNs, 255},  {10, 2, 255},                               // next
      {16, 109, 255}, {19, 0, 255},                               // two before: none
      {6, 110, 255},  {9, 1, 255},                                // two after: 玩 without a tag
      {17, 109, 255}, {18, 0, 255},                               // three before: none
      {7, kW, 255},   {8, 1, 255},                                // three after
      {11, 2, 255},   {22, 7, 255},
  };
  EXPECT_EQ(Features(words, 1, m.model, BoundaryModelKind::kProsodicWord), expected);
}

TEST(BoundaryFeatures, EdgesOfTheSentence) {
  ModelFile file{{"去", "好"}, {}};
  LoadedModel m(file);
  const WordList one = Words({{"去", kV}});
  const std::set<Key> f = Features(one, 0, m.model, BoundaryModelKind::kProsodicWord);
  // A listed one-character word alone: the "no neighbour" lexical keys.
  for (Key k : {Key{3, 0, 255}, Key{4, 0, 255}, Key{13, 0, 255}, Key{14, 0, 255}, Key{7, 109, 255}, Key{8, 0, 255}})
    EXPECT_TRUE(f.count(k)) << std::get<0>(k);
  // A three-after word without a tag gives no length feature.
  const WordList four = Words({{"去", kV}, {"看", kV}, {"看", kV}, {"玩", -1}});
  const std::set<Key> g = Features(four, 0, m.model, BoundaryModelKind::kProsodicWord);
  EXPECT_TRUE(g.count({7, 110, 255}));
  for (const Key& k : g) EXPECT_NE(std::get<0>(k), 8);
  // Unlisted neighbours give no lexical feature.
  for (const Key& k : g) EXPECT_NE(std::get<0>(k), 3);
}

TEST(BoundaryFeatures, CharacterCountsStopAtLineBreak) {
  ModelFile file{{}, {}};
  LoadedModel m(file);
  const WordList words = Words({{"我们", kR}, {"\r", kW}, {"\n", kW}, {"北京", kNs}});
  const std::set<Key> f = Features(words, 3, m.model, BoundaryModelKind::kProsodicWord);
  EXPECT_TRUE(f.count({11, 2, 255}));
  EXPECT_TRUE(f.count({22, 2, 255}));
}

TEST(BoundaryFeatures, PhraseModelSkipsQuotesAndSeesMarks) {
  ModelFile file{{"，", "“"}, {}};
  LoadedModel m(file);
  const WordList words = Words({{"他", kR}, {"，", kW}, {"“", kW}, {"好", kV}, {"”", kW}, {"。", kW}});
  const int comma = file.IndexOf("，");
  const std::set<Key> f = Features(words, 3, m.model, BoundaryModelKind::kPhrase, 1);
  EXPECT_TRUE(f.count({15, 0, comma}));  // previous word past the quote: the comma
  EXPECT_TRUE(f.count({12, kW, 255}));
  EXPECT_TRUE(f.count({20, 1, 255}));
  EXPECT_TRUE(f.count({2, kW, 255}));  // next word past the quote: 。 (not listed)
  for (const Key& k : f) EXPECT_NE(std::get<0>(k), 5);
  EXPECT_TRUE(f.count({21, 5, 255}));  // characters from word 1 to the end
  EXPECT_TRUE(f.count({22, 6, 255}));
  // The prosodic word model has neither marks nor the phrase count.
  for (const Key& k : Features(words, 3, m.model, BoundaryModelKind::kProsodicWord)) {
    EXPECT_NE(std::get<0>(k), 15);
    EXPECT_NE(std::get<0>(k), 21);
  }
}

std::vector<int> Flags(const WordList& words) {
  std::vector<int> flags;
  for (int k = 0; k < words.count; ++k) flags.push_back(words.words[k].boundary);
  return flags;
}

TEST(BoundaryPrediction, GreaterOrEqualVote) {
  // Two-character words start prosodic words, one-character ones do not;
  // a tie (feature 24 value 3) starts one too.
  LoadedModel m(ModelFile{{}, {{24, 1, 255, 5, 0}, {24, 2, 255, 0, 5}, {24, 3, 255, 4, 4}}});
  WordList words = Words({{"我们", kR}, {"去", kV}, {"北京", kNs}, {"的", kW}, {"图书馆", kN}});
  words.words[1].boundary = 0x2000;  // overwritten only where the model votes
  words.words[2].boundary = 0x2000;
  PredictProsodicWords(words, m.model);
  EXPECT_EQ(Flags(words), (std::vector<int>{0x1000, 0x2000, 0x1000, 0, 0x1000}));
}

TEST(BoundaryPrediction, EmptyModelMakesEveryWordABoundary) {
  BoundaryModel empty;
  WordList words = Words({{"我们", kR}, {"“", kW}, {"去", kV}, {"”", kW}});
  PredictBoundaries(words, empty, empty);
  // Quotation marks get the prosodic word flag only.
  EXPECT_EQ(Flags(words), (std::vector<int>{0x3000, 0x1000, 0x3000, 0x1000}));
}

TEST(BoundaryPrediction, PhraseBoundaryMovesTheCharacterCount) {
  // Feature 21 decides: a boundary only while at least 6 characters remain
  // from the last boundary, so the count must restart at each boundary.
  ModelFile file{{}, {}};
  for (int v = 0; v < 64; ++v) file.entries.push_back({21, v, 255, v >= 6 ? 0 : 9, 1});
  LoadedModel m(file);
  WordList words = Words({{"我们", kR}, {"明天", kN}, {"去", kV}, {"北京", kNs}, {"玩", kV}});
  PredictPhrases(words, m.model);
  // Word 0: 8 left → boundary; word 1: 8 from word 0 → boundary (restart at 1);
  // word 2: 6 from word 1 → boundary; words 3 and 4: 4 from word 2 → none.
  EXPECT_EQ(Flags(words), (std::vector<int>{0x3000, 0x3000, 0x3000, 0, 0}));
}

TEST(BoundaryPrediction, BuildingWordAfterUnknownRunStartsAPhrase) {
  // Every phrase feature votes against a boundary.
  ModelFile file{{}, {}};
  for (int v = 0; v < 256; ++v) file.entries.push_back({22, v, 255, 10, 0});
  LoadedModel m(file);
  struct Case {
    std::vector<std::pair<std::string, int>> words;
    std::vector<int> flags;
  };
  const Case cases[] = {
      {{{"甲", kW}, {"楼", kN}, {"乙", kN}}, {0, 0, 0x3000}},
      {{{"甲", kW}, {"座", kN}, {"“", kW}, {"乙", kN}}, {0, 0, 0, 0x3000}},
      {{{"甲", kN}, {"楼", kN}, {"乙", kN}}, {0, 0, 0}},    // not an unknown run
      {{{"甲", kW}, {"楼", kN}}, {0, 0}},                   // no next word
      {{{"楼", kN}, {"乙", kN}}, {0, 0}},                   // no previous word
      {{{"甲", kW}, {"楼房", kN}, {"乙", kN}}, {0, 0, 0}},  // a longer word
  };
  for (const Case& c : cases) {
    WordList words = Words(c.words);
    PredictPhrases(words, m.model);
    EXPECT_EQ(Flags(words), c.flags) << c.words[1].first;
  }
}

TEST(BoundaryPrediction, QuotedWordNeverStartsAPhrase) {
  LoadedModel m(ModelFile{{}, {{24, 1, 255, 0, 10}}});
  WordList words = Words({{"他", kR}, {"说", kV}, {"“", kW}, {"好", kV}, {"”", kW}, {"\"", kW}});
  PredictPhrases(words, m.model);
  EXPECT_EQ(Flags(words), (std::vector<int>{0x3000, 0x3000, 0, 0x3000, 0, 0}));
}

// A count outside 0 ... 50 or a length over 24 is clamped, never trusted:
// prediction covers exactly the words the list holds, and an over-long word
// counts as 24 characters.
TEST(BoundaryPrediction, BadWordListsAreHarmless) {
  // Only a word of 24 characters votes for a boundary, in both models.
  ModelFile file{{}, {}};
  for (int v = 0; v < 256; ++v) {
    const bool longest = v == kMaxWordChars;
    file.entries.push_back({24, v, 255, longest ? 0 : 9, longest ? 5 : 0});
  }
  LoadedModel m(file);
  WordList words = Words({{"我们", kR}});
  words.count = 500;
  words.words[0].length = 300;
  PredictBoundaries(words, m.model, m.model);
  EXPECT_EQ(words.words[0].boundary, kStartsPhrase | kStartsProsodicWord);
  for (int k = 1; k < kMaxWordsPerSentence; ++k) ASSERT_EQ(words.words[k].boundary, 0) << k;

  BoundaryFeature out[kMaxBoundaryFeatures];
  const BoundaryModelKind phrase = BoundaryModelKind::kPhrase;
  EXPECT_GT(ExtractBoundaryFeatures(words, kMaxWordsPerSentence - 1, m.model, phrase, 0, out), 0);
  EXPECT_EQ(ExtractBoundaryFeatures(words, kMaxWordsPerSentence, m.model, phrase, 0, out), 0);

  // An empty model votes for every word it looks at: all 50 the list holds.
  BoundaryModel empty;
  for (WordRecord& w : words.words) w.boundary = 0;
  PredictBoundaries(words, empty, empty);
  for (int k = 0; k < kMaxWordsPerSentence; ++k)
    ASSERT_EQ(words.words[k].boundary, kStartsPhrase | kStartsProsodicWord) << k;

  // A negative count holds no word.
  words.count = -3;
  for (WordRecord& w : words.words) w.boundary = 0;
  PredictBoundaries(words, empty, empty);
  for (int k = 0; k < kMaxWordsPerSentence; ++k) ASSERT_EQ(words.words[k].boundary, 0) << k;
}

}  // namespace

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

// The payloads built by tools/boundaries load, stay within the word-key
// limit and the arena share we plan for, and split a plain sentence.
TEST(BoundaryModel, BuiltPayloadsLoadAndPredict) {
  const std::string dir = std::string(KVO_TEST_SOURCE_DIR) + "/data/sections/";
  const std::vector<uint8_t> pw = ReadFile(dir + "boundary_prosodic_words.bin");
  const std::vector<uint8_t> ph = ReadFile(dir + "boundary_phrases.bin");
  if (pw.empty() || ph.empty()) GTEST_SKIP() << "no built boundary models in " << dir;
  BoundaryModel pw_model, ph_model;
  ASSERT_EQ(BoundaryModelInPlace(pw.data(), uint32_t(pw.size()), &pw_model), BoundaryModelStatus::kOk);
  ASSERT_EQ(BoundaryModelInPlace(ph.data(), uint32_t(ph.size()), &ph_model), BoundaryModelStatus::kOk);
  for (const BoundaryModel* m : {&pw_model, &ph_model}) {
    EXPECT_LE(m->key_count, kBoundaryMaxWordKeys);
    EXPECT_GT(m->entry_count, 100u);
    EXPECT_LE(m->key_count * 4 + m->entry_count * 8, 32u * 1024);
  }
  // 我们 明天 去 北京 看 朋友 ， 然后 回家 。 (tag numbers: r v t ns n c w)
  const int kT = 69, kC = 6;
  WordList words = Words({{"我们", kR},
                          {"明天", kT},
                          {"去", kV},
                          {"北京", kNs},
                          {"看", kV},
                          {"朋友", kN},
                          {"，", kW},
                          {"然后", kC},
                          {"回家", kV},
                          {"。", kW}});
  PredictBoundaries(words, pw_model, ph_model);
  const std::vector<int> flags = Flags(words);
  EXPECT_EQ(flags[1] & 0x1000, 0x1000) << "明天";
  EXPECT_EQ(flags[3] & 0x1000, 0x1000) << "北京";
  EXPECT_EQ(flags[7] & 0x2000, 0x2000) << "然后 after the comma";
  EXPECT_EQ(flags[5] & 0x2000, 0) << "朋友";
}

// The builder records its own decisions on held-out sentences; the engine
// must reach the same ones, or the two feature extractions have drifted.
TEST(BoundaryModel, EngineAgreesWithTheBuilder) {
  const std::string dir = std::string(KVO_TEST_SOURCE_DIR) + "/data/sections/";
  const std::vector<uint8_t> pw = ReadFile(dir + "boundary_prosodic_words.bin");
  const std::vector<uint8_t> ph = ReadFile(dir + "boundary_phrases.bin");
  std::ifstream check(dir + "boundaries-check.txt");
  if (pw.empty() || ph.empty() || !check) GTEST_SKIP() << "no built boundary models in " << dir;
  BoundaryModel pw_model, ph_model;
  ASSERT_EQ(BoundaryModelInPlace(pw.data(), uint32_t(pw.size()), &pw_model), BoundaryModelStatus::kOk);
  ASSERT_EQ(BoundaryModelInPlace(ph.data(), uint32_t(ph.size()), &ph_model), BoundaryModelStatus::kOk);
  int sentences = 0;
  for (std::string word_line, flag_line; std::getline(check, word_line) && std::getline(check, flag_line);) {
    WordList words{};
    std::istringstream ws(word_line);
    for (std::string tok; ws >> tok && words.count < kMaxWordsPerSentence;) {
      WordRecord& w = words.words[words.count++];
      const size_t c1 = tok.find(':'), c2 = tok.rfind(':');
      std::istringstream codes(tok.substr(0, c1));
      for (std::string hex; std::getline(codes, hex, '.') && w.length < kMaxWordChars;)
        w.chars[w.length++] = uint16_t(std::stoul(hex, nullptr, 16));
      w.pos = int16_t(std::stoi(tok.substr(c1 + 1, c2 - c1 - 1)));
      w.word_class = int16_t(std::stoi(tok.substr(c2 + 1)));
    }
    PredictBoundaries(words, pw_model, ph_model);
    std::istringstream fs(flag_line);
    std::vector<int> expected;
    for (std::string f; fs >> f;) expected.push_back(int(std::stoul(f, nullptr, 16)));
    EXPECT_EQ(Flags(words), expected) << word_line;
    ++sentences;
  }
  EXPECT_GT(sentences, 10);
}

// The constants against boundary_layout.txt, the description the builder
// writes the models from. The numbers private to the extractor (feature
// numbers, quote and building words) are held by BoundaryCases below.
TEST(BoundaryLayout, ConstantsMatchTheDescription) {
  const layout_test::LayoutDescription layout("engine/frontend/prosody/boundary_layout.txt");
  EXPECT_EQ(layout.RecordBytes("boundary.count"), 4u);
  EXPECT_EQ(layout.RecordBytes("boundary.word_key"), kBoundaryWordKeyBytes);
  EXPECT_EQ(layout.RecordBytes("boundary.entry"), kBoundaryEntryBytes);
  EXPECT_EQ(layout.Value("boundary.max_word_keys"), kBoundaryMaxWordKeys);
  EXPECT_EQ(layout.Value("boundary.plain_sub_value"), kBoundaryPlainSubValue);
  EXPECT_EQ(layout.Value("boundary.pos_none"), kBoundaryPosNone);
  EXPECT_EQ(layout.Value("boundary.pos_absent"), kBoundaryPosAbsent);
  EXPECT_EQ(layout.Value("boundary.max_words"), kMaxWordsPerSentence);
  EXPECT_EQ(layout.Value("boundary.max_word_chars"), kMaxWordChars);
  EXPECT_EQ(layout.Value("boundary.max_features"), kMaxBoundaryFeatures);
  EXPECT_EQ(layout.Value("boundary.starts_prosodic_word"), kStartsProsodicWord);
  EXPECT_EQ(layout.Value("boundary.starts_phrase"), kStartsPhrase);
}

// tests/engine/frontend/prosody/boundary_cases.txt: word lists with the
// features and decisions that this extractor and the builder's must give
// (the builder's side: tests/tools/boundaries/boundary_features_test.py).
std::string FeatureText(const std::set<Key>& keys) {
  std::string out;
  for (const auto& [f, v, s] : keys)
    out += (out.empty() ? "" : " ") + std::to_string(f) + "." + std::to_string(v) + "." + std::to_string(s);
  return out;
}

Key ParseKey(const std::string& text) {
  int f = 0, v = 0, s = 0;
  if (std::sscanf(text.c_str(), "%d.%d.%d", &f, &v, &s) != 3) ADD_FAILURE() << "bad key " << text;
  return {f, v, s};
}

WordList CaseWords(std::istringstream& tokens) {
  WordList list{};
  for (std::string tok; tokens >> tok && list.count < kMaxWordsPerSentence;) {
    const size_t a = tok.find('/', 1), b = tok.find('/', a + 1);
    std::string text = tok.substr(0, a);
    if (text == "\\r") text = "\r";
    if (text == "\\n") text = "\n";
    WordRecord& w = list.words[list.count++];
    for (uint16_t c : sandhi_test::InternalCodes(text))
      if (w.length < kMaxWordChars) w.chars[w.length++] = c;
    w.pos = int16_t(std::stoi(tok.substr(a + 1, b == std::string::npos ? b : b - a - 1)));
    w.word_class = int16_t(b == std::string::npos ? 3 : std::stoi(tok.substr(b + 1)));
  }
  return list;
}

TEST(BoundaryCases, EngineGivesTheSharedTablesFeaturesAndFlags) {
  std::ifstream in(std::string(KVO_TEST_SOURCE_DIR) + "/tests/engine/frontend/prosody/boundary_cases.txt");
  ASSERT_TRUE(in);
  ModelFile word_model, phrase_model;
  WordList words{};
  int checked = 0, lineno = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineno;
    std::istringstream tokens(line.substr(0, line.find('#')));
    std::string kind;
    if (!(tokens >> kind)) continue;
    if (kind == "model") {
      word_model = ModelFile{};
      for (std::string w; tokens >> w;) word_model.words.push_back(w);
      phrase_model = word_model;
    } else if (kind == "weights") {
      std::string which;
      tokens >> which;
      ModelFile& m = which == "phrase" ? phrase_model : word_model;
      for (std::string item; tokens >> item;) {
        const auto [f, v, s] = ParseKey(item.substr(0, item.find('=')));
        int against = 0, for_boundary = 0;
        std::sscanf(item.c_str() + item.find('=') + 1, "%d,%d", &against, &for_boundary);
        m.entries.push_back({f, v, s, against, for_boundary});
      }
    } else if (kind == "sentence") {
      words = CaseWords(tokens);
    } else if (kind == "word" || kind == "phrase") {
      const bool phrase = kind == "phrase";
      int index = 0, start = 0;
      tokens >> index;
      if (phrase) tokens >> start;
      std::string equals;
      tokens >> equals;
      std::set<Key> expected;
      for (std::string k; tokens >> k;) expected.insert(ParseKey(k));
      const LoadedModel m(phrase ? phrase_model : word_model);
      EXPECT_EQ(FeatureText(Features(words, index, m.model,
                                     phrase ? BoundaryModelKind::kPhrase : BoundaryModelKind::kProsodicWord, start)),
                FeatureText(expected))
          << "boundary_cases.txt:" << lineno;
      ++checked;
    } else if (kind == "flags") {
      std::vector<int> expected;
      for (std::string f; tokens >> f;) expected.push_back(int(std::stoul(f, nullptr, 16)));
      const LoadedModel pw(word_model), ph(phrase_model);
      WordList decided = words;
      PredictBoundaries(decided, pw.model, ph.model);
      EXPECT_EQ(Flags(decided), expected) << "boundary_cases.txt:" << lineno;
      ++checked;
    } else {
      ADD_FAILURE() << "boundary_cases.txt:" << lineno << ": unknown line " << kind;
    }
  }
  EXPECT_GT(checked, 10);
}

}  // namespace
