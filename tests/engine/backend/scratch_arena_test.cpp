// The back end's scratch arena over a block that may come uncleared, and
// the spectrum record cache laid out in the engine's arena.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "backend/acoustic/spectrum_record_cache.h"
#include "backend/scratch_arena.h"

namespace {

using namespace kvo::backend;

// Memory handed out for the first time reads as zero, whatever the block
// held; memory handed out again keeps what its last user wrote (as with a
// block zeroed once); memory never handed out is not touched.
TEST(BackendScratchArena, FreshMemoryIsZeroOverADirtyBlock) {
  std::vector<uint8_t> block(256, 0xAB);
  ScratchArena arena(block.data(), block.size());
  auto* a = static_cast<uint8_t*>(arena.Take(10, 1));
  for (int i = 0; i < 10; ++i) ASSERT_EQ(a[i], 0) << i;
  a[3] = 7;
  const size_t mark = arena.Mark();
  auto* b = static_cast<uint8_t*>(arena.Take(20, 16));  // behind an alignment gap
  for (int i = 0; i < 20; ++i) ASSERT_EQ(b[i], 0) << i;
  b[0] = 9;
  EXPECT_EQ(block[40], 0xAB);  // never handed out
  arena.Rewind(mark);
  auto* c = static_cast<uint8_t*>(arena.Take(40, 16));
  EXPECT_EQ(c, b);
  EXPECT_EQ(c[0], 9);  // handed out before
  for (int i = 20; i < 40; ++i) ASSERT_EQ(c[i], 0) << i;
  arena.Rewind(0);
  auto* d = static_cast<uint8_t*>(arena.Take(10, 1));
  EXPECT_EQ(d[3], 7);
  EXPECT_EQ(arena.Take(1000), nullptr);
}

TEST(BackendSpectrumRecordCache, HoldsTheLatestRecordOfEachSlot) {
  constexpr int32_t kSlots = 8;
  constexpr uint32_t kRecord = 12;
  std::vector<uint64_t> block((SpectrumRecordCache::BytesFor(kSlots, kRecord) + 7) / 8, ~uint64_t{0});
  SpectrumRecordCache* cache = SpectrumRecordCache::Place(block.data(), kSlots, kRecord);
  for (uint32_t index : {0u, 5u, 8u, 1000u}) EXPECT_EQ(cache->Find(index), nullptr) << index;

  struct Case {
    uint32_t index;
    uint8_t fill;
  };
  // 3 and 11 share a slot, as do 4 and 12 (12 comes with a shorter record).
  const Case stores[] = {{3, 0x31}, {4, 0x41}, {11, 0x42}, {12, 0x43}};
  for (const Case& c : stores) {
    std::vector<uint8_t> bytes(c.index == 12 ? 6 : kRecord, c.fill);
    cache->Store(c.index, bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  const Case expected[] = {{3, 0}, {11, 0x42}, {4, 0}, {12, 0x43}};
  for (const Case& c : expected) {
    const uint8_t* got = cache->Find(c.index);
    if (c.fill == 0) {
      EXPECT_EQ(got, nullptr) << c.index;
      continue;
    }
    ASSERT_NE(got, nullptr) << c.index;
    EXPECT_EQ(got[0], c.fill);
  }
  // A record longer than the slots is not kept.
  std::vector<uint8_t> longer(kRecord + 1, 0x55);
  cache->Store(6, longer.data(), static_cast<uint32_t>(longer.size()));
  EXPECT_EQ(cache->Find(6), nullptr);
}

}  // namespace
