// Context labels (64 signed bytes per phone, -1 where not applicable) of
// the phones of one group, as the decision trees question them.
#pragma once

#include <cstdint>

#include "backend/labels/speech_item.h"
#include "backend/labels/voice_symbols.h"
#include "backend/scratch_arena.h"

namespace kvo {
namespace backend {

constexpr int kLabelBytes = 64;
constexpr int kLabelVoicing = 53;

// English symbol indices the label rules refer to.
constexpr int kEnglishPau = 51;
constexpr int kEnglishT = 57;
constexpr int kEnglishZ = 67;
constexpr int kEnglishSymbolCount = 70;

// Voicing class of an English symbol index (255 when not a phone).
uint8_t EnglishVoicing(int symbol);

// Writes the labels of the phones of items [first, end) into `labels`
// (kLabelBytes per phone, in phone order). Temporary tables come from the
// arena and are returned before the call ends. False when the arena is
// too small for them.
bool BuildGroupLabels(const VoiceSymbols& symbols, uint32_t g, const AnalysisItem* analysis, const SpeechItem* items,
                      int count, int first, int end, int8_t* labels, ScratchArena& arena);

}  // namespace backend
}  // namespace kvo
