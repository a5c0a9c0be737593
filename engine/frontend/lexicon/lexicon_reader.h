// Lookup in the main lexicon section: for a first character (a GB2312
// hanzi) and the characters after it, the dictionary entries of every
// length with their decoded readings. Every read goes through a bounds-
// checked payload view; a corrupt block yields kCorrupt, never a read
// outside the payload. No allocation.
#ifndef KVO_ENGINE_FRONTEND_LEXICON_READER_H
#define KVO_ENGINE_FRONTEND_LEXICON_READER_H

#include <cstdint>

#include "core/section_reader.h"

// The numbers of the lexicon layout are those of lexicon_layout.txt, which
// the builder reads (a test compares them).
constexpr uint32_t kLexiconIndexEntries = 6768;
constexpr uint32_t kLexiconIndexBytes = kLexiconIndexEntries * 4;
constexpr int kLexiconMaxWordLength = 16;
constexpr int kLexiconMaxReadings = 16;
constexpr uint16_t kLexiconNoPinyin = 0xFFFF;

// Block index of a GB2312 hanzi internal code (lead byte low), or -1.
int LexiconHanziIndex(uint16_t code);

// The frequency a one-byte frequency code stands for (0 … 60000).
uint32_t LexiconFrequency(uint8_t code);

struct LexiconEntryHeader {
  int length;  // characters, 1 … 16
  int size;    // bytes of the whole entry, header included
};
LexiconEntryHeader DecodeLexiconEntryHeader(uint16_t header);

struct LexiconReading {
  uint8_t tag;  // tag number (index into the tag-name table)
  uint8_t frequency_code;
  uint32_t frequency;
  uint16_t pinyin[kLexiconMaxWordLength];  // unit code per character
};

struct LexiconEntry {
  int length;
  int reading_count;       // readings beyond kLexiconMaxReadings are left out
  uint32_t frequency_sum;  // of the readings kept
  LexiconReading readings[kLexiconMaxReadings];
};

enum class LexiconStatus { kFound, kNotFound, kCorrupt };

class LexiconReader {
 public:
  // False when the payload cannot hold the block index.
  bool Open(const SectionReader& payload);

  // The default unit code of a first character's block; kNotFound when
  // the character is not a GB2312 hanzi or has an empty block.
  LexiconStatus DefaultPinyin(uint16_t first, uint16_t* code) const;

  // The entry for exactly the word chars[0 … length).
  LexiconStatus Find(const uint16_t* chars, int length, LexiconEntry* entry) const;

  // Every entry that starts the text chars[0 … available): entries[i]
  // receives the word of length i + 1 and found[i] whether there is one
  // (for i below kLexiconMaxWordLength; shorter arrays are not allowed).
  // Returns kFound when any length matched.
  LexiconStatus FindPrefixes(const uint16_t* chars, int available, LexiconEntry* entries, bool* found) const;

 private:
  struct Block {
    uint32_t begin;
    uint32_t end;
    uint16_t default_code;
  };
  LexiconStatus LocateBlock(uint16_t first, Block* block) const;
  LexiconStatus DecodeReadings(const Block& block, uint32_t entry_offset, const LexiconEntryHeader& header,
                               LexiconEntry* entry) const;

  SectionReader payload_{};
  bool open_ = false;
};

#endif
