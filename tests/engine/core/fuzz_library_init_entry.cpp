// Feeds arbitrary bytes as a resource library to sizing and init and runs a
// short synthesis over text that reaches every section reader when init
// accepts them. The first byte chooses the library's role: the Chinese
// library alone, or the English or the domain library beside the default
// voice.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/qvtts.h"

#ifndef KVO_FUZZ_DATA_DIR
#error KVO_FUZZ_DATA_DIR must name the folder with the default voice
#endif

namespace {

// Chinese words and polyphones, numbers, a date and a time, symbols, Greek
// letters, spelled letters and English words and sentences.
const char kText[] =
    "\xE9\x93\xB6\xE8\xA1\x8C\xE8\xA1\x8C\xE9\x95\xBF\xE5\xBE\x88\xE5\xA5\xBD\xE3\x80\x82"
    "2024-03-05 10:30, 3.5% 12kg \xCE\xB1 ABC. Hello world, Dr. Smith's 3rd test! "
    "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE6\x9D\x8E\xE5\xB0\x8F\xE6\x98\x8E\xE3\x80\x82";

int InputOnce(void* user, char* buffer, int32_t* length) {
  int* calls = static_cast<int*>(user);
  const int32_t size = static_cast<int32_t>(sizeof(kText) - 1);
  *length = (*calls)++ == 0 ? size : 0;
  std::memcpy(buffer, kText, static_cast<size_t>(*length));
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string path = "/tmp/kvo_fuzz_library_" + std::to_string(getpid()) + ".lib";
  static const std::string chinese = KVO_FUZZ_DATA_DIR "/zh_cn_mei.kvl";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  const char* libraries[3] = {path.c_str(), nullptr, nullptr};
  switch (data[0] % 3) {
    case 1:
      libraries[0] = chinese.c_str();
      libraries[1] = path.c_str();
      break;
    case 2:
      libraries[0] = chinese.c_str();
      libraries[2] = path.c_str();
      break;
    default:
      break;
  }
  int32_t block_size = 0;
  if (qvTTS_GetExtBufSize(libraries[0], libraries[1], libraries[2], &block_size) != QVTTS_ERR_OK) return 0;
  if (block_size <= 0) std::abort();
  void* block = std::aligned_alloc(64, (static_cast<size_t>(block_size) + 63) / 64 * 64);
  qvTTS_HANDLE handle = nullptr;
  if (qvTTS_Init(libraries[0], libraries[1], libraries[2], &handle, block) == QVTTS_ERR_OK) {
    int calls = 0;
    qvTTS_SetParam(handle, QVTTS_PARAM_CODEPAGE, 65001);
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(&calls));
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&InputOnce));
    qvTTS_SynthesizeText(handle);
    qvTTS_End(handle);
  }
  std::free(block);
  return 0;
}
