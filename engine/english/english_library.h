// Readers of the English library's front-end sections: the pronunciation
// dictionaries (lexicon and exception list), the letter-to-sound trees, the
// part-of-speech lexicon and the phrase-break model. The numbers are those
// of english_layout.txt (a test compares them). Every read goes through a
// SectionReader and is bounds-checked; a section that breaks its layout
// reads as absent or yields nothing, never out of bounds.
#pragma once

#include <cstdint>

#include "core/section_reader.h"

namespace kvo::english {

namespace layout {
constexpr int32_t kSectionLexicon = 1;
constexpr int32_t kSectionExceptions = 4;
constexpr int32_t kSectionLts = 5;
constexpr int32_t kSectionPosLexicon = 6;
constexpr int32_t kSectionBreakModel = 7;

constexpr uint32_t kPronHeaderBytes = 4;
constexpr uint32_t kPronIndexEntryBytes = 4;
constexpr uint32_t kPronEntryHeadBytes = 3;
constexpr uint8_t kPronAnyTag = 12;
constexpr int kPronMaxWordBytes = 33;
constexpr int kPronMaxPhones = 48;
constexpr uint8_t kPronStressFlag = 0x80;

constexpr uint32_t kLtsHeaderBytes = 8;
constexpr uint32_t kLtsTreeBytes = 8;
constexpr uint32_t kLtsNodeBytes = 6;
constexpr uint8_t kLtsLeafPosition = 255;
constexpr int kLtsWindow = 3;
constexpr uint8_t kLtsBoundary = 0x23;
constexpr uint8_t kLtsPadding = 0x30;
constexpr int kLtsLetters = 26;

constexpr uint32_t kPosHeaderBytes = 4;
constexpr uint32_t kPosIndexEntryBytes = 4;
constexpr uint32_t kPosEntryHeadBytes = 2;
constexpr uint32_t kPosCandidateBytes = 3;
constexpr int32_t kPosScorePerNat = 1000;
constexpr int32_t kPosScoreMultiplier = 4;
constexpr int kPosMaxCandidates = 12;

constexpr uint32_t kBreakHeaderBytes = 8;
constexpr uint32_t kBreakEntryBytes = 8;
constexpr uint32_t kBreakMaxEntries = 16384;
constexpr int kBreakFeatures = 26;
}  // namespace layout

// A phone of a pronunciation: symbol index with the stress flag.
struct PhoneString {
  uint8_t count;
  uint8_t phones[layout::kPronMaxPhones];
};

// Lexicon or exception list. Lookup takes the entry with the word's tag,
// else one for any tag, else the word's first entry.
class PronDictionary {
 public:
  bool Open(const SectionReader& section);
  bool present() const { return count_ > 0; }
  bool Lookup(const char* word, int tag, PhoneString* out) const;

 private:
  bool EntryWord(uint32_t index, uint32_t* offset, uint8_t* head, char* word) const;
  SectionReader section_;
  uint32_t count_ = 0;
};

// Letter-to-sound trees, one per letter a..z.
class LetterToSound {
 public:
  bool Open(const SectionReader& section);
  bool present() const { return open_; }
  // Phones (stress digits as the stress flag) of a lower-case word; letters
  // without a tree add nothing. False when the result does not fit.
  bool Predict(const char* word, PhoneString* out) const;

 private:
  bool Leaf(int letter, const uint8_t* window, int* phone_list_index) const;
  SectionReader section_;
  bool open_ = false;
  uint32_t first_node_[layout::kLtsLetters] = {};
  uint32_t node_count_[layout::kLtsLetters] = {};
  uint32_t nodes_offset_ = 0;
  // The phone strings, copied at open: offsets into names_.
  static constexpr int kMaxStrings = 255;
  static constexpr int kNameBytes = 1024;
  int string_count_ = 0;
  uint16_t string_offset_[kMaxStrings] = {};
  char names_[kNameBytes] = {};
};

struct PosCandidate {
  int8_t tag;
  int32_t score;  // in the unit of the transition scores
};

class PosLexicon {
 public:
  bool Open(const SectionReader& section);
  bool present() const { return count_ > 0; }
  // Candidates of a lower-case word; 0 when it is not in the lexicon.
  int Lookup(const char* word, PosCandidate* out, int capacity) const;

 private:
  SectionReader section_;
  uint32_t count_ = 0;
};

// The phrase-break model, held in memory (an arena block at init).
class BreakModel {
 public:
  // Bytes needed to hold the model, or false when the section breaks its
  // layout (then the model is not used).
  static bool Bytes(const SectionReader& section, uint32_t* bytes);
  bool Load(const SectionReader& section, uint8_t* block, uint32_t bytes);
  bool present() const { return entry_count_ > 0; }
  // Index of a word in the identity list, or -1.
  int WordId(const char* word) const;
  // Adds the weights of the entry (feature, value), if there is one.
  void Add(int feature, int value, int32_t* a, int32_t* b) const;

 private:
  const uint8_t* words_ = nullptr;
  uint32_t word_bytes_ = 0;
  uint32_t word_count_ = 0;
  const uint8_t* entries_ = nullptr;
  uint32_t entry_count_ = 0;
};

}  // namespace kvo::english
