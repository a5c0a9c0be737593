// Acoustic parameter generation for one chunk of analysis items: each
// GenerateGroup call takes the next group of at most 30 phones, makes its
// 5-ms parameter frames in the arena and points every item of the group
// at the frames it owns.
#pragma once

#include <cstdint>

#include "backend/acoustic/voice_model.h"
#include "backend/labels/speech_item.h"
#include "backend/labels/voice_symbols.h"
#include "backend/scratch_arena.h"
#include "core/analysis_item.h"

namespace kvo {
namespace backend {

// What the generator needs of the voice; all of it is owned by the engine.
struct AcousticVoice {
  const VoiceSymbols* symbols = nullptr;  // Chinese symbol and unit tables
  const VoiceModel* chinese = nullptr;    // either model may be absent
  const VoiceModel* english = nullptr;
  int order = 20;  // SpectralOrderForRate of the voice
};

struct AcousticSettings {
  int voiceStyle = -1;  // -1 none, 0 ... 2
  int silenceMode = 0;
};

// Survives chunks and syntheses: the model of the previous group.
struct ModelHistory {
  const VoiceModel* previous = nullptr;
  bool any = false;
};

// Per chunk; zero-initialise (or ResetChunk) before the first call.
struct ChunkState {
  bool prepared = false;
  int itemCount = 0;
  int consumed = 0;
  int groupFirst = 0;
  int groupCount = 0;
  // Group buffers (labels, state frames, parameter frames) held in the
  // arena from the group's mark until ReleaseGroup.
  bool holdsGroup = false;
  size_t groupMark = 0;
  int groupPhones = 0;
  int32_t groupFrames = 0;
  int16_t* frames = nullptr;             // groupFrames frames of order + 2 values
  const int32_t* stateFrames = nullptr;  // 5 per phone of the group
};

struct GroupResult {
  int taken = 0;       // items of the group (0: the chunk is done)
  int first = 0;       // index of the group's first item
  int32_t frames = 0;  // parameter frames generated for the group
};

// Takes the next group of the chunk. The first call after a reset
// prepares the SpeechItem array for all `count` items (the analysis items'
// codes of non-Chinese items are set to 0). A group without phones is
// taken whole and generates nothing. On kBadModel or kOutOfScratch the
// group is still taken, its items get no frames and the arena is back at
// its level. The group's buffers stay in the arena until ReleaseGroup (or
// the next call, or ResetChunk).
AcousticStatus GenerateGroup(const AcousticVoice& voice, const AcousticSettings& settings, ModelHistory& history,
                             AnalysisItem* items, int count, SpeechItem* speech, ChunkState& chunk, ScratchArena& arena,
                             GroupResult* result);

// Gives the current group's buffers back to the arena.
void ReleaseGroup(ChunkState& chunk, ScratchArena& arena);

// Forgets the chunk (after its last group, or when synthesis stops).
void ResetChunk(ChunkState& chunk, ScratchArena& arena);

}  // namespace backend
}  // namespace kvo
