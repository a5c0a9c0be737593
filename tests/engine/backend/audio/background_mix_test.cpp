// Background sound mixing from a WAV-like byte source.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "backend/audio/background_mix.h"

namespace {

using namespace kvo::backend;

// A file: 44 header bytes, then 16-bit samples 1, 2, 3, ..., then trailing bytes that are not audio.
struct MemoryFile {
  std::vector<uint8_t> bytes;
  int reads = 0;

  explicit MemoryFile(int samples, int trailing = 0) {
    bytes.assign(kBackgroundDataStart, 0xAB);
    for (int i = 1; i <= samples; ++i) {
      bytes.push_back(static_cast<uint8_t>(i & 0xFF));
      bytes.push_back(static_cast<uint8_t>((i >> 8) & 0xFF));
    }
    bytes.insert(bytes.end(), trailing, 0x7F);
  }

  static int32_t Read(void* user, int32_t offset, uint8_t* dst, int32_t n) {
    MemoryFile* f = static_cast<MemoryFile*>(user);
    ++f->reads;
    if (offset < 0 || offset >= static_cast<int32_t>(f->bytes.size())) return 0;
    int32_t avail = static_cast<int32_t>(f->bytes.size()) - offset;
    int32_t got = n < avail ? n : avail;
    std::memcpy(dst, f->bytes.data() + offset, got);
    return got;
  }
};

class BackendBackgroundMix : public testing::Test {
 protected:
  void Attach(MemoryFile* file, int32_t endPosition, int32_t playOnce = 0, int32_t level = 0) {
    bg_ = BackgroundSound{};
    bg_.playOnce = playOnce;
    bg_.level = level;
    bg_.endPosition = endPosition;
    BackgroundAttach(&bg_, &MemoryFile::Read, file);
  }

  std::vector<int16_t> Mix(std::vector<int16_t> block) {
    MixBackground(&bg_, block.data(), static_cast<int32_t>(block.size() * 2));
    return block;
  }

  BackgroundSound bg_{};
};

TEST_F(BackendBackgroundMix, AddsTheNextSamplesAtTheChosenLevel) {
  struct Case {
    int32_t level;
    std::vector<int16_t> expected;
  } cases[] = {{0, {101, 102, 103, 104}},
               {32767, {102, 104, 106, 108}},    // twice
               {-32768, {100, 101, 101, 102}}};  // half
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    MemoryFile file(8);
    Attach(&file, kBackgroundDataStart + 16, 0, c.level);
    EXPECT_EQ(Mix({100, 100, 100, 100}), c.expected);
  }
}

TEST_F(BackendBackgroundMix, LoopsBackToTheDataWithoutPlayingBytesBeyondTheEnd) {
  MemoryFile file(6, 40);  // trailing non-audio bytes after the end position
  Attach(&file, kBackgroundDataStart + 12);
  EXPECT_EQ(Mix(std::vector<int16_t>(4, 0)), (std::vector<int16_t>{1, 2, 3, 4}));
  EXPECT_EQ(Mix(std::vector<int16_t>(4, 0)), (std::vector<int16_t>{5, 6, 0, 0}));
  EXPECT_EQ(Mix(std::vector<int16_t>(8, 0)), (std::vector<int16_t>{1, 2, 3, 4, 5, 6, 0, 0}));
}

TEST_F(BackendBackgroundMix, PlayOnceStopsAtTheEnd) {
  MemoryFile file(4);
  Attach(&file, kBackgroundDataStart + 8, 1);
  EXPECT_EQ(Mix(std::vector<int16_t>(6, 10)), (std::vector<int16_t>{11, 12, 13, 14, 10, 10}));
  EXPECT_EQ(Mix(std::vector<int16_t>(3, 10)), (std::vector<int16_t>{10, 10, 10}));
}

TEST_F(BackendBackgroundMix, SumsSaturate) {
  MemoryFile file(2);
  file.bytes[44] = 0xFF;  // sample 0x7FFF
  file.bytes[45] = 0x7F;
  file.bytes[46] = 0x00;  // sample -32768
  file.bytes[47] = 0x80;
  Attach(&file, kBackgroundDataStart + 4);
  EXPECT_EQ(Mix({1000, -1000}), (std::vector<int16_t>{32767, -32768}));
}

TEST_F(BackendBackgroundMix, ShortFileAddsOnlyWhatWasRead) {
  MemoryFile file(3);
  Attach(&file, kBackgroundDataStart + 100);  // end position beyond the file
  EXPECT_EQ(Mix(std::vector<int16_t>(5, 0)), (std::vector<int16_t>{1, 2, 3, 0, 0}));
}

TEST_F(BackendBackgroundMix, OddEndPositionKeepsSamplesAligned) {
  MemoryFile file(4);
  Attach(&file, kBackgroundDataStart + 7);
  EXPECT_EQ(Mix(std::vector<int16_t>(4, 0)), (std::vector<int16_t>{1, 2, 3, 0}));
  EXPECT_EQ(Mix(std::vector<int16_t>(2, 0)), (std::vector<int16_t>{1, 2}));
}

TEST_F(BackendBackgroundMix, NothingWithoutASourceOrData) {
  MemoryFile file(4);
  Attach(&file, kBackgroundDataStart);  // no data
  EXPECT_EQ(Mix({7, 7}), (std::vector<int16_t>{7, 7}));
  EXPECT_EQ(file.reads, 0);
  Attach(&file, 0);
  EXPECT_EQ(Mix({7, 7}), (std::vector<int16_t>{7, 7}));
  Attach(&file, kBackgroundDataStart + 8);
  BackgroundAttach(&bg_, nullptr, nullptr);  // detached
  EXPECT_EQ(Mix({7, 7}), (std::vector<int16_t>{7, 7}));
  MixBackground(nullptr, nullptr, 4);
}

}  // namespace
