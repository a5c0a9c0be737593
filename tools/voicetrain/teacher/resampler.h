// Band-limited resampling of 16-bit audio between any two rates, with a
// Kaiser-windowed sinc. A training tool, not part of the engine: floating
// point is fine here.
#ifndef KVO_VOICETRAIN_RESAMPLER_H
#define KVO_VOICETRAIN_RESAMPLER_H

#include <cstdint>
#include <vector>

namespace voicetrain {

// Resamples the whole signal; the output has round(n * to / from) samples.
// The cut-off sits at 0.95 of the lower Nyquist frequency.
std::vector<int16_t> Resample(const std::vector<int16_t>& input, int from_rate, int to_rate);

// Maps a sample position from one rate to another (rounded).
int64_t MapSamplePosition(int64_t position, int from_rate, int to_rate);

}  // namespace voicetrain

#endif
