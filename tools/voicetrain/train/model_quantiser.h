// Leaf statistics to the fixed-point distributions of the model section
// (docs/voice-model-format.md), with fractional bits chosen per stream.
//
// Precisions only matter relative to each other within one dimension (the
// generator's trajectory is a weighted least-squares solution), so every
// dimension's precisions are scaled to use the range of the static field,
// and the delta windows get the shift that fits their largest value.
#ifndef KVO_VOICETRAIN_MODEL_QUANTISER_H
#define KVO_VOICETRAIN_MODEL_QUANTISER_H

#include <vector>

#include "model_writer.h"
#include "train/state_statistics.h"

namespace voicetrain {

// Least variance kept, as a share of the dimension's global variance.
constexpr double kVarianceFloor = 0.01;

// Durations: 5 dims (state frames), window 0 only. Bits: means 9
// (frames x 512), variances 2.
void QuantiseDurations(const std::vector<LeafMoments>& leaves, kvo::modelwriter::VoiceModelDescription* model);

// Log-F0: one dim in ln(Hz) x 4096 units; `voicedShare` per leaf (share of
// frames the recording voices) sets the unvoiced flag below one half.
// `leaves[s]` are the leaves of state s.
void QuantiseLogF0(const std::vector<std::vector<LeafMoments>>& leaves,
                   const std::vector<std::vector<double>>& voicedShare, const std::vector<Moments>& global,
                   kvo::modelwriter::VoiceModelDescription* model);

// Spectrum: dim 0 the log-gain value v, dims 1 ... order the LSFs in
// pi/65536. `global` per dim and window (for the variance floor).
void QuantiseSpectrum(const std::vector<std::vector<LeafMoments>>& leaves, const LeafMoments& global,
                      kvo::modelwriter::VoiceModelDescription* model);

}  // namespace voicetrain

#endif
