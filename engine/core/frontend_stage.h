// What the synthesis loop calls of the text front end, and the step results
// and language status the two hand each other.
#ifndef KVO_ENGINE_FRONTEND_STAGE_H
#define KVO_ENGINE_FRONTEND_STAGE_H

#include <cstdint>

#include "core/analysis_item.h"

struct qvInstance;

// Front-end status codes.
constexpr int32_t kFeOk = 0x10000;
constexpr int32_t kFeEmptyChunk = 0x10003;
constexpr int32_t kFeChunkDone = 0x10006;
constexpr int32_t kFeReadFailed = 0x10007;
constexpr int32_t kFeNoConversion = 0x1000A;
constexpr int32_t kFeSymbolFailed = 0x1000B;
constexpr int32_t kFeSplitFailed = 0x1000D;
constexpr int32_t kFeCallAgain = 0x10018;

// Language status handed in and out of every front-end call.
constexpr int32_t kLanguageStatusNone = 0;
constexpr int32_t kLanguageStatusChinese = 0x1001E;
constexpr int32_t kLanguageStatusEnglishWaiting = 0x1001D;
constexpr int32_t kLanguageStatusEnglishPending = 0x1001C;

constexpr int32_t kTextBufferCodes = 512;
constexpr int32_t kSentenceCodes = 512;

// Front-end state. The synthesis loop reads and writes the fields up to the
// sentence buffer; the working storage after them is the front end's own.
struct qvFrontEndState {
  int32_t end_of_input;
  int32_t start_of_text;
  int32_t sentence_language;
  // Copied in by the chunk pipeline before every call.
  int32_t previous_chunk_length;
  int32_t bytes_read;
  int32_t chunk_length;  // the chunk the byte offsets below refer to
  // Current sentence: codes and the byte offset of each within the
  // current chunk (negative for bytes of earlier chunks), plus one
  // closing offset at [sentence_length].
  int32_t sentence_length;
  uint16_t sentence[kSentenceCodes];
  int32_t sentence_offset[kSentenceCodes + 1];
  // Working storage of the front end itself.
  const uint8_t* chunk;
  int32_t chunk_view_length;
  int32_t chunk_position;
  int32_t text_count;
  uint16_t text[kTextBufferCodes];
  int32_t text_offset[kTextBufferCodes + 1];
  int32_t pending_count;
  uint8_t pending[4];
  int32_t pending_offset;
  // The real front end's own record, taken from the arena at init.
  void* stage;
};

// Called once by qvTTS_Init after the resident tables are loaded; 0 or an
// engine error code. Released by qvTTS_End.
int qvFrontEnd_InitChinese(qvInstance* instance);
void qvFrontEnd_ReleaseChinese(qvInstance* instance);

// Clears the state at the start of a synthesis.
void qvFrontEnd_Reset(qvFrontEndState* state);

// One batch: decodes chunk (null when continuing), fills up to capacity - 1
// items plus the terminator and stores their count. Returns a kFe* status.
int32_t qvFrontEnd_Process(qvFrontEndState* state, int32_t* language_status, const uint8_t* chunk, int32_t chunk_length,
                           qvAnalysisItem* items, int32_t capacity, qvInstance* instance, int32_t* item_count);

#endif
