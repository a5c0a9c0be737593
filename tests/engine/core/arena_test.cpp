// The arena's charge per request, its guard and its stack discipline.
#include <gtest/gtest.h>

#include "core/arena.h"
#include "core/engine_instance.h"

namespace {

class EngineArena : public ::testing::Test {
 protected:
  void SetUp() override { qvArena_Reset(&instance, storage, sizeof(storage)); }
  alignas(16) static inline uint8_t storage[256];
  alignas(16) qvInstance instance{};
};

TEST_F(EngineArena, ChargeAlwaysAddsUpToFourBytes) {
  const struct {
    int32_t request;
    int32_t charge;
  } cases[] = {{0, 4}, {1, 4}, {3, 4}, {4, 8}, {5, 8}, {7, 8}, {8, 12}, {202, 204}};
  for (const auto& c : cases) {
    EXPECT_EQ(qvArena_Charge(c.request), c.charge) << c.request;
    void* block = qvArena_Take(&instance, c.request);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(instance.arena_used, c.charge);
    EXPECT_EQ(instance.arena_free, 256 - c.charge);
    qvArena_Give(&instance, block, c.request);
    EXPECT_EQ(instance.arena_used, 0);
  }
}

TEST_F(EngineArena, RequestThatDoesNotFitIsRefusedAndMarked) {
  void* a = qvArena_Take(&instance, 200);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(qvArena_Take(&instance, 52), nullptr);  // 56 bytes needed, 52 free
  EXPECT_EQ(instance.arena_exhausted, 1);
  EXPECT_EQ(qvArena_Take(&instance, -1), nullptr);
  EXPECT_EQ(qvArena_Take(&instance, INT32_MAX), nullptr);
  EXPECT_EQ(instance.arena_used, 204);
  void* b = qvArena_Take(&instance, 51);  // exactly the rest
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(instance.arena_free, 0);
  qvArena_Give(&instance, b, 51);
  qvArena_Give(&instance, a, 200);
  EXPECT_EQ(instance.arena_used, 0);
}

TEST_F(EngineArena, BlocksAreZeroedAndAlignedBlocksHoldPointers) {
  void* odd = qvArena_Take(&instance, 9);  // leaves the top 4 bytes off an 8-byte boundary
  static_cast<uint8_t*>(odd)[0] = 0xAA;
  void* aligned = qvArena_TakeAligned(&instance, 16);
  ASSERT_NE(aligned, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 8, 0u);
  EXPECT_EQ(static_cast<uint8_t*>(aligned)[15], 0);
  qvArena_GiveAligned(&instance, aligned, 16);
  qvArena_Give(&instance, odd, 9);
  EXPECT_EQ(instance.arena_used, 0);
  EXPECT_EQ(instance.arena_free, 256);
}

}  // namespace
