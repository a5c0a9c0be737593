// Converts pieces of 16-bit samples at the library rate into the output
// audio format: PCM at another rate or width (anti-alias filter, then
// picking), G.711 A-law/mu-law (filter, linear interpolation to 8 kHz),
// Dialogic VOX ADPCM and IMA ADPCM blocks.
//
// One state per group of speech items; the filter history, the resampling
// phase and the pending IMA samples carry over between pieces, so the
// output of a group does not depend on how it was cut into pieces: every
// PCM and G.711 format of one rate gives the same number of samples. No
// heap, no temporaries: the state is embedded by the caller.
#pragma once

#include <cstdint>

#include "backend/audio/ima_adpcm.h"

namespace kvo::backend {

// Input samples before the piece the filter sees: 40 taps behind the
// current sample, plus the one before the piece's first sample that the
// interpolating G.711 converter reads.
constexpr int kAntiAliasHistory = 41;

struct FormatConverterState {
  int32_t formatCode;
  int32_t inRate;
  int32_t inWidth;
  int32_t outRate;
  int32_t filter;                      // anti-alias filter index, -1 for none
  int16_t history[kAntiAliasHistory];  // last inputs, oldest first
  // Position of the next output sample after the inputs seen so far, in
  // 1/outRate of an input sample, counted from the next piece's first input.
  int64_t nextPosition;
  int32_t imaStepIndex;
  int32_t imaPendingCount;
  int16_t imaPending[kImaBlockSamples];
};

// Zeroes the state and prepares it for one format; returns
// kBackendInvalidArgument for an unknown code or library format.
int FormatConverterInit(FormatConverterState* state, int32_t formatCode, int32_t libraryRate, int32_t libraryWidth);

// Upper bound of the bytes ConvertSamples writes for a piece of `count` samples.
int32_t ConvertedBytesMax(const FormatConverterState* state, int32_t count);

// Converts `count` samples into `out`; returns the bytes written, or -1 when
// an argument is invalid or outCap is below ConvertedBytesMax (nothing is
// written and the state is unchanged then). `in` and `out` must not overlap.
// For IMA ADPCM the result is 256 per completed block (0 while samples are
// pending); pending samples are dropped with the state.
int32_t ConvertSamples(FormatConverterState* state, const int16_t* in, int32_t count, uint8_t* out, int32_t outCap);

}  // namespace kvo::backend
