// The voice's symbol inventory: base syllables (unit codes derive from their
// order), initials, finals and phones, and the sections that hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvo::tables {

constexpr size_t kSyllableCount = 417;
constexpr size_t kInitialCount = 21;

extern const char* const kSyllables[kSyllableCount];
extern const char* const kInitials[kInitialCount];

// Finals that the syllable split produces, in order of first use (the empty
// final of the syllabic nasals m and n is left out).
std::vector<std::string> Finals();
// Initials, then finals not already named, then "pau" and "0".
std::vector<std::string> Phones();

// The numbers are what speech generation tests: a state with voiced
// statistics sounds unless its phone is silence (3); a vowel (1) sounds even
// where the statistics say unvoiced.
enum VoicingClass : uint8_t {
  kVoicingUnvoiced = 0,
  kVoicingVowel = 1,
  kVoicingVoicedConsonant = 2,
  kVoicingSilence = 3,
};
VoicingClass VoicingOf(const std::string& phone);

// Section payloads: a 32-bit count, then NUL-terminated names.
std::vector<uint8_t> NameSection(const std::vector<std::string>& names);
std::vector<uint8_t> SyllableSection();  // 8
std::vector<uint8_t> InitialsSection();  // 9
std::vector<uint8_t> FinalsSection();    // 10
std::vector<uint8_t> PhonesSection();    // 11
std::vector<uint8_t> VoicingSection();   // 12: one class byte per phone

}  // namespace kvo::tables
