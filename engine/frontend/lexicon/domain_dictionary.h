// The phrase dictionary of a domain library, read by word building: per
// GB2312 first character a block of phrase entries, each with its
// characters, a tag name and one reading. The block of the character being
// looked up is copied into a fixed buffer (at most 40960 bytes); a block
// that is larger, or that does not lie inside the part, counts as empty.
// Every read is bounds-checked; nothing is allocated.
#ifndef KVO_ENGINE_FRONTEND_DOMAIN_DICTIONARY_H
#define KVO_ENGINE_FRONTEND_DOMAIN_DICTIONARY_H

#include <cstdint>

#include "core/section_reader.h"
#include "frontend/lexicon/lexicon_reader.h"

constexpr uint32_t kDomainBlockBytes = 40960;
// Index of 6768 offsets and M; blocks are counted from M * 4 + this.
constexpr uint32_t kDomainIndexBytes = kLexiconIndexEntries * 4 + 4;
constexpr uint32_t kDomainBlockBase = 54148;
// What a phrase of the dictionary counts as in word building.
constexpr uint32_t kDomainWordFrequency = 80000;

class DomainDictionary {
 public:
  // `block` must hold kDomainBlockBytes. False (closed) when the part
  // cannot hold the index.
  bool Open(const SectionReader& part, uint8_t* block);
  void Close() { open_ = false; }
  bool open() const { return open_; }

  // Every phrase that starts the text chars[0 … available): found[i] says
  // whether the phrase of length i + 1 is there (i below
  // kLexiconMaxWordLength). Reads the first character's block.
  bool FindPrefixes(const uint16_t* chars, int available, bool* found);

  // The phrase chars[0 … length) as a lexicon entry: one reading with the
  // dictionary's tag (255 for a name the tag table lacks), its unit codes
  // and the domain frequency. False when it is not in the dictionary.
  bool Find(const uint16_t* chars, int length, LexiconEntry* entry);

 private:
  // Loads the block of a first character; false when it has no entries.
  bool LoadBlock(uint16_t first);
  // The length in characters of the loaded block's entry at `offset`;
  // false when no well-formed entry starts there.
  bool EntryAt(uint32_t offset, int* length) const;

  SectionReader part_{};
  uint8_t* block_ = nullptr;
  uint32_t blockBytes_ = 0;  // valid bytes of the loaded block
  int loaded_ = -1;          // index of the loaded character, -1 none
  bool open_ = false;
};

#endif
