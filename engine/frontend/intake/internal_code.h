// Internal 16-bit character codes of the text front end and their classes.
#pragma once

#include <cstdint>

namespace kvo::frontend {

// A character that could not be converted; read later as a pause.
constexpr uint16_t kCodeUnconvertible = 0xFFFF;
// First reading code: a reading code is a syllable code plus this base.
constexpr uint16_t kReadingCodeBase = 128;

// GBK two-byte character as an internal code: lead byte low, trail byte high.
constexpr uint16_t GbkCode(uint8_t lead, uint8_t trail) { return static_cast<uint16_t>(lead | (trail << 8)); }
constexpr uint8_t LeadByte(uint16_t code) { return static_cast<uint8_t>(code & 0xFF); }
constexpr uint8_t TrailByte(uint16_t code) { return static_cast<uint8_t>(code >> 8); }

// Character classes used by sentence splitting, word building and normalisation.
enum CharClass : int {
  qvTTS_CT_LETTER = 0,
  qvTTS_CT_DIGIT = 1,
  qvTTS_CT_SYMBOL = 2,
  qvTTS_CT_CHINESE = 3,
  qvTTS_CT_NUMBERED = 4,
  qvTTS_CT_OTHER = 5,
  qvTTS_CT_READING = 7,
  qvTTS_CT_GREEK = 8,
};

// Language class of a character for sentence splitting.
enum LanguageClass : int {
  kLangChinese = 1,
  kLangEnglish = 2,
  kLangNeutralSymbol = 4,
  kLangNeutralNumber = 8,
};

// syllableCodeCount is G, the number of syllable codes of one tone set.
inline bool IsReadingCode(uint16_t code, uint16_t syllableCodeCount) {
  return code >= kReadingCodeBase && code <= kReadingCodeBase + syllableCodeCount && code != kCodeUnconvertible;
}

inline bool IsGb2312Hanzi(uint16_t code) {
  const uint8_t lead = LeadByte(code), trail = TrailByte(code);
  return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

inline CharClass ClassifyCode(uint16_t code, uint16_t syllableCodeCount) {
  if (code < 128) {
    if ((code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z')) return qvTTS_CT_LETTER;
    if (code >= '0' && code <= '9') return qvTTS_CT_DIGIT;
    return qvTTS_CT_SYMBOL;
  }
  if (IsReadingCode(code, syllableCodeCount)) return qvTTS_CT_READING;
  if (code == kCodeUnconvertible) return qvTTS_CT_OTHER;
  const uint8_t lead = LeadByte(code), trail = TrailByte(code);
  if (IsGb2312Hanzi(code)) return qvTTS_CT_CHINESE;
  if (lead == 0xA6 && ((trail >= 0xA1 && trail <= 0xB8) || (trail >= 0xC1 && trail <= 0xD8))) return qvTTS_CT_GREEK;
  if (lead == 0xA2 && trail >= 0xA1) return qvTTS_CT_NUMBERED;
  if (lead >= 0xA1 && lead <= 0xA9) return qvTTS_CT_SYMBOL;
  return qvTTS_CT_OTHER;
}

inline LanguageClass LanguageOf(uint16_t code, uint16_t syllableCodeCount) {
  switch (ClassifyCode(code, syllableCodeCount)) {
    case qvTTS_CT_CHINESE:
    case qvTTS_CT_READING:
      return kLangChinese;
    case qvTTS_CT_LETTER:
      return kLangEnglish;
    case qvTTS_CT_DIGIT:
      return kLangNeutralNumber;
    default:
      return kLangNeutralSymbol;
  }
}

}  // namespace kvo::frontend
