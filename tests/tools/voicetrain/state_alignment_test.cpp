// The segmental search that places the five states of a phone: boundaries
// land where the frames change, voicing decides between equal spectra, the
// duration prior decides alone on flat scores, every state keeps a frame,
// and phones it cannot align keep their split.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "align/phone_alignment.h"
#include "align/state_alignment.h"

namespace {

using voicetrain::AlignStates;
using voicetrain::GaussianLogLikelihood;
using voicetrain::kStates;
using voicetrain::StateAlignmentSettings;
using voicetrain::StateDuration;

// Durations that say almost nothing.
void LooseDurations(StateDuration (&d)[kStates], int frames) {
  for (StateDuration& s : d) {
    s.mean = double(frames) / kStates;
    s.variance = 1e6;
  }
}

// State s has mean 10 s, variance 1; frame values step at `ends` with a
// small deterministic wobble.
std::vector<double> SteppedScores(const int (&ends)[kStates]) {
  std::vector<double> score;
  int state = 0;
  for (int t = 0; t < ends[kStates - 1]; ++t) {
    while (t >= ends[state]) ++state;
    const double x = 10.0 * state + ((t * 7) % 5 - 2) * 0.3;
    for (int s = 0; s < kStates; ++s) score.push_back(GaussianLogLikelihood(x, 10.0 * s, 1.0));
  }
  return score;
}

TEST(VoicetrainStateAlignment, BoundariesLandWhereTheFramesChange) {
  const int cases[][kStates] = {
      {3, 5, 12, 13, 20},    // uneven, a one-frame state
      {1, 2, 3, 4, 5},       // the shortest phone that aligns
      {16, 17, 18, 19, 40},  // a long first state
      {1, 2, 3, 4, 60},      // a long last state
  };
  for (const auto& want : cases) {
    const int frames = want[kStates - 1];
    StateDuration d[kStates];
    LooseDurations(d, frames);
    int ends[kStates] = {};
    ASSERT_TRUE(AlignStates(SteppedScores(want), frames, d, StateAlignmentSettings(), ends)) << frames;
    for (int s = 0; s < kStates; ++s) EXPECT_EQ(ends[s], want[s]) << "state " << s << " of " << frames;
  }
}

TEST(VoicetrainStateAlignment, VoicingDecidesBetweenEqualSpectra) {
  // Identical spectrum scores; the teacher voices from frame 7 on; the
  // first two states are mostly voiceless, the rest mostly voiced.
  const double share[kStates] = {0.0, 0.1, 0.9, 1.0, 1.0};
  const int frames = 15, onset = 7;
  StateAlignmentSettings settings;
  std::vector<double> score;
  for (int t = 0; t < frames; ++t)
    for (int s = 0; s < kStates; ++s)
      score.push_back(-30.0 + voicetrain::VoicingLogLikelihood(share[s], t >= onset, settings));
  StateDuration d[kStates];
  LooseDurations(d, frames);
  int ends[kStates] = {};
  ASSERT_TRUE(AlignStates(score, frames, d, settings, ends));
  EXPECT_EQ(ends[1], onset);
  // Shares of 0 and 1 are clamped: a frame against them costs a finite amount.
  EXPECT_TRUE(std::isfinite(voicetrain::VoicingLogLikelihood(0.0, true, settings)));
  EXPECT_TRUE(std::isfinite(voicetrain::VoicingLogLikelihood(1.0, false, settings)));
}

TEST(VoicetrainStateAlignment, DurationsDecideOnFlatScores) {
  StateDuration d[kStates];
  const double means[kStates] = {2, 3, 4, 5, 6};
  for (int s = 0; s < kStates; ++s) d[s] = {means[s], 0.25};
  const int frames = 20;
  int ends[kStates] = {};
  ASSERT_TRUE(AlignStates(std::vector<double>(frames * kStates, -1.0), frames, d, StateAlignmentSettings(), ends));
  const int want[kStates] = {2, 5, 9, 14, 20};
  for (int s = 0; s < kStates; ++s) EXPECT_EQ(ends[s], want[s]) << s;
}

TEST(VoicetrainStateAlignment, EveryStateKeepsAFrame) {
  // Every frame fits state 0 best; the others still get a frame each.
  const int frames = 30;
  std::vector<double> score;
  for (int t = 0; t < frames; ++t)
    for (int s = 0; s < kStates; ++s) score.push_back(s == 0 ? 0.0 : -50.0);
  StateDuration d[kStates];
  LooseDurations(d, frames);
  int ends[kStates] = {};
  ASSERT_TRUE(AlignStates(score, frames, d, StateAlignmentSettings(), ends));
  const int want[kStates] = {26, 27, 28, 29, 30};
  for (int s = 0; s < kStates; ++s) EXPECT_EQ(ends[s], want[s]) << s;
}

TEST(VoicetrainStateAlignment, UnalignablePhonesAreRefusedUntouched) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* what;
    int frames;
    double badScore;  // put at frame 2, state 1 when not 0
    double badDuration;
  } cases[] = {
      {"fewer frames than states", 4, 0.0, 0.0},
      {"no frames", 0, 0.0, 0.0},
      {"a NaN score", 10, nan, 0.0},
      {"an infinite score", 10, -inf, 0.0},
      {"a NaN duration mean", 10, 0.0, nan},
  };
  for (const auto& c : cases) {
    std::vector<double> score(static_cast<size_t>(c.frames) * kStates, -1.0);
    if (c.badScore != 0.0) score[2 * kStates + 1] = c.badScore;
    StateDuration d[kStates];
    LooseDurations(d, c.frames);
    if (c.badDuration != 0.0) d[3].mean = c.badDuration;
    int ends[kStates] = {-7, -7, -7, -7, -7};
    EXPECT_FALSE(AlignStates(score, c.frames, d, StateAlignmentSettings(), ends)) << c.what;
    for (int e : ends) EXPECT_EQ(e, -7) << c.what;
  }
  // Fewer scores than the frames claim.
  StateDuration d[kStates];
  LooseDurations(d, 10);
  int ends[kStates] = {};
  EXPECT_FALSE(AlignStates(std::vector<double>(9 * kStates, -1.0), 10, d, StateAlignmentSettings(), ends));
}

TEST(VoicetrainStateAlignment, PhonesTakeTheAlignedOrTheEqualSplit) {
  voicetrain::LabelledPhone p;
  p.start = 100;
  p.end = 104;  // too short to align: equal split, two states empty
  const int equal[kStates][2] = {{100, 100}, {100, 101}, {101, 102}, {102, 103}, {103, 104}};
  for (int s = 0; s < kStates; ++s) {
    int a, b;
    voicetrain::StateFrames(p, s, &a, &b);
    EXPECT_EQ(a, equal[s][0]) << s;
    EXPECT_EQ(b, equal[s][1]) << s;
  }
  p.end = 120;
  p.statesAligned = true;
  const int ends[kStates] = {103, 105, 112, 113, 120};
  std::copy(ends, ends + kStates, p.stateEnd);
  int covered = p.start;
  for (int s = 0; s < kStates; ++s) {
    int a, b;
    voicetrain::StateFrames(p, s, &a, &b);
    EXPECT_EQ(a, covered) << s;
    EXPECT_EQ(b, ends[s]) << s;
    covered = b;
  }
}

}  // namespace
