// The phrase index, matching of items against phrase texts, streamed
// decoding and playback across output blocks, and refused libraries.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/audio/audio_format.h"
#include "backend/domain/phrase_library.h"
#include "backend/waveform/waveform_assembly.h"
#include "core/analysis_item.h"
#include "domain/domain_recordings.h"
#include "domain_writer.h"

namespace {

using namespace kvo::backend;
using kvo::domain::DomainPhrase;

constexpr uint32_t kG = 2000;                                                     // unit base of the made-up voice
constexpr uint16_t kZhong = 0xD0D6, kGuo = 0xFAB9, kRen = 0xCBC8, kMin = 0xF1C3;  // 中国人民, lead byte low

// The g-th GB2312 character as an internal code.
uint16_t Char(int g) { return static_cast<uint16_t>((0xB0 + g / 94) | ((0xA1 + g % 94) << 8)); }

// Frames whose bits vary, so that every frame decodes to something different.
std::vector<uint8_t> Frames(int count, int seed) {
  std::vector<uint8_t> b;
  uint32_t x = static_cast<uint32_t>(seed) * 2654435761u + 1;
  for (int i = 0; i < 10 * count; ++i) {
    x = x * 1103515245u + 12345u;
    b.push_back(static_cast<uint8_t>(x >> 24));
  }
  return b;
}

DomainPhrase Phrase(std::vector<uint16_t> text, uint16_t positions = 0xF, int frames = 3, int seed = 1) {
  DomainPhrase p;
  p.text = std::move(text);
  p.positions = positions;
  p.coded = Frames(frames, seed);
  return p;
}

std::vector<uint16_t> Ascii(const std::string& s) { return std::vector<uint16_t>(s.begin(), s.end()); }

struct Part {
  std::vector<uint8_t> bytes;
  SectionReader reader() const { return MemorySection(bytes.data(), bytes.size()); }
};

Part SpeechPartOf(const std::vector<DomainPhrase>& phrases) {
  return Part{kvo::domain::SpeechPart(kvo::domain::SortPhrases(phrases), {})};
}

// A sentence of Chinese items, one word, all in one prosodic phrase.
std::vector<SpeechItem> Chinese(const std::vector<uint16_t>& chars) {
  std::vector<SpeechItem> items(chars.size());
  for (size_t i = 0; i < chars.size(); ++i) {
    SpeechItem& s = items[i];
    std::memset(&s, 0, sizeof(s));
    s.character[0] = static_cast<uint8_t>(chars[i]);
    s.character[1] = static_cast<uint8_t>(chars[i] >> 8);
    s.code = static_cast<uint16_t>(i + 1);
    s.sylInSentence = static_cast<uint8_t>(i);
    s.sentenceLen = static_cast<uint8_t>(chars.size());
    s.sylInWord = static_cast<uint8_t>(i);
    s.wordLen = static_cast<uint8_t>(chars.size());
    s.sylInPhrase = static_cast<uint8_t>(i);
    s.phraseLen = static_cast<uint8_t>(chars.size());
  }
  return items;
}

SpeechItem English(char* word) {
  SpeechItem s;
  std::memset(&s, 0, sizeof(s));
  s.language = kItemLanguageEnglish;
  s.character[0] = static_cast<uint8_t>(word[0]);
  s.text = word;
  return s;
}

std::vector<PhraseMark> Match(const std::vector<DomainPhrase>& phrases, const std::vector<SpeechItem>& items,
                              int* matched = nullptr) {
  const Part part = SpeechPartOf(phrases);
  auto index = std::make_unique<PhraseIndex>();
  EXPECT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kOk);
  std::vector<PhraseMark> marks(items.size());
  const int n = MatchPhrases(*index, part.reader(), items.data(), static_cast<int>(items.size()), kG, marks.data());
  if (matched != nullptr) *matched = n;
  return marks;
}

// Record index of the sorted phrase with this text.
int RecordOf(const std::vector<DomainPhrase>& phrases, const std::vector<uint16_t>& text) {
  const std::vector<DomainPhrase> sorted = kvo::domain::SortPhrases(phrases);
  for (size_t k = 0; k < sorted.size(); ++k)
    if (sorted[k].text == text) return static_cast<int>(k);
  return -1;
}

