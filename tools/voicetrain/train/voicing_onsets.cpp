#include "train/voicing_onsets.h"

namespace voicetrain {

int MoveOnsetsToVoicing(Utterance& u, const UtteranceFeatures& f, int maxFrames) {
  int moved = 0;
  for (size_t i = 0; i + 1 < u.phones.size(); ++i) {
    LabelledPhone& initial = u.phones[i];
    LabelledPhone& final = u.phones[i + 1];
    if (initial.pause != PauseKind::kNone || final.pause != PauseKind::kNone) continue;
    if (initial.syllable != final.syllable || initial.end != final.start) continue;
    if (PhoneVoicing(initial) != 0 || PhoneVoicing(final) != 1) continue;
    if (initial.statesAligned || final.statesAligned) continue;
    if (final.start >= f.frames || !f.voiced[static_cast<size_t>(final.start)]) continue;
    int k = 0;
    while (k < maxFrames && initial.end - k - 1 >= initial.start + kStates &&
           f.voiced[static_cast<size_t>(initial.end - k - 1)])
      ++k;
    if (k == 0) continue;
    initial.end -= k;
    final.start -= k;
    ++moved;
  }
  return moved;
}

}  // namespace voicetrain
