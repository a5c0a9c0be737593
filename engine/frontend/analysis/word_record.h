// The word list of one Chinese sentence, as word building makes it and the
// later analysis steps (normalisation, polyphones, surnames, boundaries,
// item building) read and change it.
#pragma once

#include <cstdint>

namespace kvo::frontend {

constexpr int kMaxWordChars = 24;
constexpr int kMaxWordsPerSentence = 50;

// Part-of-speech tag numbers: indexes into the tag-name table.
constexpr int16_t kTagNumeral = 34;   // m
constexpr int16_t kTagNoun = 38;      // n
constexpr int16_t kTagPerson = 39;    // nr
constexpr int16_t kTagUnknown = 88;   // w: a run no dictionary knows
constexpr int16_t kTagForeign = 104;  // x

// Word flags.
constexpr uint16_t kWordChineseSide = 0x10;
constexpr uint16_t kWordEnglish = 0x20;
// Boundary flags.
constexpr uint16_t kStartsProsodicWord = 0x1000;
constexpr uint16_t kStartsPhrase = 0x2000;

constexpr uint16_t kUnknownPinyin = 0xFFFF;
constexpr int16_t kWordClassUntouchable = 6;  // later steps leave the word alone

struct WordRecord {
  uint16_t chars[kMaxWordChars];     // internal codes
  uint16_t pinyin[kMaxWordChars];    // unit code per character, kUnknownPinyin when none
  int16_t length;                    // 1..24
  int16_t word_class;                // character class of the first character
  int16_t pos;                       // tag number (dictionary words) or letter-coded tag
  int16_t char_pos[kMaxWordChars];   // letter-coded tag of the word holding each character
  int16_t char_word[kMaxWordChars];  // number of the word holding each character
  int16_t reading_modes[2];          // chosen by normalisation
  uint16_t flags;
  uint16_t boundary;      // kStartsProsodicWord, kStartsPhrase
  int32_t text_position;  // index of the first character from the start of the text buffer
};

struct WordList {
  WordRecord words[kMaxWordsPerSentence];
  int count;
};

}  // namespace kvo::frontend
