// Block rendering of a group: blocks join without gap or repetition, the
// per-item volume applies, silences have their format's byte and size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "backend/audio/audio_format.h"
#include "backend/audio/g711.h"
#include "backend/waveform/prosody_factors.h"
#include "backend/waveform/waveform_assembly.h"
#include "core/analysis_item.h"

namespace {

using namespace kvo::backend;

constexpr int kOrder = 20;  // LPC order of a 16-kHz voice
constexpr int kFrameValues = kOrder + 2;

// A voiced frame with evenly spread line spectral frequencies.
void FillFrames(std::vector<int16_t>* frames, int count, int f0, int gain) {
  for (int f = 0; f < count; ++f) {
    for (int j = 0; j < kOrder; ++j)
      frames->push_back(static_cast<int16_t>(static_cast<uint16_t>((j + 1) * 65536 / (kOrder + 1))));
    frames->push_back(static_cast<int16_t>(f0));
    frames->push_back(static_cast<int16_t>(gain));
  }
}

struct Group {
  std::vector<int16_t> frames;
  std::vector<SpeechItem> items;
};

// Three syllables of different lengths and values, and a pause between.
Group MakeGroup() {
  Group g;
  const int counts[] = {37, 0, 61, 23};
  const int f0[] = {180, 0, 240, 130};
  for (int i = 0; i < 4; ++i) FillFrames(&g.frames, counts[i], f0[i], 120);
  g.items.resize(4);
  std::memset(static_cast<void*>(g.items.data()), 0, sizeof(SpeechItem) * 4);
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    SpeechItem& s = g.items[static_cast<size_t>(i)];
    s.code = i == 1 ? kUnitSilence : static_cast<uint16_t>(10 * i + 1);
    s.frames = g.frames.data() + at;
    s.frameBytes = counts[i] * kFrameValues * 2;
    s.volume = static_cast<int16_t>(i == 2 ? 16000 : 0);
    s.pitch = static_cast<int16_t>(i == 3 ? -8000 : 0);
    s.pauseMs = 300;
    at += static_cast<size_t>(counts[i] * kFrameValues);
  }
  return g;
}

WaveformSetup SetupFor(int format) {
  WaveformSetup w;
  w.libraryRate = 16000;
  w.libraryWidth = 16;
  w.formatCode = format;
  w.unitBase = 2085;
  return w;
}

TEST(BackendWaveformAssembly, BlocksJoinExactlyAsOneContinuousRendering) {
  const Group g = MakeGroup();
  VocoderTail tail{};
  auto state = std::make_unique<WaveformState>();
  std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
  ASSERT_EQ(WaveformBegin(state.get(), SetupFor(kAudioFormatPcm16k16bit), g.items.data(), 4, &tail), kBackendOk);
  std::vector<int16_t> blocks;
  int calls = 0;
  while (RenderBlock(state.get()) == 1) {
    ASSERT_LE(state->blockBytes, kWaveformBlockBytes);
    const int16_t* s = reinterpret_cast<const int16_t*>(state->block);
    blocks.insert(blocks.end(), s, s + state->blockBytes / 2);
    ASSERT_LT(++calls, 100);
  }
  EXPECT_GT(calls, 2);  // items span blocks

  // The same items through the vocoder alone, each in one go, at the voice level.
  VocoderTail refTail{};
  std::vector<int16_t> reference;
  std::vector<size_t> itemEnds;
  std::vector<int16_t> buffer(1 << 16);
  for (const SpeechItem& s : g.items) {
    if (s.frameBytes == 0) continue;
    VocoderState v;
    ASSERT_EQ(
        VocoderStart(&v, &refTail, 16000, s.frames, s.frameBytes, SpeedFactor(s.speed, false), PitchFactor(s.pitch)),
        kBackendOk);
    VocoderSetLevel(&v, kVoiceLevel);  // rendered below the trained level
    int32_t done = 0;
    ASSERT_TRUE(VocoderRun(&v, buffer.data(), static_cast<int32_t>(buffer.size()), &done));
    ApplyVolume(buffer.data(), done, s.volume);
    reference.insert(reference.end(), buffer.begin(), buffer.begin() + done);
    itemEnds.push_back(reference.size());
  }
  ASSERT_EQ(blocks.size(), reference.size());
  EXPECT_EQ(blocks, reference);

  // No click where one item hands over to the next: the step there stays
  // within the steps inside the items.
  int atItemEnds = 0, within = 0;
  for (size_t n = 1; n < reference.size(); ++n) {
    const int step = std::abs(reference[n] - reference[n - 1]);
    const bool boundary = std::find(itemEnds.begin(), itemEnds.end(), n) != itemEnds.end();
    (boundary ? atItemEnds : within) = std::max(boundary ? atItemEnds : within, step);
  }
  EXPECT_LE(atItemEnds, within);
}

