// Reading a digit string ("0"…"9" and ".") with a reading type: the words
// the number reader (types 3, 12, 13) or the digit reader (types 2, 11)
// make. Used by the word rules and by the sentence patterns.
#pragma once

#include <cstdint>

#include "frontend/analysis/word_record.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {

// How the digit reader splits a long string with pauses.
enum class DigitGrouping { kDefault, kIdNumber, kThousands };

// A group of digits that ends with a pause: the word's boundary flags and
// the break mark item building copies.
constexpr uint16_t kGroupPauseBoundary = 0x3000;
constexpr uint16_t kGroupPauseMark = 0x40;

// Appends the reading of chars[0 … length) as Chinese words (tag m) with
// the given text position. All or nothing: false, and the list unchanged,
// when the words do not all fit. An unknown type reads as a number.
bool AppendDigitStringReading(const uint16_t* chars, int length, int16_t type, DigitGrouping grouping,
                              const NormalisationSettings& settings, int32_t textPosition, WordList* out);

// The same for a small whole number (numbered symbols, counts).
bool AppendNumberReading(int value, const NormalisationSettings& settings, int32_t textPosition, WordList* out);

}  // namespace kvo::frontend
