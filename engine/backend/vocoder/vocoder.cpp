#include "backend/vocoder/vocoder.h"

#include <cstring>

#include "backend/audio/audio_format.h"
#include "backend/vocoder/dsp_tables.h"
#include "core/saturate.h"

namespace kvo::backend {

namespace {

constexpr int kWindowEdge = 10;  // contributions are zero in the first and last 10 samples
constexpr int32_t kFilterClamp = 1 << 24;
constexpr int32_t kMaxTotal = 1 << 30;

const int16_t* FrameAt(const VocoderState* s, int32_t index) {
  return s->frames + static_cast<int64_t>(index) * s->frameValues;
}

int32_t ClampFiltered(int64_t acc) {
  const int64_t v = acc >> 15;
  return static_cast<int32_t>(v > kFilterClamp ? kFilterClamp : (v < -kFilterClamp ? -kFilterClamp : v));
}

// All-pole filter over len samples, starting from rest. The order (always
// even) is a compile-time constant so that the steady-state loop unrolls,
// and the feedback sum runs in two halves from the oldest output on: the
// newest, which the next sample waits for, enters last. Integer sums are
// exact in any order, so the output is that of the plain loop.
template <int P>
void SynthesizeOrder(const int32_t* a, const int32_t* x, int32_t* y, int len) {
  static_assert(P % 2 == 0, "LPC orders are even");
  int i = 0;
  for (; i < len && i < P; ++i) {
    int64_t acc = static_cast<int64_t>(x[i]) * 32768;
    for (int j = i; j >= 1; --j) acc -= static_cast<int64_t>(a[j - 1]) * y[i - j];
    y[i] = ClampFiltered(acc);
  }
  for (; i < len; ++i) {
    const int32_t* past = y + i;
    int64_t odd = 0, even = 0;
#pragma GCC unroll 12
    for (int j = P; j >= 2; j -= 2) {
      odd += static_cast<int64_t>(a[j - 1]) * past[-j];
      even += static_cast<int64_t>(a[j - 2]) * past[1 - j];
    }
    y[i] = ClampFiltered(static_cast<int64_t>(x[i]) * 32768 - odd - even);
  }
}

void Synthesize(const VocoderState* s, const int32_t* x, int32_t* y, int len) {
  switch (s->order) {
    case 12:
      return SynthesizeOrder<12>(s->lpc, x, y, len);
    case 14:
      return SynthesizeOrder<14>(s->lpc, x, y, len);
    case 20:
      return SynthesizeOrder<20>(s->lpc, x, y, len);
    default:
      return SynthesizeOrder<kMaxLpcOrder>(s->lpc, x, y, len);
  }
}

// floor(sqrt(v)).
uint32_t SquareRoot(uint64_t v) {
  uint64_t r = 0;
  for (uint64_t bit = uint64_t{1} << 62; bit != 0; bit >>= 2) {
    if (v >= r + bit) {
      v -= r + bit;
      r = (r >> 1) + bit;
    } else {
      r >>= 1;
    }
  }
  return static_cast<uint32_t>(r);
}

int32_t PeriodOf(int32_t rate, int32_t f0) { return (2 * rate + f0) / (2 * f0); }

// Q15 amplitude of a pulse that repeats every `hop` samples where the frame
// asks for every `natural`: sqrt(hop / natural) keeps the power per second.
int32_t PeriodLevel(int32_t hop, int32_t natural) {
  if (hop == natural || natural <= 0) return kVocoderUnityLevel;
  return static_cast<int32_t>(SquareRoot((static_cast<uint64_t>(hop) << 30) / static_cast<uint64_t>(natural)));
}

// `level` in Q15 applies on top of the pulse's own scaling.
void BuildVoiced(VocoderState* s, int32_t gain, int32_t level) {
  const int n = s->pulseLength;
  s->contributionBegin = s->contributionEnd = 0;
  if (gain == 0) return;
  const int offset = (kExcitationPulseSize - n) / 2;
  const int len = n - kWindowEdge;
  int32_t x[kVocoderMaxPulse] = {}, y[kVocoderMaxPulse];
  for (int i = 0; i < len; ++i) x[i] = kExcitationPulse[offset + i] * gain / 256;
  Synthesize(s, x, y, len);
  for (int j = kWindowEdge; j <= n - 1 - kWindowEdge; ++j)
    s->contribution[j] =
        static_cast<int32_t>(int64_t{s->window[j]} * y[j] * level / (32 * int64_t{kVocoderUnityLevel}));
  s->contributionBegin = kWindowEdge;
  s->contributionEnd = n - kWindowEdge;
}

void BuildUnvoiced(VocoderState* s, const int16_t* burst, int32_t gain) {
  const int n = s->pulseLength;
  s->contributionBegin = s->contributionEnd = 0;
  if (gain == 0) return;
  const int half = n / 2;
  const int len = half - kWindowEdge;
  int32_t x[kVocoderMaxPulse / 2] = {}, y[kVocoderMaxPulse / 2];
  for (int i = 0; i < len; ++i) x[i] = i < kNoiseBurstLength ? burst[i] * gain / 256 : 0;
  Synthesize(s, x, y, len);
  for (int j = 0; j < len; ++j)
    s->contribution[half + j] =
        static_cast<int32_t>(int64_t{s->window[half + j]} * y[j] * s->level / (64 * int64_t{kVocoderUnityLevel}));
  s->contributionBegin = half;
  s->contributionEnd = half + len;
}

int32_t NextBurst(VocoderState* s) {
  s->seed = s->seed * 214013u + 2531011u;
  return static_cast<int32_t>((s->seed >> 16) & 0x7FFF) % kNoiseBurstCount;
}

// Keeps the not yet completed samples from pos on for the next call.
void SaveTail(VocoderState* s, const int16_t* out, int32_t capacity, int32_t pos) {
  int32_t m = capacity - pos;
  if (m > s->pulseLength) m = s->pulseLength;
  std::memset(s->tail->samples, 0, sizeof s->tail->samples);
  if (m > 0) std::memcpy(s->tail->samples, out + pos, m * sizeof(int16_t));
}

}  // namespace

bool VocoderRateConstants(int32_t rate, int32_t* order, int32_t* pulseLength) {
  int32_t p, n;
  switch (rate) {
    case 8000:
      p = 12;
      n = 192;
      break;
    case 11025:
      p = 14;
      n = 192;
      break;
    case 16000:
      p = 20;
      n = 192;
      break;
    case 22050:
      p = 24;
      n = 256;
      break;
    default:
      return false;
  }
  if (order) *order = p;
  if (pulseLength) *pulseLength = n;
  return true;
}

int32_t VocoderScaledF0(int32_t f0, int32_t pitchFactor) {
  int64_t v = (static_cast<int64_t>(f0) * pitchFactor + 512) / 1024;
  if (v < kVocoderLowestF0) return kVocoderLowestF0;
  if (v > kVocoderMaxF0) return kVocoderMaxF0;
  return static_cast<int32_t>(v);
}

int32_t VocoderExtraPulseReuse(int32_t speedup) { return speedup >= 2 && speedup <= 3 ? speedup - 1 : 0; }

int VocoderStart(VocoderState* s, VocoderTail* tail, int32_t rate, const int16_t* frames, int32_t frameBytes,
                 int32_t speedFactor, int32_t pitchFactor) {
  int32_t order = 0, n = 0;
  if (!s || !tail || !VocoderRateConstants(rate, &order, &n)) return kBackendInvalidArgument;
  std::memset(s, 0, sizeof *s);
  s->rate = rate;
  s->order = order;
  s->pulseLength = n;
  s->window = n == 192 ? kPulseWindow192 : kPulseWindow256;
  s->frames = frames;
  s->frameValues = order + 2;
  s->frameCount = (frames && frameBytes > 0) ? frameBytes / (s->frameValues * 2) : 0;
  s->speedFactor = ClampInt32(speedFactor, 1, 1 << 16);
  s->pitchFactor = ClampInt32(pitchFactor, 1, 1 << 16);
  int64_t total = static_cast<int64_t>(s->frameCount) * kVocoderFramePeriodMs * rate / 1000;
  total = total * s->speedFactor / 1024;
  s->total = static_cast<int32_t>(total > kMaxTotal ? kMaxTotal : total);
  s->level = kVocoderUnityLevel;
  s->seed = kVocoderNoiseSeed;
  s->filterFrame = -1;
  s->tail = tail;
  return kBackendOk;
}

void VocoderSetLevel(VocoderState* s, int32_t level) {
  if (s) s->level = ClampInt32(level, 0, 2 * kVocoderUnityLevel);
}

bool VocoderRun(VocoderState* s, int16_t* out, int32_t capacity, int32_t* completed) {
  if (completed) *completed = 0;
  if (!s || !s->tail || s->done >= s->total) return true;
  const int32_t n = s->pulseLength;
  if (!out || capacity < n) return false;

  std::memcpy(out, s->tail->samples, n * sizeof(int16_t));
  std::memset(out + n, 0, (capacity - n) * sizeof(int16_t));
  int32_t pos = 0;
  const int32_t perFrame = s->total / s->frameCount > 0 ? s->total / s->frameCount : 1;
  while (s->done < s->total) {
    int64_t index = (perFrame + 2 * static_cast<int64_t>(s->done)) / (2 * perFrame);
    if (index > s->frameCount - 1) index = s->frameCount - 1;
    const int16_t* frame = FrameAt(s, static_cast<int32_t>(index));
    const int32_t f0 = frame[s->order];
    const int32_t gain = ClampInt32(frame[s->order + 1], 0, 255);
    const bool voiced = f0 >= kVocoderMinF0;
    int32_t hop = kVocoderUnvoicedHop;
    if (voiced) {
      hop = PeriodOf(s->rate, VocoderScaledF0(f0, s->pitchFactor));
    }
    if (capacity - pos < (hop > n ? hop : n)) {
      SaveTail(s, out, capacity, pos);
      if (completed) *completed = pos;
      return false;
    }
    // The filter is a function of the frame alone: kept while the frame is,
    // and made only for a contribution that sounds.
    if (index != s->filterFrame && (!voiced || s->countdown <= 0) && gain != 0) {
      LsfToLpc(frame, s->order, s->lpc);
      s->filterFrame = static_cast<int32_t>(index);
    }
    if (voiced) {
      if (s->countdown <= 0) {
        s->countdown = 1 + s->extraPulseReuse;  // the pulse serves two periods, or more with speed-up
        const int32_t natural = PeriodOf(s->rate, f0 < kVocoderMaxF0 ? f0 : kVocoderMaxF0);
        const int64_t level = int64_t{PeriodLevel(hop, natural)} * s->level / kVocoderUnityLevel;
        BuildVoiced(s, gain, static_cast<int32_t>(level));
      } else {
        --s->countdown;
      }
    } else {
      s->countdown = 0;  // never reuse a noise burst as a voiced pulse
      BuildUnvoiced(s, kNoiseBursts + NextBurst(s) * kNoiseBurstLength, gain);
    }
    // Outside its span a contribution is zero and leaves the samples as they are.
    for (int32_t j = s->contributionBegin; j < s->contributionEnd; ++j)
      out[pos + j] = SaturateToInt16(out[pos + j] + s->contribution[j]);
    pos += hop;
    s->done += hop;
  }
  SaveTail(s, out, capacity, pos);
  if (completed) *completed = pos;
  return true;
}

}  // namespace kvo::backend
