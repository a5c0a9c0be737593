// Feeds arbitrary bytes as a Chinese library to sizing and init, and runs a
// short synthesis when init accepts them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/qvtts.h"

namespace {

int InputOnce(void* user, char* buffer, int32_t* length) {
  int* calls = static_cast<int*>(user);
  const char text[] = "ab\xC4\xE3. c";
  *length = (*calls)++ == 0 ? static_cast<int32_t>(sizeof(text) - 1) : 0;
  std::memcpy(buffer, text, static_cast<size_t>(*length));
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kvo_fuzz_library_" + std::to_string(getpid()) + ".lib";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  int32_t block_size = 0;
  if (qvTTS_GetExtBufSize(path.c_str(), nullptr, nullptr, &block_size) != QVTTS_ERR_OK) return 0;
  void* block = std::aligned_alloc(64, (static_cast<size_t>(block_size) + 63) / 64 * 64);
  qvTTS_HANDLE handle = nullptr;
  if (qvTTS_Init(path.c_str(), nullptr, nullptr, &handle, block) == QVTTS_ERR_OK) {
    int calls = 0;
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, 1);
    qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(&calls));
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&InputOnce));
    qvTTS_SynthesizeText(handle);
    qvTTS_End(handle);
  }
  std::free(block);
  return 0;
}