TEST(PhraseIndex, SixHundredPhrasesStepTwoAndFirstCharactersStayTogether) {
  std::vector<DomainPhrase> phrases;
  // 200 first characters, three phrases each.
  for (int k = 0; k < 600; ++k) {
    phrases.push_back(Phrase({Char(k / 3), Char(1000 + k % 3)}));
  }
  const Part part = SpeechPartOf(phrases);
  auto index = std::make_unique<PhraseIndex>();
  ASSERT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kOk);
  EXPECT_EQ(index->count, 600u);
  // With step 2 every first character opens an entry (each has 3 records).
  EXPECT_EQ(index->entries, 200);
  const std::vector<DomainPhrase> sorted = kvo::domain::SortPhrases(phrases);
  int entry = 0;
  for (int k = 0; k < 600; ++k) {
    while (entry + 1 < index->entries && index->firstRecord[entry + 1] <= k) ++entry;
    EXPECT_EQ(index->firstChar[entry], sorted[k].text[0]) << "record " << k;
  }
}

TEST(PhraseIndex, OneRecordPerEntryWouldBreakThroughTheStep) {
  // 600 distinct first characters: with step 2 an entry opens every second record.
  std::vector<DomainPhrase> phrases;
  for (int k = 0; k < 600; ++k) phrases.push_back(Phrase({Char(k), kMin}));
  const Part part = SpeechPartOf(phrases);
  auto index = std::make_unique<PhraseIndex>();
  ASSERT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kOk);
  EXPECT_EQ(index->entries, 300);
  // Every item still finds its phrase through the entry before.
  const std::vector<DomainPhrase> sorted = kvo::domain::SortPhrases(phrases);
  for (int k : {0, 1, 2, 299, 301, 598, 599}) {
    const std::vector<PhraseMark> marks = Match(phrases, Chinese(sorted[k].text));
    EXPECT_EQ(marks[0].record, k);
  }
}

struct MatchCase {
  const char* name;
  std::vector<DomainPhrase> phrases;
  std::vector<uint16_t> sentence;
  int start;                     // item where the match must start, -1 none
  std::vector<uint16_t> winner;  // text of the phrase that must win
  int length;                    // items covered
};

TEST(PhraseMatching, CandidatesTiesMasksAndLetters) {
  const std::vector<MatchCase> cases = {
      {"longest wins",
       {Phrase({kZhong, kGuo}), Phrase({kZhong, kGuo, kRen})},
       {kZhong, kGuo, kRen, kMin},
       0,
       {kZhong, kGuo, kRen},
       3},
      // "A B" sorts before "AB" and matches the same two items: it is used.
      {"tie: earlier record", {Phrase(Ascii("AB")), Phrase(Ascii("A B"))}, Ascii("AB"), 0, Ascii("A B"), 2},
      {"start-only phrase in the middle",
       {Phrase({kRen, kMin}, 1 << kPhraseStartsBatch)},
       {kZhong, kGuo, kRen, kMin},
       -1,
       {},
       0},
      {"end phrase at the end",
       {Phrase({kRen, kMin}, 1 << kPhraseEndsBatch)},
       {kZhong, kGuo, kRen, kMin},
       2,
       {kRen, kMin},
       2},
      {"start phrase at the start",
       {Phrase({kZhong, kGuo}, 1 << kPhraseStartsBatch)},
       {kZhong, kGuo, kRen, kMin},
       0,
       {kZhong, kGuo},
       2},
      {"letters fold to lower case", {Phrase(Ascii("ok"))}, Ascii("OK"), 0, Ascii("ok"), 2},
      {"a longer text does not match",
       {Phrase({kZhong, kGuo, kRen, kMin, kZhong})},
       {kZhong, kGuo, kRen, kMin},
       -1,
       {},
       0},
  };
  for (const MatchCase& c : cases) {
    int matched = 0;
    const std::vector<PhraseMark> marks = Match(c.phrases, Chinese(c.sentence), &matched);
    if (c.start < 0) {
      EXPECT_EQ(matched, 0) << c.name;
      for (const PhraseMark& m : marks) EXPECT_EQ(m.record, -1) << c.name;
      continue;
    }
    EXPECT_EQ(matched, 1) << c.name;
    EXPECT_EQ(marks[c.start].record, RecordOf(c.phrases, c.winner)) << c.name;
    for (int j = 1; j < c.length; ++j) EXPECT_EQ(marks[c.start + j].record, -2) << c.name;
    if (c.start + c.length < static_cast<int>(marks.size())) {
      EXPECT_EQ(marks[c.start + c.length].record, -1) << c.name;
    }
    EXPECT_EQ(marks[c.start].bytes, 30) << c.name;
  }
}

