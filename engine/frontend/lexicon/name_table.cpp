#include "frontend/lexicon/name_table.h"

namespace kvo::frontend {

bool IndexNameTable(const uint8_t* payload, size_t size, const char** names, size_t capacity, size_t* count) {
  if (payload == nullptr || size < 4) return false;
  const uint32_t n = static_cast<uint32_t>(payload[0]) | (static_cast<uint32_t>(payload[1]) << 8) |
                     (static_cast<uint32_t>(payload[2]) << 16) | (static_cast<uint32_t>(payload[3]) << 24);
  if (n > capacity) return false;
  size_t at = 4;
  for (uint32_t i = 0; i < n; ++i) {
    const size_t start = at;
    while (at < size && payload[at] != 0) ++at;
    if (at >= size) return false;
    names[i] = reinterpret_cast<const char*>(payload + start);
    ++at;
  }
  *count = n;
  return true;
}

int FindName(const char* const* names, size_t count, const char* name) {
  for (size_t i = 0; i < count; ++i) {
    const char* a = names[i];
    const char* b = name;
    while (*a != '\0' && *a == *b) {
      ++a;
      ++b;
    }
    if (*a == *b) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kvo::frontend
