// Mixing of a background sound (16-bit little-endian PCM after a 44-byte
// WAV header) into each finished block. The file is read through a callback
// so that the engine can route it through its read cache.
#pragma once

#include <cstdint>

namespace kvo::backend {

constexpr int32_t kBackgroundDataStart = 44;

// Reads up to n bytes at offset into dst; returns the bytes read (<= 0 on failure or at the end).
typedef int32_t (*BackgroundReadFn)(void* user, int32_t offset, uint8_t* dst, int32_t n);

struct BackgroundSound {
  BackgroundReadFn read;  // null: no background sound
  void* user;
  int32_t playOnce;     // 1: stop at the end; otherwise loop back to the data start
  int32_t level;        // -32768..32767, 0 = plain sum
  int32_t endPosition;  // end of the data in bytes from the start of the file
  int32_t readPosition;
};

// Attaches a source (read may be null to detach) and rewinds to the data start.
void BackgroundAttach(BackgroundSound* bg, BackgroundReadFn read, void* user);

// Adds the next background bytes to the first samples of a block of
// byteCount bytes. Sums saturate to 16 bits.
void MixBackground(BackgroundSound* bg, int16_t* samples, int32_t byteCount);

}  // namespace kvo::backend
