// Unit codes of analysis items. With T tones and S syllables in the voice,
// G = T x S and B = 2G: a syllable's code is index x T + tone - 1, every
// code up to B + 1 is a syllable, and the other units follow B at the
// offsets below. Codes must stay below 0xFFFE.
#pragma once

#include <cstdint>

constexpr uint16_t kUnitSilence = 0xFFFF;

// Offsets from B.
constexpr int32_t kUnitLetterFirst = 2, kUnitLetterLast = 52;  // A..Z at 2..27
constexpr int32_t kUnitGreekFirst = 53, kUnitGreekLast = 103;
constexpr int32_t kUnitPunctuationFirst = 104, kUnitPunctuationLast = 205;  // 104 is the comma
constexpr int32_t kUnitPunctuationColon = 109;
constexpr int32_t kUnitPunctuationPauseClass = 125;
constexpr int32_t kUnitSpokenSymbol = 206;
constexpr int32_t kUnitEnglishFirst = 207, kUnitEnglishLast = 306;
constexpr int32_t kUnitGeneratedFirst = 307, kUnitGeneratedLast = 1307;
constexpr int32_t kUnitPhraseFirst = 1308, kUnitPhraseLast = 36308;
constexpr int32_t kUnitSentencePause = 36309;
constexpr int32_t kUnitSkipped = 36310;
constexpr int32_t kUnitMarkFirst = 36311, kUnitMarkLast = 36314;

namespace kvo {
namespace backend {

enum class UnitClass { kSyllable, kLetter, kGreek, kPunctuation, kSpokenSymbol, kDomainPhrase, kSpecial, kNone };

inline UnitClass ClassifyUnit(uint32_t code, uint32_t g) {
  uint32_t b = 2 * g;
  if (code == kUnitSilence) return UnitClass::kSpecial;
  if (code <= b + 1) return UnitClass::kSyllable;
  uint32_t r = code - b;
  if (r <= kUnitLetterLast) return UnitClass::kLetter;
  if (r <= kUnitGreekLast) return UnitClass::kGreek;
  if (r <= kUnitPunctuationLast) return UnitClass::kPunctuation;
  if (r == kUnitSpokenSymbol) return UnitClass::kSpokenSymbol;
  if (r >= kUnitPhraseFirst && r <= kUnitPhraseLast) return UnitClass::kDomainPhrase;
  if (r >= kUnitSentencePause && r <= kUnitMarkLast) return UnitClass::kSpecial;
  return UnitClass::kNone;
}

}  // namespace backend
}  // namespace kvo
