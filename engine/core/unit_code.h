// Classes of unit codes as the back end treats them. G = tones x base
// syllables of the voice, B = 2G.
#pragma once

#include <cstdint>

namespace kvo {
namespace backend {

enum class UnitClass { kSyllable, kLetter, kGreek, kPunctuation, kBlank, kDomainPhrase, kSpecial, kNone };

constexpr int kLetterFirst = 2, kLetterLast = 52;
constexpr int kGreekFirst = 53, kGreekLast = 103;
constexpr int kPunctFirst = 104, kPunctLast = 205;
constexpr int kPunctColon = 109;
constexpr int kPunctPauseClass = 125;
constexpr int kBlank = 206;
constexpr int kPhraseFirst = 1308, kPhraseLast = 36308;
constexpr int kSpecialFirst = 36309, kSpecialLast = 36314;

inline UnitClass ClassifyUnit(uint32_t code, uint32_t g) {
  uint32_t b = 2 * g;
  if (code == 0xFFFF) return UnitClass::kSpecial;
  if (code <= b + 1) return UnitClass::kSyllable;
  uint32_t r = code - b;
  if (r <= kLetterLast) return UnitClass::kLetter;
  if (r <= kGreekLast) return UnitClass::kGreek;
  if (r <= kPunctLast) return UnitClass::kPunctuation;
  if (r == kBlank) return UnitClass::kBlank;
  if (r >= kPhraseFirst && r <= kPhraseLast) return UnitClass::kDomainPhrase;
  if (r >= kSpecialFirst && r <= kSpecialLast) return UnitClass::kSpecial;
  return UnitClass::kNone;
}

}  // namespace backend
}  // namespace kvo
