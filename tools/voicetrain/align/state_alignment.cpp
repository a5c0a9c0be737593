#include "align/state_alignment.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace voicetrain {

namespace {
constexpr double kLogTwoPi = 1.8378770664093453;
constexpr double kNone = -std::numeric_limits<double>::infinity();
}  // namespace

double GaussianLogLikelihood(double x, double mean, double variance) {
  const double d = x - mean;
  return -0.5 * (kLogTwoPi + std::log(variance) + d * d / variance);
}

double VoicingLogLikelihood(double voicedShare, bool voiced, const StateAlignmentSettings& settings) {
  const double p = std::clamp(voicedShare, settings.shareFloor, 1.0 - settings.shareFloor);
  return settings.voicingWeight * std::log(voiced ? p : 1.0 - p);
}

bool AlignStates(const std::vector<double>& score, int frames, const StateDuration (&durations)[kStates],
                 const StateAlignmentSettings& settings, int (&ends)[kStates]) {
  if (frames < kStates || score.size() < static_cast<size_t>(frames) * kStates) return false;
  const size_t n = static_cast<size_t>(frames);
  // Prefix sums per state: a segment's score in constant time.
  std::vector<double> prefix((n + 1) * kStates, 0.0);
  for (size_t t = 0; t < n; ++t)
    for (int s = 0; s < kStates; ++s) {
      const double v = score[t * kStates + s];
      if (!std::isfinite(v)) return false;
      prefix[(t + 1) * kStates + s] = prefix[t * kStates + s] + v;
    }
  double durationScore[kStates][2];  // log-variance term, 1 / (2 variance)
  for (int s = 0; s < kStates; ++s) {
    const double var = std::max(durations[s].variance, settings.durationVarianceFloor);
    if (!std::isfinite(var) || !std::isfinite(durations[s].mean)) return false;
    durationScore[s][0] = -0.5 * (kLogTwoPi + std::log(var));
    durationScore[s][1] = 0.5 / var;
  }
  // best[s][e]: best score of states 0..s covering frames [0, e); from[s][e]
  // the start of state s on that path.
  std::vector<double> best(static_cast<size_t>(kStates) * (n + 1), kNone);
  std::vector<int> from(static_cast<size_t>(kStates) * (n + 1), -1);
  auto at = [n](int s, size_t e) { return static_cast<size_t>(s) * (n + 1) + e; };
  for (int s = 0; s < kStates; ++s) {
    // State s ends at e in [s + 1, n - (kStates - 1 - s)] so the states
    // after it keep a frame each.
    const size_t lastEnd = n - static_cast<size_t>(kStates - 1 - s);
    for (size_t e = static_cast<size_t>(s) + 1; e <= lastEnd; ++e) {
      const size_t firstStart = static_cast<size_t>(s);
      for (size_t b = firstStart; b < e; ++b) {
        const double before = s == 0 ? (b == 0 ? 0.0 : kNone) : best[at(s - 1, b)];
        if (before == kNone) continue;
        const double d = static_cast<double>(e - b) - durations[s].mean;
        const double v = before + prefix[e * kStates + s] - prefix[b * kStates + s] +
                         settings.durationWeight * (durationScore[s][0] - d * d * durationScore[s][1]);
        // Ties keep the earliest start: the same input, the same split.
        if (v > best[at(s, e)]) {
          best[at(s, e)] = v;
          from[at(s, e)] = static_cast<int>(b);
        }
      }
    }
  }
  if (best[at(kStates - 1, n)] == kNone) return false;
  int found[kStates];
  size_t e = n;
  for (int s = kStates - 1; s >= 0; --s) {
    found[s] = static_cast<int>(e);
    const int b = from[at(s, e)];
    if (b < 0) return false;
    e = static_cast<size_t>(b);
  }
  if (e != 0) return false;
  std::copy(found, found + kStates, ends);
  return true;
}

}  // namespace voicetrain
