// Output format conversion: rates, widths, G.711, VOX and IMA streams.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "backend/audio/audio_format.h"
#include "backend/audio/format_converter.h"
#include "backend/audio/g711.h"
#include "backend/audio/ima_adpcm.h"
#include "backend/audio/oki_adpcm.h"
#include "signal_measure.h"

namespace {

using namespace kvo::backend;

// Converts one piece; fails the test when the converter refuses it.
std::vector<uint8_t> Convert(FormatConverterState* st, const std::vector<int16_t>& in) {
  std::vector<uint8_t> out(ConvertedBytesMax(st, static_cast<int32_t>(in.size())) + 1);
  int32_t n =
      ConvertSamples(st, in.data(), static_cast<int32_t>(in.size()), out.data(), static_cast<int32_t>(out.size()));
  EXPECT_GE(n, 0);
  out.resize(n < 0 ? 0 : n);
  return out;
}

std::vector<double> Pcm16(const std::vector<uint8_t>& bytes) {
  std::vector<double> v;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    v.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
  return v;
}

TEST(BackendAudioFormat, OutputFormatOfEveryCode) {
  struct Case {
    int32_t code, rate, width;
  } cases[] = {{0, 16000, 16}, {1, 8000, 8},  {2, 8000, 16},  {3, 16000, 8},  {4, 16000, 16},  {5, 11025, 8},
               {6, 11025, 16}, {7, 22050, 8}, {8, 22050, 16}, {9, 44100, 8},  {10, 44100, 16}, {11, 6000, 8},
               {12, 8000, 8},  {13, 8000, 8}, {14, 8000, 8},  {15, 16000, 16}};
  for (const Case& c : cases) {
    int32_t rate = 0, width = 0;
    ASSERT_EQ(OutputFormat(16000, 16, c.code, &rate, &width), kBackendOk) << c.code;
    EXPECT_EQ(rate, c.rate) << c.code;
    EXPECT_EQ(width, c.width) << c.code;
  }
  int32_t rate = 0, width = 0;
  EXPECT_EQ(OutputFormat(11025, 8, 0, &rate, &width), kBackendOk);
  EXPECT_EQ(rate, 11025);
  EXPECT_EQ(width, 8);
  EXPECT_EQ(OutputFormat(16000, 16, 16, &rate, &width), kBackendInvalidArgument);
  EXPECT_EQ(OutputFormat(16000, 16, -1, &rate, &width), kBackendInvalidArgument);
  EXPECT_EQ(OutputFormat(16000, 12, 4, &rate, &width), kBackendInvalidArgument);
}

TEST(BackendAudioFormat, SilenceBytes) {
  EXPECT_EQ(FormatSilenceByte(kAudioFormatAlaw8k8bit, 16), 0xD5);
  EXPECT_EQ(FormatSilenceByte(kAudioFormatUlaw8k8bit, 16), 0xFF);
  EXPECT_EQ(FormatSilenceByte(kAudioFormatVox8k4bit, 16), 0);
  EXPECT_EQ(FormatSilenceByte(kAudioFormatPcm8k8bit, 16), 128);
  EXPECT_EQ(FormatSilenceByte(kAudioFormatPcm16k16bit, 16), 0);
  EXPECT_EQ(FormatSilenceByte(kAudioFormatAuto, 8), 128);
  EXPECT_EQ(FormatSilenceByte(kAudioFormatImaAdpcm, 16), -1);
  // The fill bytes are what the encoders produce for a zero sample.
  EXPECT_EQ(LinearToAlaw(0), 0xD5);
  EXPECT_EQ(LinearToUlaw(0), 0xFF);
}

TEST(BackendFormatConverter, SameRateAndWidthPassesSamplesUnchanged) {
  FormatConverterState st;
  ASSERT_EQ(FormatConverterInit(&st, kAudioFormatAuto, 16000, 16), kBackendOk);
  std::vector<int16_t> in = Sine(1234, 16000, 999, 30000);
  in[5] = -32768;
  std::vector<double> out = Pcm16(Convert(&st, in));
  EXPECT_EQ(out, ToDouble(in.data(), in.size()));
}

TEST(BackendFormatConverter, EightBitOutputIsUnsignedHighByte) {
  FormatConverterState st;
  ASSERT_EQ(FormatConverterInit(&st, kAudioFormatAuto, 8000, 8), kBackendOk);
  std::vector<uint8_t> out = Convert(&st, {0, -32768, 32767, 256, -1});
  EXPECT_EQ(out, (std::vector<uint8_t>{128, 0, 255, 129, 127}));
}

TEST(BackendFormatConverter, HalvingTheRateGivesHalfTheSamples) {
  FormatConverterState st;
  ASSERT_EQ(FormatConverterInit(&st, kAudioFormatPcm8k8bit, 16000, 16), kBackendOk);
  EXPECT_EQ(Convert(&st, std::vector<int16_t>(1600, 1000)).size(), 800u);
}

struct ToneCase {
  int32_t libraryRate, code, outRate;
};

TEST(BackendFormatConverter, ToneKeepsItsFrequency) {
  const ToneCase cases[] = {{16000, kAudioFormatPcm8k16bit, 8000},
                            {16000, kAudioFormatPcm11k16bit, 11025},
                            {22050, kAudioFormatPcm16k16bit, 16000},
                            {8000, kAudioFormatPcm16k16bit, 16000},
                            {16000, kAudioFormatPcm44k16bit, 44100}};
  for (const ToneCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.libraryRate << " -> " << c.outRate);
    FormatConverterState st;
    ASSERT_EQ(FormatConverterInit(&st, c.code, c.libraryRate, 16), kBackendOk);
    std::vector<double> out = Pcm16(Convert(&st, Sine(1000, c.libraryRate, c.libraryRate / 4, 10000)));
    EXPECT_NEAR(out.size(), c.outRate / 4.0, 1.0);
    EXPECT_NEAR(DominantFrequency(out, c.outRate, 10), 1000, 10);
    EXPECT_NEAR(ToneMagnitude(out, 1000, c.outRate), 5000, 500);  // Hann-weighted A/2
  }
}

