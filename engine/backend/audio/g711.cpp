#include "backend/audio/g711.h"

namespace kvo::backend {

namespace {

// Upper ends of the eight segments, in the encoders' reduced-magnitude domain.
const int16_t kAlawSegmentEnd[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
const int16_t kUlawSegmentEnd[8] = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
const int kUlawBias = 0x21;
const int kUlawClip = 8159;

int Segment(int value, const int16_t* ends) {
  for (int seg = 0; seg < 8; ++seg)
    if (value <= ends[seg]) return seg;
  return 8;
}

}  // namespace

uint8_t LinearToAlaw(int16_t sample) {
  int v = sample >> 3;  // 13-bit magnitude domain
  int mask;
  if (v >= 0) {
    mask = 0xD5;  // sign bit set, even bits inverted
  } else {
    mask = 0x55;
    v = -v - 1;
  }
  int seg = Segment(v, kAlawSegmentEnd);
  if (seg >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  int code = seg << 4;
  code |= (seg < 2) ? ((v >> 1) & 0x0F) : ((v >> seg) & 0x0F);
  return static_cast<uint8_t>(code ^ mask);
}

uint8_t LinearToUlaw(int16_t sample) {
  int v = sample >> 2;  // 14-bit magnitude domain
  int mask;
  if (v < 0) {
    v = -v;
    mask = 0x7F;
  } else {
    mask = 0xFF;
  }
  if (v > kUlawClip) v = kUlawClip;
  v += kUlawBias;
  int seg = Segment(v, kUlawSegmentEnd);
  if (seg >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  int code = (seg << 4) | ((v >> (seg + 1)) & 0x0F);
  return static_cast<uint8_t>(code ^ mask);
}

int16_t AlawToLinear(uint8_t code) {
  int a = code ^ 0x55;
  int t = (a & 0x0F) << 4;
  int seg = (a & 0x70) >> 4;
  if (seg == 0) {
    t += 8;
  } else {
    t += 0x108;
    t <<= seg - 1;
  }
  return static_cast<int16_t>((a & 0x80) ? t : -t);
}

int16_t UlawToLinear(uint8_t code) {
  int u = ~code & 0xFF;
  int t = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
  return static_cast<int16_t>((u & 0x80) ? (0x84 - t) : (t - 0x84));
}

}  // namespace kvo::backend
