#include "teacher/resampler.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace voicetrain {

namespace {

const double kPi = 3.14159265358979323846;
const int kHalfTaps = 32;        // filter half length in input samples at the lower rate
const double kKaiserBeta = 8.0;  // about 80 dB stop-band

double BesselI0(double x) {
  double sum = 1.0, term = 1.0;
  for (int k = 1; k < 50; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
    if (term < 1e-12 * sum) break;
  }
  return sum;
}

}  // namespace

int64_t MapSamplePosition(int64_t position, int from_rate, int to_rate) {
  return (position * to_rate + from_rate / 2) / from_rate;
}

std::vector<int16_t> Resample(const std::vector<int16_t>& input, int from_rate, int to_rate) {
  if (from_rate == to_rate || input.empty()) return input;
  const int64_t out_count = MapSamplePosition(static_cast<int64_t>(input.size()), from_rate, to_rate);
  std::vector<int16_t> output(static_cast<size_t>(out_count));
  // Cut-off relative to the input rate; when downsampling the filter widens.
  const double ratio = static_cast<double>(to_rate) / from_rate;
  const double cutoff = 0.95 * std::min(1.0, ratio);
  const double half_width = kHalfTaps / cutoff;
  const double norm = 1.0 / BesselI0(kKaiserBeta);
  auto tap = [&](double x) {
    const double arg = cutoff * x;
    const double sinc = std::fabs(arg) < 1e-9 ? 1.0 : std::sin(kPi * arg) / (kPi * arg);
    const double w = x / half_width;
    const double window = std::fabs(w) >= 1.0 ? 0.0 : BesselI0(kKaiserBeta * std::sqrt(1.0 - w * w)) * norm;
    return cutoff * sinc * window;
  };
  // Output sample j sits at input position j * from / to; with the rates
  // reduced to p / q there are only `phases` distinct fractional parts,
  // so the filter taps are computed once per phase.
  const int common = std::gcd(from_rate, to_rate);
  const int64_t phases = to_rate / common, step = from_rate / common;
  const bool tabulate = phases <= 4096;
  std::vector<std::vector<double>> taps;
  std::vector<int64_t> first_offset;
  if (tabulate) {
    taps.resize(static_cast<size_t>(phases));
    first_offset.resize(static_cast<size_t>(phases));
    for (int64_t p = 0; p < phases; ++p) {
      const double frac = static_cast<double>(p) / static_cast<double>(phases);
      const int64_t lo = static_cast<int64_t>(std::ceil(-frac - half_width));
      const int64_t hi = static_cast<int64_t>(std::floor(-frac + half_width));
      first_offset[static_cast<size_t>(p)] = lo;
      for (int64_t k = lo; k <= hi; ++k) taps[static_cast<size_t>(p)].push_back(tap(static_cast<double>(k) - frac));
    }
  }
  const int64_t n = static_cast<int64_t>(input.size());
  for (int64_t j = 0; j < out_count; ++j) {
    double sum = 0.0;
    if (tabulate) {
      const int64_t whole = j * step / phases;
      const size_t p = static_cast<size_t>(j * step % phases);
      const int64_t first = whole + first_offset[p];
      const std::vector<double>& t = taps[p];
      for (size_t k = 0; k < t.size(); ++k) {
        const int64_t i = first + static_cast<int64_t>(k);
        if (i >= 0 && i < n) sum += input[static_cast<size_t>(i)] * t[k];
      }
    } else {
      const double centre = static_cast<double>(j) / ratio;
      const int64_t first = static_cast<int64_t>(std::ceil(centre - half_width));
      const int64_t last = static_cast<int64_t>(std::floor(centre + half_width));
      for (int64_t i = std::max<int64_t>(first, 0); i <= last && i < n; ++i)
        sum += input[static_cast<size_t>(i)] * tap(static_cast<double>(i) - centre);
    }
    const long rounded = std::lround(sum);
    output[static_cast<size_t>(j)] = static_cast<int16_t>(std::max(-32768L, std::min(32767L, rounded)));
  }
  return output;
}

}  // namespace voicetrain
