// Phones of every item of a chunk: syllables split into initial and final
// with leading and trailing pauses, letter and Greek units from their
// unit tables, one phone per English item.
#pragma once

#include <cstdint>

#include "backend/labels/speech_item.h"
#include "backend/labels/voice_symbols.h"

namespace kvo {
namespace backend {

constexpr int kMaxGroupPhones = 30;
constexpr uint8_t kNoPhone = 0xFF;

struct SyllableSplit {
  char initial[8];  // empty when the syllable has no initial
  char final_[16];
  int initialIndex;  // index in the initials table, -1 without initial
};

// Splits a syllable name (base name followed by the tone digit) into
// initial and final with the front end's split rules, which the table
// builders share. False when the name does not fit the buffers.
bool SplitSyllable(const char* name, int tones, const NameTable& initials, SyllableSplit* out);

// Phone id of a name in the phone table, kNoPhone when absent.
uint8_t PhoneId(const VoiceSymbols& symbols, const char* name);

// Splits the syllable of `code`; false when it lies outside the table.
bool SplitSyllableCode(const VoiceSymbols& symbols, uint32_t code, SyllableSplit* out);

// Fills phones and pause flags of every item (after PrepareSpeechItems).
void BuildPhoneLists(const VoiceSymbols& symbols, uint32_t g, const AnalysisItem* analysis, SpeechItem* items,
                     int count);

}  // namespace backend
}  // namespace kvo
