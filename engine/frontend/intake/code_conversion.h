// Conversion of decoded characters to internal codes through the Chinese
// library's conversion sections (GBK extension, Big5, Unicode).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/section_reader.h"

namespace kvo::frontend {

// Layout constants shared with the table builders.
constexpr int kGbkArea1LeadFirst = 0x81, kGbkArea1LeadLast = 0xA0;
constexpr int kGbkArea1TrailFirst = 0x40, kGbkArea1PerLead = 191;  // trail 0x40..0xFE
constexpr int kGbkArea2LeadFirst = 0xAA, kGbkArea2LeadLast = 0xFE;
constexpr int kGbkArea2TrailFirst = 0x40, kGbkArea2PerLead = 97;  // trail 0x40..0xA0
constexpr int kGbkTableEntries = (kGbkArea1LeadLast - kGbkArea1LeadFirst + 1) * kGbkArea1PerLead +
                                 (kGbkArea2LeadLast - kGbkArea2LeadFirst + 1) * kGbkArea2PerLead;

constexpr int kBig5PerLead = 157;  // trail 0x40..0x7E, 0xA1..0xFE
constexpr int kBig5Leads = (0xC6 - 0xA1 + 1) + (0xF9 - 0xC9 + 1);
constexpr int kBig5TableEntries = kBig5Leads * kBig5PerLead;

constexpr uint16_t kUnicodeDirectFirst = 0x4E00, kUnicodeDirectLast = 0x9FA5;

// Index into the GBK extension table, or -1 when the code is not in an
// extension area. raw: lead byte low, trail byte high.
int GbkExtensionIndex(uint16_t raw);
// Index into the Big5 table, or -1 outside the table.
int Big5Index(uint16_t raw);

// Characters converted lately, by raw code: the tables are read from the
// library file a character at a time, and running text repeats its
// characters. Two ways per set, the newer first; kept for one code page;
// zero-initialised it is empty.
struct ConversionMemo {
  static constexpr int kSets = 256;
  int codePage = 0;
  uint16_t raw[kSets][2];  // 0: empty (codes below 0x80 are never kept)
  uint16_t converted[kSets][2];
};

struct ConversionTables {
  SectionReader gbk;               // section 4
  SectionReader big5;              // section 5
  SectionReader unicode;           // section 6
  uint16_t syllableCodeCount = 0;  // G: table values up to G are reading codes
  ConversionMemo* memo = nullptr;  // optional
};

// Single characters; raw codes as produced by the decoder.
uint16_t ConvertGbk(const ConversionTables& tables, uint16_t raw);
uint16_t ConvertBig5(const ConversionTables& tables, uint16_t raw);
uint16_t ConvertUnicode(const ConversionTables& tables, uint16_t codePoint);

// "∶" -> ":", "＄" -> "$", full-width ASCII of GBK row 0xA3 (not "￥") -> ASCII.
uint16_t NormaliseSymbol(uint16_t code);

// True when conversion exists for the code page with these tables.
bool CodePageSupported(const ConversionTables& tables, int codePage);

// Converts raw codes in place to normalised internal codes.
// Returns false (nothing changed) when the code page has no conversion.
bool ConvertCodes(const ConversionTables& tables, int codePage, uint16_t* codes, size_t count);

}  // namespace kvo::frontend
