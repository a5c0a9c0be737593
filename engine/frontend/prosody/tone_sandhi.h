// Tone sandhi over a finished batch of analysis items: neutral tones of
// reduplications and particles, third-tone changes, and the readings of
// 一, 不, 七 and 八. Runs after the structure counters are filled; only the
// unit codes of Chinese syllable items are changed.
#ifndef KVO_ENGINE_FRONTEND_TONE_SANDHI_H
#define KVO_ENGINE_FRONTEND_TONE_SANDHI_H

#include <cstdint>

#include "core/analysis_item.h"  // the authoritative item record

namespace kvo::frontend {

// Voice kind of a library whose syllables carry six tones; such a voice
// gets no Mandarin sandhi.
constexpr uint8_t kVoiceKindSixTones = 1;

// Applies the sandhi to items[0 … count) in place and returns the number of
// unit codes it changed. syllable_code_count is G (tones × syllables): codes
// up to G are syllables, codes up to 2G + 1 are spoken. Never fails; a null
// or empty batch changes nothing. When yi_rules is given (count entries), it
// receives for every 一 in the first tone the number (1 … 43) of the rule that
// decided its reading, and 0 for every other item: for tests and debug dumps.
int Sandhi(qvAnalysisItem* items, int count, uint16_t syllable_code_count, uint8_t voice_kind,
           uint8_t* yi_rules = nullptr);

}  // namespace kvo::frontend

#endif
