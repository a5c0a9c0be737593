// G.711 companding against the reference code tables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "backend/audio/g711.h"

namespace {

using namespace kvo::backend;

TEST(BackendG711, EveryAlawCodeSurvivesDecodeEncode) {
  for (int c = 0; c < 256; ++c) EXPECT_EQ(LinearToAlaw(AlawToLinear(static_cast<uint8_t>(c))), c) << c;
}

TEST(BackendG711, EveryUlawCodeSurvivesDecodeEncodeExceptNegativeZero) {
  for (int c = 0; c < 256; ++c) {
    if (c == 0x7F) continue;  // -0 decodes to 0, which encodes as +0 (0xFF)
    EXPECT_EQ(LinearToUlaw(UlawToLinear(static_cast<uint8_t>(c))), c) << c;
  }
  EXPECT_EQ(UlawToLinear(0x7F), 0);
  EXPECT_EQ(LinearToUlaw(0), 0xFF);
}

TEST(BackendG711, ReferenceDecoderValues) {
  struct Case {
    uint8_t code;
    int16_t linear;
  };
  const Case alaw[] = {{0xD5, 8}, {0x55, -8}, {0xAA, 32256}, {0x2A, -32256}, {0x80, 5504}, {0x00, -5504}};
  for (const Case& c : alaw) EXPECT_EQ(AlawToLinear(c.code), c.linear) << int{c.code};
  const Case ulaw[] = {{0xFF, 0}, {0x80, 32124}, {0x00, -32124}, {0xF0, 120}, {0x70, -120}, {0xFE, 8}};
  for (const Case& c : ulaw) EXPECT_EQ(UlawToLinear(c.code), c.linear) << int{c.code};
}

// Codes at both sides of every segment boundary (16-bit inputs: the 14-bit
// mu-law and 13-bit A-law decision values shifted up).
TEST(BackendG711, SegmentBoundaries) {
  struct Case {
    int16_t x;
    uint8_t code;
  };
  const Case ulaw[] = {{0, 0xFF},        {4 * 1, 0xFE},    {4 * 30, 0xF0},   {4 * 31, 0xEF},   {4 * 94, 0xE0},
                       {4 * 95, 0xDF},   {4 * 222, 0xD0},  {4 * 223, 0xCF},  {4 * 478, 0xC0},  {4 * 479, 0xBF},
                       {4 * 990, 0xB0},  {4 * 991, 0xAF},  {4 * 2014, 0xA0}, {4 * 2015, 0x9F}, {4 * 4062, 0x90},
                       {4 * 4063, 0x8F}, {4 * 8158, 0x80}, {32767, 0x80},    {-32768, 0x00}};
  for (const Case& c : ulaw) EXPECT_EQ(LinearToUlaw(c.x), c.code) << "ulaw " << c.x;

  const Case alaw[] = {{0, 0xD5},        {8 * 31, 0xDA},  {8 * 32, 0xC5},  {8 * 63, 0xCA},   {8 * 64, 0xF5},
                       {8 * 128, 0xE5},  {8 * 256, 0x95}, {8 * 512, 0x85}, {8 * 1024, 0xB5}, {8 * 2048, 0xA5},
                       {8 * 4095, 0xAA}, {32767, 0xAA},   {-1, 0x55},      {-32768, 0x2A}};
  for (const Case& c : alaw) EXPECT_EQ(LinearToAlaw(c.x), c.code) << "alaw " << c.x;
}

// Over the whole 16-bit range the decoded value stays within one
// quantisation step of the input and never decreases as the input grows.
TEST(BackendG711, QuantisationIsMonotonicAndWithinOneStep) {
  int lastA = -40000, lastU = -40000;
  for (int x = -32768; x <= 32767; ++x) {
    int a = AlawToLinear(LinearToAlaw(static_cast<int16_t>(x)));
    int u = UlawToLinear(LinearToUlaw(static_cast<int16_t>(x)));
    ASSERT_GE(a, lastA) << x;
    ASSERT_GE(u, lastU) << x;
    lastA = a;
    lastU = u;
    int mag = std::abs(x);
    int stepA = mag < 512 ? 16 : 16 << (31 - __builtin_clz(mag) - 8);
    int stepU = 8 << (31 - __builtin_clz(mag + 132) - 7);
    ASSERT_LE(std::abs(a - x), stepA) << x;
    if (mag <= 32124) {
      ASSERT_LE(std::abs(u - x), stepU + 4) << x;  // + the 16-to-14-bit truncation
    }
  }
}

}  // namespace
