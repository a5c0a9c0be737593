// The built-in symbol table: how each symbol is read aloud, its reading
// class and pause length, and the punctuation class a symbol keeps as a
// pause unit.
#pragma once

#include <cstdint>
#include <string_view>

namespace kvo::frontend {

struct SymbolEntry {
  char16_t symbol;
  int8_t readingClass;          // 2: shapes the table never reads
  int16_t pause;                // pause length of the punctuation unit
  std::u16string_view reading;  // empty: see number, else silent
  int8_t number;                // numbered forms (①, Ⅻ, …): the number shown
};

extern const SymbolEntry kSymbolTable[];
extern const int kSymbolTableSize;

// First entry whose symbol has this internal code (full-width forms meet
// their ASCII entries first), or nullptr.
const SymbolEntry* FindSymbol(uint16_t code);

// Punctuation class of a symbol as an offset from B (Part of the unit codes:
// 104 comma … 132 underscore), kNoPunctuationClass for other symbols.
constexpr int kNoPunctuationClass = 205;
int PunctuationClassOf(uint16_t code);

}  // namespace kvo::frontend
