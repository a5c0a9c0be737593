// Polyphone disambiguation: one- and two-character hanzi words found in the
// polyphone model take the reading of the first rule whose limits all hold
// against the words around them.
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

namespace {

constexpr int16_t kTagNumber = 34;    // m
constexpr int16_t kTagLetters = 104;  // x

// Attribute bits of the few characters whose attributes are known; every
// other character has none.
struct CharacterAttribute {
  uint16_t code;
  uint32_t bits;
};
constexpr CharacterAttribute kAttributes[] = {
    {GbkCode(0xB0, 0xA1), 0x4C00800},  // 啊
    {GbkCode(0xB0, 0xA2), 0x400000},   // 阿
    {GbkCode(0xB0, 0xB4), 0x8400},     // 按
};

uint32_t AttributeOf(uint16_t code) {
  for (const CharacterAttribute& a : kAttributes)
    if (a.code == code) return a.bits;
  return 0;
}

bool IsLatin(uint16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsGreek(uint16_t c) { return ClassifyCode(c, 0) == qvTTS_CT_GREEK; }

// The clipped word range [w + begin, w + end]; false when it is empty.
bool Range(const WordList& words, int w, int begin, int end, int* from, int* to) {
  *from = w + begin < 0 ? 0 : w + begin;
  *to = w + end >= words.count ? words.count - 1 : w + end;
  return *from <= *to;
}

PolyphoneStatus LimitHolds(const PolyphoneReader& reader, const PolyphoneLimit& limit, const WordList& words, int w,
                           bool* holds) {
  *holds = false;
  int from = 0, to = -1;
  switch (limit.type) {
    case kPolyphoneLimitPartOfSpeech: {
      bool any = false;
      if (Range(words, w, limit.range_begin, limit.range_end, &from, &to)) {
        for (int k = from; k <= to && !any; ++k)
          for (int t = 0; t < limit.count && t < kPolyphoneMaxTags; ++t)
            if (words.words[k].pos == static_cast<int16_t>(limit.tags[t])) any = true;
      }
      *holds = any != limit.negated;
      return PolyphoneStatus::kFound;
    }
    case kPolyphoneLimitWords: {
      bool any = false;
      if (Range(words, w, limit.range_begin, limit.range_end, &from, &to)) {
        for (int p = 0; p < limit.count && !any; ++p) {
          PolyphonePattern pattern;
          const PolyphoneStatus st = reader.ReadPattern(limit, p, &pattern);
          if (st != PolyphoneStatus::kFound) return st;
          for (int k = from; k <= to && !any; ++k)
            any = PolyphonePatternMatches(pattern, words.words[k].chars, words.words[k].length);
        }
      }
      *holds = any != limit.negated;
      return PolyphoneStatus::kFound;
    }
    case kPolyphoneLimitCharacterNumber: {
      const int k = w + limit.position;
      const int length = k >= 0 && k < words.count ? words.words[k].length : 0;
      *holds = limit.fewer_than ? length < limit.length : length == limit.length;
      return PolyphoneStatus::kFound;
    }
    case kPolyphoneLimitCharacterAttribute: {
      const int k = w + limit.position;
      uint32_t bits = 0;
      if (k >= 0 && k < words.count) {
        const WordRecord& word = words.words[k];
        int c = limit.char_position;
        if (c < 0) c += word.length;  // counted from the word's end
        if (c >= 0 && c < word.length) bits = AttributeOf(word.chars[c]);
      }
      *holds = ((bits & limit.mask) == limit.mask) != limit.negated;
      return PolyphoneStatus::kFound;
    }
    default:
      return PolyphoneStatus::kFound;  // an unknown type never holds
  }
}

// Tries the rules of entry on word w; false on corrupt data.
bool ApplyEntry(const PolyphoneReader& reader, const PolyphoneEntry& entry, WordList* words, int w) {
  uint32_t offset = entry.rule_offset;
  for (int r = 0; r < entry.rule_count; ++r) {
    PolyphoneRule rule;
    if (reader.ReadRule(offset, entry.pair, &rule) != PolyphoneStatus::kFound) return false;
    bool all = true;
    uint32_t limit_offset = rule.limits_offset;
    for (int l = 0; l < rule.limit_count && all; ++l) {
      PolyphoneLimit limit;
      if (reader.ReadLimit(rule, limit_offset, &limit) != PolyphoneStatus::kFound) return false;
      if (!limit.known) {
        all = false;
        break;
      }
      bool holds = false;
      if (LimitHolds(reader, limit, *words, w, &holds) != PolyphoneStatus::kFound) return false;
      all = holds;
      limit_offset = limit.end_offset;
    }
    if (all) {
      WordRecord& word = words->words[w];
      word.pinyin[0] = rule.pinyin[0];
      if (entry.pair) word.pinyin[1] = rule.pinyin[1];
      return true;
    }
    if (rule.end_offset <= offset) return false;  // a rule that does not advance
    offset = rule.end_offset;
  }
  return true;
}

}  // namespace

bool ApplyPolyphoneRules(const AnalysisResources& res, WordList* words) {
  if (!res.hasPolyphone) return true;
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    if (word.pos != kTagUnknown) continue;
    if (word.chars[0] >= '0' && word.chars[0] <= '9') {
      word.pos = kTagNumber;
    } else if (IsLatin(word.chars[0]) || IsGreek(word.chars[word.length - 1])) {
      word.pos = kTagLetters;
    }
  }
  bool ok = true;
  for (int w = 0; w < words->count && ok; ++w) {
    WordRecord& word = words->words[w];
    if (word.word_class != qvTTS_CT_CHINESE || word.length > 2) continue;
    PolyphoneEntry entry;
    const PolyphoneStatus st = word.length == 1 ? res.polyphone.FindSingle(word.chars[0], &entry)
                                                : res.polyphone.FindPair(word.chars[0], word.chars[1], &entry);
    if (st == PolyphoneStatus::kCorrupt) ok = false;
    if (st == PolyphoneStatus::kFound) ok = ApplyEntry(res.polyphone, entry, words, w);
  }
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    const uint16_t first = word.chars[0];
    if (word.pos == kTagNumber && first >= '0' && first <= '9') word.pos = kTagUnknown;
    if (word.pos == kTagLetters && (IsLatin(first) || IsGreek(first))) word.pos = kTagUnknown;
  }
  return ok;
}

}  // namespace kvo::frontend
