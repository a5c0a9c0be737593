// Tone recognition from an F0 contour alone, as a listener-proxy for the
// voice quality report: is each synthesised syllable heard as level,
// rising, low/dipping or falling?
//
// A syllable's voiced F0 (semitones) becomes six values: the means of five
// equal parts of its contour relative to the sentence's median, and where
// the syllable before it in the phrase ended (a listener hears a tone
// against what came before; a phrase's first syllable uses its own start). Each tone
// is a pair of Gaussians (full covariance), one for syllables at the end of
// a phrase and one elsewhere, since a third tone is low inside a phrase and
// dipping at its end; the classifier does not need to know the position.
// It is fitted on the tone model's contours of training sentences, so it
// learns the tone shapes the voice was taught, never the held-out ones.
#ifndef KVO_BENCH_TONE_CLASSIFIER_H
#define KVO_BENCH_TONE_CLASSIFIER_H

#include <array>
#include <vector>

namespace kvo_bench {

constexpr int kToneFeatures = 6;
using ToneFeatures = std::array<double, kToneFeatures>;

// False when the contour has fewer than five voiced frames. `before` is the
// voiced contour of the syllable before in the same phrase, or empty.
bool ToneFeaturesOf(const std::vector<double>& semitones, const std::vector<double>& before, double median,
                    ToneFeatures* out);

class ToneClassifier {
 public:
  // tone 1..4; other tones are ignored.
  void Add(int tone, bool phraseFinal, const ToneFeatures& f);
  // False when a tone has too few examples to fit.
  bool Fit();
  // 1 level, 2 rising, 3 low or dipping, 4 falling.
  int Classify(const ToneFeatures& f) const;
  int Examples() const;

 private:
  struct Gaussian {
    std::vector<ToneFeatures> samples;
    ToneFeatures mean{};
    double inverse[kToneFeatures][kToneFeatures] = {};
    double logDet = 0.0;
    bool fitted = false;
  };
  Gaussian classes_[4][2];  // tone - 1, phrase final
};

}  // namespace kvo_bench

#endif