TEST(BackendFormatConverter, AntiAliasFilterSuppressesTonesAboveTheNewNyquistRate) {
  struct Case {
    int32_t code, outRate;
    double aliasHz, minDb;
  } cases[] = {{kAudioFormatPcm8k16bit, 8000, 1000, 40}, {kAudioFormatPcm11k16bit, 11025, 4025, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outRate);
    FormatConverterState st;
    ASSERT_EQ(FormatConverterInit(&st, c.code, 16000, 16), kBackendOk);
    std::vector<double> out = Pcm16(Convert(&st, Sine(7000, 16000, 8000, 20000)));
    double alias = ToneMagnitude(out, c.aliasHz, c.outRate);
    EXPECT_LT(20 * std::log10(alias / 10000.0), -c.minDb);
  }
}

// Cutting the input into pieces of any size changes nothing: the filter
// history and the resampling phase carry over.
TEST(BackendFormatConverter, PiecesJoinExactlyThroughTheFilterHistoryAndPhase) {
  struct Case {
    int32_t code;
    int32_t libraryRate;
  } cases[] = {{kAudioFormatPcm8k16bit, 16000},  {kAudioFormatPcm8k8bit, 16000},  {kAudioFormatPcm11k16bit, 16000},
               {kAudioFormatAlaw8k8bit, 16000},  {kAudioFormatUlaw8k8bit, 11025}, {kAudioFormatPcm8k16bit, 11025},
               {kAudioFormatPcm16k16bit, 11025}, {kAudioFormatAlaw8k8bit, 22050}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "code " << c.code << " from " << c.libraryRate);
    std::vector<int16_t> signal = Sine(900, c.libraryRate, 4001, 15000);
    for (size_t i = 0; i < signal.size(); i += 37) signal[i] = static_cast<int16_t>(-signal[i]);
    FormatConverterState whole, pieces;
    ASSERT_EQ(FormatConverterInit(&whole, c.code, c.libraryRate, 16), kBackendOk);
    ASSERT_EQ(FormatConverterInit(&pieces, c.code, c.libraryRate, 16), kBackendOk);
    std::vector<uint8_t> expected = Convert(&whole, signal);
    std::vector<uint8_t> joined;
    const size_t sizes[] = {1, 2, 30, 501, 7, 999, 2461};
    size_t at = 0;
    for (size_t n : sizes) {
      std::vector<uint8_t> part = Convert(&pieces, std::vector<int16_t>(signal.begin() + at, signal.begin() + at + n));
      joined.insert(joined.end(), part.begin(), part.end());
      at += n;
    }
    ASSERT_EQ(at, signal.size());
    EXPECT_EQ(joined, expected);
  }
}

