// Where the five states of one phone begin and end: a segmental Viterbi
// search (hidden semi-Markov, left to right, every state at least one
// frame) over per-frame state scores and Gaussian state durations. The
// trainer scores frames with the first models (spectrum leaf, voicing
// share) and re-estimates on the boundaries found.
#ifndef KVO_VOICETRAIN_STATE_ALIGNMENT_H
#define KVO_VOICETRAIN_STATE_ALIGNMENT_H

#include <vector>

#include "align/phone_alignment.h"

namespace voicetrain {

struct StateDuration {
  double mean = 1.0;      // frames
  double variance = 1.0;  // frames^2, floored by the search
};

struct StateAlignmentSettings {
  // Weight of log P(teacher voicing | state) against the spectrum's
  // log-likelihood (21 dimensions per frame): a frame voiced against a
  // clear state costs this many times ln(0.98 / 0.02), about 39 nats at
  // 10. Weights 3, 10 and 30 gave held-out voicing errors of 9.4%, 9.1%
  // and 9.3%.
  double voicingWeight = 10.0;
  // The voiced share of a state is clamped so one frame never costs
  // more than ln(1 / 0.02).
  double shareFloor = 0.02;
  double durationWeight = 1.0;
  double durationVarianceFloor = 0.25;
};

// Log-likelihood of x under a Gaussian (one dimension).
double GaussianLogLikelihood(double x, double mean, double variance);

// Weighted log P(voiced | state) from the state's voiced share.
double VoicingLogLikelihood(double voicedShare, bool voiced, const StateAlignmentSettings& settings);

// `score[t * kStates + s]`: log-likelihood of frame t (from the phone's
// start) in state s, for `frames` frames. Writes the end of each state
// (frames from the phone's start, ends[kStates - 1] == frames). False, and
// `ends` untouched, when the phone has fewer frames than states or no
// finite path exists (non-finite scores).
bool AlignStates(const std::vector<double>& score, int frames, const StateDuration (&durations)[kStates],
                 const StateAlignmentSettings& settings, int (&ends)[kStates]);

}  // namespace voicetrain

#endif
