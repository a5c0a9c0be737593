// Arbitrary text through the whole engine with the default voice and the
// English library: the first bytes choose the code page, reading modes,
// speed, pitch, volume, audio format, effect, chunk sizes and an early stop,
// the rest is the text. Traps when the engine breaks its callback contract.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/qvtts.h"

#ifndef KVO_FUZZ_DATA_DIR
#error KVO_FUZZ_DATA_DIR must name the folder with the default voice
#endif

namespace {

constexpr size_t kHeaderBytes = 16;
// Longer texts only slow the search down; the engine works sentence by sentence.
constexpr size_t kMaxText = 400;

struct Run {
  const uint8_t* text;
  int32_t size;
  int32_t position;
  int32_t chunk;
  int32_t stop_after;  // output pieces before a stop from inside the callback; 0 never
  int32_t pieces;
  int32_t finals;
  int32_t progress_end;
  qvTTS_HANDLE handle;
};

int Input(void* user, char* buffer, int32_t* length) {
  Run* run = static_cast<Run*>(user);
  if (*length <= 0 || *length > QVTTS_INPUT_CHUNK_BYTES) std::abort();
  int32_t n = run->size - run->position;
  if (n > run->chunk) n = run->chunk;
  if (n > *length) n = *length;
  std::memcpy(buffer, run->text + run->position, static_cast<size_t>(n));
  run->position += n;
  *length = n;
  return 0;
}

int Progress(void* user, int32_t begin, int32_t length) {
  Run* run = static_cast<Run*>(user);
  // Spans lie within the bytes handed over so far.
  if (begin < 0 || length <= 0 || begin + length > run->position) std::abort();
  run->progress_end = begin + length;
  return 0;
}

int Output(void* user, int32_t kind, const void* data, int32_t bytes) {
  Run* run = static_cast<Run*>(user);
  (void)kind;
  if (run->finals != 0) std::abort();  // nothing after the last call
  if (data == nullptr && bytes == 0) {
    ++run->finals;
    return 0;
  }
  if (data == nullptr || bytes <= 0) std::abort();
  // Touch every byte so that ASan sees reads past the block.
  volatile uint8_t sum = 0;
  for (int32_t i = 0; i < bytes; ++i) sum = static_cast<uint8_t>(sum + static_cast<const uint8_t*>(data)[i]);
  if (++run->pieces == run->stop_after) qvTTS_SynthStop(run->handle);
  return 0;
}

int Syllable(void*, int32_t, const char* character, int32_t character_bytes, const char* spelling,
             int32_t spelling_bytes) {
  if (character_bytes < 0 || spelling_bytes < 0) std::abort();
  if ((character_bytes > 0 && character == nullptr) || (spelling_bytes > 0 && spelling == nullptr)) std::abort();
  return 0;
}

int WordSegment(void* user, int32_t begin, int32_t length, int32_t) {
  const Run* run = static_cast<const Run*>(user);
  if (begin < 0 || length < 0 || begin + length > run->position) std::abort();
  return 0;
}

int16_t Int16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }

struct Engine {
  void* block = nullptr;
  int32_t size = 0;
};

