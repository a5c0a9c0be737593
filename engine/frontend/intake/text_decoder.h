// Decoding of raw input chunks into 16-bit character codes, with multi-byte
// characters that a chunk boundary splits carried to the next chunk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvo::frontend {

// Decoded codes before conversion: Unicode code points (BMP) for the UTF
// code pages, lead byte low / trail byte high for GBK and Big5. A malformed
// or truncated sequence yields 0xFFFF; a character outside the BMP yields
// one 0xFFFF.
struct DecoderState {
  int codePage = 0;
  uint8_t pending[4] = {};  // bytes of a character cut by the chunk end
  uint8_t pendingCount = 0;
  int64_t pendingOffset = 0;  // absolute offset of the first pending byte
};

void DecoderReset(DecoderState* state, int codePage);

struct DecodeOutput {
  uint16_t* codes;
  int64_t* offsets;  // absolute byte offset of each code's first byte
  size_t capacity;
  size_t count;
};

// Decodes chunk[*position...] until the chunk is used up or the output is
// full. chunkOffset is the absolute offset of chunk[0] in the whole input.
// Bytes of an incomplete character at the chunk end are kept pending.
void DecodeChunk(DecoderState* state, const uint8_t* chunk, size_t length, size_t* position, int64_t chunkOffset,
                 DecodeOutput* out);

// At the end of the input: a pending incomplete character becomes one
// 0xFFFF (if there is room). Returns true when nothing is left pending.
bool DecoderFinish(DecoderState* state, DecodeOutput* out);

}  // namespace kvo::frontend
