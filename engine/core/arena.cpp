#include "core/arena.h"

#include <cassert>
#include <cstring>

#include "core/engine_instance.h"

void qvArena_Reset(qvInstance* instance, uint8_t* base, int32_t size) {
  instance->arena_base = base;
  instance->arena_size = size;
  instance->arena_used = 0;
  instance->arena_free = size;
}

namespace {

uint8_t* Take(qvInstance* instance, int32_t n, bool clear) {
  if (n < 0 || n >= instance->arena_free || qvArena_Charge(n) > instance->arena_free) {
    instance->arena_exhausted = 1;
    return nullptr;
  }
  const int32_t charge = qvArena_Charge(n);
  uint8_t* block = instance->arena_base + instance->arena_used;
  instance->arena_used += charge;
  instance->arena_free -= charge;
  if (clear) std::memset(block, 0, static_cast<size_t>(charge));
  return block;
}

void* TakeAligned(qvInstance* instance, int32_t n, bool clear) {
  if (n < 0 || n >= instance->arena_free) {
    instance->arena_exhausted = 1;
    return nullptr;
  }
  uint8_t* raw = Take(instance, n + 4, clear);
  if (raw == nullptr) return nullptr;
  return (reinterpret_cast<uintptr_t>(raw) % 8 == 0) ? raw : raw + 4;
}

}  // namespace

void* qvArena_Take(qvInstance* instance, int32_t n) { return Take(instance, n, true); }

void qvArena_Give(qvInstance* instance, void* block, int32_t n) {
  if (block == nullptr) return;
  const int32_t charge = qvArena_Charge(n);
  // Anything but the top block is a stack discipline fault of the caller;
  // giving it back would corrupt the blocks above it, so keep it.
  const bool is_top = charge <= instance->arena_used &&
                      static_cast<uint8_t*>(block) == instance->arena_base + instance->arena_used - charge;
  assert(is_top);
  if (!is_top) return;
  instance->arena_used -= charge;
  instance->arena_free += charge;
}

// The arena base is 16-byte aligned and every block is a multiple of 4, so
// 4 spare bytes always suffice to reach an 8-byte boundary.
void* qvArena_TakeAligned(qvInstance* instance, int32_t n) { return TakeAligned(instance, n, true); }

void* qvArena_TakeAlignedUncleared(qvInstance* instance, int32_t n) { return TakeAligned(instance, n, false); }

void qvArena_GiveAligned(qvInstance* instance, void* block, int32_t n) {
  if (block == nullptr) return;
  const int32_t charge = qvArena_Charge(n + 4);
  uint8_t* raw = instance->arena_base + instance->arena_used - charge;
  const bool inside = charge <= instance->arena_used &&
                      (static_cast<uint8_t*>(block) == raw || static_cast<uint8_t*>(block) == raw + 4);
  assert(inside);
  if (!inside) return;
  qvArena_Give(instance, raw, n + 4);
}
