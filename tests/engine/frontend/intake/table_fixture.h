// Conversion sections built once per test program with the table builders,
// and handed to the front end as in-memory section payloads.
#pragma once

#include <string>
#include <vector>

#include "conversion_builder.h"
#include "frontend/intake/code_conversion.h"
#include "syllable_inventory.h"

namespace kvo::testing {

struct BuiltTables {
  std::vector<uint8_t> gbk, big5, unicode;
  kvo::tables::ConversionBuilder* builder;
  frontend::ConversionTables tables;
};

inline const BuiltTables& Tables() {
  static const BuiltTables* built = [] {
    kvo::tables::SimplifiedMap map;
    std::string error;
    kvo::tables::LoadSimplifiedMap(KVO_DEFAULT_T2S_TABLE, &map, &error);
    kvo::tables::ReadingMap readings;
    kvo::tables::LoadReadingMap(KVO_DEFAULT_READINGS_TABLE, &readings, &error);
    auto* b = new BuiltTables;
    b->builder = new kvo::tables::ConversionBuilder(std::move(map), std::move(readings));
    b->gbk = b->builder->GbkSection();
    b->big5 = b->builder->Big5Section();
    b->unicode = b->builder->UnicodeSection();
    b->tables.gbk = MemorySection(b->gbk.data(), b->gbk.size());
    b->tables.big5 = MemorySection(b->big5.data(), b->big5.size());
    b->tables.unicode = MemorySection(b->unicode.data(), b->unicode.size());
    b->tables.syllableCodeCount = static_cast<uint16_t>(5 * kvo::tables::kSyllableCount);
    return b;
  }();
  return *built;
}

}  // namespace kvo::testing
