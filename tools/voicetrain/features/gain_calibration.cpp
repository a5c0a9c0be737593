#include "features/gain_calibration.h"

#include <algorithm>
#include <cmath>

#include "backend/vocoder/vocoder.h"

namespace voicetrain {

namespace {
constexpr int kReferenceGain = 64;
constexpr int kRenderedSamples = 640;
}  // namespace

double RenderedRms(const std::vector<uint16_t>& lsf, int f0, int gain, int rate, int frames) {
  // The ramps are counted in samples (a pulse is 192 samples at 8 and at
  // 16 kHz): render 640 samples whatever the rate, 8 frames at 16 kHz and
  // 16 at 8 kHz, so that 320 stay between the ramps.
  if (frames <= 0) frames = rate > 0 ? std::max(8, (kRenderedSamples * 200 + rate - 1) / rate) : 8;
  const int order = static_cast<int>(lsf.size());
  const int values = order + 2;
  std::vector<int16_t> data(static_cast<size_t>(frames * values));
  for (int t = 0; t < frames; ++t) {
    for (int i = 0; i < order; ++i) data[t * values + i] = static_cast<int16_t>(lsf[i]);
    data[t * values + order] = static_cast<int16_t>(f0);
    data[t * values + order + 1] = static_cast<int16_t>(gain);
  }
  kvo::backend::VocoderTail tail{};
  kvo::backend::VocoderState state;
  if (kvo::backend::VocoderStart(&state, &tail, rate, data.data(), static_cast<int32_t>(data.size() * 2), 1024, 1024) !=
      0)
    return 0.0;
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(2048);
  for (;;) {
    int32_t completed = 0;
    const bool done = kvo::backend::VocoderRun(&state, buffer.data(), static_cast<int32_t>(buffer.size()), &completed);
    out.insert(out.end(), buffer.begin(), buffer.begin() + completed);
    if (done || completed == 0) break;
  }
  const size_t skip = 256, tail_skip = 64;
  if (out.size() <= skip + tail_skip) return 0.0;
  double sum = 0.0;
  for (size_t i = skip; i + tail_skip < out.size(); ++i) sum += double(out[i]) * out[i];
  return std::sqrt(sum / double(out.size() - skip - tail_skip));
}

double GainForRms(const std::vector<uint16_t>& lsf, int f0, double target_rms, int rate) {
  if (target_rms < 1.0) return 0.0;
  const double rendered = RenderedRms(lsf, f0, kReferenceGain, rate);
  if (rendered <= 0) return 0.0;
  const double gain = kReferenceGain * target_rms / rendered;
  // The vocoder rounds the scaled excitation, so the level is not quite
  // proportional far from the reference: render once more near the answer.
  const int near = static_cast<int>(std::lround(gain));
  if (near < 4 || near > 255 || (near >= kReferenceGain / 2 && near <= kReferenceGain * 2)) return gain;
  const double again = RenderedRms(lsf, f0, near, rate);
  return again > 0 ? near * target_rms / again : gain;
}

int LogGainValue(double gain) {
  // Below the smallest gain the table holds (index 1023: 7650 e^(-1023/128))
  // the frame renders silence, but it keeps its own value down to 20 dB
  // further: a state's mean is taken over these values, and if every
  // quiet frame counted as just below audible, a state that is mostly
  // silence (a stop's closure) would average out audible.
  if (!(gain >= 2.6)) {
    const double quiet = -2048.0 * std::log(std::max(gain, kQuietestGain) / 7650.0);
    return static_cast<int>(std::lround(std::max(quiet, double(kSilentLogGain))));
  }
  const double v = -2048.0 * std::log(std::min(gain, 255.0) / 7650.0);
  return static_cast<int>(std::lround(std::clamp(v, 0.0, double(kSilentLogGain - 8))));
}

double GainOfLogValue(double v) {
  if (v >= kSilentLogGain) return 0.0;
  return std::min(255.0, 7650.0 * std::exp(-v / 2048.0));
}

}  // namespace voicetrain
