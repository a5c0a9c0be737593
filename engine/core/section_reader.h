// Bounds-checked reads of one section payload of a resource library: either
// bytes already in memory or a read callback over the section, with offsets
// from the payload's first byte. A read that would leave the payload fails
// without touching the destination; every reader of library data goes
// through this one.
#ifndef KVO_ENGINE_SECTION_READER_H
#define KVO_ENGINE_SECTION_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

struct SectionReader {
  const uint8_t* data = nullptr;  // the payload in memory, or null
  uint32_t size = 0;              // payload bytes
  // Copies n bytes at offset into dst; false when the source fails.
  bool (*read)(void* user, uint32_t offset, void* dst, uint32_t n) = nullptr;
  void* user = nullptr;

  bool present() const { return size > 0 && (data != nullptr || read != nullptr); }

  bool Read(uint32_t offset, void* dst, uint32_t n) const {
    if (offset > size || n > size - offset) return false;
    if (data != nullptr) {
      if (n > 0) std::memcpy(dst, data + offset, n);
      return true;
    }
    return read != nullptr && read(user, offset, dst, n);
  }

  bool ReadU8(uint32_t offset, uint8_t* value) const { return Read(offset, value, 1); }

  bool ReadU16(uint32_t offset, uint16_t* value) const {
    uint8_t b[2];
    if (!Read(offset, b, 2)) return false;
    *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }

  bool ReadU32(uint32_t offset, uint32_t* value) const {
    uint8_t b[4];
    if (!Read(offset, b, 4)) return false;
    *value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
             (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
};

// A reader over bytes already in memory (tests, tools, resident copies).
inline SectionReader MemorySection(const void* data, size_t size) {
  SectionReader r;
  r.data = static_cast<const uint8_t*>(data);
  r.size = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
  return r;
}

#endif
