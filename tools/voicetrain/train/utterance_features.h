// Per-frame training targets of one aligned utterance, in the model's
// units: log-gain value v (the generator renders 7650 * exp(-v / 2048)),
// 20 LSFs in pi/65536, log-F0 (ln Hz times 4096, 0 where unvoiced) and the
// teacher's voicing.
#ifndef KVO_VOICETRAIN_UTTERANCE_FEATURES_H
#define KVO_VOICETRAIN_UTTERANCE_FEATURES_H

#include <cstdint>
#include <vector>

#include "align/phone_alignment.h"
#include "features/gain_calibration.h"
#include "features/lpc_analysis.h"

namespace voicetrain {

enum class F0Source { kToneModel, kRecording };

struct UtteranceFeatures {
  int frames = 0;
  int order = 20;
  std::vector<uint16_t> lsf;      // frames x order
  std::vector<double> rms;        // the recording's level per frame
  std::vector<int32_t> logGain;   // v per frame (after calibration)
  std::vector<int32_t> logF0;     // ln(F0) * 4096, 0 unvoiced
  std::vector<uint8_t> voiced;    // the recording's voicing
  std::vector<int32_t> renderF0;  // F0 the vocoder will use, 0 unvoiced
};

// Voicing class of a phone as the engine decides it (label byte 53):
// 0 voiceless, 1 vowel, 2 voiced consonant, 3 pause-like.
int PhoneVoicing(const LabelledPhone& phone);

// The spectral vector of a frame: dim 0 the log-gain value, then the LSFs.
inline double SpectrumValue(const UtteranceFeatures& f, int t, int d) {
  return d == 0 ? f.logGain[t] : f.lsf[static_cast<size_t>(t) * f.order + (d - 1)];
}

// Whether frame t counts as voiced for the voicing share of the phone's
// state: log-F0 present, or a consonant or pause the teacher voices.
inline bool TargetVoiced(const UtteranceFeatures& f, const LabelledPhone& p, int t) {
  return f.logF0[t] > 0 || (PhoneVoicing(p) != 1 && f.voiced[t]);
}

// Analyses the audio, then fills log-F0 from the F0 source on the aligned
// syllables (tone model: docs/tone-model.md; recording: its own F0).
UtteranceFeatures ExtractFeatures(const Utterance& u, const std::vector<int16_t>& audio,
                                  const AnalysisSettings& analysis, F0Source source);

// Gains for every frame, each rendered through the vocoder once.
void ApplyGains(UtteranceFeatures& f, int rate);

}  // namespace voicetrain

#endif
