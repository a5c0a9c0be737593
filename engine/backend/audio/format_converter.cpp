#include "backend/audio/format_converter.h"

#include <cstdint>
#include <cstring>

#include "backend/audio/audio_format.h"
#include "backend/audio/g711.h"
#include "backend/audio/oki_adpcm.h"
#include "backend/vocoder/dsp_tables.h"
#include "core/saturate.h"

namespace kvo::backend {

namespace {

int NearestFilter(int32_t outRate, int32_t inRate) {
  int64_t ratio = static_cast<int64_t>(outRate) * 10000 / inRate;
  int best = 0;
  for (int f = 1; f < kAntiAliasFilterCount; ++f) {
    int64_t d = ratio - kAntiAliasRatios[f];
    int64_t b = ratio - kAntiAliasRatios[best];
    if ((d < 0 ? -d : d) < (b < 0 ? -b : b)) best = f;
  }
  return best;
}

// Input sample m of the piece; negative m reaches into the history.
inline int32_t InputAt(const FormatConverterState* s, const int16_t* in, int64_t m) {
  return m >= 0 ? in[m] : s->history[kAntiAliasHistory + m];
}

// Anti-aliased value at input index k (causal 41-tap FIR), or the raw input
// without a filter; k may be -1 (the sample before the piece).
int32_t FilteredAt(const FormatConverterState* s, const int16_t* in, int64_t k) {
  if (s->filter < 0) return InputAt(s, in, k);
  const int16_t* h = kAntiAliasFilters + s->filter * kAntiAliasTaps;
  int64_t acc = 0;
  for (int j = 0; j < kAntiAliasTaps; ++j) acc += static_cast<int64_t>(h[j]) * InputAt(s, in, k - j);
  return SaturateToInt16(acc / 10000);
}

void RememberHistory(FormatConverterState* s, const int16_t* in, int32_t count) {
  if (count >= kAntiAliasHistory) {
    std::memcpy(s->history, in + count - kAntiAliasHistory, sizeof s->history);
    return;
  }
  std::memmove(s->history, s->history + count, (kAntiAliasHistory - count) * sizeof(int16_t));
  std::memcpy(s->history + kAntiAliasHistory - count, in, count * sizeof(int16_t));
}

bool IsPcm(int32_t code) { return code <= kAudioFormatPcm44k16bit; }
bool IsG711(int32_t code) { return code == kAudioFormatAlaw8k8bit || code == kAudioFormatUlaw8k8bit; }
bool IsVox(int32_t code) { return code == kAudioFormatVox6k4bit || code == kAudioFormatVox8k4bit; }

int32_t PcmWidth(const FormatConverterState* s) {
  int32_t rate = 0, width = 0;
  OutputFormat(s->inRate, s->inWidth, s->formatCode, &rate, &width);
  return width;
}

// Output samples of a piece of `count` inputs: every output whose position
// lies inside the piece. The phase carries over, so the total for a group
// only depends on its total input.
int64_t OutputCount(const FormatConverterState* s, int64_t count) {
  const int64_t end = count * s->outRate;
  if (s->nextPosition >= end) return 0;
  return (end - s->nextPosition + s->inRate - 1) / s->inRate;
}

// Moves the phase on past a piece of `count` inputs that gave `outputs` samples.
void AdvancePhase(FormatConverterState* s, int64_t count, int64_t outputs) {
  s->nextPosition += outputs * s->inRate - count * s->outRate;
}

int32_t ConvertPcm(FormatConverterState* s, const int16_t* in, int32_t count, uint8_t* out) {
  const bool eightBit = PcmWidth(s) == 8;
  const int64_t n = OutputCount(s, count);
  uint8_t* p = out;
  if (s->inRate == s->outRate && s->filter < 0 && !eightBit && s->nextPosition == 0) {
    // The voice's own rate and width: every input sample as it is, in
    // little-endian byte order (the common case, kept free of divisions).
    for (int64_t i = 0; i < n; ++i) {
      const uint16_t u = static_cast<uint16_t>(in[i]);
      p[2 * i] = static_cast<uint8_t>(u & 0xFF);
      p[2 * i + 1] = static_cast<uint8_t>(u >> 8);
    }
    AdvancePhase(s, count, n);
    return static_cast<int32_t>(2 * n);
  }
  for (int64_t i = 0; i < n; ++i) {
    int64_t k = (s->nextPosition + i * s->inRate) / s->outRate;
    int32_t v = FilteredAt(s, in, k);
    if (eightBit) {
      *p++ = static_cast<uint8_t>((v >> 8) + 128);
    } else {
      uint16_t u = static_cast<uint16_t>(v);
      *p++ = static_cast<uint8_t>(u & 0xFF);
      *p++ = static_cast<uint8_t>(u >> 8);
    }
  }
  AdvancePhase(s, count, n);
  return static_cast<int32_t>(p - out);
}

// Outputs fall on the same positions as PCM picking at 8000 Hz, so both
// give the same sample count. From a rate that is not a multiple of 8000
// the value is interpolated between the input at that position and the one
// before it (a fixed delay of one input sample), which never waits for an
// input of the next piece.
int32_t ConvertG711(FormatConverterState* s, const int16_t* in, int32_t count, uint8_t* out) {
  const bool alaw = s->formatCode == kAudioFormatAlaw8k8bit;
  const bool interpolate = s->inRate % 8000 != 0;
  const int64_t n = OutputCount(s, count);
  for (int64_t i = 0; i < n; ++i) {
    const int64_t pos = s->nextPosition + i * s->inRate;  // in 1/8000 of an input sample
    const int64_t k = pos / 8000;
    const int64_t rem = pos - k * 8000;
    int32_t v = FilteredAt(s, in, k);
    if (interpolate) {
      const int32_t before = FilteredAt(s, in, k - 1);
      v = static_cast<int32_t>(before + static_cast<int64_t>(v - before) * rem / 8000);
    }
    const int16_t x = SaturateToInt16(v);
    out[i] = alaw ? LinearToAlaw(x) : LinearToUlaw(x);
  }
  AdvancePhase(s, count, n);
  return static_cast<int32_t>(n);
}

int32_t VoxTailBytes(const FormatConverterState* s, int32_t count) {
  int32_t t = s->outRate / 100;
  return count < t ? count : t;
}

int32_t ConvertVox(FormatConverterState* s, const int16_t* in, int32_t count, uint8_t* out) {
  OkiAdpcmState coder{0, 0};
  const int64_t n = static_cast<int64_t>(s->outRate) * count / s->inRate;
  int32_t written = 0;
  int high = -1;
  auto put = [&](int32_t sample12) {
    int nibble = OkiAdpcmEncode(&coder, sample12);
    if (high < 0) {
      high = nibble;
    } else {
      out[written++] = static_cast<uint8_t>((high << 4) | nibble);
      high = -1;
    }
  };
  for (int64_t i = 0; i < n; ++i) {
    int32_t v = in[i * s->inRate / s->outRate] / 12;
    put(ClampInt32(v, -2047, 2047));
  }
  if (high >= 0) put(0);  // complete the last byte
  // Encoded zeros bring a decoder that does not restart per piece back towards rest.
  for (int32_t t = VoxTailBytes(s, count); t > 0; --t) {
    put(0);
    put(0);
  }
  return written;
}

int32_t ConvertIma(FormatConverterState* s, const int16_t* in, int32_t count, uint8_t* out) {
  int32_t written = 0;
  for (int32_t i = 0; i < count; ++i) {
    s->imaPending[s->imaPendingCount++] = in[i];
    if (s->imaPendingCount == kImaBlockSamples) {
      ImaEncodeBlock(s->imaPending, &s->imaStepIndex, out + written);
      written += kImaBlockBytes;
      s->imaPendingCount = 0;
    }
  }
  return written;
}

}  // namespace

int FormatConverterInit(FormatConverterState* s, int32_t formatCode, int32_t libraryRate, int32_t libraryWidth) {
  if (!s) return kBackendInvalidArgument;
  int32_t outRate = 0, outWidth = 0;
  int rc = OutputFormat(libraryRate, libraryWidth, formatCode, &outRate, &outWidth);
  if (rc != kBackendOk) return rc;
  std::memset(s, 0, sizeof *s);
  s->formatCode = formatCode;
  s->inRate = libraryRate;
  s->inWidth = libraryWidth;
  s->outRate = outRate;
  s->filter = -1;
  if ((IsPcm(formatCode) && outRate < libraryRate) || (IsG711(formatCode) && libraryRate > 8000))
    s->filter = NearestFilter(outRate, libraryRate);
  return kBackendOk;
}

int32_t ConvertedBytesMax(const FormatConverterState* s, int32_t count) {
  if (!s || count < 0 || s->inRate <= 0) return -1;
  const int32_t code = s->formatCode;
  int64_t bytes;
  if (code == kAudioFormatImaAdpcm) {
    bytes = static_cast<int64_t>(s->imaPendingCount + count) / kImaBlockSamples * kImaBlockBytes;
  } else if (IsVox(code)) {
    int64_t n = static_cast<int64_t>(s->outRate) * count / s->inRate;
    bytes = (n + 1) / 2 + VoxTailBytes(s, count);
  } else if (IsG711(code)) {
    bytes = OutputCount(s, count);
  } else if (IsPcm(code)) {
    bytes = OutputCount(s, count) * (PcmWidth(s) / 8);
  } else {
    return -1;
  }
  return bytes > INT32_MAX ? -1 : static_cast<int32_t>(bytes);
}

int32_t ConvertSamples(FormatConverterState* s, const int16_t* in, int32_t count, uint8_t* out, int32_t outCap) {
  if (!s || count < 0 || (count > 0 && (!in || !out))) return -1;
  int32_t need = ConvertedBytesMax(s, count);
  if (need < 0 || outCap < need) return -1;
  if (count == 0) return 0;
  // The filter reads inputs behind the write position: refuse overlapping buffers.
  const uintptr_t inBegin = reinterpret_cast<uintptr_t>(in), inEnd = inBegin + count * sizeof(int16_t);
  const uintptr_t outBegin = reinterpret_cast<uintptr_t>(out), outEnd = outBegin + need;
  if (need > 0 && inBegin < outEnd && outBegin < inEnd) return -1;
  const int32_t code = s->formatCode;
  int32_t written;
  if (code == kAudioFormatImaAdpcm) {
    written = ConvertIma(s, in, count, out);
  } else if (IsVox(code)) {
    written = ConvertVox(s, in, count, out);
  } else if (IsG711(code)) {
    written = ConvertG711(s, in, count, out);
  } else {
    written = ConvertPcm(s, in, count, out);
  }
  RememberHistory(s, in, count);
  return written;
}

}  // namespace kvo::backend
