// The teacher's phoneme events put the start of a final a frame or two
// after its voice has begun: the last frames of the voiceless initial
// before it are already voiced. Synthesis voices a final from its first
// state on and the initial's states not at all, so training on the
// events' boundary makes every voice onset late.
#ifndef KVO_VOICETRAIN_VOICING_ONSETS_H
#define KVO_VOICETRAIN_VOICING_ONSETS_H

#include "align/phone_alignment.h"
#include "train/utterance_features.h"

namespace voicetrain {

// Moves the boundary between a voiceless initial and the vowel after it
// back over the initial's trailing frames the recording voices (the voiced
// run must go on into the vowel), by at most `maxFrames`, and never below
// one frame per state of the initial. Returns the boundaries moved.
int MoveOnsetsToVoicing(Utterance& u, const UtteranceFeatures& f, int maxFrames);

}  // namespace voicetrain

#endif
