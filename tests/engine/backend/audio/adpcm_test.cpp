// IMA and Dialogic ADPCM codecs: round trips of a tone and the IMA block layout.
#include <gtest/gtest.h>

#include "backend/audio/ima_adpcm.h"
#include "backend/audio/oki_adpcm.h"
#include "signal_measure.h"

namespace {

using namespace kvo::backend;

TEST(BackendImaAdpcm, ToneRoundTripsThroughBlocksAndCarriesTheStepIndex) {
  const int kBlocks = 6;
  std::vector<int16_t> tone = Sine(1000, 16000, kBlocks * kImaBlockSamples, 12000);
  std::vector<int16_t> decoded(tone.size());
  int32_t index = 0;
  for (int b = 0; b < kBlocks; ++b) {
    uint8_t block[kImaBlockBytes];
    const int16_t* in = tone.data() + b * kImaBlockSamples;
    int32_t indexBefore = index;
    ImaEncodeBlock(in, &index, block);
    // Header: first sample little-endian, the step index the block starts with, a zero byte.
    EXPECT_EQ(static_cast<int16_t>(block[0] | (block[1] << 8)), in[0]);
    EXPECT_EQ(block[2], indexBefore);
    EXPECT_EQ(block[3], 0);
    ASSERT_TRUE(ImaDecodeBlock(block, decoded.data() + b * kImaBlockSamples));
    EXPECT_EQ(decoded[b * kImaBlockSamples], in[0]);
  }
  EXPECT_GT(index, 0);
  // Skip the first block's adaptation from the smallest step.
  std::vector<double> ref = ToDouble(tone.data() + kImaBlockSamples, tone.size() - kImaBlockSamples);
  std::vector<double> got = ToDouble(decoded.data() + kImaBlockSamples, decoded.size() - kImaBlockSamples);
  EXPECT_GT(SnrDb(ref, got), 25.0);
}

TEST(BackendImaAdpcm, FullScaleSquareWaveStaysInRange) {
  std::vector<int16_t> square(kImaBlockSamples);
  for (int i = 0; i < kImaBlockSamples; ++i) square[i] = (i / 20) % 2 ? 32767 : -32768;
  int32_t index = 88;
  uint8_t block[kImaBlockBytes];
  ImaEncodeBlock(square.data(), &index, block);
  std::vector<int16_t> decoded(kImaBlockSamples);
  ASSERT_TRUE(ImaDecodeBlock(block, decoded.data()));
  EXPECT_LE(index, 88);
  EXPECT_GT(SnrDb(ToDouble(square.data(), square.size()), ToDouble(decoded.data(), decoded.size())), 6.0);
}

TEST(BackendImaAdpcm, DecoderRejectsAStepIndexOutOfRange) {
  uint8_t block[kImaBlockBytes] = {0, 0, 89, 0};
  int16_t samples[kImaBlockSamples];
  EXPECT_FALSE(ImaDecodeBlock(block, samples));
}

TEST(BackendOkiAdpcm, ToneRoundTripsWithinTwelveBits) {
  std::vector<int16_t> tone = Sine(440, 8000, 4000, 1500);  // 12-bit domain
  OkiAdpcmState enc{0, 0}, dec{0, 0};
  std::vector<double> ref, got;
  for (size_t i = 0; i < tone.size(); ++i) {
    uint8_t nibble = OkiAdpcmEncode(&enc, tone[i]);
    ASSERT_LT(nibble, 16);
    int16_t y = OkiAdpcmDecode(&dec, nibble);
    ASSERT_EQ(y, enc.predictor);  // decoder tracks the encoder exactly
    if (i >= 200) {
      ref.push_back(tone[i]);
      got.push_back(y);
    }
  }
  EXPECT_GT(SnrDb(ref, got), 20.0);
}

TEST(BackendOkiAdpcm, ClampsAtTwelveBits) {
  OkiAdpcmState enc{0, 0};
  for (int i = 0; i < 200; ++i) OkiAdpcmEncode(&enc, (i / 10) % 2 ? 2047 : -2047);
  EXPECT_GE(enc.predictor, -2048);
  EXPECT_LE(enc.predictor, 2047);
  EXPECT_GE(enc.stepIndex, 0);
  EXPECT_LE(enc.stepIndex, 48);
}

}  // namespace
