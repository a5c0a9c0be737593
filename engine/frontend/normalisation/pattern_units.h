// Unit symbols and currency signs that a number can carry (℃, km, $), with
// their readings.
#pragma once

#include <cstdint>
#include <string_view>

namespace kvo::frontend {

struct PatternText;

// Length of the unit symbol written at i (a letter unit only as a whole
// letter run), or 0.
int UnitAt(const PatternText& text, int i);

// Reading of the unit symbol written at i; empty when there is none.
std::u16string_view UnitReadingAt(const PatternText& text, int i);

// True when codes spell the reading of a unit symbol (摄氏度, 千米, 美元):
// a number before such a word is a quantity.
bool IsUnitSymbolReading(const uint16_t* codes, int length);

}  // namespace kvo::frontend
