// Read access to the library section that holds a voice model. The model
// stores absolute file positions; the source knows where its payload sits
// in the file and refuses every read outside the payload.
#pragma once

#include <cstdint>
#include <cstring>

namespace kvo {
namespace backend {

struct ModelSource {
  // Reads `bytes` at `offset` from the payload start into dst; returns 0
  // on success. The payload size is checked before the callback is called.
  int (*read)(void* user, uint32_t offset, uint32_t bytes, void* dst) = nullptr;
  void* user = nullptr;
  uint32_t size = 0;         // payload bytes
  uint32_t filePosition = 0; // file position of the payload's first byte

  // Read at an absolute file position; false when outside the payload.
  bool ReadAt(int64_t position, uint32_t bytes, void* dst) const {
    int64_t rel = position - static_cast<int64_t>(filePosition);
    if (read == nullptr || rel < 0 || rel > static_cast<int64_t>(size) ||
        bytes > size - static_cast<uint32_t>(rel))
      return false;
    return read(user, static_cast<uint32_t>(rel), bytes, dst) == 0;
  }
};

// A source over bytes already in memory (tests, tools, mapped files).
struct MemoryModelSource {
  const uint8_t* data;
  static int Read(void* user, uint32_t offset, uint32_t bytes, void* dst) {
    std::memcpy(dst, static_cast<MemoryModelSource*>(user)->data + offset, bytes);
    return 0;
  }
};

inline ModelSource MakeMemorySource(MemoryModelSource* holder, const uint8_t* payload, uint32_t size,
                                    uint32_t filePosition) {
  ModelSource s;
  s.read = &MemoryModelSource::Read;
  s.user = holder;
  holder->data = payload;
  s.size = size;
  s.filePosition = filePosition;
  return s;
}

}  // namespace backend
}  // namespace kvo