TEST(PhraseMatching, EnglishWordsMatchWholeAndCaseless) {
  char hello[kItemNameBytes] = "Hello";
  char hellos[kItemNameBytes] = "Hellos";
  const std::vector<DomainPhrase> phrases = {Phrase({'h', 'e', 'l', 'l', 'o', kZhong, kGuo})};
  std::vector<SpeechItem> items = Chinese({kZhong, kGuo});
  items.insert(items.begin(), English(hello));
  EXPECT_EQ(Match(phrases, items)[0].record, 0);
  items[0] = English(hellos);
  EXPECT_EQ(Match(phrases, items)[0].record, -1);
  // An English word split into several items is passed over as one.
  items[0] = English(hello);
  SpeechItem cont = English(hello);
  cont.itemFlags = 0x8000;
  items.insert(items.begin() + 1, cont);
  const std::vector<PhraseMark> marks = Match(phrases, items);
  EXPECT_EQ(marks[0].record, 0);
  EXPECT_EQ(marks[3].record, -2);
}

struct BrokenCase {
  const char* name;
  void (*spoil)(std::vector<uint8_t>& part);
};

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PhraseIndex, RefusesInconsistentLibraries) {
  const std::vector<BrokenCase> cases = {
      // Record 1's end offset runs past the coded speech.
      {"end past the data", [](std::vector<uint8_t>& b) { PutU32(b, 300 + 8 + 4, 1000000); }},
      // Record 1 ends before record 0.
      {"end offsets backwards", [](std::vector<uint8_t>& b) { PutU32(b, 300 + 8 + 4, 5); }},
      // Swap the first characters of the two texts.
      {"texts out of order",
       [](std::vector<uint8_t>& b) {
         const size_t texts = 300 + 16;
         std::swap(b[texts], b[texts + 4]);
         std::swap(b[texts + 1], b[texts + 5]);
       }},
      {"odd text length", [](std::vector<uint8_t>& b) { b[300] = 3; }},
      {"more records than bytes", [](std::vector<uint8_t>& b) { PutU32(b, 296, 100000); }},
      {"no count", [](std::vector<uint8_t>& b) { b.resize(298); }},
  };
  const std::vector<DomainPhrase> phrases = {Phrase({kZhong, kGuo}), Phrase({kRen, kMin})};
  for (const BrokenCase& c : cases) {
    Part part = SpeechPartOf(phrases);
    c.spoil(part.bytes);
    auto index = std::make_unique<PhraseIndex>();
    EXPECT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kBroken) << c.name;
    EXPECT_EQ(index->count, 0u) << c.name;
    std::vector<SpeechItem> items = Chinese({kZhong, kGuo});
    std::vector<PhraseMark> marks(items.size());
    EXPECT_EQ(MatchPhrases(*index, part.reader(), items.data(), 2, kG, marks.data()), 0) << c.name;
  }
}

TEST(PhraseIndex, ZeroPhrasesMatchNothing) {
  Part part{kvo::domain::SpeechPart({}, {})};
  auto index = std::make_unique<PhraseIndex>();
  EXPECT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kOk);
  std::vector<SpeechItem> items = Chinese({kZhong, kGuo});
  std::vector<PhraseMark> marks(items.size());
  EXPECT_EQ(MatchPhrases(*index, part.reader(), items.data(), 2, kG, marks.data()), 0);
}

