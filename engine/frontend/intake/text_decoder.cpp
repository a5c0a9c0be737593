#include "frontend/intake/text_decoder.h"

#include "frontend/intake/code_pages.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

void DecoderReset(DecoderState* state, int codePage) {
  *state = DecoderState{};
  state->codePage = codePage;
}

namespace {

// The pending bytes followed by the unread rest of the chunk.
class ByteStream {
 public:
  ByteStream(DecoderState* s, const uint8_t* chunk, size_t length, size_t* position, int64_t chunkOffset)
      : s_(s), chunk_(chunk), length_(length), position_(position), chunkOffset_(chunkOffset) {}

  size_t available() const { return s_->pendingCount + (length_ - *position_); }
  uint8_t at(size_t k) const {
    return k < s_->pendingCount ? s_->pending[k] : chunk_[*position_ + k - s_->pendingCount];
  }
  int64_t offset() const {
    return s_->pendingCount > 0 ? s_->pendingOffset : chunkOffset_ + static_cast<int64_t>(*position_);
  }
  void consume(size_t n) {
    if (n < s_->pendingCount) {
      const size_t kept = s_->pendingCount < 4 ? s_->pendingCount : 4;
      for (size_t i = n; i < kept; ++i) s_->pending[i - n] = s_->pending[i];
      s_->pendingCount = static_cast<uint8_t>(s_->pendingCount - n);
      s_->pendingOffset += static_cast<int64_t>(n);
      return;
    }
    *position_ += n - s_->pendingCount;
    s_->pendingCount = 0;
  }
  // Everything left is an incomplete character: keep it for the next chunk.
  void keepRestPending() {
    const size_t n = available();  // fewer than 4 by construction
    uint8_t bytes[4];
    for (size_t k = 0; k < n && k < 4; ++k) bytes[k] = at(k);
    const int64_t first = offset();
    for (size_t k = 0; k < n && k < 4; ++k) s_->pending[k] = bytes[k];
    s_->pendingCount = static_cast<uint8_t>(n);
    s_->pendingOffset = first;
    *position_ = length_;
  }

 private:
  DecoderState* s_;
  const uint8_t* chunk_;
  size_t length_;
  size_t* position_;
  int64_t chunkOffset_;
};

void Emit(DecodeOutput* out, uint16_t code, int64_t offset) {
  out->codes[out->count] = code;
  out->offsets[out->count] = offset;
  ++out->count;
}

// Returns false when the character is incomplete (kept pending).
bool DecodeUtf8(ByteStream& in, DecodeOutput* out) {
  const uint8_t b0 = in.at(0);
  const int64_t offset = in.offset();
  if (b0 < 0x80) {
    Emit(out, b0, offset);
    in.consume(1);
    return true;
  }
  size_t need;
  uint32_t cp;
  uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 3;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;  // overlong
    if (b0 == 0xED) hi = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 4;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    Emit(out, kCodeUnconvertible, offset);
    in.consume(1);
    return true;
  }
  for (size_t k = 1; k < need; ++k) {
    if (k >= in.available()) {
      in.keepRestPending();
      return false;
    }
    const uint8_t b = in.at(k);
    const bool ok = k == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
    if (!ok) {  // the valid prefix reads as one unconvertible character
      Emit(out, kCodeUnconvertible, offset);
      in.consume(k);
      return true;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  Emit(out, need == 4 ? kCodeUnconvertible : static_cast<uint16_t>(cp), offset);
  in.consume(need);
  return true;
}

bool DecodeDoubleByte(ByteStream& in, DecodeOutput* out) {
  const uint8_t b0 = in.at(0);
  const int64_t offset = in.offset();
  if (b0 < 0x80) {
    Emit(out, b0, offset);
    in.consume(1);
    return true;
  }
  if (b0 == 0x80 || b0 == 0xFF) {  // never a lead byte
    Emit(out, kCodeUnconvertible, offset);
    in.consume(1);
    return true;
  }
  if (in.available() < 2) {
    in.keepRestPending();
    return false;
  }
  const uint8_t b1 = in.at(1);
  if (b1 < 0x40 || b1 == 0xFF) {  // not a trail byte: do not swallow it
    Emit(out, kCodeUnconvertible, offset);
    in.consume(1);
    return true;
  }
  Emit(out, static_cast<uint16_t>(b0 | (b1 << 8)), offset);
  in.consume(2);
  return true;
}

bool DecodeUtf16(ByteStream& in, DecodeOutput* out, bool bigEndian) {
  if (in.available() < 2) {
    in.keepRestPending();
    return false;
  }
  const int64_t offset = in.offset();
  auto unit = [&](size_t k) -> uint16_t {
    const uint8_t a = in.at(k), b = in.at(k + 1);
    return bigEndian ? static_cast<uint16_t>((a << 8) | b) : static_cast<uint16_t>(a | (b << 8));
  };
  const uint16_t u = unit(0);
  if (u >= 0xD800 && u <= 0xDBFF) {
    if (in.available() < 4) {
      in.keepRestPending();
      return false;
    }
    const uint16_t next = unit(2);
    if (next >= 0xDC00 && next <= 0xDFFF) {  // outside the BMP: one character
      Emit(out, kCodeUnconvertible, offset);
      in.consume(4);
      return true;
    }
    Emit(out, kCodeUnconvertible, offset);  // lone high surrogate
    in.consume(2);
    return true;
  }
  Emit(out, (u >= 0xDC00 && u <= 0xDFFF) ? kCodeUnconvertible : u, offset);
  in.consume(2);
  return true;
}

}  // namespace

void DecodeChunk(DecoderState* state, const uint8_t* chunk, size_t length, size_t* position, int64_t chunkOffset,
                 DecodeOutput* out) {
  if (chunk == nullptr) length = 0;
  if (*position > length) *position = length;
  ByteStream in(state, chunk, length, position, chunkOffset);
  while (out->count < out->capacity && in.available() > 0) {
    if (*position >= length && state->pendingCount > 0) break;  // wait for more bytes
    bool complete;
    switch (state->codePage) {
      case kCodePageUtf8:
        complete = DecodeUtf8(in, out);
        break;
      case kCodePageUtf16Le:
        complete = DecodeUtf16(in, out, false);
        break;
      case kCodePageUtf16Be:
        complete = DecodeUtf16(in, out, true);
        break;
      default:
        complete = DecodeDoubleByte(in, out);
        break;
    }
    if (!complete) break;
  }
}

bool DecoderFinish(DecoderState* state, DecodeOutput* out) {
  if (state->pendingCount == 0) return true;
  if (out->count >= out->capacity) return false;
  Emit(out, kCodeUnconvertible, state->pendingOffset);
  state->pendingCount = 0;
  return true;
}

}  // namespace kvo::frontend
