// The person-name model of the Chinese library: four sorted lists of
// internal character codes (surnames, one-character given names, first and
// second characters of two-character given names). Checked and copied into
// the arena at init; looked up by binary search.
//
// Payload: four uint16 byte sizes, then the four lists one after another,
// each of uint16 codes in strictly ascending order. The lists fill the
// payload exactly. docs/person-names.md describes the same layout.
#pragma once

#include <cstdint>

#include "core/section_reader.h"

namespace kvo::frontend {

enum NameList : int {
  kNameSurnames = 0,
  kNameSingleGiven = 1,  // a one-character given name
  kNameGivenFirst = 2,   // first character of a two-character given name
  kNameGivenSecond = 3,  // second character of a two-character given name
};
constexpr int kNameListCount = 4;
constexpr uint32_t kNameModelHeaderBytes = 2 * kNameListCount;

struct PersonNameModel {
  const uint16_t* codes[kNameListCount] = {};
  uint32_t counts[kNameListCount] = {};

  bool empty() const { return counts[0] + counts[1] + counts[2] + counts[3] == 0; }
  bool Contains(int list, uint16_t code) const;
};

enum class NameModelStatus { kOk, kCorrupt };

// Bytes of the arena copy of a payload (0 for an absent section); kCorrupt
// when the header is cut short, a size is odd, the lists do not fill the
// payload exactly or a list is not strictly ascending.
NameModelStatus NameModelBytes(const SectionReader& payload, uint32_t* bytes);

// Copies the lists into dst (capacity bytes, at least what NameModelBytes
// reported) and points model at the copy; the same checks.
NameModelStatus LoadNameModel(const SectionReader& payload, uint16_t* dst, uint32_t capacity, PersonNameModel* model);

}  // namespace kvo::frontend
