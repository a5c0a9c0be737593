#include "frontend/prosody/prosodic_boundary.h"

#include <cstring>

namespace kvo::frontend {
namespace {

constexpr uint16_t kAsciiQuote = '"';
constexpr uint16_t C(const char* s) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[0]) | (static_cast<uint8_t>(s[1]) << 8));
}
constexpr uint16_t kQuoteMarks[] = {kAsciiQuote, C("\xA1\xB0" /* “ */), C("\xA1\xB1" /* ” */), C("\xA1\xB6" /* 《 */),
                                    C("\xA1\xB7" /* 》 */)};
constexpr uint16_t kBuildingWords[] = {C("\xB6\xB0" /* 栋 */), C("\xC2\xA5" /* 楼 */), C("\xC3\xC5" /* 门 */),
                                       C("\xD7\xF9" /* 座 */)};
constexpr int16_t kTagUnknownRun = 88;  // w
constexpr int16_t kSymbolClass = 2;
constexpr uint16_t kCr = 13;
constexpr uint16_t kLf = 10;

// Feature numbers.
enum : uint8_t {
  kFeatSelfLexA = 0,
  kFeatSelfLexB = 1,
  kFeatNextPos = 2,
  kFeatNextLexA = 3,
  kFeatNextLexB = 4,
  kFeatNextMark = 5,
  kFeatNext2Pos = 6,
  kFeatNext3Pos = 7,
  kFeatNext3Len = 8,
  kFeatNext2Len = 9,
  kFeatNextLen = 10,
  kFeatCharsBefore = 11,
  kFeatPrevPos = 12,
  kFeatPrevLexA = 13,
  kFeatPrevLexB = 14,
  kFeatPrevMark = 15,
  kFeatPrev2Pos = 16,
  kFeatPrev3Pos = 17,
  kFeatPrev3Len = 18,
  kFeatPrev2Len = 19,
  kFeatPrevLen = 20,
  kFeatCharsToEnd = 21,
  kFeatSentenceChars = 22,
  kFeatPos = 23,
  kFeatLen = 24,
};

bool IsQuoteWord(const WordRecord& w) {
  if (w.length != 1) return false;
  for (uint16_t q : kQuoteMarks)
    if (w.chars[0] == q) return true;
  return false;
}

bool IsBuildingWord(const WordRecord& w) {
  if (w.length != 1) return false;
  for (uint16_t b : kBuildingWords)
    if (w.chars[0] == b) return true;
  return false;
}

int WordCount(const WordList& words) {
  if (words.count < 0) return 0;
  return words.count > kMaxWordsPerSentence ? kMaxWordsPerSentence : words.count;
}

int WordLength(const WordRecord& w) {
  if (w.length < 0) return 0;
  return w.length > kMaxWordChars ? kMaxWordChars : w.length;
}

uint8_t PosValue(const WordRecord& w) { return w.pos < 0 ? kBoundaryPosNone : static_cast<uint8_t>(w.pos & 0xFF); }

// Characters counted for the position features stop at the first line break
// (carriage return followed by line feed).
class CharCounter {
 public:
  explicit CharCounter(const WordList& words) {
    const int n = WordCount(words);
    int offset = 0;
    bool after_cr = false;
    for (int w = 0; w < n; ++w) {
      start_[w] = offset;
      const WordRecord& word = words.words[w];
      for (int c = 0; c < WordLength(word); ++c) {
        if (limit_ < 0 && after_cr && word.chars[c] == kLf) limit_ = offset - 1;
        after_cr = word.chars[c] == kCr;
        ++offset;
      }
    }
    start_[n] = offset;
    if (limit_ < 0) limit_ = offset;
  }
  // Counted characters of words [from, to).
  int Count(int from, int to) const {
    const int a = Clamp(start_[from]), b = Clamp(start_[to]);
    return b > a ? b - a : 0;
  }

 private:
  int Clamp(int offset) const { return offset < limit_ ? offset : limit_; }
  int start_[kMaxWordsPerSentence + 1] = {};
  int limit_ = -1;
};

uint8_t Byte(int v) { return static_cast<uint8_t>(v & 0xFF); }

void WordKey(const uint16_t* chars, int length, uint8_t key[4]) {
  const uint16_t c0 = length > 0 ? chars[0] : 0;
  const uint16_t c1 = length > 1 ? chars[1] : 0;
  key[0] = Byte(c0);
  key[1] = Byte(c0 >> 8);
  key[2] = Byte(c1);
  key[3] = Byte(c1 >> 8);
}