const Engine& SharedBlock() {
  static Engine engine = [] {
    Engine e;
    if (qvTTS_GetExtBufSize(KVO_FUZZ_DATA_DIR "/zh_cn_mei.kvl", KVO_FUZZ_DATA_DIR "/en_us_slt.kvl", nullptr, &e.size) !=
        QVTTS_ERR_OK)
      std::abort();
    e.block = std::aligned_alloc(64, (static_cast<size_t>(e.size) + 63) / 64 * 64);
    return e;
  }();
  return engine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes) return 0;
  static const int32_t kCodePages[] = {65001, 936, 950, 1200, 1201, 437, 0, -1};
  const uint8_t* h = data;
  Run run{};
  run.text = data + kHeaderBytes;
  run.size = static_cast<int32_t>(size - kHeaderBytes < kMaxText ? size - kHeaderBytes : kMaxText);
  run.chunk = h[6] == 0 ? QVTTS_INPUT_CHUNK_BYTES : h[6] * 4 - (h[7] & 3);
  run.stop_after = h[7] >> 2;

  const Engine& engine = SharedBlock();
  qvTTS_HANDLE handle = nullptr;
  // A fresh instance per input, so that a failing input replays on its own.
  if (qvTTS_Init(KVO_FUZZ_DATA_DIR "/zh_cn_mei.kvl", (h[0] & 0x80) ? nullptr : KVO_FUZZ_DATA_DIR "/en_us_slt.kvl",
                 nullptr, &handle, engine.block) != QVTTS_ERR_OK)
    std::abort();
  run.handle = handle;
  qvTTS_SetParam(handle, QVTTS_PARAM_CODEPAGE, kCodePages[h[0] & 7]);
  qvTTS_SetParam(handle, QVTTS_PARAM_DIGIT_MODE, h[1] & 3);
  qvTTS_SetParam(handle, QVTTS_PARAM_PUNC_MODE, (h[1] >> 2) & 3);
  qvTTS_SetParam(handle, QVTTS_PARAM_ENG_MODE, (h[1] >> 4) % 3);
  qvTTS_SetParam(handle, QVTTS_PARAM_TAG_MODE, (h[1] >> 6) & 1);
  qvTTS_SetParam(handle, QVTTS_PARAM_NAME_POLYPHONE, h[1] >> 7);
  qvTTS_SetParam(handle, QVTTS_PARAM_AUDIO_FORMAT, h[2] & 15);
  qvTTS_SetParam(handle, QVTTS_PARAM_VOICE_STYLE, static_cast<int>((h[2] >> 4) & 3) - 1);
  qvTTS_SetParam(handle, QVTTS_PARAM_SPEED_MODE, (h[2] >> 6) & 1);
  qvTTS_SetParam(handle, QVTTS_PARAM_SILENCE_MODE, h[2] >> 7);
  // Effect kinds 0..5, or the mix level in their place.
  if (h[3] & 0x80) {
    qvTTS_SetParam(handle, QVTTS_PARAM_MIX_SOUND, Int16(h + 14));
  } else {
    qvTTS_SetParam(handle, QVTTS_PARAM_SOUND_EFFECT, h[3] % 6);
  }
  qvTTS_SetParam(handle, QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 2 + (h[3] & 0x7f) * 32);
  qvTTS_SetParam(handle, QVTTS_PARAM_SPEED, Int16(h + 8));
  qvTTS_SetParam(handle, QVTTS_PARAM_PITCH, Int16(h + 10));
  qvTTS_SetParam(handle, QVTTS_PARAM_VOLUME, Int16(h + 12));
  qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
  qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(&run));
  qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Input));
  qvTTS_SetParam(handle, QVTTS_PARAM_PROGRESS_PROC, reinterpret_cast<intptr_t>(&Progress));
  qvTTS_SetParam(handle, QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Output));
  qvTTS_SetParam(handle, QVTTS_PARAM_SYLLABLE_PROC, reinterpret_cast<intptr_t>(&Syllable));
  qvTTS_SetParam(handle, QVTTS_PARAM_WORD_SEGMENT_PROC, reinterpret_cast<intptr_t>(&WordSegment));

  // Bytes 4 and 5 pick the parameter ids and values of one more call with
  // whatever the engine makes of them (pointer-valued ids excluded).
  const int32_t extra_id = h[4] % 34;
  const bool pointer_id = (extra_id >= QVTTS_PARAM_PROGRESS_PROC && extra_id <= QVTTS_PARAM_USER_DATA) ||
                          extra_id == QVTTS_PARAM_BACKGROUND_FILE || extra_id == QVTTS_PARAM_WORD_SEGMENT_PROC ||
                          extra_id == QVTTS_PARAM_INPUT_MODE;
  if (!pointer_id) qvTTS_SetParam(handle, extra_id, static_cast<int8_t>(h[5]));

  const int result = qvTTS_SynthesizeText(handle);
  // Every synthesis that ran ends with exactly one last call.
  if (result == QVTTS_ERR_OK && run.finals != 1) std::abort();
  if (qvTTS_End(handle) != QVTTS_ERR_OK) std::abort();
  return 0;
}
