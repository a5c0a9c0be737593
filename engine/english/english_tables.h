// The English front end's fixed tables: the label symbol table, the tag set
// and its transition scores, the word lists of the labels and of the
// phrase-break model.
#pragma once

#include <cstdint>

namespace kvo::english {

constexpr int kSymbolCount = 70;
extern const char* const kSymbols[kSymbolCount];
// Index of a name in the symbol table, or -1. Binary search over the sorted
// part of the table (the last entry, "6", is never found).
int SymbolIndex(const char* name);
// Voicing class of a symbol (1 voiced, 0 voiceless, 3 others named, 255).
uint8_t SymbolVoicing(int symbol);
bool IsVowelSymbol(int symbol);

enum Symbol : int {
  kSymZero = 0,
  kSymHH = 1,
  kSymLH = 3,
  kSymLL = 4,
  kSymNone = 5,
  kSymAx = 12,
  kSymContent = 19,
  kSymIy = 38,
  kSymNoVowel = 46,
  kSymPau = 51,
  kSymS = 55,
  kSymX = 65,
  kSymZ = 67,
};

enum Tag : int8_t {
  kTagBoundary = 0,
  kTagAdv = 1,
  kTagPron = 2,
  kTagVerb = 3,
  kTagUnc = 4,
  kTagAdj = 5,
  kTagInterj = 6,
  kTagConj = 7,
  kTagPrep = 8,
  kTagStop = 9,
  kTagArt = 10,
  kTagSubst = 11,
};
constexpr int kTagCount = 12;
constexpr int kNoWordTag = 109;
extern const int32_t kTagTransitions[kTagCount][kTagCount];

// Label word class of a lower-case word: a symbol index ("content" for any
// word in no list).
int WordClassSymbol(const char* word);
// True for the words the phrase-break model knows by identity.
bool IsIdentityWord(const char* word);

}  // namespace kvo::english
