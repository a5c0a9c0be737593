#include "backend/audio/ima_adpcm.h"

#include "core/saturate.h"

namespace kvo::backend {

namespace {

const int16_t kImaStep[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
                              25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
                              88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
                              307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
                              1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
                              3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
                              12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int8_t kIndexChange[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

struct Coder {
  int32_t predictor;
  int32_t index;

  void Apply(int nibble) {
    int step = kImaStep[index];
    int delta = step >> 3;
    if (nibble & 4) delta += step;
    if (nibble & 2) delta += step >> 1;
    if (nibble & 1) delta += step >> 2;
    predictor = ClampInt32(predictor + ((nibble & 8) ? -delta : delta), -32768, 32767);
    index = ClampInt32(index + kIndexChange[nibble & 7], 0, 88);
  }

  int Encode(int sample) {
    int step = kImaStep[index];
    int diff = sample - predictor;
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
    Apply(nibble);
    return nibble;
  }
};

}  // namespace

void ImaEncodeBlock(const int16_t* samples, int32_t* stepIndex, uint8_t* block) {
  Coder c{samples[0], ClampInt32(*stepIndex, 0, 88)};
  uint16_t first = static_cast<uint16_t>(samples[0]);
  block[0] = static_cast<uint8_t>(first & 0xFF);
  block[1] = static_cast<uint8_t>(first >> 8);
  block[2] = static_cast<uint8_t>(c.index);
  block[3] = 0;
  for (int i = 0; i < (kImaBlockSamples - 1) / 2; ++i) {
    int lo = c.Encode(samples[1 + 2 * i]);
    int hi = c.Encode(samples[2 + 2 * i]);
    block[4 + i] = static_cast<uint8_t>(lo | (hi << 4));
  }
  *stepIndex = c.index;
}

bool ImaDecodeBlock(const uint8_t* block, int16_t* samples) {
  if (block[2] > 88) return false;
  int16_t first = static_cast<int16_t>(static_cast<uint16_t>(block[0] | (block[1] << 8)));
  Coder c{first, block[2]};
  samples[0] = first;
  for (int i = 0; i < (kImaBlockSamples - 1) / 2; ++i) {
    c.Apply(block[4 + i] & 0x0F);
    samples[1 + 2 * i] = static_cast<int16_t>(c.predictor);
    c.Apply(block[4 + i] >> 4);
    samples[2 + 2 * i] = static_cast<int16_t>(c.predictor);
  }
  return true;
}

}  // namespace kvo::backend
