// F0 targets for training, made by a model of Mandarin tone production
// instead of taken from the teacher (whose tones are nearly flat).
//
// Target approximation: every syllable carries a linear pitch target
// x(t) = b + m*t in semitones; F0 approaches it as a third-order critically
// damped system with rate lambda, starting from the position, velocity and
// acceleration that the previous syllable ended with. Values and sources:
// docs/tone-model.md.
#ifndef KVO_VOICETRAIN_TONE_CONTOUR_H
#define KVO_VOICETRAIN_TONE_CONTOUR_H

#include <vector>

namespace voicetrain {

struct ToneSyllable {
  int tone = 1;               // 1..4, 5 neutral
  double start = 0.0;         // seconds
  double end = 0.0;           // seconds; end > start
  bool phrase_start = false;  // first syllable after a pause or of the utterance
  bool phrase_end = false;    // last syllable before a pause or of the utterance
};

struct PitchTarget {
  double height;    // semitones relative to the speaker's reference
  double slope;     // semitones per second
  double strength;  // lambda, 1/s
};

struct ToneModelSettings {
  double reference_hz = 140.0;      // the speaker's reference pitch
  double declination = -1.5;        // semitones per second within a phrase
  double declination_floor = -2.0;  // most a phrase declines
  double final_lowering = -1.0;     // semitones, last syllable of a phrase
  double min_hz = 85.0;             // the engine renders 85..403 Hz (below: unvoiced)
  double max_hz = 403.0;
  // Below min_hz times 2^(knee/12) the contour is compressed smoothly
  // towards min_hz instead of clipped: a fall that runs into the bottom
  // of the voice keeps falling, more slowly, rather than turning flat
  // (a flat low end would read as a third tone).
  double floor_knee = 2.0;  // semitones
};

// The target of a tone; the neutral tone's depends on the tone before it,
// and a phrase-final third tone is the full dipping form.
PitchTarget TargetFor(int tone, int previous_tone, bool phrase_final);

// F0 in Hz every frame_seconds from time 0 to the end of the last syllable.
// Frames outside every syllable (pauses) get 0.
std::vector<double> ToneContour(const std::vector<ToneSyllable>& syllables, double frame_seconds,
                                const ToneModelSettings& settings = ToneModelSettings());

}  // namespace voicetrain

#endif
