// The printed forms of what a sentence sounds like word by word, phone by
// phone and label by label, for English and mixed sentences
// (docs/frontend.md, "kvo-analyze").
#pragma once

#include <string>

#include "front_end_runner.h"

namespace kvo::analyze {

// The words as they will be spoken, single spaces: Chinese words as their
// characters, English words lower case after normalisation. Empty when
// the sentence has none.
std::string SpokenWords(const FrontEndRunner& runner, const AnalysedSentence& sentence);

// English phones: syllables separated by " . ", words by " | ", a stressed
// syllable marked with a leading "'"; Chinese syllables as pinyin with tone.
std::string SpokenPhones(const FrontEndRunner& runner, const AnalysedSentence& sentence);

// One line per English item: "<tab>@ WORD PHONE" and the label's fields as
// name=value (symbols by name, "-" for not applicable).
std::string FormatLabels(const AnalysedSentence& sentence);

}  // namespace kvo::analyze
