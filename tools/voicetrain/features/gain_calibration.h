// Gain of the vocoder frames by analysis by synthesis: each frame is
// rendered through the engine's own vocoder at a reference gain, and since
// the rendered level is proportional to the gain, one rendering gives the
// gain that makes the frame as loud as the recording.
#ifndef KVO_VOICETRAIN_GAIN_CALIBRATION_H
#define KVO_VOICETRAIN_GAIN_CALIBRATION_H

#include <cstdint>
#include <vector>

namespace voicetrain {

// RMS of `frames` constant frames rendered by the vocoder at `rate`,
// measured after the ramp-in (one pulse length) and before the ramp-out.
// By default (0) as many frames as make 640 samples at the rate.
double RenderedRms(const std::vector<uint16_t>& lsf, int f0, int gain, int rate, int frames = 0);

// Gain (real-valued, not clamped) that renders the frame at `target_rms`.
double GainForRms(const std::vector<uint16_t>& lsf, int f0, double target_rms, int rate);

// The model's log-gain value for a gain: the generator turns v into
// round(7650 * exp(-v / 2048)), 0 from v = 16384 on, at most 255. Gains too
// small to render map beyond 16384, down to kQuietestGain.
int LogGainValue(double gain);
double GainOfLogValue(double v);

// The value from which on the generator renders silence.
constexpr int kSilentLogGain = 16384;
// Frames quieter than this gain (20 dB below the smallest the generator
// renders) all get the value of this gain, about 21077.
constexpr double kQuietestGain = 0.26;

}  // namespace voicetrain

#endif
