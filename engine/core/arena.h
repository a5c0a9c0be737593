// The work arena: a stack carved from the caller's block behind the instance
// record. Every request is charged n + 4 - (n mod 4) bytes, so blocks are
// 4-byte aligned; release in exact reverse order with the same n.
#ifndef KVO_ENGINE_ARENA_H
#define KVO_ENGINE_ARENA_H

#include <cstdint>

struct qvInstance;

// Bytes a request of n takes from the arena.
inline int32_t qvArena_Charge(int32_t n) { return n + 4 - (n % 4); }

void qvArena_Reset(qvInstance* instance, uint8_t* base, int32_t size);
// A zeroed block of n bytes, or null (and the instance marked exhausted)
// when it does not fit.
void* qvArena_Take(qvInstance* instance, int32_t n);
void qvArena_Give(qvInstance* instance, void* block, int32_t n);
// As above, but the block is 8-byte aligned for records holding pointers.
// Release with qvArena_GiveAligned and the same n.
void* qvArena_TakeAligned(qvInstance* instance, int32_t n);
void qvArena_GiveAligned(qvInstance* instance, void* block, int32_t n);
// qvArena_TakeAligned without the zeroing, for a large block whose user
// clears what it uses (released with qvArena_GiveAligned).
void* qvArena_TakeAlignedUncleared(qvInstance* instance, int32_t n);

#endif
