// Read access to the library section that holds a voice model. The model
// stores absolute file positions; the source knows where its payload sits
// in the file, and its section reader refuses every read outside it.
#pragma once

#include <cstdint>

#include "core/section_reader.h"

namespace kvo {
namespace backend {

struct ModelSource {
  SectionReader payload;
  uint32_t filePosition = 0;  // file position of the payload's first byte

  // Read at an absolute file position; false when outside the payload.
  bool ReadAt(int64_t position, uint32_t bytes, void* dst) const {
    const int64_t rel = position - static_cast<int64_t>(filePosition);
    if (rel < 0 || rel > static_cast<int64_t>(payload.size)) return false;
    return payload.Read(static_cast<uint32_t>(rel), dst, bytes);
  }
};

// A source over bytes already in memory (tests, tools).
inline ModelSource MakeMemorySource(const uint8_t* payload, uint32_t size, uint32_t filePosition) {
  ModelSource s;
  s.payload = MemorySection(payload, size);
  s.filePosition = filePosition;
  return s;
}

}  // namespace backend
}  // namespace kvo