TEST(PhraseStreaming, PiecesJoinIntoTheWholeDecodingAndPartialFramesAreDropped) {
  // 500 frames: more than one 4096-byte read.
  DomainPhrase p = Phrase({kZhong, kGuo}, 0xF, 500, 7);
  p.coded.resize(p.coded.size() - 5);  // a truncated last frame
  const Part part = SpeechPartOf({p});
  auto index = std::make_unique<PhraseIndex>();
  ASSERT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kOk);
  std::vector<SpeechItem> items = Chinese({kZhong, kGuo});
  std::vector<PhraseMark> marks(2);
  ASSERT_EQ(MatchPhrases(*index, part.reader(), items.data(), 2, kG, marks.data()), 1);
  EXPECT_EQ(marks[0].bytes, 4995);

  auto stream = std::make_unique<PhraseStream>();
  stream->started = false;
  std::vector<int16_t> got;
  bool complete = false;
  for (int guard = 0; !complete && guard < 10000; ++guard) {
    int16_t piece[37];
    const int32_t n = StreamPhrase(stream.get(), part.reader(), marks[0], piece, 37, &complete);
    got.insert(got.end(), piece, piece + n);
  }
  EXPECT_TRUE(complete);
  p.coded.resize(4990);
  EXPECT_EQ(got, domain_test::DecodeFrames(p.coded));
}

TEST(PhrasePlayback, LongPhraseContinuesInTheNextBlockWithoutGap) {
  const DomainPhrase p = Phrase({kZhong, kGuo}, 0xF, 120, 3);  // 9600 samples: several blocks
  const Part part = SpeechPartOf({p});
  auto index = std::make_unique<PhraseIndex>();
  ASSERT_EQ(OpenPhraseIndex(part.reader(), index.get()), PhraseIndexStatus::kOk);
  std::vector<SpeechItem> items = Chinese({kZhong, kGuo});
  std::vector<PhraseMark> marks(2);
  ASSERT_EQ(MatchPhrases(*index, part.reader(), items.data(), 2, kG, marks.data()), 1);

  WaveformSetup setup;
  setup.libraryRate = 8000;
  setup.libraryWidth = 16;
  setup.unitBase = kG;
  setup.phrases = marks.data();
  setup.phrasePart = part.reader();
  auto state = std::make_unique<WaveformState>();
  std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
  auto tail = std::make_unique<VocoderTail>();
  std::memset(static_cast<void*>(tail.get()), 0, sizeof(VocoderTail));
  ASSERT_EQ(WaveformBegin(state.get(), setup, items.data(), 2, tail.get()), kBackendOk);
  std::vector<int16_t> out;
  int blocks = 0;
  while (RenderBlock(state.get()) == 1 && blocks < 100) {
    ++blocks;
    const int16_t* s = reinterpret_cast<const int16_t*>(state->block);
    out.insert(out.end(), s, s + state->blockBytes / 2);
  }
  EXPECT_GE(blocks, 5);
  EXPECT_EQ(out, domain_test::DecodeFrames(p.coded));
}

}  // namespace

namespace {

TEST(DomainDictionary, BlocksStayWithinWhatWordBuildingReads) {
  // 2600 two-character phrases on one first character: 16 bytes each.
  std::vector<DomainPhrase> phrases;
  for (int k = 0; k < 2600; ++k) phrases.push_back(Phrase({kZhong, Char(k)}, 0xF, 1, k));
  size_t dropped = 0;
  const std::vector<uint8_t> dict = kvo::domain::DictionaryPart(kvo::domain::SortPhrases(phrases), &dropped);
  auto at = [&](size_t i) {
    return static_cast<uint32_t>(dict[i] | (dict[i + 1] << 8) | (dict[i + 2] << 16) | (dict[i + 3] << 24));
  };
  const int k = kvo::domain::Gb2312Index(kZhong);
  const uint32_t begin = at(4 * static_cast<size_t>(k)), end = at(4 * static_cast<size_t>(k) + 4);
  EXPECT_LE(end - begin, kvo::domain::kMaxDictionaryBlockBytes);
  EXPECT_EQ(dropped, 2600u - (kvo::domain::kMaxDictionaryBlockBytes - 2) / 16);
  const uint32_t count = dict[54148 + begin] | (dict[54148 + begin + 1] << 8);
  EXPECT_EQ(count + dropped, 2600u);
}

}  // namespace
