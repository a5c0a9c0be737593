// Which items of a group have sounded after a block, and the spelling each
// is reported with (base syllable and tone digit; empty for pauses,
// punctuation, letters and English units).
#pragma once

#include <cstdint>

#include "backend/labels/speech_item.h"
#include "backend/labels/voice_symbols.h"

namespace kvo::backend {

constexpr int32_t kSpellingBytes = 32;

// Called once per reported item, in order.
using SyllableSink = void (*)(void* user, const SpeechItem& item);

// After a block: `current` is the renderer's current item, *reported the
// last item already reported (-1 at the start of a group). Reports every
// item up to the one in progress (a silence in progress waits), or to the
// end of the group once `current` reached `size`.
void ReportSounded(const SpeechItem* items, int32_t size, int32_t current, int32_t* reported, SyllableSink sink,
                   void* user);

// Spelling of an item into out (kSpellingBytes); returns its length.
int32_t SyllableSpelling(const SpeechItem& item, const NameTable& syllables, int tones, uint32_t unitBase, char* out);

}  // namespace kvo::backend
