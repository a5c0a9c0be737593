#include "features/gain_calibration.h"

#include <algorithm>
#include <cmath>

#include "lsf_to_lpc.h"
#include "vocoder.h"

namespace voicetrain {

double VocoderFilterNorm(const std::vector<uint16_t>& lsf) {
    const int order = static_cast<int>(lsf.size());
    int16_t lines[kvo::backend::kMaxLpcOrder];
    for (int i = 0; i < order && i < kvo::backend::kMaxLpcOrder; ++i) lines[i] = static_cast<int16_t>(lsf[i]);
    int32_t a[kvo::backend::kMaxLpcOrder] = {};
    if (!kvo::backend::LsfToLpc(lines, order, a)) return 1.0;
    std::vector<double> y(1024, 0.0);
    double energy = 0.0;
    for (int n = 0; n < 1024; ++n) {
        double v = n == 0 ? 1.0 : 0.0;
        for (int j = 1; j <= order && j <= n; ++j) v -= a[j - 1] / 32768.0 * y[n - j];
        y[n] = v;
        energy += v * v;
    }
    return std::sqrt(energy);
}

double RenderedRms(const std::vector<uint16_t>& lsf, int f0, int gain, int rate, int frames) {
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
    if (kvo::backend::VocoderStart(&state, &tail, rate, data.data(), static_cast<int32_t>(data.size() * 2), 1024,
                                   1024) != 0)
        return 0.0;
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(2048);
    for (;;) {
        int32_t completed = 0;
        const bool done = kvo::backend::VocoderRun(&state, buffer.data(), static_cast<int32_t>(buffer.size()), &completed);
        out.insert(out.end(), buffer.begin(), buffer.begin() + completed);
        if (done || completed == 0) break;
    }
    const size_t skip = 256;
    if (out.size() <= 2 * skip) return 0.0;
    double sum = 0.0;
    for (size_t i = skip; i + skip / 2 < out.size(); ++i) sum += double(out[i]) * out[i];
    return std::sqrt(sum / double(out.size() - skip - skip / 2));
}

namespace {
double Median(std::vector<double> v) {
    if (v.empty()) return 1.0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}
}  // namespace

GainCalibration CalibrateGain(const std::vector<CalibrationFrame>& sample, int rate) {
    std::vector<double> voiced, unvoiced;
    const int gain = 64;
    for (const CalibrationFrame& f : sample) {
        const double norm = VocoderFilterNorm(f.lsf);
        const double rms = RenderedRms(f.lsf, f.f0, gain, rate);
        if (rms <= 0 || norm <= 0) continue;
        if (f.f0 > 0) voiced.push_back(rms / (gain * norm * std::sqrt(f.f0 / 100.0)));
        else unvoiced.push_back(rms / (gain * norm));
    }
    GainCalibration c;
    c.voiced = Median(voiced);
    c.unvoiced = Median(unvoiced);
    return c;
}

double RmsPerGain(const GainCalibration& c, const std::vector<uint16_t>& lsf, int f0) {
    const double norm = VocoderFilterNorm(lsf);
    return f0 > 0 ? c.voiced * norm * std::sqrt(f0 / 100.0) : c.unvoiced * norm;
}

double GainForRms(const GainCalibration& c, const std::vector<uint16_t>& lsf, int f0, double target_rms) {
    const double per = RmsPerGain(c, lsf, f0);
    return per > 0 ? target_rms / per : 0.0;
}

int LogGainValue(double gain) {
    if (gain < 0.5) return 18000;  // renders as gain 0
    const double v = -2048.0 * std::log(std::min(gain, 255.0) / 7650.0);
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 18000.0)));
}

double GainOfLogValue(double v) { return std::min(255.0, 7650.0 * std::exp(-v / 2048.0)); }

}  // namespace voicetrain
