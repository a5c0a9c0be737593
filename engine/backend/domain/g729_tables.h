// Tables of the G.729 decoder (values in g729_tables.cpp).
#pragma once

#include <cstdint>

namespace kvo::backend::g729 {

constexpr int kOrder = 10;     // LPC order
constexpr int kMaOrder = 4;    // MA predictor order of the LSP quantiser
constexpr int kCb1Size = 128;  // first-stage LSP codebook
constexpr int kCb2Size = 32;   // second-stage LSP codebooks (both halves)

extern const int16_t kLspCb1[kCb1Size][kOrder];          // Q13
extern const int16_t kLspCb2[kCb2Size][kOrder];          // Q13
extern const int16_t kMaPredictor[2][kMaOrder][kOrder];  // Q15
extern const int16_t kMaPredictorSum[2][kOrder];         // Q15, 1 - sum of the predictor
extern const int16_t kMaPredictorSumInv[2][kOrder];      // Q12, its inverse
extern const int16_t kLsfReset[kOrder];                  // Q13, LSFs of the initial state
extern const int16_t kCosTable[64];                      // Q15 cos(i*pi/64)
extern const int16_t kCosSlope[64];                      // Q19 slope between entries
extern const int16_t kPitchInterp[31];                   // Q15, 1/3-resolution filter
extern const int16_t kGainCb1[8][2];                     // Q14 pitch gain, Q13 code gain factor
extern const int16_t kGainCb2[16][2];
extern const int16_t kGainMap1[8];  // transmitted index -> codebook row
extern const int16_t kGainMap2[16];
extern const int16_t kPow2Table[33];
extern const int16_t kLog2Table[33];
extern const int16_t kLtpInterpShort[7][4];  // Q15, delay fraction (p+1)/8
extern const int16_t kLtpInterpLong[7][16];

}  // namespace kvo::backend::g729
