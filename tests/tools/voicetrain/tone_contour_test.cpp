#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "f0/tone_contour.h"

namespace {

const double kFrame = 0.005;

double Semitones(double hz, double reference) { return 12.0 * std::log2(hz / reference); }
double SemitonesToHzForTest(double semitones, double reference) { return reference * std::pow(2.0, semitones / 12.0); }

// F0 of one syllable of the given tone between two first-tone syllables.
std::vector<double> MiddleSyllable(int tone, bool final_position = false) {
  std::vector<voicetrain::ToneSyllable> s = {{1, 0.00, 0.25, true, false}, {tone, 0.25, 0.50, false, final_position}};
  if (!final_position) s.push_back({1, 0.50, 0.75, false, true});
  const auto contour = voicetrain::ToneContour(s, kFrame);
  return std::vector<double>(contour.begin() + 50, contour.begin() + 100);
}

TEST(ToneContourTest, TonesHaveTheirShapes) {
  const double ref = voicetrain::ToneModelSettings().reference_hz;
  const auto t1 = MiddleSyllable(1), t2 = MiddleSyllable(2), t3 = MiddleSyllable(3), t4 = MiddleSyllable(4);
  // Level: stays within a semitone after the first 50 ms.
  const auto t1_range = std::minmax_element(t1.begin() + 10, t1.end());
  EXPECT_LT(Semitones(*t1_range.second, *t1_range.first), 1.0);
  // Rising: ends several semitones above its lowest point.
  EXPECT_GT(Semitones(t2.back(), *std::min_element(t2.begin(), t2.end())), 3.0);
  // Falling: ends well below its highest point.
  EXPECT_GT(Semitones(*std::max_element(t4.begin(), t4.end()), t4.back()), 5.0);
  // Low: reaches well below the reference.
  EXPECT_LT(Semitones(*std::min_element(t3.begin(), t3.end()), ref), -3.0);
  // Phrase-final third tone dips and comes up again.
  const auto dip = MiddleSyllable(3, true);
  const auto lowest = std::min_element(dip.begin(), dip.end());
  EXPECT_GT(lowest - dip.begin(), 5);
  EXPECT_GT(Semitones(dip.back(), *lowest), 1.5);
}

TEST(ToneContourTest, ContourIsContinuousAcrossSyllables) {
  std::vector<voicetrain::ToneSyllable> s;
  const int tones[] = {3, 4, 2, 1, 5, 4, 3, 2};
  for (int i = 0; i < 8; ++i) s.push_back({tones[i], 0.2 * i, 0.2 * (i + 1), i == 0, i == 7});
  const auto contour = voicetrain::ToneContour(s, kFrame);
  for (size_t f = 1; f < contour.size(); ++f) {
    ASSERT_GT(contour[f], 0.0);
    EXPECT_LT(std::fabs(Semitones(contour[f], contour[f - 1])), 1.0) << "jump at frame " << f;
  }
}

TEST(ToneContourTest, PausesAreUnvoicedAndEveryValueIsRenderable) {
  std::vector<voicetrain::ToneSyllable> s = {{4, 0.0, 0.2, true, true}, {3, 0.5, 0.7, true, true}};
  voicetrain::ToneModelSettings settings;
  settings.reference_hz = 90.0;  // pushes the third tone under the floor
  const auto contour = voicetrain::ToneContour(s, kFrame, settings);
  for (size_t f = 40; f < 100; ++f) EXPECT_EQ(contour[f], 0.0);
  for (double hz : contour) {
    if (hz == 0.0) continue;
    EXPECT_GE(hz, 85.0);
    EXPECT_LE(hz, 403.0);
  }
}

// A long phrase-final fall runs into the bottom of the voice: it must keep
// falling (a flat low end reads as a third tone) and stay renderable.
TEST(ToneContourTest, FallIntoTheFloorKeepsFalling) {
  voicetrain::ToneModelSettings settings;
  settings.reference_hz = 100.0;
  std::vector<voicetrain::ToneSyllable> s = {{4, 0.0, 0.6, true, true}};
  const auto contour = voicetrain::ToneContour(s, kFrame, settings);
  ASSERT_EQ(contour.size(), 120u);
  EXPECT_LT(contour.back(), SemitonesToHzForTest(2.0, 85.0));  // reached the compressed zone
  for (size_t f = 60; f < contour.size(); ++f) {
    EXPECT_LT(contour[f], contour[f - 1]) << "flat at frame " << f;
    EXPECT_GT(contour[f], 85.0);
  }
}

TEST(ToneContourTest, NeutralToneFollowsItsNeighbour) {
  EXPECT_GT(voicetrain::TargetFor(5, 3, false).height, voicetrain::TargetFor(5, 4, false).height);
  EXPECT_LT(voicetrain::TargetFor(5, 1, false).strength, voicetrain::TargetFor(1, 0, false).strength);
}

}  // namespace
