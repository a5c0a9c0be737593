// G.729 frame unpacking and the pitch parity check on hand-made frames.
#include <gtest/gtest.h>

#include <cstdint>

#include "backend/domain/g729_decoder.h"

namespace g729 = kvo::backend::g729;

namespace {

struct UnpackCase {
  const char* name;
  uint8_t frame[10];
  uint16_t params[11];
};

// Words are little-endian; bits run from the first word's MSB.
const UnpackCase kUnpackCases[] = {
    {"zeros", {0}, {0}},
    {"ones",
     {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff},
     {255, 1023, 255, 1, 8191, 15, 127, 31, 8191, 15, 127}},
    // word 0 = 0x8001: L0 (MSB) set, and bit 15 is the third bit of L2|L3.
    {"first word", {0x01, 0x80, 0, 0, 0, 0, 0, 0, 0, 0}, {128, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    // bit 26 (word 1, bit 5) is the parity bit P0.
    {"parity bit", {0, 0, 0x20, 0x00, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
    // P1 spans bits 18..25: word 1 bits 13..6.
    {"first pitch", {0, 0, 0xc0, 0x3f, 0, 0, 0, 0, 0, 0}, {0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0}},
    // The last bit of the frame is the LSB of GA2|GB2.
    {"last bit", {0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
    // C2 is bits 56..68: word 3 bits 7..0 and word 4 bits 15..11.
    {"second code", {0, 0, 0, 0, 0, 0, 0xff, 0x00, 0x00, 0xf8}, {0, 0, 0, 0, 0, 0, 0, 0, 8191, 0, 0}},
};

TEST(G729Unpack, SplitsTheEightyBitsInTransmissionOrder) {
  for (const UnpackCase& c : kUnpackCases) {
    uint16_t params[11];
    g729::UnpackFrame(c.frame, params);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(params[i], c.params[i]) << c.name << " parameter " << i;
  }
}

TEST(G729Unpack, ParameterWidthsAddUpToEightyBits) {
  int total = 0;
  for (int w : g729::kParamBits) total += w;
  EXPECT_EQ(total, 80);
}

TEST(G729Unpack, ParityCoversTheSixHighBitsOfThePitchIndex) {
  struct Case {
    uint16_t p1, p0;
    int error;
  };
  const Case cases[] = {
      {0x00, 1, 0}, {0x00, 0, 1},  // even number of ones: parity bit 1
      {0x04, 0, 0}, {0x04, 1, 1},  // bit 2 counts
      {0x03, 1, 0},                // bits 0 and 1 do not count
      {0x80, 0, 0}, {0xfc, 1, 0},  // bit 7 counts; six ones
  };
  for (const Case& c : cases) {
    EXPECT_EQ(g729::PitchParityError(c.p1, c.p0), c.error) << "p1=" << c.p1 << " p0=" << c.p0;
  }
}

}  // namespace
