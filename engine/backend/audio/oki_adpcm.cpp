#include "backend/audio/oki_adpcm.h"

#include "core/saturate.h"

namespace kvo::backend {

namespace {

const int16_t kOkiStep[49] = {16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
                              80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
                              408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
const int8_t kIndexChange[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

void Advance(OkiAdpcmState* s, int nibble, int step) {
  int delta = step >> 3;
  if (nibble & 4) delta += step;
  if (nibble & 2) delta += step >> 1;
  if (nibble & 1) delta += step >> 2;
  s->predictor = ClampInt32(s->predictor + ((nibble & 8) ? -delta : delta), -2048, 2047);
  s->stepIndex = ClampInt32(s->stepIndex + kIndexChange[nibble & 7], 0, 48);
}

}  // namespace

uint8_t OkiAdpcmEncode(OkiAdpcmState* s, int32_t sample12) {
  s->stepIndex = ClampInt32(s->stepIndex, 0, 48);
  int step = kOkiStep[s->stepIndex];
  int diff = sample12 - s->predictor;
  int nibble = 0;
  if (diff < 0) {
    nibble = 8;
    diff = -diff;
  }
  if (diff >= step) {
    nibble |= 4;
    diff -= step;
  }
  if (diff >= (step >> 1)) {
    nibble |= 2;
    diff -= step >> 1;
  }
  if (diff >= (step >> 2)) nibble |= 1;
  Advance(s, nibble, step);
  return static_cast<uint8_t>(nibble);
}

int16_t OkiAdpcmDecode(OkiAdpcmState* s, uint8_t nibble) {
  s->stepIndex = ClampInt32(s->stepIndex, 0, 48);
  Advance(s, nibble & 0x0F, kOkiStep[s->stepIndex]);
  return static_cast<int16_t>(s->predictor);
}

}  // namespace kvo::backend
