// The sizing and init entry points of the standard engine. Kept alone in
// this file so that an engine variant can supply its own two.
#include "core/engine_variant.h"

extern "C" int qvTTS_GetExtBufSize(const char* chinese_library, const char* english_library, const char* domain_library,
                                   int32_t* size) {
  return qvEngine_GetExtBufSize(&kqvStandardVariant, chinese_library, english_library, domain_library, size);
}

extern "C" int qvTTS_Init(const char* chinese_library, const char* english_library, const char* domain_library,
                          qvTTS_HANDLE* handle, void* block) {
  return qvEngine_Init(&kqvStandardVariant, chinese_library, english_library, domain_library, handle, block);
}
