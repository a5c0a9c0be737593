// The voice's symbol tables that phone lists and context labels need:
// base syllables, initials, finals, phones with their voicing classes,
// and the letter and Greek unit tables.
#pragma once

#include <cstdint>

#include "backend/scratch_arena.h"

struct qvSyllableTables;

namespace kvo {
namespace backend {

struct NameTable {
  const char* const* names = nullptr;
  int count = 0;
};

// Unit table: per unit a pair (u16 first, u16 last) of inclusive indices
// into a list of five-byte phone contexts (two before, one before, the
// phone, one after, two after).
struct UnitTable {
  const uint8_t* pairs = nullptr;
  int unitCount = 0;
  const uint8_t* contexts = nullptr;
  int contextCount = 0;
};

constexpr int kUnitContextBytes = 5;

struct VoiceSymbols {
  int tones = 5;  // 6 for voices of kind 1
  NameTable syllables;
  NameTable initials;
  NameTable finals;
  NameTable phones;
  const uint8_t* voicing = nullptr;  // one class per phone
  int voicingCount = 0;
  UnitTable letters;
  UnitTable greek;
};

// Index of `name` in the table, or -1.
int FindName(const NameTable& table, const char* name);

// Parses a name table section (u32 count, then count NUL-terminated
// names); the pointer array comes from the arena. False on a malformed
// or truncated table (the arena is then unchanged).
bool ParseNameTable(const uint8_t* payload, uint32_t size, ScratchArena& arena, NameTable* table);

// Builds a unit table over an index section (4 bytes per unit) and a
// context section (5 bytes per context). False when a sizes do not fit.
bool ParseUnitTable(const uint8_t* index, uint32_t indexSize, const uint8_t* contexts, uint32_t contextSize,
                    UnitTable* table);

// The symbols over the tables the engine read at init (the name tables and
// the four unit sections stay where they are). False when the unit
// sections are malformed.
bool VoiceSymbolsFromTables(const qvSyllableTables& tables, VoiceSymbols* symbols);

// Inclusive context range of a unit; false when the unit or its range
// lies outside the table.
bool UnitContextRange(const UnitTable& table, int unit, int* first, int* last);

}  // namespace backend
}  // namespace kvo
