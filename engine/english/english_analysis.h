// English linguistic analysis: part-of-speech tagging and phrase breaks of
// a sentence, then per chunk pronunciation, syllables with stress,
// post-lexical rules, accents and the final tone, and the analysis items
// with their 64-byte context labels.
#pragma once

#include <cstdint>

#include "core/analysis_item.h"
#include "english/english_library.h"
#include "english/english_words.h"

namespace kvo::english {

struct EnglishResources {
  PronDictionary exceptions;
  PronDictionary lexicon;
  LetterToSound lts;
  PosLexicon pos;
  BreakModel breaks;
};

constexpr int kMaxSentenceTokens = 256;
constexpr int kTokenBytes = 128;  // sentence tokens are cut at 127 bytes

// The raw tokens of one English sentence.
struct SentenceTokens {
  int count;
  int16_t start[kMaxSentenceTokens];   // byte offset in the sentence text
  int16_t length[kMaxSentenceTokens];  // bytes (at most kTokenBytes - 1)
  int8_t tag[kMaxSentenceTokens];
  uint8_t break_before[kMaxSentenceTokens];
};

// Tagging works on lower-cased copies of the tokens in text.
void TagParts(const EnglishResources& res, const char* text, SentenceTokens* tokens);
void PredictBreaks(const EnglishResources& res, const char* text, SentenceTokens* tokens);

// Gives every word its syllables (words no source can pronounce get none).
void Pronounce(const EnglishResources& res, EnglishWordList* words);
// Splits phones (symbol | stress flag) into the syllables of a word.
void Syllabify(const uint8_t* phones, int count, EnglishWord* word);
void ApplyPostLexicalRules(EnglishWordList* words);
// Sets the accent flag on syllables; returns the chunk's final tone symbol.
int PredictAccents(EnglishWordList* words);
// Removes the words without syllables and marks the first word.
void DropSilentWords(EnglishWordList* words);

struct ItemParameters {
  int16_t pitch;
  int16_t speed;
  int16_t volume;
};
// Appends one item per phone (a "pau" first) from items[first]; stops one
// short of capacity so that a terminator fits. Returns the items appended.
int MakeItems(const EnglishWordList& words, int final_tone, const ItemParameters& params, qvAnalysisItem* items,
              int first, int capacity);

}  // namespace kvo::english
