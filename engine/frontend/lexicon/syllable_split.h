// Splitting a syllable name into its initial and final, as the back end
// turns syllables into phones; the table builders use the same rules so the
// finals and phone tables contain every name the split can produce.
#pragma once

#include <cstddef>

namespace kvo::frontend {

constexpr size_t kMaxPartName = 8;

struct SyllableParts {
  int initialIndex;            // index in the initials table, -1 for none
  char initial[kMaxPartName];  // "" for none
  char final_[kMaxPartName];   // may be "" (the syllables m and n)
};

// name: a base syllable name, optionally followed by its tone digit.
// initials: the initials table; its first three entries are two letters
// long (zh, ch, sh). sixTones selects the rules of six-tone voices.
// Returns false for a name that does not fit the buffers.
bool SplitSyllableName(const char* name, const char* const* initials, size_t initialCount, bool sixTones,
                       SyllableParts* out);

}  // namespace kvo::frontend
