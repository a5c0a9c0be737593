// ITU-T G.729 (8 kbit/s CS-ACELP) decoder for the recorded domain phrases:
// bit-stream unpacking, LSP decoding, adaptive and algebraic codebooks,
// gains, synthesis, the adaptive postfilter and the output high-pass. Fixed
// point, no allocation; one G729Decoder record holds the whole state.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvo::backend::g729 {

constexpr int kFrameBytes = 10;    // one 10-ms frame as stored
constexpr int kFrameSamples = 80;  // 8 kHz
constexpr int kSubframe = 40;
constexpr int kParamCount = 11;
constexpr int kPitchMin = 20;
constexpr int kPitchMax = 143;
constexpr int kInterpolLen = 11;  // past excitation the 1/3 interpolation reads
constexpr int kLtpHalfLong = 8;   // half length of the postfilter's long interpolation filter

// The eleven parameters of a frame in transmission order: L0|L1 (8 bits),
// L2|L3 (10), P1 (8), P0 (1), C1 (13), S1 (4), GA1|GB1 (7), P2 (5), C2 (13),
// S2 (4), GA2|GB2 (7).
extern const int kParamBits[kParamCount];

// Frame bytes are five 16-bit little-endian words; the 80 bits are read from
// the first word to the fifth, most significant bit first.
void UnpackFrame(const uint8_t frame[kFrameBytes], uint16_t params[kParamCount]);

// 1 when the parity bit P0 does not match the six most significant bits of
// the first subframe's pitch index P1.
int PitchParityError(uint16_t p1, uint16_t p0);

struct G729Decoder {
  // Excitation: past samples for the pitch filter, then the current frame.
  int16_t excitation[kPitchMax + kInterpolLen + kFrameSamples];
  int16_t lspOld[10];                 // Q15 cosine domain
  int16_t lsfPast[4][10];             // Q13, quantiser outputs of the last 4 frames
  int16_t pastEnergy[4];              // Q10, quantised code energies
  int16_t synthMemory[10];            // synthesis filter memory
  int16_t sharp;                      // Q14 pitch sharpening
  int16_t oldT0;                      // last good integer pitch delay
  int16_t voicing;                    // postfilter's last non-zero voicing decision
  uint16_t seed;                      // random excitation of erased frames (never used: no frame is erased)
  int16_t synth[10 + kFrameSamples];  // 10 past samples, then the frame
  // Postfilter.
  int16_t residual[kPitchMax + 1 + kLtpHalfLong + kSubframe];
  int16_t stMemory[10];  // 1/A(z/0.7) memory
  int16_t tiltMemory;    // last sample into the tilt filter
  int32_t agcGain;       // Q16 gain of the automatic gain control
  // Post-processing high-pass: inputs and Q13 outputs.
  int32_t hpX1, hpX2;
  int64_t hpY1, hpY2;
};

// The standard's initial state.
void ResetDecoder(G729Decoder* d);

// Decodes one 10-byte frame into 80 samples (postfiltered and high-passed).
void DecodeFrame(G729Decoder* d, const uint8_t frame[kFrameBytes], int16_t out[kFrameSamples]);

}  // namespace kvo::backend::g729
