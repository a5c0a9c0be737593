// Dialogic (OKI) 4-bit ADPCM on 12-bit samples, as used by VOX files.
#pragma once

#include <cstdint>

namespace kvo::backend {

struct OkiAdpcmState {
  int32_t predictor;  // -2048..2047
  int32_t stepIndex;  // 0..48
};

// Both directions start from predictor 0, step index 0 (zeroed state).
uint8_t OkiAdpcmEncode(OkiAdpcmState* state, int32_t sample12);
int16_t OkiAdpcmDecode(OkiAdpcmState* state, uint8_t nibble);

}  // namespace kvo::backend
