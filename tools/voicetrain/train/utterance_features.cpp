#include "train/utterance_features.h"

#include <algorithm>
#include <cmath>

#include "f0/tone_contour.h"

namespace voicetrain {

namespace {
constexpr int kVoicingByte = 53;
constexpr double kLogScale = 4096.0;
}  // namespace

int PhoneVoicing(const LabelledPhone& phone) { return phone.label[kVoicingByte]; }

namespace {

// The engine voices a state of a vowel always, of a pause never, and of a
// consonant unless its distribution says unvoiced; training follows the
// recording for consonants.
bool RenderedVoiced(int voicing, bool recordingVoiced) {
  if (voicing == 1) return true;
  if (voicing == 3) return false;
  return recordingVoiced;
}

std::vector<ToneSyllable> Syllables(const Utterance& u, double frameSeconds) {
  std::vector<ToneSyllable> out(static_cast<size_t>(u.syllables));
  std::vector<bool> seen(out.size(), false);
  std::vector<bool> leadPause(out.size(), false), trailPause(out.size(), false);
  for (const LabelledPhone& p : u.phones) {
    ToneSyllable& s = out[static_cast<size_t>(p.syllable)];
    if (p.pause == PauseKind::kLeading) leadPause[p.syllable] = true;
    if (p.pause == PauseKind::kTrailing) trailPause[p.syllable] = true;
    if (p.pause != PauseKind::kNone) continue;
    if (!seen[p.syllable]) s.start = p.start * frameSeconds;
    seen[p.syllable] = true;
    s.end = p.end * frameSeconds;
    const char digit = p.spelling.empty() ? '5' : p.spelling.back();
    s.tone = (digit >= '1' && digit <= '5') ? digit - '0' : 5;
  }
  for (size_t i = 0; i < out.size(); ++i) {
    out[i].phrase_start = i == 0 || leadPause[i] || trailPause[i - 1];
    out[i].phrase_end = i + 1 == out.size() || trailPause[i] || leadPause[i + 1];
    if (out[i].end <= out[i].start) out[i].end = out[i].start + frameSeconds;
  }
  return out;
}

}  // namespace

UtteranceFeatures ExtractFeatures(const Utterance& u, const std::vector<int16_t>& audio,
                                  const AnalysisSettings& analysis, F0Source source) {
  UtteranceFeatures f;
  const std::vector<FrameAnalysis> frames = AnalyseSignal(audio, analysis);
  const int count = (u.phones.empty() || frames.empty()) ? 0 : u.phones.back().end;
  f.frames = count;
  f.order = analysis.order;
  f.lsf.assign(static_cast<size_t>(count) * analysis.order, 0);
  f.rms.assign(static_cast<size_t>(count), 0.0);
  f.logGain.assign(static_cast<size_t>(count), 0);
  f.logF0.assign(static_cast<size_t>(count), 0);
  f.voiced.assign(static_cast<size_t>(count), 0);
  f.renderF0.assign(static_cast<size_t>(count), 0);
  for (int t = 0; t < count; ++t) {
    const FrameAnalysis& a = frames[std::min<size_t>(static_cast<size_t>(t), frames.size() - 1)];
    std::copy(a.lsf.begin(), a.lsf.end(), f.lsf.begin() + static_cast<long>(t) * analysis.order);
    f.rms[t] = a.rms;
    f.voiced[t] = a.voiced ? 1 : 0;
  }
  const double frameSeconds = double(analysis.hop) / analysis.rate;
  std::vector<double> contour;
  if (source == F0Source::kToneModel) {
    contour = ToneContour(Syllables(u, frameSeconds), frameSeconds);
  } else {
    contour.assign(frames.size(), 0.0);
    for (size_t t = 0; t < frames.size(); ++t) contour[t] = frames[t].voiced ? frames[t].f0 : 0.0;
    // A vowel is rendered voiced where the analysis found no period (a
    // creaky or quiet stretch): its target bridges the gap between the
    // neighbouring voiced frames, in log-F0.
    const int n = static_cast<int>(contour.size());
    int last = -1;
    for (int t = 0; t <= n; ++t) {
      if (t < n && contour[t] <= 0) continue;
      const double a = last >= 0 ? contour[last] : 0.0, b = t < n ? contour[t] : 0.0;
      for (int k = last + 1; k < t; ++k) {
        if (a > 0 && b > 0)
          contour[k] = std::exp(std::log(a) + (std::log(b) - std::log(a)) * (k - last) / double(t - last));
        else
          contour[k] = a > 0 ? a : b;
      }
      last = t;
    }
    // Frames that are not rendered voiced get no log-F0 below.
  }
  for (const LabelledPhone& p : u.phones) {
    const int voicing = PhoneVoicing(p);
    for (int t = p.start; t < p.end && t < count; ++t) {
      const double hz = t < static_cast<int>(contour.size()) ? contour[t] : 0.0;
      if (!RenderedVoiced(voicing, f.voiced[t] != 0)) continue;
      // Voiced frames outside the contour (a vowel inside a pause
      // span cannot happen; guard anyway) take the reference pitch.
      const double use = hz > 0 ? hz : ToneModelSettings().reference_hz;
      f.renderF0[t] = static_cast<int32_t>(std::lround(std::clamp(use, 85.0, 403.0)));
      f.logF0[t] = static_cast<int32_t>(std::lround(std::log(use) * kLogScale));
    }
  }
  return f;
}

void ApplyGains(UtteranceFeatures& f, int rate) {
  std::vector<uint16_t> lsf(static_cast<size_t>(f.order));
  for (int t = 0; t < f.frames; ++t) {
    std::copy(f.lsf.begin() + static_cast<long>(t) * f.order, f.lsf.begin() + static_cast<long>(t + 1) * f.order,
              lsf.begin());
    f.logGain[t] = LogGainValue(GainForRms(lsf, f.renderF0[t], f.rms[t], rate));
  }
}

}  // namespace voicetrain
