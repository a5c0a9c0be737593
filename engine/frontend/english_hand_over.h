// Where the Chinese analysis hands English over: the runs of English words
// inside a Chinese sentence are replaced in the batch by the English front
// end's phone items.
#pragma once

#include <cstdint>

#include "core/analysis_item.h"
#include "english/english_front_end.h"
#include "frontend/analysis/word_record.h"

namespace kvo::frontend {

// Marks the words of a Chinese sentence English or not: a letter word is
// English, a Chinese or reading-code word is not, any other word takes the
// mark of the word before it (English at the start when a letter word
// follows). Only words of plain ASCII can be English.
void MarkEnglishWords(const WordList& words, bool* english);

// Replaces the items of every English run (at most 60 bytes each) by the
// English front end's items; a run that does not fit into the free items
// keeps its letter items. *count is updated; the terminator is rewritten.
void ConvertEnglishRuns(english::EnglishFrontEnd* fe, const WordList& words, const english::ItemParameters& params,
                        qvAnalysisItem* items, int32_t capacity, int32_t* count);

}  // namespace kvo::frontend
