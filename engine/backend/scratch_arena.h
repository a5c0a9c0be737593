// Stack-ordered scratch memory over a caller-owned block: the back end
// takes every working buffer from here and gives it back by rewinding to
// a mark, so nothing touches the heap during synthesis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kvo {
namespace backend {

struct ScratchArena {
  uint8_t* base = nullptr;
  size_t capacity = 0;
  size_t used = 0;
  // Bytes handed out at least once: the block may come uncleared, and
  // memory is zeroed the first time it is handed out, so a fresh buffer
  // always reads as zero (what it held before belongs to someone else).
  size_t cleared = 0;

  ScratchArena() = default;
  ScratchArena(void* block, size_t bytes) : base(static_cast<uint8_t*>(block)), capacity(bytes) {}

  // nullptr when the block is exhausted; the level is then unchanged.
  void* Take(size_t bytes, size_t align = 8) {
    size_t start = (used + align - 1) & ~(align - 1);
    if (start < used || start > capacity || bytes > capacity - start) return nullptr;
    used = start + bytes;
    if (used > cleared) {
      const size_t from = start > cleared ? start : cleared;
      std::memset(base + from, 0, used - from);
      cleared = used;
    }
    return base + start;
  }
  template <typename T>
  T* TakeArray(size_t count) {
    if (count > (SIZE_MAX / 2) / sizeof(T)) return nullptr;
    return static_cast<T*>(Take(count * sizeof(T), alignof(T) < 8 ? 8 : alignof(T)));
  }
  size_t Mark() const { return used; }
  void Rewind(size_t mark) {
    if (mark <= used) used = mark;
  }
};

}  // namespace backend
}  // namespace kvo