// Silence of 100 ms in every format: its fill byte and its size.
// Which unit codes are rendered by the vocoder and which are skipped. The
// ranges follow B = 2G: a letter at B + 2 is spoken, the skip code B + 36310
// and a phrase without a domain library are not.
TEST(BackendWaveformAssembly, UnitCodesAreClassedFromTwiceTheUnitBase) {
  const uint32_t g = SetupFor(kAudioFormatPcm16k16bit).unitBase;
  const uint32_t b = 2 * g;
  struct Case {
    uint32_t code;
    bool rendered;
  } cases[] = {
      {11, true},                       // a syllable
      {b + kUnitLetterFirst, true},     // letter A
      {b + kUnitGreekFirst, true},      // a Greek letter
      {b + kUnitGeneratedFirst, true},  // a generated unit
      {b + kUnitSkipped, false},        // skipped on purpose
      {b + kUnitPhraseFirst, false},    // a phrase, but no domain library
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Group g1 = MakeGroup();
    for (SpeechItem& s : g1.items) s.code = static_cast<uint16_t>(c.code);
    VocoderTail tail{};
    auto state = std::make_unique<WaveformState>();
    std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
    WaveformSetup setup = SetupFor(kAudioFormatPcm16k16bit);
    setup.languageLoaded = true;
    ASSERT_EQ(WaveformBegin(state.get(), setup, g1.items.data(), 4, &tail), kBackendOk);
    int32_t bytes = 0;
    for (int calls = 0; RenderBlock(state.get()) == 1 && calls < 100; ++calls) bytes += state->blockBytes;
    EXPECT_EQ(bytes > 0, c.rendered);
  }
}

