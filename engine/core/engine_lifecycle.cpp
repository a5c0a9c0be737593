// Sizing, initialisation and release of an engine instance.
#include <cstring>

#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/engine_variant.h"
#include "core/resident_tables.h"
#include "core/resource_library.h"

using namespace kvo_library;

namespace {

// Initialisation stages, in order; a failure undoes the completed ones.
enum Stage { kNothing, kTables, kChineseFrontEnd, kBackEnd, kReadCache };

// The read cache's blocks in the arena, when they fit beside what the
// batches need; the cache keeps its one block in the record otherwise.
void GrowReadCache(qvInstance* instance) {
  if (instance->arena_free - kReadCacheArenaBytes - 64 < kBatchArenaKept) return;
  uint8_t* blocks = static_cast<uint8_t*>(qvArena_TakeAligned(instance, kReadCacheArenaBytes));
  if (blocks != nullptr) qvReadCache_Init(&instance->cache, blocks, kReadCacheBlocks);
}

void ShrinkReadCache(qvInstance* instance) {
  if (instance->cache.buffer == instance->cache_bytes) return;
  qvArena_GiveAligned(instance, instance->cache.buffer, kReadCacheArenaBytes);
  qvReadCache_Init(&instance->cache, instance->cache_bytes);
}

void Unwind(qvInstance* instance, Stage reached) {
  if (reached >= kReadCache) ShrinkReadCache(instance);
  if (reached >= kBackEnd) qvBackEnd_Release(instance);
  if (reached >= kChineseFrontEnd) qvFrontEnd_ReleaseChinese(instance);
  if (reached >= kTables) qvTables_Release(instance);
  qvBackground_Close(instance);
  qvLibrary_Close(&instance->domain);
  qvLibrary_Close(&instance->english);
  qvLibrary_Close(&instance->chinese);
}

void CopyVoiceHeader(qvParameters* params, const uint8_t* header) {
  params->sample_rate = LoadLe32(header + kSampleRateOffset);
  params->voice_word1 = LoadLe16(header + kVoiceWord1Offset);
  params->voice_word2 = LoadLe16(header + kVoiceWord2Offset);
  std::memcpy(params->voice_bytes, header + kVoiceBytesOffset, kVoiceByteCount);
}

int Fail(qvInstance* instance, Stage reached, int code) {
  Unwind(instance, reached);
  return code;
}

}  // namespace

int32_t qvEngine_InstanceBytes(const qvEngineVariant* variant) {
  // Keeps the arena base on a 16-byte boundary.
  const int32_t record = static_cast<int32_t>((sizeof(qvInstance) + 15) / 16 * 16);
  return variant->instance_bytes > record ? variant->instance_bytes : record;
}

int qvEngine_GetExtBufSize(const qvEngineVariant* variant, const char* chinese_library, const char* english_library,
                           const char* domain_library, int32_t* size) {
  if ((chinese_library == nullptr && english_library == nullptr) || size == nullptr) {
    return QVTTS_ERR_INVALID_ARG;
  }
  qvVoiceHeader chinese{};
  qvVoiceHeader english{};
  const bool chinese_open = qvLibrary_ProbeHeader(chinese_library, &chinese);
  const bool english_open = qvLibrary_ProbeHeader(english_library, &english);
  if (!chinese_open && !english_open) {
    *size = 0;
    return QVTTS_ERR_RESOURCE;
  }
  const qvVoiceHeader& voice = chinese_open ? chinese : english;
  const qvVoiceFacts facts{chinese_open, english_open, qvFileOpens(domain_library), voice.sample_rate,
                           voice.voice_kind};
  *size = qvEngine_InstanceBytes(variant) + variant->arena_bytes(facts);
  return QVTTS_ERR_OK;
}

int qvEngine_Init(const qvEngineVariant* variant, const char* chinese_library, const char* english_library,
                  const char* domain_library, qvTTS_HANDLE* handle, void* block) {
  if (handle != nullptr) *handle = block;
  if ((chinese_library == nullptr && english_library == nullptr) || handle == nullptr || block == nullptr) {
    return QVTTS_ERR_INVALID_ARG;
  }
  if (reinterpret_cast<uintptr_t>(block) % alignof(qvInstance) != 0) return QVTTS_ERR_INVALID_ARG;

  qvInstance* instance = static_cast<qvInstance*>(block);
  std::memset(instance, 0, sizeof(*instance));
  instance->variant = variant;
  uint8_t* arena_base = static_cast<uint8_t*>(block) + qvEngine_InstanceBytes(variant);
  qvArena_Reset(instance, arena_base, 819200);
  qvReadCache_Init(&instance->cache, instance->cache_bytes);

  const bool chinese_open =
      qvLibrary_OpenContainer(&instance->chinese, chinese_library, variant->chinese_library, &instance->cache);
  const bool english_open =
      qvLibrary_OpenContainer(&instance->english, english_library, variant->english_library, &instance->cache);
  const bool domain_open = qvLibrary_OpenDomain(&instance->domain, domain_library, &instance->cache);
  if (!chinese_open && !english_open) return Fail(instance, kNothing, QVTTS_ERR_RESOURCE);

  uint8_t header[kHeaderBytes];
  if (!qvLibrary_ReadHeader(chinese_open ? &instance->chinese : &instance->english, header)) {
    return Fail(instance, kNothing, QVTTS_ERR_RESOURCE);
  }
  CopyVoiceHeader(&instance->params, header);
  const qvVoiceFacts facts{chinese_open, english_open, domain_open, instance->params.sample_rate,
                           header[kVoiceKindOffset]};
  qvArena_Reset(instance, arena_base, variant->arena_bytes(facts));

  if (qvTables_Load(instance) != QVTTS_ERR_OK) return Fail(instance, kNothing, QVTTS_ERR_RESOURCE);
  if (qvFrontEnd_InitChinese(instance) != QVTTS_ERR_OK) return Fail(instance, kTables, QVTTS_ERR_RESOURCE);
  if (qvBackEnd_Init(instance) != QVTTS_ERR_OK) return Fail(instance, kChineseFrontEnd, QVTTS_ERR_RESOURCE);
  GrowReadCache(instance);
  instance->initialised = 1;

  const int code = qvParams_ApplyDefaults(instance);
  if (code != QVTTS_ERR_OK) {
    instance->initialised = 0;
    return Fail(instance, kReadCache, code);
  }
  return QVTTS_ERR_OK;
}

extern "C" int qvTTS_End(qvTTS_HANDLE handle) {
  qvInstance* instance = qvInstanceFromHandle(handle);
  if (instance == nullptr) return QVTTS_ERR_INVALID_ARG;
  if (instance->initialised != 1) return QVTTS_ERR_NOT_INIT;
  if (__atomic_load_n(&instance->busy_state, __ATOMIC_ACQUIRE) != 0) return QVTTS_ERR_BUSY;
  Unwind(instance, kReadCache);
  instance->initialised = 0;
  return QVTTS_ERR_OK;
}
