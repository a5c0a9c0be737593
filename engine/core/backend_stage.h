// What the synthesis loop calls of speech generation.
#ifndef KVO_ENGINE_BACKEND_STAGE_H
#define KVO_ENGINE_BACKEND_STAGE_H

#include <cstdint>

#include "core/analysis_item.h"

struct qvInstance;

// Per-instance state of speech generation, kept in the instance record.
struct qvBackEndState {
  const qvAnalysisItem* items;
  int32_t item_count;
  int32_t next_item;      // first item not yet rendered
  int32_t frame_in_item;  // frames already rendered of next_item
  uint32_t phase;         // oscillator phase (Q16 fraction of a turn)
  int32_t reported_item;  // items [0, reported_item) went to SyllableProc
  // The real back end's own record, taken from the arena at init (after
  // the resident tables) and given back at release.
  void* stage;
  int32_t stage_bytes;
};

// Sizes of the arena blocks the loop takes for the back end.
constexpr int32_t kBackEndScratchBytes = 512;
int32_t qvBackEnd_LabelAreaBytes(const qvInstance* instance);
int32_t qvBackEnd_WaveformStateBytes(const qvInstance* instance);

int qvBackEnd_Init(qvInstance* instance);
void qvBackEnd_Release(qvInstance* instance);

// Plans the units of a batch (items up to the terminator). Called again
// with first_pass false while qvBackEnd_Advance reports units left over.
// 0 or an error (the batch is then skipped).
int qvBackEnd_PlanBatch(qvInstance* instance, const qvAnalysisItem* items, int32_t item_count, void* label_area,
                        void* scratch, bool first_pass);
// Prepares a waveform pass for the current audio format.
void qvBackEnd_BeginWaveform(qvInstance* instance, void* waveform_state);
// Next frame of finished samples (effect and background already applied),
// in the output format. False when the pass has no more frames.
bool qvBackEnd_NextFrame(qvInstance* instance, void* waveform_state, const uint8_t** data, int32_t* bytes);
// The last frame has reached the caller: report the units it completed.
void qvBackEnd_FrameDelivered(qvInstance* instance, void* waveform_state);
void qvBackEnd_EndWaveform(qvInstance* instance, void* waveform_state);
// True once every planned unit of the batch has been rendered.
bool qvBackEnd_Advance(qvInstance* instance);
// At the end of a text read to its end: prepares a waveform pass that lets
// the sound effect ring out (an echo's or reverb's tail), in the output
// format; its frames come from qvBackEnd_NextEffectTailFrame until false.
void qvBackEnd_BeginEffectTail(qvInstance* instance, void* waveform_state);
bool qvBackEnd_NextEffectTailFrame(qvInstance* instance, void* waveform_state, const uint8_t** data, int32_t* bytes);

#endif
