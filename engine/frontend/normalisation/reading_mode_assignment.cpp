// Reading modes from the caller's parameters: digitmode for digit words,
// puncmode for punctuation, engmode for letters. Modes 2 and 3 of digitmode
// are the reading types 2 (digit by digit) and 3 (number) and leave the
// rules no choice; so does engmode 2.
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/normalisation_steps.h"

namespace kvo::frontend {

namespace {

void SetMode(WordRecord* word, int mode, bool forced) {
  word->reading_modes[kModeInForceSlot] = static_cast<int16_t>(mode);
  // A pattern's forced reading stays.
  if (forced && word->reading_modes[kForcedModeSlot] == kNoForcedMode)
    word->reading_modes[kForcedModeSlot] = static_cast<int16_t>(mode);
}

}  // namespace

void AssignReadingModes(const NormalisationSettings& settings, WordList* words) {
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    switch (word.word_class) {
      case qvTTS_CT_DIGIT:
        SetMode(&word, settings.digitMode, settings.digitMode == kReadDigits || settings.digitMode == kReadNumber);
        break;
      case qvTTS_CT_SYMBOL:
        SetMode(&word, settings.puncMode, false);
        break;
      case qvTTS_CT_LETTER:
        SetMode(&word, settings.engMode, settings.engMode >= 2);
        break;
      default:
        break;
    }
  }
}

}  // namespace kvo::frontend
