// Decision-tree lookup over a 64-byte context label.
#pragma once

#include <cstdint>

#include "backend/acoustic/voice_model.h"

namespace kvo {
namespace backend {

// Walks the tree rooted at `root` (a byte offset into the node area) and
// returns its leaf number (from 1), or -1 when the tree leaves its node
// area, names a question outside the question area, or does not end.
int FindLeaf(const VoiceModel& model, uint32_t root, const int8_t* label);

// Evaluates one question record (count, selector, operands) on a label.
bool AnswerQuestion(const uint8_t* question, const int8_t* label);

}  // namespace backend
}  // namespace kvo
