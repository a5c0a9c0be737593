// F0 of every frame of a group: voiced states contribute log-F0
// observations, solved as one sequence; unvoiced frames get F0 0.
#pragma once

#include "backend/acoustic/group_frames.h"
#include "backend/acoustic/voice_model.h"
#include "backend/scratch_arena.h"

namespace kvo {
namespace backend {

// Voicing class of a label that makes a state unvoiced unless its
// distribution says otherwise.
constexpr int kUnvoicedClass = 3;

AcousticStatus GenerateLogF0(const VoiceModel& model, const GroupFrames& group, ScratchArena& arena);

}  // namespace backend
}  // namespace kvo
