#include "frontend/intake/code_conversion.h"

#include <utility>

#include "frontend/intake/code_pages.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

int GbkExtensionIndex(uint16_t raw) {
  const int lead = LeadByte(raw), trail = TrailByte(raw);
  if (lead >= kGbkArea1LeadFirst && lead <= kGbkArea1LeadLast && trail >= kGbkArea1TrailFirst && trail <= 0xFE)
    return (lead - kGbkArea1LeadFirst) * kGbkArea1PerLead + (trail - kGbkArea1TrailFirst);
  if (lead >= kGbkArea2LeadFirst && lead <= kGbkArea2LeadLast && trail >= kGbkArea2TrailFirst && trail <= 0xA0) {
    const int base = (kGbkArea1LeadLast - kGbkArea1LeadFirst + 1) * kGbkArea1PerLead;
    return base + (lead - kGbkArea2LeadFirst) * kGbkArea2PerLead + (trail - kGbkArea2TrailFirst);
  }
  return -1;
}

int Big5Index(uint16_t raw) {
  const int lead = LeadByte(raw), trail = TrailByte(raw);
  int row;
  if (lead >= 0xA1 && lead <= 0xC6)
    row = lead - 0xA1;
  else if (lead >= 0xC9 && lead <= 0xF9)
    row = (0xC6 - 0xA1 + 1) + (lead - 0xC9);
  else
    return -1;
  int column;
  if (trail >= 0x40 && trail <= 0x7E)
    column = trail - 0x40;
  else if (trail >= 0xA1 && trail <= 0xFE)
    column = (0x7E - 0x40 + 1) + (trail - 0xA1);
  else
    return -1;
  return row * kBig5PerLead + column;
}

namespace {

// A table value not above G names a syllable: it becomes a reading code.
uint16_t TableValueToCode(uint16_t value, uint16_t syllableCodeCount) {
  if (value <= syllableCodeCount) return static_cast<uint16_t>(value + kReadingCodeBase);
  return value;
}

uint16_t LookupEntry(const SectionReader& table, int index, uint16_t syllableCodeCount) {
  uint16_t value;
  if (index < 0 || !table.ReadU16(static_cast<uint32_t>(index) * 2u, &value)) return kCodeUnconvertible;
  if (value == kCodeUnconvertible) return value;
  return TableValueToCode(value, syllableCodeCount);
}

bool IsKeptGbk(uint16_t raw) {
  const int lead = LeadByte(raw), trail = TrailByte(raw);
  if (lead >= 0xA1 && lead <= 0xA9 && trail >= 0x40 && trail <= 0xFE) return true;
  if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) return !(lead == 0xD7 && trail > 0xF9);
  return false;
}

}  // namespace

uint16_t ConvertGbk(const ConversionTables& tables, uint16_t raw) {
  if (raw < 0x80) return raw;
  if (IsKeptGbk(raw)) return raw;
  const int index = GbkExtensionIndex(raw);
  if (index < 0) return kCodeUnconvertible;
  return LookupEntry(tables.gbk, index, tables.syllableCodeCount);
}

uint16_t ConvertBig5(const ConversionTables& tables, uint16_t raw) {
  if (raw < 0x80) return raw;
  return LookupEntry(tables.big5, Big5Index(raw), tables.syllableCodeCount);
}

