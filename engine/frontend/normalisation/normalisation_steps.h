// The steps of the normalisation, in the order normalisation_step.cpp runs
// them. Each works in place on a word list and never fails.
#pragma once

#include "frontend/analysis/chinese_analysis.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {

// Built-in fixed words (RMB, sina, …) and pinyin input such as hao3.
void ApplySpelling(const AnalysisResources& res, WordList* words);

// Non-hanzi words cut into runs of one class; symbols one a word; letter
// and digit runs joined up to kMaxWordChars.
void RegroupByClass(const AnalysisResources& res, WordList* words, WordList* scratch);

// The reading modes of digit, punctuation and letter words.
void AssignReadingModes(const NormalisationSettings& settings, WordList* words);

// The word rules: numbers, symbols, placeholders; in is read, out written.
void ApplyWordRules(const AnalysisResources& res, const NormalisationSettings& settings, const WordList& in,
                    WordList* out);

// Pinyin of the Chinese words the rules made, from the main lexicon.
void CompletePinyin(const AnalysisResources& res, WordList* words);

}  // namespace kvo::frontend
