// Search and decoding of the polyphone model section: single-character and
// pair entries by binary search, then their rules and limits one at a time.
// Deciding whether a limit holds against a sentence is the caller's part.
// Every read is bounds-checked; corrupt data yields kCorrupt.
#ifndef KVO_ENGINE_FRONTEND_POLYPHONE_READER_H
#define KVO_ENGINE_FRONTEND_POLYPHONE_READER_H

#include <cstdint>

#include "frontend/lexicon/lexicon_reader.h"

enum class PolyphoneStatus { kFound, kNotFound, kCorrupt };

enum PolyphoneLimitType : uint8_t {
  kPolyphoneLimitPartOfSpeech = 0,
  kPolyphoneLimitWords = 1,
  kPolyphoneLimitCharacterNumber = 2,
  kPolyphoneLimitCharacterAttribute = 3,
};

// Fixed parts of the payload: the two counts, a single entry, a pair entry.
// The numbers are those of lexicon_layout.txt (a test compares them).
constexpr uint32_t kPolyphoneHeaderBytes = 8;
constexpr uint32_t kPolyphoneSingleBytes = 8;
constexpr uint32_t kPolyphonePairBytes = 12;

constexpr int kPolyphoneMaxTags = 127;
constexpr int kPolyphoneMaxPatternChars = 24;
constexpr uint16_t kPolyphoneWildcard = 0x2A;  // '*'

// A found entry: where its rules start and how many there are.
struct PolyphoneEntry {
  bool pair;
  uint16_t chars[2];
  uint16_t rule_count;
  uint32_t rule_offset;
};

struct PolyphoneRule {
  uint16_t pinyin[2];  // unit codes; pinyin[1] only for pair rules
  uint8_t limit_count;
  uint32_t limits_offset;  // first limit
  uint32_t end_offset;     // end of this rule = start of the next
};

struct PolyphoneLimit {
  uint8_t type;  // PolyphoneLimitType; other values never hold
  bool known;    // false for a type above 3: its rule never applies
  bool negated;
  int8_t range_begin;  // part of speech, words: word offsets
  int8_t range_end;
  int8_t position;       // character number, attribute: word offset
  int8_t char_position;  // attribute: character of that word
  uint8_t length;        // character number
  bool fewer_than;       // character number: holds for fewer characters
  uint32_t mask;         // attribute bits, negation bit removed
  uint8_t count;         // tags or patterns
  uint16_t tags[kPolyphoneMaxTags];
  uint32_t patterns_offset;  // words: first pattern
  uint32_t patterns_end;
  uint32_t end_offset;  // next limit; 0 for an unknown type
};

struct PolyphonePattern {
  int length;       // characters without the wildcards
  bool any_before;  // leading '*': the word may start with more
  bool any_after;   // trailing '*': the word may continue
  uint16_t chars[kPolyphoneMaxPatternChars];
};

class PolyphoneReader {
 public:
  // False when the header or the entry tables do not fit the payload.
  bool Open(const SectionReader& payload);

  uint32_t SingleCount() const { return single_count_; }
  uint32_t PairCount() const { return pair_count_; }

  PolyphoneStatus FindSingle(uint16_t ch, PolyphoneEntry* entry) const;
  PolyphoneStatus FindPair(uint16_t first, uint16_t second, PolyphoneEntry* entry) const;

  // Rule at offset (the entry's rule_offset, then the previous rule's
  // end_offset), for an entry of one or two characters.
  PolyphoneStatus ReadRule(uint32_t offset, bool pair, PolyphoneRule* rule) const;
  // Limit at offset inside rule (the rule's limits_offset, then the
  // previous limit's end_offset).
  PolyphoneStatus ReadLimit(const PolyphoneRule& rule, uint32_t offset, PolyphoneLimit* limit) const;
  // Pattern index of a words limit.
  PolyphoneStatus ReadPattern(const PolyphoneLimit& limit, int index, PolyphonePattern* pattern) const;

 private:
  PolyphoneStatus ReadSingle(uint32_t index, PolyphoneEntry* entry) const;
  PolyphoneStatus ReadPair(uint32_t index, PolyphoneEntry* entry) const;

  SectionReader payload_{};
  uint32_t single_count_ = 0;
  uint32_t pair_count_ = 0;
  bool open_ = false;
};

// Whether a word matches a pattern: exactly, by prefix (trailing '*'), by
// suffix (leading '*') or as an inner part (both).
bool PolyphonePatternMatches(const PolyphonePattern& pattern, const uint16_t* word, int length);

#endif
