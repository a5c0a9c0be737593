// Patterns that span several words of a Chinese sentence (addresses, model
// names, grouped numbers, dates, times, scores, race times, dotted and list
// numbers, telephone numbers, formulas, fractions, units). Each recognised
// span is replaced by words whose reading is fixed: digit words with a
// forced reading type, Chinese words such as 年 or 比 (pinyin unknown,
// filled in later), symbol words forced to kReadSymbols, space words.
#pragma once

#include "frontend/analysis/chinese_analysis.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {

// Rewrites words in place (the caller passes a copy without its class-6
// words). Never fails; a pattern that does not match leaves its words.
void ApplySentencePatterns(const AnalysisResources& res, const NormalisationSettings& settings, WordList* words);

}  // namespace kvo::frontend
