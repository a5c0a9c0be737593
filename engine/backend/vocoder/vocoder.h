// Pitch-synchronous LPC vocoder: renders the 5-ms parameter frames of one
// speech item into 16-bit samples at the voice rate.
//
// Voiced frames (F0 >= 85 Hz) place, once per pitch period, the stored
// excitation pulse filtered through the frame's all-pole filter and shaped
// by a window (a new pulse every second period, reused in between).
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
// Pitch after scaling is capped so that a period never gets shorter than a
// few samples (keeps the work per output sample bounded).
constexpr int32_t kVocoderMaxF0 = 1000;
constexpr int kVocoderUnvoicedHop = 16;
constexpr int32_t kVocoderNoiseSeed = 21845;

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
  int32_t total;        // samples to render
  int32_t done;
  uint32_t seed;
  int32_t countdown;       // periods left to reuse the voiced pulse
  int32_t extraPulseReuse;  // further periods per voiced pulse (speed-up), 0 by default
  int32_t filterFrame;     // frame of the last unvoiced filter, -1 none
  int32_t filterVoiced;    // last filter computed for a voiced pulse
  int32_t lpc[kMaxLpcOrder];
  int32_t contribution[kVocoderMaxPulse];
  VocoderTail* tail;
};

// LPC order and pulse length for a voice rate (8000, 11025, 16000, 22050);
// false for another rate.
bool VocoderRateConstants(int32_t rate, int32_t* order, int32_t* pulseLength);

// Starts an item: frames and their byte length, speed and pitch factors in
// 1/1024 (1024 = unchanged). Returns kBackendInvalidArgument for a missing
// state or tail or an unsupported rate.
int VocoderStart(VocoderState* state, VocoderTail* tail, int32_t rate, const int16_t* frames,
                 int32_t frameBytes, int32_t speedFactor, int32_t pitchFactor);

// Renders into out (capacity in samples), which it uses as an accumulator:
// the pending tail is added back at its start. Returns true when the item
// is complete; false when the buffer has no room for the next contribution
// (call again with a fresh buffer). *completed receives the finished
// samples at the start of out; the rest of out is scratch.
bool VocoderRun(VocoderState* state, int16_t* out, int32_t capacity, int32_t* completed);

// Further periods a voiced pulse serves at a speed-up setting: 0 and 1
// prepare the filter as usual (every second period), 2 and 3 reuse it for
// one or two more periods. The output length does not change.
int32_t VocoderExtraPulseReuse(int32_t speedup);

// F0 after the pitch factor, rounded and limited to 85..1000 Hz.
int32_t VocoderScaledF0(int32_t f0, int32_t pitchFactor);

}  // namespace kvo::backend