bool SortedArrays(const uint8_t* keys, uint32_t key_count, const uint8_t* entries, uint32_t entry_count) {
  for (uint32_t k = 1; k < key_count; ++k)
    if (std::memcmp(keys + (k - 1) * kBoundaryWordKeyBytes, keys + k * kBoundaryWordKeyBytes, kBoundaryWordKeyBytes) >
        0)
      return false;
  for (uint32_t e = 1; e < entry_count; ++e)
    if (std::memcmp(entries + (e - 1) * kBoundaryEntryBytes, entries + e * kBoundaryEntryBytes, 3) > 0) return false;
  return true;
}

struct Layout {
  uint32_t key_count;
  uint32_t entry_count;
};

BoundaryModelStatus ReadLayout(const SectionReader& payload, Layout* layout) {
  layout->key_count = layout->entry_count = 0;
  if (payload.size == 0) return BoundaryModelStatus::kOk;
  uint32_t keys = 0, entries = 0;
  if (!payload.ReadU32(0, &keys)) return BoundaryModelStatus::kCorrupt;
  const uint64_t entries_at = 4 + static_cast<uint64_t>(keys) * kBoundaryWordKeyBytes;
  if (entries_at + 4 > payload.size) return BoundaryModelStatus::kCorrupt;
  if (!payload.ReadU32(static_cast<uint32_t>(entries_at), &entries)) return BoundaryModelStatus::kCorrupt;
  if (entries_at + 4 + static_cast<uint64_t>(entries) * kBoundaryEntryBytes > payload.size)
    return BoundaryModelStatus::kCorrupt;
  layout->key_count = keys;
  layout->entry_count = entries;
  return BoundaryModelStatus::kOk;
}

BoundaryModelStatus Check(const BoundaryModel& model) {
  return SortedArrays(model.word_keys, model.key_count, model.entries, model.entry_count)
             ? BoundaryModelStatus::kOk
             : BoundaryModelStatus::kCorrupt;
}

class FeatureList {
 public:
  explicit FeatureList(BoundaryFeature* out) : out_(out) {}
  void Add(uint8_t feature, uint8_t value, uint8_t sub = kBoundaryPlainSubValue) {
    if (count_ < kMaxBoundaryFeatures) out_[count_++] = BoundaryFeature{feature, value, sub};
  }
  int count() const { return count_; }

 private:
  BoundaryFeature* out_;
  int count_ = 0;
};

}  // namespace

BoundaryModelStatus BoundaryModelBytes(const SectionReader& payload, uint32_t* bytes) {
  Layout layout{};
  const BoundaryModelStatus status = ReadLayout(payload, &layout);
  *bytes = 0;
  if (status != BoundaryModelStatus::kOk) return status;
  *bytes = layout.key_count * kBoundaryWordKeyBytes + layout.entry_count * kBoundaryEntryBytes;
  return BoundaryModelStatus::kOk;
}

BoundaryModelStatus LoadBoundaryModel(const SectionReader& payload, uint8_t* dst, uint32_t capacity,
                                      BoundaryModel* model) {
  *model = BoundaryModel{};
  Layout layout{};
  const BoundaryModelStatus status = ReadLayout(payload, &layout);
  if (status != BoundaryModelStatus::kOk) return status;
  const uint32_t key_bytes = layout.key_count * kBoundaryWordKeyBytes;
  const uint32_t entry_bytes = layout.entry_count * kBoundaryEntryBytes;
  if (key_bytes + entry_bytes == 0) return BoundaryModelStatus::kOk;
  if (dst == nullptr || capacity < key_bytes + entry_bytes) return BoundaryModelStatus::kTooSmall;
  if ((key_bytes > 0 && !payload.Read(4, dst, key_bytes)) ||
      (entry_bytes > 0 && !payload.Read(4 + key_bytes + 4, dst + key_bytes, entry_bytes)))
    return BoundaryModelStatus::kCorrupt;
  BoundaryModel loaded{dst, layout.key_count, dst + key_bytes, layout.entry_count};
  if (Check(loaded) != BoundaryModelStatus::kOk) return BoundaryModelStatus::kCorrupt;
  *model = loaded;
  return BoundaryModelStatus::kOk;
}

