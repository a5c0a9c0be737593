// qvTTS_SynthesizeText and qvTTS_SynthStop: the input loop, the chunk
// pipeline between front end and back end, progress and output delivery.
#include <cstdint>

#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/engine_variant.h"
#include "core/progress_span.h"

namespace {

constexpr int32_t kIdle = 0;
constexpr int32_t kBusy = 3;

void Deliver(qvInstance* instance, const uint8_t* data, int32_t bytes) {
  // A variant without the chunk size parameter leaves it 0.
  const int32_t piece_limit = instance->params.output_chunk_size > 0 ? instance->params.output_chunk_size : 4096;
  while (bytes > 0) {
    const int32_t piece = bytes < piece_limit ? bytes : piece_limit;
    instance->params.output_proc(instance->params.user_data, 0, data, piece);
    data += piece;
    bytes -= piece;
  }
}

void ReportProgress(qvInstance* instance) {
  const qvFrontEndState& fe = instance->front_end;
  if (fe.sentence_length <= 0) return;
  const qvProgressSpan span = qvProgress_Span(instance->bytes_read, fe.chunk_length, fe.previous_chunk_length,
                                              fe.sentence_offset[0], fe.sentence_offset[fe.sentence_length]);
  if (span.length <= 0 || span.begin == instance->last_progress_begin) return;
  instance->last_progress_begin = span.begin;
  instance->params.progress_proc(instance->params.user_data, span.begin, span.length);
}

// Waveform passes over one planned batch until the back end has rendered
// all of its units. False when the arena ran out.
bool RenderBatch(qvInstance* instance, const qvAnalysisItem* items, int32_t item_count, void* labels, void* scratch) {
  for (bool first_pass = true;; first_pass = false) {
    if (qvBackEnd_PlanBatch(instance, items, item_count, labels, scratch, first_pass) != QVTTS_ERR_OK) {
      return true;
    }
    const int32_t wave_bytes = qvBackEnd_WaveformStateBytes(instance);
    void* wave = qvArena_TakeAligned(instance, wave_bytes);
    if (wave == nullptr) return false;
    qvBackEnd_BeginWaveform(instance, wave);
    const uint8_t* frame = nullptr;
    int32_t frame_bytes = 0;
    while (!qvStopRequested(instance) && qvBackEnd_NextFrame(instance, wave, &frame, &frame_bytes)) {
      Deliver(instance, frame, frame_bytes);
      qvBackEnd_FrameDelivered(instance, wave);
    }
    qvBackEnd_EndWaveform(instance, wave);
    qvArena_GiveAligned(instance, wave, wave_bytes);
    if (instance->arena_exhausted) return false;
    if (qvBackEnd_Advance(instance) || qvStopRequested(instance)) return true;
  }
}

// One input chunk, or the final flush when chunk is null. Returns 0 or 3.
int RunChunk(qvInstance* instance, const uint8_t* chunk, int32_t chunk_length) {
  void* scratch = qvArena_Take(instance, kBackEndScratchBytes);
  if (scratch == nullptr) return QVTTS_ERR_INVALID_ARG;
  const int32_t item_bytes = kBatchItemCount * static_cast<int32_t>(sizeof(qvAnalysisItem));
  const int32_t name_bytes = kBatchItemCount * kItemNameBytes;
  int result = QVTTS_ERR_OK;
  bool first_pass = true;
  while (!qvStopRequested(instance)) {
    qvAnalysisItem* items = static_cast<qvAnalysisItem*>(qvArena_TakeAligned(instance, item_bytes));
    char* names = items ? static_cast<char*>(qvArena_Take(instance, name_bytes)) : nullptr;
    if (names == nullptr) {
      qvArena_GiveAligned(instance, items, item_bytes);
      result = QVTTS_ERR_INVALID_ARG;
      break;
    }
    for (int32_t i = 0; i < kBatchItemCount; ++i) items[i].name = names + i * kItemNameBytes;

    qvFrontEndState* fe = &instance->front_end;
    fe->previous_chunk_length = instance->previous_chunk_length;
    fe->bytes_read = instance->bytes_read;
    fe->chunk_length = instance->chunk_length;
    int32_t count = 0;
    const int32_t status = qvFrontEnd_Process(fe, &instance->language_status, first_pass ? chunk : nullptr,
                                              first_pass ? chunk_length : 0, items, kBatchItemCount, instance, &count);
    first_pass = false;
    const bool english_pending = instance->language_status == kLanguageStatusEnglishPending;
    bool batch = false;
    if (instance->arena_exhausted) {
      result = QVTTS_ERR_INVALID_ARG;
    } else if ((status == kFeChunkDone || status == kFeEmptyChunk) && !english_pending) {
      // The chunk is used up.
    } else if (status == kFeCallAgain || instance->language_status == kLanguageStatusEnglishWaiting) {
      batch = false;
    } else if (status != kFeOk && !english_pending) {
      result = QVTTS_ERR_INVALID_ARG;
    } else {
      batch = true;
    }
    if (batch) {
      ReportProgress(instance);
      const int32_t label_bytes = qvBackEnd_LabelAreaBytes(instance);
      // Most of the area is the back end's scratch, which clears only what
      // it uses: zeroing all of it for every batch delayed the first audio.
      void* labels = qvArena_TakeAlignedUncleared(instance, label_bytes);
      if (labels == nullptr || !RenderBatch(instance, items, count, labels, scratch)) {
        result = QVTTS_ERR_INVALID_ARG;
      }
      qvArena_GiveAligned(instance, labels, label_bytes);
    }
    qvArena_Give(instance, names, name_bytes);
    qvArena_GiveAligned(instance, items, item_bytes);
    if (result != QVTTS_ERR_OK) break;
    if (!batch && status != kFeCallAgain && instance->language_status != kLanguageStatusEnglishWaiting) break;
  }
  qvArena_Give(instance, scratch, kBackEndScratchBytes);
  return result;
}

// After the last text: what the sound effect still holds rings out.
void RingOutEffect(qvInstance* instance) {
  const int32_t wave_bytes = qvBackEnd_WaveformStateBytes(instance);
  void* wave = qvArena_TakeAligned(instance, wave_bytes);
  if (wave == nullptr) {
    instance->arena_exhausted = 0;
    return;
  }
  qvBackEnd_BeginEffectTail(instance, wave);
  const uint8_t* frame = nullptr;
  int32_t frame_bytes = 0;
  while (!qvStopRequested(instance) && qvBackEnd_NextEffectTailFrame(instance, wave, &frame, &frame_bytes)) {
    Deliver(instance, frame, frame_bytes);
  }
  qvArena_GiveAligned(instance, wave, wave_bytes);
}

int RunInputLoop(qvInstance* instance) {
  while (!qvStopRequested(instance)) {
    instance->previous_chunk_length = instance->chunk_length;
    instance->input_length = QVTTS_INPUT_CHUNK_BYTES;
    const int rc = instance->params.input_proc(
        instance->params.user_data, reinterpret_cast<char*>(instance->input_buffer), &instance->input_length);
    if (rc != 0) return rc;
    const int32_t count = instance->input_length;
    if (count < 0 || count > QVTTS_INPUT_CHUNK_BYTES) return QVTTS_ERR_INVALID_ARG;
    // Offsets are int32; a text beyond that cannot be reported.
    if (count > INT32_MAX - instance->bytes_read) return QVTTS_ERR_INVALID_ARG;
    instance->bytes_read += count;
    if (instance->bytes_read == 0) return QVTTS_ERR_INVALID_ARG;
    if (count == 0) {
      // The front end's offsets still refer to the last chunk read.
      instance->previous_chunk_length = instance->front_end.previous_chunk_length;
      instance->front_end.end_of_input = 1;
      return RunChunk(instance, nullptr, 0);
    }
    instance->chunk_length = count;
    instance->front_end.end_of_input = 0;
    RunChunk(instance, instance->input_buffer, count);
    // A chunk's own failures are dropped, but an arena that ran out
    // leaves nothing to continue with.
    if (instance->arena_exhausted) return QVTTS_ERR_INVALID_ARG;
  }
  return QVTTS_ERR_OK;
}

}  // namespace

