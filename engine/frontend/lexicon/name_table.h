// Name tables of the Chinese library (syllables, initials, finals, phones):
// a 32-bit count followed by that many NUL-terminated names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvo::frontend {

// Checks the payload and fills names[0..count) with pointers into it.
// Fails when the payload is cut short, a name is unterminated, or the
// count exceeds capacity.
bool IndexNameTable(const uint8_t* payload, size_t size, const char** names, size_t capacity, size_t* count);

// Index of name in names, or -1.
int FindName(const char* const* names, size_t count, const char* name);

}  // namespace kvo::frontend
