// The unquantised models of one training pass: each tree with its leaf
// statistics, as the next state alignment scores frames against them.
#ifndef KVO_VOICETRAIN_PASS_MODELS_H
#define KVO_VOICETRAIN_PASS_MODELS_H

#include <vector>

#include "align/phone_alignment.h"
#include "cluster/decision_tree.h"
#include "train/state_statistics.h"

namespace voicetrain {

struct PassModels {
  GrownTree duration;
  std::vector<LeafMoments> durationLeaves;  // 5 dims: frames per state
  GrownTree spectrum[kStates];
  std::vector<LeafMoments> spectrumLeaves[kStates];  // log-gain + LSFs
  std::vector<double> spectrumVariance;              // global, per dim (static)
  GrownTree logF0[kStates];
  std::vector<double> voicedShare[kStates];  // per log-F0 leaf
};

}  // namespace voicetrain

#endif
