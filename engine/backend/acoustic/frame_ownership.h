// Hands a group's frames to its items and silences the pause states that
// must not sound.
#pragma once

#include "backend/acoustic/group_frames.h"
#include "backend/labels/speech_item.h"

namespace kvo {
namespace backend {

// Sets frames/frameBytes of items [first, end) and zeroes the gain of
// leading pauses (states 0-3) and of the trailing pauses (states 1-4) of
// all but the group's last item. Letter and Greek units give up states
// 0-3 of their first phone and 1-4 of their last phone.
void AssignFrames(SpeechItem* items, int first, int end, uint32_t g, const GroupFrames& group);

}  // namespace backend
}  // namespace kvo
