#include "backend/acoustic/frame_ownership.h"

#include "backend/acoustic/voice_model_layout.h"
#include "core/unit_code.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

namespace {

void Silence(const GroupFrames& group, int32_t from, int32_t count) {
  for (int32_t f = 0; f < count; ++f) group.Frame(from + f)[group.order + 1] = 0;
}

}  // namespace

void AssignFrames(SpeechItem* items, int first, int end, uint32_t g, const GroupFrames& group) {
  const int32_t* st = group.stateFrames;
  const int32_t frameBytes = group.FrameValues() * 2;
  int32_t position = 0;
  int phone = 0;
  for (int i = first; i < end; ++i) {
    SpeechItem& s = items[i];
    const int n = s.PhoneCount();
    s.frames = nullptr;
    s.frameBytes = 0;
    if (n == 0) continue;
    const int32_t* firstStates = st + phone * ml::kStateCount;
    const int32_t* lastStates = st + (phone + n - 1) * ml::kStateCount;
    int32_t total = 0;
    for (int k = 0; k < n * ml::kStateCount; ++k) total += firstStates[k];
    const int32_t head = firstStates[0] + firstStates[1] + firstStates[2] + firstStates[3];
    const int32_t tail = lastStates[1] + lastStates[2] + lastStates[3] + lastStates[4];

    if (s.pauseFlags & kLeadingPause) Silence(group, position, head);
    if ((s.pauseFlags & kTrailingPause) && i != end - 1) Silence(group, position + total - tail, tail);

    int32_t ownedFrom = position, owned = total;
    UnitClass cls = s.language == kItemLanguageChinese ? ClassifyUnit(s.code, g) : UnitClass::kNone;
    if (cls == UnitClass::kLetter || cls == UnitClass::kGreek) {
      ownedFrom = position + head;
      owned = total - head - tail;
      if (owned < 0) owned = 0;
    }
    s.frames = group.Frame(ownedFrom);
    s.frameBytes = owned * frameBytes;
    position += total;
    phone += n;
  }
}

}  // namespace backend
}  // namespace kvo