// Every PCM and G.711 format of one rate gives as many samples as the
// others, however the input is cut.
TEST(BackendFormatConverter, FormatsOfOneRateGiveTheSameSampleCount) {
  struct Rate {
    int32_t codes[4];
    int count;
  } rates[] = {{{kAudioFormatPcm8k8bit, kAudioFormatPcm8k16bit, kAudioFormatAlaw8k8bit, kAudioFormatUlaw8k8bit}, 4},
               {{kAudioFormatPcm11k8bit, kAudioFormatPcm11k16bit}, 2}};
  for (int32_t libraryRate : {16000, 11025, 22050}) {
    for (const Rate& r : rates) {
      std::vector<size_t> samples;
      for (int k = 0; k < r.count; ++k) {
        FormatConverterState st;
        ASSERT_EQ(FormatConverterInit(&st, r.codes[k], libraryRate, 16), kBackendOk);
        int32_t rate = 0, width = 0;
        ASSERT_EQ(OutputFormat(libraryRate, 16, r.codes[k], &rate, &width), kBackendOk);
        size_t bytes = 0;
        for (int32_t n : {333, 1, 1024, 77, 2047}) bytes += Convert(&st, std::vector<int16_t>(n, 1000)).size();
        samples.push_back(bytes * 8 / static_cast<size_t>(width));
      }
      for (size_t k = 1; k < samples.size(); ++k)
        EXPECT_EQ(samples[k], samples[0]) << "code " << r.codes[k] << " from " << libraryRate;
    }
  }
}

TEST(BackendFormatConverter, FullScaleInputSaturatesInsteadOfWrapping) {
  for (int16_t level : {int16_t{32767}, int16_t{-32768}}) {
    FormatConverterState st;
    ASSERT_EQ(FormatConverterInit(&st, kAudioFormatPcm8k16bit, 16000, 16), kBackendOk);
    std::vector<int16_t> in(400, level);
    for (size_t i = 0; i < in.size(); i += 2) in[i] = static_cast<int16_t>(-1 - level);  // square wave at Nyquist
    std::vector<double> out = Pcm16(Convert(&st, in));
    for (size_t i = 25; i < out.size(); ++i) EXPECT_LE(std::fabs(out[i]), 32768) << i;
    FormatConverterState dc;
    ASSERT_EQ(FormatConverterInit(&dc, kAudioFormatPcm8k16bit, 16000, 16), kBackendOk);
    std::vector<double> flat = Pcm16(Convert(&dc, std::vector<int16_t>(400, level)));
    for (size_t i = 25; i < flat.size(); ++i) EXPECT_NEAR(flat[i], level, 400) << i;
  }
}

