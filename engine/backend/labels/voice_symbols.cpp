#include "backend/labels/voice_symbols.h"

#include <cstring>

#include "core/engine_instance.h"

namespace kvo {
namespace backend {

int FindName(const NameTable& table, const char* name) {
  for (int i = 0; i < table.count; ++i)
    if (table.names[i] != nullptr && std::strcmp(table.names[i], name) == 0) return i;
  return -1;
}

bool ParseNameTable(const uint8_t* payload, uint32_t size, ScratchArena& arena, NameTable* table) {
  if (payload == nullptr || size < 4) return false;
  uint32_t count = payload[0] | (payload[1] << 8) | (payload[2] << 16) | (static_cast<uint32_t>(payload[3]) << 24);
  if (count > size) return false;  // every name needs at least its NUL
  size_t mark = arena.Mark();
  const char** names = arena.TakeArray<const char*>(count == 0 ? 1 : count);
  if (names == nullptr) return false;
  uint32_t pos = 4;
  for (uint32_t i = 0; i < count; ++i) {
    const void* nul = pos < size ? std::memchr(payload + pos, 0, size - pos) : nullptr;
    if (nul == nullptr) {
      arena.Rewind(mark);
      return false;
    }
    names[i] = reinterpret_cast<const char*>(payload + pos);
    pos = static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - payload) + 1;
  }
  table->names = names;
  table->count = static_cast<int>(count);
  return true;
}

bool ParseUnitTable(const uint8_t* index, uint32_t indexSize, const uint8_t* contexts, uint32_t contextSize,
                    UnitTable* table) {
  if (indexSize % 4 != 0 || contextSize % kUnitContextBytes != 0) return false;
  table->pairs = index;
  table->unitCount = static_cast<int>(indexSize / 4);
  table->contexts = contexts;
  table->contextCount = static_cast<int>(contextSize / kUnitContextBytes);
  return true;
}

bool UnitContextRange(const UnitTable& table, int unit, int* first, int* last) {
  if (unit < 0 || unit >= table.unitCount || table.pairs == nullptr) return false;
  const uint8_t* p = table.pairs + 4 * unit;
  int a = p[0] | (p[1] << 8);
  int b = p[2] | (p[3] << 8);
  if (a > b || b >= table.contextCount) return false;
  *first = a;
  *last = b;
  return true;
}

namespace {

NameTable View(const qvNameTable& t) {
  NameTable n;
  n.names = t.names;
  n.count = t.count;
  return n;
}

bool ParseUnits(const qvResidentBlob& index, const qvResidentBlob& contexts, UnitTable* table) {
  return ParseUnitTable(index.data, static_cast<uint32_t>(index.bytes), contexts.data,
                        static_cast<uint32_t>(contexts.bytes), table);
}

}  // namespace

bool VoiceSymbolsFromTables(const qvSyllableTables& t, VoiceSymbols* symbols) {
  symbols->tones = t.tones;
  symbols->syllables = View(t.syllables);
  symbols->initials = View(t.initials);
  symbols->finals = View(t.finals);
  symbols->phones = View(t.phones);
  symbols->voicing = t.voicing.data;
  symbols->voicingCount = t.voicing.bytes;
  return ParseUnits(t.back_end[0], t.back_end[1], &symbols->letters) &&
         ParseUnits(t.back_end[2], t.back_end[3], &symbols->greek);
}

}  // namespace backend
}  // namespace kvo
