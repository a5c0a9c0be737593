// Frames per state of every phone of a group, from the duration trees.
#pragma once

#include <cstdint>

#include "backend/acoustic/voice_model.h"

namespace kvo {
namespace backend {

// A state never lasts longer than this many frames (10 s), whatever the
// model says, so that a bad model cannot exhaust the arena.
constexpr int kMaxStateFrames = 2000;

// Phone id whose states are quartered in silence mode when the voice's
// phone table has no "pau".
constexpr int kSilencePhoneId = 94;

struct DurationSettings {
  int voiceStyle = -1;  // -1, or 0 ... 2 to stretch towards the phone duration
  bool silenceMode = false;
  bool modelChanged = false;
  int silencePhoneId = kSilencePhoneId;  // the voice's pause phone
};

// Writes 5 frame counts per phone into `stateFrames`; *totalFrames is
// their sum. kBadModel when a tree or table read fails.
AcousticStatus ComputeStateDurations(const VoiceModel& model, const int8_t* labels, int phones,
                                     const DurationSettings& settings, int32_t* stateFrames, int32_t* totalFrames);

}  // namespace backend
}  // namespace kvo
