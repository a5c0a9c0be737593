// Gain of the vocoder frames, calibrated through our own vocoder: the
// rendered level of a frame is proportional to its gain, to the energy of
// the impulse response of the filter the vocoder builds from its LSFs and,
// for voiced frames, to the square root of the pulse rate. The two constants
// are measured by rendering sample frames with the engine's vocoder
// (analysis by synthesis), so that the gains found make rendered frames
// as loud as the teacher's.
#ifndef KVO_VOICETRAIN_GAIN_CALIBRATION_H
#define KVO_VOICETRAIN_GAIN_CALIBRATION_H

#include <cstdint>
#include <vector>

namespace voicetrain {

// Root energy of the impulse response of the all-pole filter the vocoder
// makes of these LSFs (its own fixed-point conversion, formant sharpening
// included).
double VocoderFilterNorm(const std::vector<uint16_t>& lsf);

// RMS of `frames` constant frames rendered by the vocoder at `rate`,
// measured after the first pulse length (the ramp-in).
double RenderedRms(const std::vector<uint16_t>& lsf, int f0, int gain, int rate, int frames = 16);

struct GainCalibration {
    double voiced = 1.0;    // rms / (gain * norm * sqrt(f0 / 100))
    double unvoiced = 1.0;  // rms / (gain * norm)
};

struct CalibrationFrame {
    std::vector<uint16_t> lsf;
    int f0 = 0;  // 0 unvoiced
};

// Median ratios over the sample frames, each rendered at a mid gain.
GainCalibration CalibrateGain(const std::vector<CalibrationFrame>& sample, int rate);

// Predicted rendered RMS per unit gain.
double RmsPerGain(const GainCalibration& c, const std::vector<uint16_t>& lsf, int f0);

// Gain (real-valued, not clamped) that renders a frame at `target_rms`.
double GainForRms(const GainCalibration& c, const std::vector<uint16_t>& lsf, int f0, double target_rms);

// The model's log-gain value for a gain: the generator turns v into
// 7650 * exp(-v / 2048) (clamped to 0 ... 255).
int LogGainValue(double gain);
double GainOfLogValue(double v);

}  // namespace voicetrain

#endif