uint16_t ConvertUnicode(const ConversionTables& tables, uint16_t codePoint) {
  if (codePoint < 0x80) return codePoint;
  if (codePoint == 0xFEFF || codePoint == 0xFFFF) return kCodeUnconvertible;
  const SectionReader& t = tables.unicode;
  uint16_t rangeCount, pairCount;
  if (!t.ReadU16(0, &rangeCount) || !t.ReadU16(2, &pairCount)) return kCodeUnconvertible;
  const uint32_t rangesAt = 4;
  const uint32_t pairsAt = rangesAt + 6u * rangeCount;
  const uint32_t directAt = pairsAt + 4u * pairCount;
  if (codePoint >= kUnicodeDirectFirst && codePoint <= kUnicodeDirectLast) {
    uint16_t value;
    if (!t.ReadU16(directAt + 2u * (codePoint - kUnicodeDirectFirst), &value)) return kCodeUnconvertible;
    return value;
  }
  // Ranges are sorted by start and do not overlap.
  int lo = 0, hi = static_cast<int>(rangeCount) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    uint16_t start, end, base;
    const uint32_t at = rangesAt + 6u * static_cast<uint32_t>(mid);
    if (!t.ReadU16(at, &start) || !t.ReadU16(at + 2, &end) || !t.ReadU16(at + 4, &base)) return kCodeUnconvertible;
    if (codePoint < start) {
      hi = mid - 1;
    } else if (codePoint > end) {
      lo = mid + 1;
    } else {
      if (base == kCodeUnconvertible) return kCodeUnconvertible;
      return static_cast<uint16_t>(base + 256u * (codePoint - start));
    }
  }
  lo = 0;
  hi = static_cast<int>(pairCount) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    uint16_t code, value;
    const uint32_t at = pairsAt + 4u * static_cast<uint32_t>(mid);
    if (!t.ReadU16(at, &code) || !t.ReadU16(at + 2, &value)) return kCodeUnconvertible;
    if (codePoint < code)
      hi = mid - 1;
    else if (codePoint > code)
      lo = mid + 1;
    else
      return value;
  }
  return kCodeUnconvertible;
}

uint16_t NormaliseSymbol(uint16_t code) {
  if (code == GbkCode(0xA1, 0xC3)) return ':';  // ∶ ratio sign
  if (code == GbkCode(0xA1, 0xE7)) return '$';  // ＄
  if (LeadByte(code) == 0xA3) {
    const int trail = TrailByte(code);
    if (trail >= 0xA1 && trail <= 0xFE && trail != 0xA4)  // not ￥
      return static_cast<uint16_t>(trail - 0x80);
  }
  return code;
}

bool CodePageSupported(const ConversionTables& tables, int codePage) {
  switch (codePage) {
    case kCodePageOem:
    case kCodePageGbk:
      return true;  // GB2312 needs no table
    case kCodePageBig5:
      return tables.big5.present();
    case kCodePageUtf16Le:
    case kCodePageUtf16Be:
    case kCodePageUtf8:
      return tables.unicode.present();
    default:
      return false;
  }
}

bool ConvertCodes(const ConversionTables& tables, int codePage, uint16_t* codes, size_t count) {
  if (!CodePageSupported(tables, codePage)) return false;
  ConversionMemo* memo = tables.memo;
  if (memo != nullptr && memo->codePage != codePage) {
    *memo = ConversionMemo();
    memo->codePage = codePage;
  }
  for (size_t i = 0; i < count; ++i) {
    const uint16_t raw = codes[i];
    if (raw == kCodeUnconvertible) continue;  // malformed input stays unconvertible
    const int set = raw % ConversionMemo::kSets;
    const bool memoised = memo != nullptr && raw >= 0x80;
    if (memoised && memo->raw[set][0] == raw) {
      codes[i] = memo->converted[set][0];
      continue;
    }
    if (memoised && memo->raw[set][1] == raw) {
      codes[i] = memo->converted[set][1];
      std::swap(memo->raw[set][0], memo->raw[set][1]);
      std::swap(memo->converted[set][0], memo->converted[set][1]);
      continue;
    }
    uint16_t c = raw;
    switch (codePage) {
      case kCodePageBig5:
        c = ConvertBig5(tables, c);
        break;
      case kCodePageOem:
      case kCodePageGbk:
        c = ConvertGbk(tables, c);
        break;
      default:
        c = ConvertUnicode(tables, c);
        break;
    }
    codes[i] = NormaliseSymbol(c);
    // A code the tables could not convert is looked up again next time.
    if (memoised && c != kCodeUnconvertible) {
      memo->raw[set][1] = memo->raw[set][0];
      memo->converted[set][1] = memo->converted[set][0];
      memo->raw[set][0] = raw;
      memo->converted[set][0] = codes[i];
    }
  }
  return true;
}

}  // namespace kvo::frontend
