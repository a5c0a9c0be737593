#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tone_classifier.h"

namespace {

// A syllable of 40 frames in semitones relative to the sentence median:
// level high, rising, low, falling, with a small deterministic wobble.
std::vector<double> Contour(int tone, int variant) {
  std::vector<double> st;
  for (int t = 0; t < 40; ++t) {
    const double x = t / 39.0, wobble = 0.3 * std::sin(0.7 * t + variant);
    switch (tone) {
      case 1:
        st.push_back(4.0 + wobble);
        break;
      case 2:
        st.push_back(-1.0 + 8.0 * x + wobble);
        break;
      case 3:
        st.push_back(-1.0 - 4.0 * (1 - std::exp(-6 * x)) + wobble);
        break;
      default:
        st.push_back(5.0 - 9.0 * x + wobble);
        break;
    }
  }
  return st;
}

TEST(ToneClassifierTest, NamesTheShapesItWasFittedOn) {
  kvo_bench::ToneClassifier classifier;
  const std::vector<double> none;
  for (int variant = 0; variant < 60; ++variant)
    for (int tone = 1; tone <= 4; ++tone) {
      kvo_bench::ToneFeatures f;
      ASSERT_TRUE(kvo_bench::ToneFeaturesOf(Contour(tone, variant), none, 0.0, &f));
      classifier.Add(tone, variant % 2 == 0, f);
    }
  ASSERT_TRUE(classifier.Fit());
  for (int tone = 1; tone <= 4; ++tone) {
    kvo_bench::ToneFeatures f;
    // Unseen wobbles, and the whole contour shifted by the sentence median.
    std::vector<double> c = Contour(tone, 100);
    for (double& v : c) v += 2.0;
    ASSERT_TRUE(kvo_bench::ToneFeaturesOf(c, none, 2.0, &f));
    EXPECT_EQ(classifier.Classify(f), tone);
  }
}

TEST(ToneClassifierTest, RefusesWhatItCannotJudge) {
  kvo_bench::ToneFeatures f;
  EXPECT_FALSE(kvo_bench::ToneFeaturesOf({1.0, 2.0, 3.0, 4.0}, {}, 0.0, &f));  // under five frames
  kvo_bench::ToneClassifier classifier;
  for (int variant = 0; variant < 30; ++variant) {
    ASSERT_TRUE(kvo_bench::ToneFeaturesOf(Contour(1, variant), {}, 0.0, &f));
    classifier.Add(1, false, f);
  }
  EXPECT_FALSE(classifier.Fit());  // tones 2 to 4 have no examples
}

}  // namespace
