#include "core/resident_tables.h"

#include <cstring>

#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/resource_library.h"

using namespace kvo_library;

namespace {

constexpr int32_t kMandarinTones = 5;
constexpr int32_t kSixTones = 6;

bool LoadNames(qvInstance* instance, int32_t section, qvNameTable* table) {
  qvLibrary* library = &instance->chinese;
  const int32_t size = qvLibrary_SectionSize(library, section);
  if (size < kNameTableCountBytes) return false;
  const int32_t count = qvLibrary_ReadI32(library, section, 0);
  const int32_t block_bytes = size - kNameTableCountBytes;
  // Every name takes at least its NUL.
  if (count < 0 || count > block_bytes) return false;
  if (count > instance->arena_free / static_cast<int32_t>(sizeof(char*))) return false;

  table->strings = static_cast<char*>(qvArena_Take(instance, block_bytes));
  if (table->strings == nullptr) return false;
  table->string_bytes = block_bytes;
  if (!qvLibrary_Read(library, section, kNameTableCountBytes, table->strings, block_bytes)) return false;
  table->names = static_cast<const char**>(qvArena_TakeAligned(instance, count * static_cast<int32_t>(sizeof(char*))));
  if (table->names == nullptr) return false;
  table->count = count;  // the pointer array is released by this count
  int32_t position = 0;
  for (int32_t i = 0; i < count; ++i) {
    const void* end = std::memchr(table->strings + position, 0, static_cast<size_t>(block_bytes - position));
    if (end == nullptr) return false;
    table->names[i] = table->strings + position;
    position = static_cast<int32_t>(static_cast<const char*>(end) - table->strings) + 1;
  }
  return true;
}

void ReleaseNames(qvInstance* instance, qvNameTable* table) {
  if (table->names != nullptr) {
    qvArena_GiveAligned(instance, table->names, table->count * static_cast<int32_t>(sizeof(char*)));
  }
  if (table->strings != nullptr) qvArena_Give(instance, table->strings, table->string_bytes);
  std::memset(table, 0, sizeof(*table));
}

bool LoadBlob(qvInstance* instance, int32_t section, int32_t bytes, qvResidentBlob* blob) {
  if (bytes == 0) return true;
  blob->data = static_cast<uint8_t*>(qvArena_Take(instance, bytes));
  if (blob->data == nullptr) return false;
  blob->bytes = bytes;
  return qvLibrary_Read(&instance->chinese, section, 0, blob->data, bytes);
}

void ReleaseBlob(qvInstance* instance, qvResidentBlob* blob) {
  if (blob->data != nullptr) qvArena_Give(instance, blob->data, blob->bytes);
  blob->data = nullptr;
  blob->bytes = 0;
}

bool LoadAll(qvInstance* instance) {
  qvSyllableTables* t = &instance->tables;
  if (!qvLibrary_IsOpen(&instance->chinese)) return false;
  if (!LoadNames(instance, kCnSyllableNames, &t->syllables)) return false;
  if (!LoadNames(instance, kCnInitialNames, &t->initials)) return false;
  if (!LoadNames(instance, kCnFinalNames, &t->finals)) return false;
  if (t->syllables.count < 1) return false;
  t->tones = instance->params.voice_bytes[kVoiceKindOffset - kVoiceBytesOffset] == kVoiceKindSixTones ? kSixTones
                                                                                                      : kMandarinTones;
  if (t->syllables.count > (0xFFFE - kUnitSpokenSymbol) / (2 * t->tones)) return false;
  t->unit_base = t->tones * t->syllables.count;
  if (!LoadNames(instance, kCnPhoneNames, &t->phones)) return false;
  if (qvLibrary_SectionSize(&instance->chinese, kCnPhoneVoicing) < t->phones.count) return false;
  if (!LoadBlob(instance, kCnPhoneVoicing, t->phones.count, &t->voicing)) return false;
  for (int32_t i = 0; i < 4; ++i) {
    const int32_t section = kCnBackEndTable1 + i;
    if (!LoadBlob(instance, section, qvLibrary_SectionSize(&instance->chinese, section), &t->back_end[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

int qvTables_Load(qvInstance* instance) {
  std::memset(&instance->tables, 0, sizeof(instance->tables));
  instance->tables.arena_mark = instance->arena_used;
  if (LoadAll(instance)) return QVTTS_ERR_OK;
  qvTables_Release(instance);
  return QVTTS_ERR_RESOURCE;
}

void qvTables_Release(qvInstance* instance) {
  qvSyllableTables* t = &instance->tables;
  for (int32_t i = 3; i >= 0; --i) ReleaseBlob(instance, &t->back_end[i]);
  ReleaseBlob(instance, &t->voicing);
  ReleaseNames(instance, &t->phones);
  ReleaseNames(instance, &t->finals);
  ReleaseNames(instance, &t->initials);
  ReleaseNames(instance, &t->syllables);
  t->tones = 0;
  t->unit_base = 0;
}
