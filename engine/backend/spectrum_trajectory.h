// Line spectral frequencies and excitation gain of every frame of a group,
// solved dimension by dimension over all frames.
#pragma once

#include "group_frames.h"
#include "scratch_arena.h"
#include "voice_model.h"

namespace kvo {
namespace backend {

AcousticStatus GenerateSpectrum(const VoiceModel& model, const GroupFrames& group, ScratchArena& arena);

}  // namespace backend
}  // namespace kvo