extern "C" int qvTTS_SynthesizeText(qvTTS_HANDLE handle) {
  qvInstance* instance = qvInstanceFromHandle(handle);
  if (instance == nullptr) return QVTTS_ERR_INVALID_ARG;
  if (instance->initialised != 1) return QVTTS_ERR_NOT_INIT;
  if (instance->params.input_mode != QVTTS_INPUT_MODE_CALLBACK) return QVTTS_ERR_INPUT_MODE;
  int32_t idle = kIdle;
  if (!__atomic_compare_exchange_n(&instance->busy_state, &idle, kBusy, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
    return QVTTS_ERR_BUSY;
  }
  __atomic_store_n(&instance->stop_request, 0, __ATOMIC_RELEASE);
  const int32_t arena_mark = instance->arena_used;
  instance->arena_exhausted = 0;
  instance->bytes_read = 0;
  instance->chunk_length = 0;
  instance->previous_chunk_length = 0;
  instance->last_progress_begin = -1;
  instance->language_status = kLanguageStatusNone;
  qvFrontEnd_Reset(&instance->front_end);
  instance->front_end.start_of_text = 1;

  const int result = RunInputLoop(instance);
  const bool stopped = qvStopRequested(instance);
  // Blocks are only ever left behind by a stage breaking the stack
  // discipline; count it and never let it carry into the next synthesis.
  if (instance->arena_used != arena_mark) {
    ++instance->arena_discipline_faults;
    instance->arena_free += instance->arena_used - arena_mark;
    instance->arena_used = arena_mark;
  }
  if (result == QVTTS_ERR_OK && !stopped && instance->front_end.end_of_input && instance->effect.kind != 0) {
    RingOutEffect(instance);
  }
  instance->params.output_proc(instance->params.user_data, 0, nullptr, 0);
  if (instance->effect.kind != 0 && (stopped || instance->front_end.end_of_input)) {
    qvSoundEffect_Clear(instance);
  }
  __atomic_store_n(&instance->busy_state, kIdle, __ATOMIC_RELEASE);
  return result;
}

extern "C" int qvTTS_SynthStop(qvTTS_HANDLE handle) {
  qvInstance* instance = qvInstanceFromHandle(handle);
  if (instance == nullptr) return QVTTS_ERR_INVALID_ARG;
  if (instance->initialised != 1) return QVTTS_ERR_NOT_INIT;
  __atomic_store_n(&instance->stop_request, 1, __ATOMIC_RELEASE);
  return QVTTS_ERR_OK;
}
