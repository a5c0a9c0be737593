#include "backend/audio/background_mix.h"

#include <cstring>

#include "core/saturate.h"

namespace kvo::backend {

namespace {

constexpr int32_t kReadChunkBytes = 512;

int32_t Scale(int32_t sample, int32_t level) {
  if (level > 0) return static_cast<int32_t>(static_cast<int64_t>(sample) * (level + 32767) / 32767);
  if (level < 0)
    return static_cast<int32_t>(static_cast<int64_t>(sample) * 32768 / (32768 - static_cast<int64_t>(level)));
  return sample;
}

}  // namespace

void BackgroundAttach(BackgroundSound* bg, BackgroundReadFn read, void* user) {
  if (!bg) return;
  bg->read = read;
  bg->user = user;
  bg->readPosition = kBackgroundDataStart;
}

void MixBackground(BackgroundSound* bg, int16_t* samples, int32_t byteCount) {
  if (!bg || !bg->read || !samples || byteCount <= 0 || bg->endPosition <= kBackgroundDataStart) return;
  if (bg->readPosition < kBackgroundDataStart) bg->readPosition = kBackgroundDataStart;
  int32_t remaining = bg->endPosition - bg->readPosition;
  // Whole samples only, so the read position never lands between two bytes of a sample.
  if (remaining < 2) {
    if (bg->playOnce == 1) return;
    bg->readPosition = kBackgroundDataStart;
    remaining = bg->endPosition - kBackgroundDataStart;
    if (remaining < 2) return;
  }
  int32_t n = byteCount < remaining ? byteCount : remaining;
  n &= ~1;
  const int32_t level = bg->level;
  for (int32_t done = 0; done < n;) {
    uint8_t buf[kReadChunkBytes];
    int32_t want = n - done < kReadChunkBytes ? n - done : kReadChunkBytes;
    std::memset(buf, 0, sizeof buf);  // a short read adds silence
    int32_t got = bg->read(bg->user, bg->readPosition + done, buf, want);
    (void)got;
    for (int32_t b = 0; b < want; b += 2) {
      int16_t s = static_cast<int16_t>(static_cast<uint16_t>(buf[b] | (buf[b + 1] << 8)));
      int16_t& dst = samples[(done + b) / 2];
      dst = SaturateToInt16(static_cast<int32_t>(dst) + Scale(s, level));
    }
    done += want;
  }
  bg->readPosition += n;
}

}  // namespace kvo::backend
