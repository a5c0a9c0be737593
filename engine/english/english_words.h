// The word list of one English chunk: tokens as cut from the text, the
// words normalisation makes of them, and what the analysis adds (tag,
// syllables). Fixed capacity; lives in the English front end's record.
#pragma once

#include <cstdint>

namespace kvo::english {

constexpr int kMaxWords = 50;
constexpr int kWordBytes = 34;  // with the NUL
constexpr int kMaxSyllables = 12;
constexpr int kSyllablePhones = 5;

// Syllable: byte 0 = phone count (bits 0-3) | stressed | accented; then the
// phones as symbol indices.
constexpr uint8_t kSyllableCountMask = 0x0F;
constexpr uint8_t kSyllableStressed = 0x10;
constexpr uint8_t kSyllableAccented = 0x20;

struct Syllable {
  uint8_t info;
  uint8_t phones[kSyllablePhones];
};

struct EnglishWord {
  char punctuation;  // the mark that followed the token, 0 when none
  uint8_t syllable_count;
  uint8_t chunk_start;  // first word of its chunk
  uint8_t pause_before;
  int8_t tag;  // part of speech; 0 for the words of an English run
  char token[kWordBytes];
  char word[kWordBytes];
  Syllable syllables[kMaxSyllables];
};

struct EnglishWordList {
  int count;
  EnglishWord words[kMaxWords];
};

}  // namespace kvo::english
