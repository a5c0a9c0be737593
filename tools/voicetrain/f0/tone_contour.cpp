#include "f0/tone_contour.h"

#include <algorithm>
#include <cmath>

namespace voicetrain {

namespace {

// Articulatory state carried across syllable boundaries (semitones).
struct PitchState {
  double value = 0.0;
  double velocity = 0.0;
  double acceleration = 0.0;
};

// Response of the critically damped third-order system to a linear target.
struct Response {
  double m, b, lambda, c1, c2, c3;

  Response(const PitchTarget& target, double offset, const PitchState& start)
      : m(target.slope), b(target.height + offset), lambda(target.strength) {
    c1 = start.value - b;
    c2 = start.velocity + c1 * lambda - m;
    c3 = (start.acceleration + 2.0 * c2 * lambda - c1 * lambda * lambda) / 2.0;
  }
  double Value(double t) const { return m * t + b + (c1 + c2 * t + c3 * t * t) * std::exp(-lambda * t); }
  PitchState State(double t) const {
    const double e = std::exp(-lambda * t);
    const double p = c1 + c2 * t + c3 * t * t;
    const double dp = c2 + 2.0 * c3 * t;
    PitchState s;
    s.value = Value(t);
    s.velocity = m + (dp - lambda * p) * e;
    s.acceleration = (2.0 * c3 - 2.0 * lambda * dp + lambda * lambda * p) * e;
    return s;
  }
};

double SemitonesToHz(double semitones, double reference) { return reference * std::pow(2.0, semitones / 12.0); }

// Continuous with slope 1 at the knee, and approaching the floor from above
// without reaching it.
double SoftFloor(double hz, const ToneModelSettings& settings) {
  if (settings.floor_knee <= 0.0) return std::max(settings.min_hz, hz);
  const double knee = SemitonesToHz(settings.floor_knee, settings.min_hz);
  if (hz >= knee) return hz;
  const double above = settings.floor_knee;          // semitones from floor to knee
  const double below = 12.0 * std::log2(hz / knee);  // < 0
  return SemitonesToHz(above * std::exp(below / above), settings.min_hz);
}

}  // namespace

PitchTarget TargetFor(int tone, int previous_tone, bool phrase_final) {
  switch (tone) {
    case 1:
      return {4.0, 0.0, 40.0};
    case 2:
      return {-2.0, 35.0, 40.0};
    case 3:
      return phrase_final ? PitchTarget{-7.0, 25.0, 40.0} : PitchTarget{-5.5, 0.0, 40.0};
    case 4:
      return {6.0, -40.0, 45.0};
    default:
      // A neutral syllable has a weak mid target coloured by its neighbour:
      // high after the third tone, low after the fourth.
      switch (previous_tone) {
        case 1:
          return {0.0, -10.0, 15.0};
        case 2:
          return {1.0, -10.0, 15.0};
        case 3:
          return {2.5, -5.0, 15.0};
        case 4:
          return {-4.0, -5.0, 15.0};
        default:
          return {0.0, -5.0, 15.0};
      }
  }
}

std::vector<double> ToneContour(const std::vector<ToneSyllable>& syllables, double frame_seconds,
                                const ToneModelSettings& settings) {
  std::vector<double> contour;
  if (syllables.empty() || frame_seconds <= 0.0) return contour;
  const double total = syllables.back().end;
  const size_t frames = static_cast<size_t>(std::ceil(total / frame_seconds));
  contour.assign(frames, 0.0);

  PitchState state;
  double phrase_start_time = 0.0;
  int previous_tone = 0;
  for (size_t i = 0; i < syllables.size(); ++i) {
    const ToneSyllable& syllable = syllables[i];
    if (!(syllable.end > syllable.start)) continue;
    const PitchTarget target = TargetFor(syllable.tone, previous_tone, syllable.phrase_end);
    if (syllable.phrase_start || i == 0) {
      // A new phrase starts at rest on its first target: pitch reset.
      phrase_start_time = syllable.start;
      state = PitchState();
      state.value = target.height;
    }
    double offset = std::max(settings.declination_floor, settings.declination * (syllable.start - phrase_start_time));
    if (syllable.phrase_end) offset += settings.final_lowering;
    const Response response(target, offset, state);
    const size_t first = static_cast<size_t>(std::ceil(syllable.start / frame_seconds));
    for (size_t f = first; f < frames; ++f) {
      const double t = f * frame_seconds;
      if (t >= syllable.end) break;
      const double hz = SemitonesToHz(response.Value(t - syllable.start), settings.reference_hz);
      contour[f] = std::min(settings.max_hz, SoftFloor(hz, settings));
    }
    state = response.State(syllable.end - syllable.start);
    previous_tone = syllable.tone;
  }
  return contour;
}

}  // namespace voicetrain
