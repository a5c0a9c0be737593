// Bounds-checked random access to one section payload of a resource library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvo::frontend {

// Either a payload already in memory (data != nullptr) or a read callback
// over the section (offset relative to the payload start). A read that
// would leave the payload fails instead of touching anything.
struct TableReader {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  // Reads n bytes at offset into dst; returns false on failure.
  bool (*read)(void* user, uint32_t offset, void* dst, uint32_t n) = nullptr;
  void* user = nullptr;

  bool present() const { return size > 0 && (data != nullptr || read != nullptr); }

  bool Read(uint32_t offset, void* dst, uint32_t n) const {
    if (offset > size || n > size - offset) return false;
    if (data != nullptr) {
      auto* out = static_cast<uint8_t*>(dst);
      for (uint32_t i = 0; i < n; ++i) out[i] = data[offset + i];
      return true;
    }
    return read != nullptr && read(user, offset, dst, n);
  }

  bool ReadU16(uint32_t offset, uint16_t* value) const {
    uint8_t b[2];
    if (!Read(offset, b, 2)) return false;
    *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }

  bool ReadU32(uint32_t offset, uint32_t* value) const {
    uint8_t b[4];
    if (!Read(offset, b, 4)) return false;
    *value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
             (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
};

inline TableReader MemoryTable(const void* data, size_t size) {
  TableReader r;
  r.data = static_cast<const uint8_t*>(data);
  r.size = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
  return r;
}

}  // namespace kvo::frontend