TEST(BackendFormatConverter, G711SilenceIsTheFillByte) {
  struct Case {
    int32_t code;
    uint8_t fill;
  } cases[] = {{kAudioFormatAlaw8k8bit, 0xD5}, {kAudioFormatUlaw8k8bit, 0xFF}};
  for (const Case& c : cases) {
    FormatConverterState st;
    ASSERT_EQ(FormatConverterInit(&st, c.code, 16000, 16), kBackendOk);
    std::vector<uint8_t> out = Convert(&st, std::vector<int16_t>(640, 0));
    EXPECT_EQ(out, std::vector<uint8_t>(320, c.fill));
  }
}

TEST(BackendFormatConverter, G711At8kHzEncodesEverySample) {
  FormatConverterState st;
  ASSERT_EQ(FormatConverterInit(&st, kAudioFormatUlaw8k8bit, 8000, 16), kBackendOk);
  std::vector<int16_t> in = Sine(1000, 8000, 800, 20000);
  std::vector<uint8_t> out = Convert(&st, in);
  ASSERT_EQ(out.size(), in.size());  // the last sample of the piece is not dropped
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(out[i], LinearToUlaw(in[i])) << i;
}

TEST(BackendFormatConverter, G711FromOtherRatesKeepsTheTone) {
  for (int32_t rate : {11025, 16000, 22050}) {
    for (int32_t code : {kAudioFormatAlaw8k8bit, kAudioFormatUlaw8k8bit}) {
      SCOPED_TRACE(testing::Message() << rate << " code " << code);
      FormatConverterState st;
      ASSERT_EQ(FormatConverterInit(&st, code, rate, 16), kBackendOk);
      std::vector<uint8_t> out = Convert(&st, Sine(1000, rate, rate / 2, 16000));
      EXPECT_NEAR(out.size(), 4000, 1);
      std::vector<double> lin;
      for (uint8_t b : out) lin.push_back(code == kAudioFormatAlaw8k8bit ? AlawToLinear(b) : UlawToLinear(b));
      EXPECT_NEAR(DominantFrequency(lin, 8000, 10), 1000, 10);
      EXPECT_NEAR(ToneMagnitude(lin, 1000, 8000), 8000, 800);
      // Everything but the tone (power 2 mag^2) is quantisation noise, > 25 dB below it.
      double mag = ToneMagnitude(lin, 1000, 8000);
      double noise = Rms(lin) * Rms(lin) - 2 * mag * mag;
      EXPECT_LT(noise, 2 * mag * mag / 316);
    }
  }
}

std::vector<double> DecodeVox(const std::vector<uint8_t>& bytes, OkiAdpcmState* dec) {
  std::vector<double> v;
  for (uint8_t b : bytes) {
    v.push_back(OkiAdpcmDecode(dec, b >> 4));
    v.push_back(OkiAdpcmDecode(dec, b & 0x0F));
  }
  return v;
}

TEST(BackendFormatConverter, VoxPieceIsDataThenTwentyMillisecondsOfRest) {
  struct Case {
    int32_t libraryRate, code, count, dataBytes, tailBytes, outRate;
  } cases[] = {{8000, kAudioFormatVox8k4bit, 800, 400, 80, 8000},
               {16000, kAudioFormatVox8k4bit, 1600, 400, 80, 8000},
               {16000, kAudioFormatVox6k4bit, 1600, 300, 60, 6000},
               {8000, kAudioFormatVox8k4bit, 41, 21, 41, 8000}};  // odd: last byte padded; short: tail = count
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.libraryRate << " code " << c.code << " n " << c.count);
    FormatConverterState st;
    ASSERT_EQ(FormatConverterInit(&st, c.code, c.libraryRate, 16), kBackendOk);
    std::vector<int16_t> in = Sine(500, c.libraryRate, c.count, 18000);
    std::vector<uint8_t> out = Convert(&st, in);
    ASSERT_EQ(static_cast<int>(out.size()), c.dataBytes + c.tailBytes);
    OkiAdpcmState dec{0, 0};
    std::vector<double> decoded = DecodeVox(out, &dec);
    if (c.count >= 800) {
      std::vector<double> ref, got;
      for (int i = 100; i < 2 * c.dataBytes; ++i) {
        ref.push_back(in[static_cast<int64_t>(i) * c.libraryRate / c.outRate] / 12);
        got.push_back(decoded[i]);
      }
      EXPECT_GT(SnrDb(ref, got), 18.0);
      EXPECT_LE(std::fabs(decoded.back()), 16);  // decoder back near rest
    }
  }
}

