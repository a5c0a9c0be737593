// Line spectral frequencies and excitation gain of every frame of a group,
// solved dimension by dimension over all frames.
#pragma once

#include "backend/acoustic/group_frames.h"
#include "backend/acoustic/voice_model.h"
#include "backend/scratch_arena.h"

namespace kvo {
namespace backend {

AcousticStatus GenerateSpectrum(const VoiceModel& model, const GroupFrames& group, ScratchArena& arena);

}  // namespace backend
}  // namespace kvo
