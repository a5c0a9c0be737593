// English text normalisation: tokens cut from the text and cleaned, then
// rewritten into plain lower-case words (numbers, money, times, Roman
// numerals, titles, contractions, fractions, ranges, letter sequences).
#pragma once

#include <cstddef>
#include <cstdint>

#include "english/english_words.h"

namespace kvo::english {

// Words made by the number readers and token rules, in order.
struct WordSink {
  EnglishWordList* list;
  const char* token;  // the token the words come from
  char punctuation;
  int8_t tag;
  bool Add(const char* word, size_t length);
  bool Add(const char* word);
  // Appends text to the last word (the "'s" of a decade).
  void AppendToLast(const char* text);
};

// Number readers: digits in, words out.
void ReadCardinal(const char* digits, size_t n, WordSink* out);
void ReadDigits(const char* text, size_t n, WordSink* out);
void ReadYear(const char* digits, size_t n, WordSink* out);
void ReadOrdinal(const char* digits, size_t n, WordSink* out);
void ReadNumber(const char* text, size_t n, WordSink* out);
void SpellLetters(const char* text, size_t n, WordSink* out);

// Token patterns (whole-token matches).
enum class Pattern {
  kTime,
  kFourDigits,
  kThreeDigits,
  kRoman,
  kFraction,
  kDottedLetters,
  kMoney,
  kDigitGroups,
  kPhone,
  kIllion,
  kStreetOrDoctor,
  kDecade,
  kOrdinal,
  kDigits,
  kAlphabetic,
  kCommaNumber,
  kNumber,
};
bool Matches(Pattern pattern, const char* token);
bool IsPronounceable(const char* token);

// Cleans a token in place: leading white space and opening marks, the core
// up to the next white space, trailing marks stripped. *last_mark gets the
// last stripped trailing mark (0 when none). Returns the cleaned length.
size_t CleanToken(char* token, char* last_mark);

// A chunk's tokens before normalisation.
constexpr int kMaxTokens = 50;
struct TokenList {
  int count;
  char tokens[kMaxTokens][kWordBytes];
  char punctuation[kMaxTokens];
  int8_t tags[kMaxTokens];
  int16_t start[kMaxTokens];  // byte offset of the token in the text cut
};

// Cuts an English run (at most 60 bytes) into cleaned tokens.
void TokeniseRun(const char* text, size_t n, TokenList* out);
// Cuts one chunk of an English sentence at spaces into cleaned tokens.
void TokeniseChunk(const char* text, size_t n, TokenList* out);

// Rewrites every token of the chunk into words (at most kMaxWords).
void NormaliseTokens(const TokenList& tokens, EnglishWordList* words);

}  // namespace kvo::english