TEST(BackendFormatConverter, ImaEmitsWholeBlocksAndKeepsTheRestPending) {
  FormatConverterState st;
  ASSERT_EQ(FormatConverterInit(&st, kAudioFormatImaAdpcm, 16000, 16), kBackendOk);
  std::vector<int16_t> signal = Sine(700, 16000, 3000, 9000);
  std::vector<uint8_t> stream;
  for (size_t at = 0; at < signal.size(); at += 300) {
    std::vector<uint8_t> part = Convert(&st, std::vector<int16_t>(signal.begin() + at, signal.begin() + at + 300));
    EXPECT_EQ(part.size() % kImaBlockBytes, 0u);
    if (at == 0) {
      EXPECT_TRUE(part.empty());
    }
    stream.insert(stream.end(), part.begin(), part.end());
  }
  ASSERT_EQ(stream.size(), 5u * kImaBlockBytes);  // 3000 samples: 5 blocks, 475 pending
  EXPECT_EQ(st.imaPendingCount, 3000 - 5 * kImaBlockSamples);
  std::vector<int16_t> decoded(5 * kImaBlockSamples);
  for (int b = 0; b < 5; ++b) {
    EXPECT_EQ(stream[b * kImaBlockBytes + 3], 0);
    ASSERT_TRUE(ImaDecodeBlock(stream.data() + b * kImaBlockBytes, decoded.data() + b * kImaBlockSamples));
  }
  EXPECT_GT(
      SnrDb(ToDouble(signal.data() + 100, decoded.size() - 100), ToDouble(decoded.data() + 100, decoded.size() - 100)),
      25.0);
}

TEST(BackendFormatConverter, RefusesBadArgumentsWithoutWriting) {
  FormatConverterState st;
  EXPECT_EQ(FormatConverterInit(&st, 16, 16000, 16), kBackendInvalidArgument);
  EXPECT_EQ(FormatConverterInit(&st, kAudioFormatPcm8k16bit, 0, 16), kBackendInvalidArgument);
  EXPECT_EQ(FormatConverterInit(nullptr, kAudioFormatPcm8k16bit, 16000, 16), kBackendInvalidArgument);
  ASSERT_EQ(FormatConverterInit(&st, kAudioFormatPcm8k16bit, 16000, 16), kBackendOk);
  std::vector<int16_t> in(100, 1000);
  std::vector<uint8_t> out(100, 0xEE);
  EXPECT_EQ(ConvertedBytesMax(&st, 100), 100);
  EXPECT_EQ(ConvertSamples(&st, in.data(), 100, out.data(), 99), -1);
  EXPECT_EQ(out, std::vector<uint8_t>(100, 0xEE));
  EXPECT_EQ(ConvertSamples(&st, in.data(), -1, out.data(), 100), -1);
  EXPECT_EQ(ConvertSamples(&st, nullptr, 10, out.data(), 100), -1);
  EXPECT_EQ(ConvertSamples(&st, in.data(), 0, nullptr, 0), 0);
  // In place would let the filter read already converted bytes.
  std::vector<int16_t> shared(200, 1000);
  EXPECT_EQ(ConvertSamples(&st, shared.data(), 100, reinterpret_cast<uint8_t*>(shared.data()), 400), -1);
  EXPECT_EQ(ConvertSamples(&st, shared.data() + 50, 100, reinterpret_cast<uint8_t*>(shared.data() + 20), 200), -1);
  EXPECT_EQ(ConvertSamples(&st, shared.data() + 100, 100, reinterpret_cast<uint8_t*>(shared.data()), 200), 100);
}

}  // namespace
