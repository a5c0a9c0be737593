// Pitch-synchronous LPC vocoder: renders the 5-ms parameter frames of one
// speech item into 16-bit samples at the voice rate.
//
// Voiced frames (F0 >= 85 Hz) place, once per pitch period, the stored
// excitation pulse filtered through the frame's all-pole filter and shaped
// by a window (a new pulse every second period, reused in between). A
// pulse's amplitude goes with the square root of its period relative to
// the frame's own (unscaled) period, so the pitch factor moves the pitch
// and not the loudness: pulses of fixed energy would make the level grow
// with the pulse rate (6 dB louder two octaves up).
// Unvoiced frames place a filtered noise burst every 16 samples. The
// overlapping end of the last contributions is kept in a VocoderTail that
// the caller owns and carries from call to call and from item to item.
//
// A frame is order + 2 int16 values: `order` line spectral frequencies in
// units of pi/65536 (read as unsigned), F0 in Hz (0 = unvoiced), gain 0..255.
#pragma once

#include <cstdint>

#include "backend/vocoder/lsf_to_lpc.h"

namespace kvo::backend {

constexpr int kVocoderMaxPulse = 256;
constexpr int kVocoderFramePeriodMs = 5;
constexpr int32_t kVocoderMinF0 = 85;
// Lowest F0 after the pitch factor. A frame's F0 is at least 85 Hz and the
// lowest pitch halves it, so this is never reached by the engine's own
// settings: a contour shifted down keeps its shape instead of running flat
// along a floor (a flattened tone is a different word).
constexpr int32_t kVocoderLowestF0 = 40;
// Pitch after scaling is capped so that a period never gets shorter than a
// few samples (keeps the work per output sample bounded).
constexpr int32_t kVocoderMaxF0 = 1000;
constexpr int kVocoderUnvoicedHop = 16;
constexpr int32_t kVocoderNoiseSeed = 21845;
// Output level in Q15 at which a voice is trained (the trainer's gain
// calibration renders at this level).
constexpr int32_t kVocoderUnityLevel = 32768;
// Longest hop between two voiced pulses, in samples at the highest voice
// rate: VocoderRun needs at least this much room (and the pulse length).
constexpr int32_t kVocoderMaxHop = (2 * 22050 + kVocoderLowestF0) / (2 * kVocoderLowestF0);

// Pending overlap between calls: 256 samples (512 bytes). Zero it at the
// start of each chunk of speech.
struct VocoderTail {
  int16_t samples[kVocoderMaxPulse];
};

struct VocoderState {
  int32_t rate;
  int32_t order;        // LPC order p
  int32_t pulseLength;  // N
  const uint8_t* window;
  const int16_t* frames;
  int32_t frameValues;  // p + 2
  int32_t frameCount;
  int32_t speedFactor;  // 1/1024, scales the number of samples
  int32_t pitchFactor;  // 1/1024, scales F0
  int32_t level;        // Q15 output level, kVocoderUnityLevel after VocoderStart
  int32_t total;        // samples to render
  int32_t done;
  uint32_t seed;
  int32_t countdown;        // periods left to reuse the voiced pulse
  int32_t extraPulseReuse;  // further periods per voiced pulse (speed-up), 0 by default
  int32_t filterFrame;      // frame the filter in lpc was computed from, -1 none
  int32_t lpc[kMaxLpcOrder];
  int32_t contribution[kVocoderMaxPulse];  // valid in [contributionBegin, contributionEnd), zero elsewhere
  int32_t contributionBegin;
  int32_t contributionEnd;
  VocoderTail* tail;
};

// LPC order and pulse length for a voice rate (8000, 11025, 16000, 22050);
// false for another rate.
bool VocoderRateConstants(int32_t rate, int32_t* order, int32_t* pulseLength);

// Starts an item: frames and their byte length, speed and pitch factors in
// 1/1024 (1024 = unchanged). Returns kBackendInvalidArgument for a missing
// state or tail or an unsupported rate.
int VocoderStart(VocoderState* state, VocoderTail* tail, int32_t rate, const int16_t* frames, int32_t frameBytes,
                 int32_t speedFactor, int32_t pitchFactor);

// Sets the output level (Q15, 0 ... 65536) of the started item.
void VocoderSetLevel(VocoderState* state, int32_t level);

// Renders into out (capacity in samples), which it uses as an accumulator:
// the pending tail is added back at its start. Returns true when the item
// is complete; false when the buffer has no room for the next contribution
// (call again with a fresh buffer; a capacity below kVocoderMaxHop may never
// make progress at the lowest pitch). *completed receives the finished
// samples at the start of out; the rest of out is scratch.
bool VocoderRun(VocoderState* state, int16_t* out, int32_t capacity, int32_t* completed);

// Further periods a voiced pulse serves at a speed-up setting: 0 and 1
// prepare the filter as usual (every second period), 2 and 3 reuse it for
// one or two more periods. The output length does not change.
int32_t VocoderExtraPulseReuse(int32_t speedup);

// F0 after the pitch factor, rounded and limited to kVocoderLowestF0 ..
// kVocoderMaxF0 Hz.
int32_t VocoderScaledF0(int32_t f0, int32_t pitchFactor);

}  // namespace kvo::backend
