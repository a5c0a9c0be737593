// The normalisation rules' built-in vocabulary is written as u"" literals;
// this compares them with the internal codes of a sentence. The map from
// Unicode to internal codes covers exactly the characters those literals use
// (internal_code_map_generated.cpp, written by
// tools/normalisation/generate_code_map.py).
#pragma once

#include <cstdint>
#include <string_view>

namespace kvo::frontend {

struct CodeMapEntry {
  char16_t unicode;
  uint16_t internal;  // GBK bytes, lead byte low
};
extern const CodeMapEntry kInternalCodeMap[];  // sorted by unicode
extern const int kInternalCodeMapSize;

// Internal code of one literal character as the intake would produce it
// (full-width ASCII read as ASCII); kCodeUnconvertible when not in the map.
uint16_t InternalCodeOf(char16_t c);

// Codes of a literal into out; the number written, or -1 when it does not
// fit in capacity.
int ToInternalCodes(std::u16string_view text, uint16_t* out, int capacity);

// True when codes[0 … length) spell text exactly.
bool CodesEqual(const uint16_t* codes, int length, std::u16string_view text);

// True when codes[0 … length) begin with text.
bool CodesStartWith(const uint16_t* codes, int length, std::u16string_view text);

}  // namespace kvo::frontend
