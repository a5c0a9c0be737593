// Words that normalisation makes: Chinese readings whose pinyin is filled in
// at the end, digit runs with a forced reading type, symbol and space words.
#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/analysis/word_record.h"

namespace kvo::frontend {

// Letter-coded tags of the words the rules make (two letters: first letter
// low byte).
constexpr int16_t kTagNumberWord = 'm';       // 109
constexpr int16_t kTagNounWord = 'n';         // 110
constexpr int16_t kTagConnectorWord = 'p';    // 112
constexpr int16_t kTagMeasureWord = 'q';      // 113: measure and currency words
constexpr int16_t kTagPlaceholderWord = 'r';  // 114: 某
constexpr int16_t kTagBelowZeroWord = 's';    // 115: 零下
constexpr int16_t kTagTimeWord = 't';         // 116
constexpr int16_t kTagOperatorWord = 'v';     // 118
constexpr int16_t kTagPunctuationWord = 'w';  // 119
constexpr int16_t kTagPlaceNameWord = 29550;  // "ns"

// Each append returns false and leaves the list alone when the list is full
// or the word would be empty or longer than kMaxWordChars. textPosition is
// where the text the word reads starts (progress reports follow it).

// A word of these codes and class; pinyin unknown, forced mode as given.
bool AppendCodesWord(WordList* list, const uint16_t* codes, int length, int16_t wordClass, int16_t tag,
                     int16_t forcedMode, int32_t textPosition);

// A Chinese word (class 3) spelling reading, its pinyin unknown.
bool AppendChineseWord(WordList* list, std::u16string_view reading, int16_t tag, int32_t textPosition);

// A word of one space (a symbol word, read as a short pause or nothing).
bool AppendSpaceWord(WordList* list, int32_t textPosition);

}  // namespace kvo::frontend
