// Decoding of the fixed parts of the lexicon format.
#include <gtest/gtest.h>

#include "frontend/lexicon/lexicon_reader.h"

TEST(LexiconFormat, FrequencyCodeBandEdges) {
  struct Case {
    int code;
    uint32_t frequency;
  };
  const Case cases[] = {
      {0, 0},       {1, 1},       {49, 49},  // F
      {50, 51},     {74, 99},                // 2F - 49
      {75, 102},    {99, 198},               // 4F - 198
      {100, 205},   {129, 495},              // 10F - 795
      {130, 525},   {139, 975},              // 50F - 5975
      {140, 1050},  {179, 4950},             // 100F - 12950
      {180, 5100},  {204, 9900},             // 200F - 30900
      {205, 10500}, {254, 59500},            // 1000F - 194500
      {255, 60000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LexiconFrequency(static_cast<uint8_t>(c.code)), c.frequency) << "code " << c.code;
  }
  for (int code = 1; code < 256; ++code) {
    EXPECT_LT(LexiconFrequency(static_cast<uint8_t>(code - 1)), LexiconFrequency(static_cast<uint8_t>(code)))
        << "frequencies must rise with the code at " << code;
  }
}

TEST(LexiconFormat, EntryHeaderFields) {
  struct Case {
    uint16_t header;
    int length;
    int size;
  };
  const Case cases[] = {
      {0x0400, 1, 4},                      // one character, header and one short reading
      {0x0E10, 2, 14}, {0xFFF0, 16, 255},  // longest word, largest entry
      {0x220F, 1, 34},                     // bits 0-3 carry nothing
      {0x0000, 1, 0},
  };
  for (const Case& c : cases) {
    const LexiconEntryHeader h = DecodeLexiconEntryHeader(c.header);
    EXPECT_EQ(h.length, c.length) << std::hex << c.header;
    EXPECT_EQ(h.size, c.size) << std::hex << c.header;
  }
}

TEST(LexiconFormat, HanziIndexCoversExactlyTheGb2312Block) {
  struct Case {
    uint16_t code;
    int index;
  };
  const Case cases[] = {
      {0xA1B0, 0},  // first hanzi (lead 0xB0, trail 0xA1)
      {0xFEB0, 93}, {0xA1B1, 94}, {0xBBD2, (0xD2 - 0xB0) * 94 + (0xBB - 0xA1)}, {0xFEF7, 6767},  // last
      {0xA1AF, -1},  // lead below the hanzi rows
      {0xA1F8, -1},  // lead above them
      {0xA0B0, -1},  // trail below 0xA1
      {0xFFB0, -1},  // trail 0xFF
      {0x0041, -1},  // ASCII
      {0xA1A3, -1},  // full-width punctuation
  };
  for (const Case& c : cases) EXPECT_EQ(LexiconHanziIndex(c.code), c.index) << std::hex << c.code;
}
