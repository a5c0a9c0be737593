#include "teacher/resampler.h"

#include <algorithm>
#include <cmath>

namespace voicetrain {

namespace {

const double kPi = 3.14159265358979323846;
const int kHalfTaps = 32;       // filter half length in input samples at the lower rate
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
    for (int64_t j = 0; j < out_count; ++j) {
        const double centre = static_cast<double>(j) / ratio;
        const int64_t first = static_cast<int64_t>(std::ceil(centre - half_width));
        const int64_t last = static_cast<int64_t>(std::floor(centre + half_width));
        double sum = 0.0;
        for (int64_t i = std::max<int64_t>(first, 0); i <= last && i < static_cast<int64_t>(input.size()); ++i) {
            const double x = i - centre;
            const double arg = cutoff * x;
            const double sinc = std::fabs(arg) < 1e-9 ? 1.0 : std::sin(kPi * arg) / (kPi * arg);
            const double w = x / half_width;
            const double window = std::fabs(w) >= 1.0 ? 0.0 : BesselI0(kKaiserBeta * std::sqrt(1.0 - w * w)) * norm;
            sum += input[static_cast<size_t>(i)] * cutoff * sinc * window;
        }
        const long rounded = std::lround(sum);
        output[static_cast<size_t>(j)] = static_cast<int16_t>(std::max(-32768L, std::min(32767L, rounded)));
    }
    return output;
}

}  // namespace voicetrain
