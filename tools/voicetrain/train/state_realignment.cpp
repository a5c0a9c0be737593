#include "train/state_realignment.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "train/model_quantiser.h"

namespace voicetrain {

namespace {

constexpr int kVoiceless = 0;
constexpr int kVowel = 1;
constexpr int kPauseLike = 3;

}  // namespace

RealignmentCounts RealignStates(const PassModels& models, const std::vector<ContextQuestion>& questions,
                                const std::vector<UtteranceFeatures>& features, const StateAlignmentSettings& settings,
                                std::vector<Utterance>* utterances) {
  RealignmentCounts counts;
  const size_t dims = models.spectrumVariance.size();
  std::vector<double> score;
  for (size_t u = 0; u < utterances->size(); ++u) {
    const UtteranceFeatures& f = features[u];
    for (LabelledPhone& p : (*utterances)[u].phones) {
      const int frames = p.end - p.start;
      if (frames < kStates) {
        ++counts.shortPhones;
        continue;
      }
      StateDuration durations[kStates];
      const LeafMoments& dl = models.durationLeaves[LeafOfLabel(models.duration, questions, p.label)];
      const LeafMoments* spectrum[kStates];
      double share[kStates];
      for (int s = 0; s < kStates; ++s) {
        durations[s].mean = dl.At(s, 0).Mean();
        durations[s].variance = dl.At(s, 0).Variance();
        spectrum[s] = &models.spectrumLeaves[s][LeafOfLabel(models.spectrum[s], questions, p.label)];
        share[s] = models.voicedShare[s][LeafOfLabel(models.logF0[s], questions, p.label)];
      }
      score.assign(static_cast<size_t>(frames) * kStates, 0.0);
      for (int t = 0; t < frames; ++t) {
        const int frame = p.start + t;
        const bool voiced = TargetVoiced(f, p, frame);
        for (int s = 0; s < kStates; ++s) {
          double v = VoicingLogLikelihood(share[s], voiced, settings);
          for (size_t d = 0; d < dims; ++d) {
            const Moments& m = spectrum[s]->At(static_cast<int>(d), 0);
            const double var = std::max(m.Variance(), kVarianceFloor * models.spectrumVariance[d]);
            v += GaussianLogLikelihood(SpectrumValue(f, frame, static_cast<int>(d)), m.Mean(), var);
          }
          score[static_cast<size_t>(t) * kStates + s] = v;
        }
      }
      int ends[kStates];
      if (!AlignStates(score, frames, durations, settings, ends)) {
        ++counts.failed;
        continue;
      }
      for (int s = 0; s + 1 < kStates; ++s) {
        int a, b;
        StateFrames(p, s, &a, &b);
        counts.shiftFrames += std::abs(p.start + ends[s] - b);
        ++counts.boundaries;
      }
      for (int s = 0; s < kStates; ++s) p.stateEnd[s] = p.start + ends[s];
      p.statesAligned = true;
      ++counts.aligned;
    }
  }
  return counts;
}

VoicingAgreement MeasureStateVoicing(const PassModels& models, const std::vector<ContextQuestion>& questions,
                                     const std::vector<UtteranceFeatures>& features,
                                     const std::vector<Utterance>& utterances) {
  VoicingAgreement out;
  for (size_t u = 0; u < utterances.size(); ++u) {
    const UtteranceFeatures& f = features[u];
    for (const LabelledPhone& p : utterances[u].phones) {
      const int voicing = PhoneVoicing(p);
      for (int s = 0; s < kStates; ++s) {
        int a, b;
        StateFrames(p, s, &a, &b);
        if (b <= a) continue;
        bool rendered = voicing == kVowel;
        if (voicing != kVowel && voicing != kPauseLike)
          rendered = models.voicedShare[s][LeafOfLabel(models.logF0[s], questions, p.label)] >= 0.5;
        for (int t = a; t < b; ++t) {
          const bool wrong = rendered != (f.voiced[t] != 0);
          ++out.frames;
          out.disagree += wrong;
          if (voicing == kVoiceless) {
            ++out.voicelessFrames;
            out.voicelessDisagree += wrong;
          }
        }
      }
    }
  }
  return out;
}

}  // namespace voicetrain