TEST(BackendWaveformAssembly, SilenceHasTheFormatsByteAndSize) {
  struct Case {
    int format;
    int bytes;
    int fill;  // -1: IMA blocks
  } cases[] = {
      {0, 3200, 0}, {1, 800, 128}, {2, 1600, 0}, {3, 1600, 128},  {4, 3200, 0},    {5, 1102, 128},
      {6, 2204, 0}, {11, 600, 0},  {12, 800, 0}, {13, 800, 0xD5}, {14, 800, 0xFF}, {15, 3 * 256, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    VocoderTail tail{};
    auto state = std::make_unique<WaveformState>();
    std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
    ASSERT_EQ(WaveformBegin(state.get(), SetupFor(c.format), nullptr, 0, &tail), kBackendOk);
    EXPECT_TRUE(WriteSilence(state.get(), 0, 100, 0));
    ASSERT_EQ(state->blockBytes, c.bytes);
    if (c.fill >= 0) {
      for (int i = 0; i < c.bytes; ++i) ASSERT_EQ(state->block[i], c.fill) << i;
    }
    if (c.fill < 0) {
      for (int b = 0; b < c.bytes; b += 256) EXPECT_EQ(state->block[b + 3], 0);
    }
  }
}

TEST(BackendWaveformAssembly, SilenceFollowsSpeedAndContinuesAcrossBlocks) {
  struct Case {
    int speed;
    int bytes;
  } cases[] = {{0, 32000}, {32767, 16000}, {-32768, 64000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.speed);
    VocoderTail tail{};
    auto state = std::make_unique<WaveformState>();
    std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
    ASSERT_EQ(WaveformBegin(state.get(), SetupFor(kAudioFormatPcm16k16bit), nullptr, 0, &tail), kBackendOk);
    int total = 0;
    for (int block = 0; block < 40; ++block) {
      state->blockBytes = 0;
      const bool done = WriteSilence(state.get(), 0, 1000, c.speed);
      total += state->blockBytes;
      if (done) break;
      EXPECT_EQ(state->blockBytes, kWaveformBlockBytes);
    }
    EXPECT_EQ(total, c.bytes);
  }
}

TEST(BackendWaveformAssembly, EmptyGroupRendersNothing) {
  VocoderTail tail{};
  auto state = std::make_unique<WaveformState>();
  std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
  ASSERT_EQ(WaveformBegin(state.get(), SetupFor(4), nullptr, 0, &tail), kBackendOk);
  EXPECT_EQ(RenderBlock(state.get()), 0);
  EXPECT_NE(WaveformBegin(state.get(), SetupFor(16), nullptr, 0, &tail), kBackendOk);
  EXPECT_EQ(RenderBlock(state.get()), 0);
}

// Renders the whole group; the output bytes.
std::vector<uint8_t> RenderAll(const Group& g, const WaveformSetup& setup) {
  VocoderTail tail{};
  auto state = std::make_unique<WaveformState>();
  std::memset(static_cast<void*>(state.get()), 0, sizeof(WaveformState));
  EXPECT_EQ(WaveformBegin(state.get(), setup, g.items.data(), static_cast<int32_t>(g.items.size()), &tail), kBackendOk);
  std::vector<uint8_t> out;
  for (int calls = 0; RenderBlock(state.get()) == 1 && calls < 1000; ++calls)
    out.insert(out.end(), state->block, state->block + state->blockBytes);
  return out;
}

// A pause item after generated speech is silent only on request (the n6
// symbol filter off), and then lasts its pause length.
TEST(BackendWaveformAssembly, PauseAfterSpeechSoundsOnlyWhenAsked) {
  const Group g = MakeGroup();
  WaveformSetup setup = SetupFor(kAudioFormatPcm16k16bit);
  const std::vector<uint8_t> plain = RenderAll(g, setup);
  setup.pauseAfterSpeech = true;
  const std::vector<uint8_t> paused = RenderAll(g, setup);
  const size_t pause = 300 * 16 * 2;
  ASSERT_EQ(paused.size(), plain.size() + pause);
  // The same audio with 300 ms of zeros inserted after the first item.
  const size_t p = static_cast<size_t>(std::mismatch(plain.begin(), plain.end(), paused.begin()).first - plain.begin());
  ASSERT_LT(p, plain.size());
  EXPECT_TRUE(std::all_of(paused.begin() + p, paused.begin() + p + pause, [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::equal(plain.begin() + p, plain.end(), paused.begin() + p + pause));
}

// The finishing hook sees every sample at the library rate before the
// conversion, silences included, in every format.
TEST(BackendWaveformAssembly, FinishingHookSeesLibrarySamplesInEveryFormat) {
  const Group g = MakeGroup();
  struct Seen {
    int64_t samples = 0;
  };
  auto hook = [](void* user, int16_t* samples, int32_t count) {
    static_cast<Seen*>(user)->samples += count;
    for (int32_t i = 0; i < count; ++i) samples[i] = 4096;  // a level every format shows
  };
  for (int format : {kAudioFormatPcm16k16bit, kAudioFormatPcm8k8bit, kAudioFormatAlaw8k8bit, kAudioFormatPcm11k16bit,
                     kAudioFormatImaAdpcm}) {
    SCOPED_TRACE(format);
    WaveformSetup setup = SetupFor(format);
    setup.pauseAfterSpeech = true;
    Seen seen;
    setup.finishPiece = hook;
    const size_t voiceSamples = RenderAll(g, SetupFor(kAudioFormatPcm16k16bit)).size() / 2;
    setup.finishUser = &seen;
    const std::vector<uint8_t> out = RenderAll(g, setup);
    EXPECT_EQ(seen.samples, static_cast<int64_t>(voiceSamples) + 300 * 16);
    ASSERT_FALSE(out.empty());
    // The anti-alias filter keeps a constant level within a few per cent.
    if (format == kAudioFormatPcm8k8bit) {
      EXPECT_NEAR(out[out.size() / 2], (4096 >> 8) + 128, 1);
    }
    if (format == kAudioFormatAlaw8k8bit) {
      EXPECT_NEAR(AlawToLinear(out[out.size() / 2]), 4096, 200);
    }
  }
}

}  // namespace
