// The printed forms of an analysed sentence. Other tools parse these, so
// the layout is fixed (docs/frontend.md, "kvo-analyze").
#pragma once

#include <string>

#include "front_end_runner.h"

namespace kvo::analyze {

// "# <sentence>" and one line per word: text, tag, readings before and after
// tone sandhi, tab-separated; "-" for a character without a syllable.
std::string FormatWords(const FrontEndRunner& runner, const AnalysedSentence& sentence);

// One line per item of the batch, tab-separated, each starting with a tab
// and "@" (word text never holds a tab, so no word line starts like that).
std::string FormatItems(const FrontEndRunner& runner, const AnalysedSentence& sentence);

// The syllables of the sentence, space-separated, as spoken (after tone
// sandhi) or in citation tones (before it). Empty when it has none.
std::string SpokenSyllables(const FrontEndRunner& runner, const AnalysedSentence& sentence);
std::string CitationSyllables(const FrontEndRunner& runner, const AnalysedSentence& sentence);

// Name of a word's tag: a tag number of the tag table or a letter-coded tag.
std::string TagText(int tag);
// Name of an item's tag, which is always letter-coded.
std::string LetterTagText(int tag);

// Text with backslash escapes for the characters the line format uses:
// \n \t \r, \\ and \xHH for other control bytes.
std::string Printable(const std::string& text);

}  // namespace kvo::analyze
