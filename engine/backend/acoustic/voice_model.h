// A voice model as the parameter generator uses it: trees, questions and
// the small distribution tables copied into the arena at load, the large
// spectrum and phone-duration tables read on demand through the source.
#pragma once

#include <cstdint>

#include "backend/acoustic/model_source.h"
#include "backend/acoustic/spectrum_record_cache.h"
#include "backend/acoustic/voice_model_layout.h"
#include "backend/scratch_arena.h"

namespace kvo {
namespace backend {

enum class AcousticStatus {
  kOk = 0,
  kBadModel,      // a model read fell outside its section or broke the layout
  kOutOfScratch,  // the work arena could not hold a group's buffers
};

struct StreamDescriptor {
  int32_t position = 0;
  int16_t meanBits[3] = {0, 0, 0};
  int16_t precisionBits[3] = {0, 0, 0};
  int16_t count = 0;
  int16_t leafCounts[model_layout::kStateCount] = {0, 0, 0, 0, 0};
};

struct VoiceModel {
  ModelSource source;
  int windows = 3;  // 2: static + delta, 3: + delta-delta
  int order = 20;   // spectral order
  StreamDescriptor streams[model_layout::kStreamCount];

  // Question area as loaded; questionBase is its first byte's offset from
  // the tree block start (the frame of the nodes' question offsets).
  const uint8_t* questions = nullptr;
  uint32_t questionBase = 0;
  uint32_t questionBytes = 0;
  // Node area; tree roots are byte offsets into it.
  const uint8_t* nodes = nullptr;
  uint32_t nodeBytes = 0;
  uint32_t durationTree = 0;
  uint32_t phoneDurationTree[model_layout::kVoiceStyleCount] = {0, 0, 0};
  uint32_t spectrumTree[model_layout::kStateCount] = {0, 0, 0, 0, 0};
  uint32_t logF0Tree[model_layout::kStateCount] = {0, 0, 0, 0, 0};

  const int16_t* durations = nullptr;  // kDurationLeafValues per leaf
  uint32_t durationLeaves = 0;
  const int16_t* logF0 = nullptr;  // 2 * windows per leaf, state after state
  uint32_t logF0Values = 0;
  uint32_t logF0FirstLeaf[model_layout::kStateCount] = {0, 0, 0, 0, 0};
  uint32_t spectrumFirstLeaf[model_layout::kStateCount] = {0, 0, 0, 0, 0};
  uint32_t spectrumRecordBytes = 0;  // (order + 1) dimension records
  // Records already read, when the engine could spare the memory; shared
  // by the models of one engine, each numbering its records from its base.
  SpectrumRecordCache* recordCache = nullptr;
  uint32_t recordCacheBase = 0;
};

// Spectral order for a voice sample rate (16000 Hz when unknown).
int SpectralOrderForRate(int32_t sampleRate);

// Reads and checks the model whose section payload `source` covers. On
// kOk the tables live in `arena` until the caller rewinds past them; on
// failure the arena is back at its level.
AcousticStatus LoadVoiceModel(const ModelSource& source, int windows, int order, ScratchArena& arena,
                              VoiceModel* model);

// Little-endian helpers shared by the readers of the back end.
inline int16_t ReadI16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int32_t ReadI32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace backend
}  // namespace kvo