BoundaryModelStatus BoundaryModelInPlace(const uint8_t* data, uint32_t size, BoundaryModel* model) {
  *model = BoundaryModel{};
  const SectionReader memory = MemorySection(data, data == nullptr ? 0 : size);
  Layout layout{};
  const BoundaryModelStatus status = ReadLayout(memory, &layout);
  if (status != BoundaryModelStatus::kOk || layout.key_count + layout.entry_count == 0) return status;
  const uint32_t key_bytes = layout.key_count * kBoundaryWordKeyBytes;
  BoundaryModel found{data + 4, layout.key_count, data + 4 + key_bytes + 4, layout.entry_count};
  if (Check(found) != BoundaryModelStatus::kOk) return BoundaryModelStatus::kCorrupt;
  *model = found;
  return BoundaryModelStatus::kOk;
}

BoundaryWeights LookupBoundaryFeature(const BoundaryModel& model, uint8_t feature, uint8_t value, uint8_t sub_value) {
  const uint8_t key[3] = {feature, value, sub_value};
  uint32_t lo = 0, hi = model.entry_count;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    const uint8_t* e = model.entries + static_cast<size_t>(mid) * kBoundaryEntryBytes;
    const int cmp = std::memcmp(e, key, 3);
    if (cmp == 0) {
      return BoundaryWeights{static_cast<int16_t>(e[4] | (e[5] << 8)), static_cast<int16_t>(e[6] | (e[7] << 8))};
    }
    if (cmp < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return BoundaryWeights{0, 0};
}

int FindBoundaryWord(const BoundaryModel& model, const uint16_t* chars, int length) {
  uint8_t key[4];
  WordKey(chars, length, key);
  uint32_t lo = 0, hi = model.key_count;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    const int cmp = std::memcmp(model.word_keys + static_cast<size_t>(mid) * kBoundaryWordKeyBytes, key, 4);
    if (cmp == 0) return static_cast<int>(mid);
    if (cmp < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return -1;
}

namespace {

// Neighbours of a word; the phrase model looks past quotation marks.
class Neighbours {
 public:
  Neighbours(const WordList& words, int index, bool skip_quotes) {
    const int n = WordCount(words);
    for (int k = index - 1; k >= 0 && prev_count_ < 3; --k)
      if (!skip_quotes || !IsQuoteWord(words.words[k])) prev_[prev_count_++] = k;
    for (int k = index + 1; k < n && next_count_ < 3; ++k)
      if (!skip_quotes || !IsQuoteWord(words.words[k])) next_[next_count_++] = k;
  }
  // d-th word before (d = 1 … 3) or -1.
  int Prev(int d) const { return d <= prev_count_ ? prev_[d - 1] : -1; }
  int Next(int d) const { return d <= next_count_ ? next_[d - 1] : -1; }

 private:
  int prev_[3] = {-1, -1, -1};
  int next_[3] = {-1, -1, -1};
  int prev_count_ = 0;
  int next_count_ = 0;
};

int WordIndex(const BoundaryModel& model, const WordRecord& w) {
  return FindBoundaryWord(model, w.chars, WordLength(w));
}

}  // namespace

int ExtractBoundaryFeatures(const WordList& words, int index, const BoundaryModel& model, BoundaryModelKind kind,
                            int phrase_start, BoundaryFeature* out) {
  const int n = WordCount(words);
  if (index < 0 || index >= n || out == nullptr) return 0;
  const bool phrase = kind == BoundaryModelKind::kPhrase;
  const WordRecord& word = words.words[index];
  const Neighbours nb(words, index, phrase);
  const CharCounter chars(words);
  FeatureList f(out);

  const int self = WordIndex(model, word);
  if (self >= 0) {
    f.Add(kFeatSelfLexA, 0, Byte(self));
    f.Add(kFeatSelfLexB, 0, Byte(self));
  }
  const bool listed_single = self >= 0 && WordLength(word) == 1;
  auto lexical = [&](int other, uint8_t fa, uint8_t fb) {
    if (other < 0) {
      if (listed_single) {
        f.Add(fa, 0, kBoundaryPlainSubValue);
        f.Add(fb, 0, kBoundaryPlainSubValue);
      }
      return;
    }
    const int k = WordIndex(model, words.words[other]);
    if (k >= 0) {
      f.Add(fa, 0, Byte(k));
      f.Add(fb, 0, Byte(k));
    }
  };
  lexical(nb.Next(1), kFeatNextLexA, kFeatNextLexB);
  lexical(nb.Prev(1), kFeatPrevLexA, kFeatPrevLexB);

  f.Add(kFeatPos, PosValue(word));
  f.Add(kFeatLen, Byte(WordLength(word)));
  auto context = [&](int other, uint8_t pos_feature, uint8_t len_feature) {
    if (other < 0) {
      f.Add(pos_feature, kBoundaryPosAbsent);
      f.Add(len_feature, 0);
    } else {
      f.Add(pos_feature, PosValue(words.words[other]));
      f.Add(len_feature, Byte(WordLength(words.words[other])));
    }
  };
  context(nb.Prev(1), kFeatPrevPos, kFeatPrevLen);
  context(nb.Next(1), kFeatNextPos, kFeatNextLen);
  context(nb.Prev(2), kFeatPrev2Pos, kFeatPrev2Len);
  context(nb.Next(2), kFeatNext2Pos, kFeatNext2Len);
  context(nb.Prev(3), kFeatPrev3Pos, kFeatPrev3Len);
  // The length of the word three after counts only when it has a tag.
  const int next3 = nb.Next(3);
  f.Add(kFeatNext3Pos, next3 < 0 ? kBoundaryPosAbsent : PosValue(words.words[next3]));
  if (next3 < 0)
    f.Add(kFeatNext3Len, 0);
  else if (words.words[next3].pos >= 0)
    f.Add(kFeatNext3Len, Byte(WordLength(words.words[next3])));

  f.Add(kFeatCharsBefore, Byte(chars.Count(0, index)));
  f.Add(kFeatSentenceChars, Byte(chars.Count(0, n)));

  if (phrase) {
    const int start = phrase_start < 0 ? 0 : (phrase_start > n ? n : phrase_start);
    f.Add(kFeatCharsToEnd, Byte(chars.Count(start, n)));
    auto mark = [&](int other, uint8_t feature) {
      if (other < 0 || words.words[other].word_class != kSymbolClass) return;
      const int k = WordIndex(model, words.words[other]);
      if (k >= 0) f.Add(feature, 0, Byte(k));
    };
    mark(nb.Next(1), kFeatNextMark);
    mark(nb.Prev(1), kFeatPrevMark);
  }
  return f.count();
}

namespace {

bool VotesForBoundary(const WordList& words, int index, const BoundaryModel& model, BoundaryModelKind kind,
                      int phrase_start) {
  BoundaryFeature features[kMaxBoundaryFeatures];
  const int count = ExtractBoundaryFeatures(words, index, model, kind, phrase_start, features);
  int32_t against = 0, for_boundary = 0;
  for (int k = 0; k < count; ++k) {
    const BoundaryWeights w =
        LookupBoundaryFeature(model, features[k].feature, features[k].value, features[k].sub_value);
    against += w.no_boundary;
    for_boundary += w.boundary;
  }
  return for_boundary >= against;
}

}  // namespace

void PredictProsodicWords(WordList& words, const BoundaryModel& model) {
  const int n = WordCount(words);
  for (int k = 0; k < n; ++k)
    if (VotesForBoundary(words, k, model, BoundaryModelKind::kProsodicWord, 0))
      words.words[k].boundary = kStartsProsodicWord;
}

void PredictPhrases(WordList& words, const BoundaryModel& model) {
  const int n = WordCount(words);
  int phrase_start = 0;
  for (int k = 0; k < n; ++k) {
    WordRecord& word = words.words[k];
    if (IsQuoteWord(word)) continue;
    if (VotesForBoundary(words, k, model, BoundaryModelKind::kPhrase, phrase_start)) {
      word.boundary |= kStartsPhrase | kStartsProsodicWord;
      phrase_start = k;
      continue;
    }
    if (!IsBuildingWord(word)) continue;
    const Neighbours nb(words, k, true);
    const int prev = nb.Prev(1), next = nb.Next(1);
    if (prev >= 0 && next >= 0 && words.words[prev].pos == kTagUnknownRun)
      words.words[next].boundary |= kStartsPhrase | kStartsProsodicWord;
  }
}

void PredictBoundaries(WordList& words, const BoundaryModel& prosodic_word_model, const BoundaryModel& phrase_model) {
  PredictProsodicWords(words, prosodic_word_model);
  PredictPhrases(words, phrase_model);
}

}  // namespace kvo::frontend
