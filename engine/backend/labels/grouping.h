// Cutting a chunk's items into groups of at most 30 phones of one language.
#pragma once

#include "backend/labels/speech_item.h"

namespace kvo {
namespace backend {

// Returns the end (exclusive) of the group that starts at `start` and sets
// *phones to its phone count (0: the group only has phone-less items).
int SelectGroup(const SpeechItem* items, int count, int start, int* phones);

}  // namespace backend
}  // namespace kvo
