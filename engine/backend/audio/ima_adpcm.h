// IMA ADPCM, mono WAV block layout: 4-byte header (first sample as 16-bit
// little-endian, step index, zero byte) followed by the remaining samples
// as 4-bit codes, two per byte, the earlier sample in the low nibble.
#pragma once

#include <cstdint>

namespace kvo::backend {

constexpr int kImaBlockBytes = 256;
constexpr int kImaBlockSamples = 505;  // header sample + 2 * 252 nibbles

// Encodes kImaBlockSamples samples into one block; *stepIndex carries over
// from block to block (0..88).
void ImaEncodeBlock(const int16_t* samples, int32_t* stepIndex, uint8_t* block);

// Decodes one block into kImaBlockSamples samples; returns false for a
// header with a step index outside 0..88.
bool ImaDecodeBlock(const uint8_t* block, int16_t* samples);

}  // namespace kvo::backend
