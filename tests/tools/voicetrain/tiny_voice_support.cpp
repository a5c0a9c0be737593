#include "tiny_voice_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/qvtts.h"

namespace tiny_voice {

namespace {

struct Speech {
  std::vector<int16_t>* samples;
  std::string text;
  size_t offset = 0;
};

int Feed(void* user, char* buffer, int32_t* length) {
  Speech* s = static_cast<Speech*>(user);
  const size_t n = std::min(s->text.size() - s->offset, static_cast<size_t>(*length));
  std::memcpy(buffer, s->text.data() + s->offset, n);
  s->offset += n;
  *length = static_cast<int32_t>(n);
  return 0;
}

int Collect(void* user, int32_t, const void* data, int32_t bytes) {
  Speech* s = static_cast<Speech*>(user);
  const int16_t* p = static_cast<const int16_t*>(data);
  if (p != nullptr) s->samples->insert(s->samples->end(), p, p + bytes / 2);
  return 0;
}

}  // namespace

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Speak(const std::string& chinese, const char* english, const std::string& text, std::vector<int16_t>* samples) {
  samples->clear();
  int32_t size = 0;
  if (qvTTS_GetExtBufSize(chinese.c_str(), english, nullptr, &size) != QVTTS_ERR_OK) return false;
  void* block = std::aligned_alloc(16, (static_cast<size_t>(size) + 15) & ~size_t{15});
  qvTTS_HANDLE handle = nullptr;
  const bool started = qvTTS_Init(chinese.c_str(), english, nullptr, &handle, block) == QVTTS_ERR_OK;
  if (started) {
    Speech speech{samples, text};
    qvTTS_SetParam(handle, QVTTS_PARAM_CODEPAGE, 65001);
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Feed));
    qvTTS_SetParam(handle, QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Collect));
    qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(&speech));
    EXPECT_EQ(qvTTS_SynthesizeText(handle), QVTTS_ERR_OK);
    EXPECT_EQ(qvTTS_End(handle), QVTTS_ERR_OK);
  }
  std::free(block);
  return started;
}

}  // namespace tiny_voice
