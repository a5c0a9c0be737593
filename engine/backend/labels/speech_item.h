// The back end's per-item record and the preparation of a chunk's
// records from its analysis items (codes, copied values, positions).
#pragma once

#include <cstdint>

#include "core/analysis_item.h"

namespace kvo {
namespace backend {

constexpr uint16_t kLeadingPause = 0x0001;
constexpr uint16_t kTrailingPause = 0x8000;
constexpr int kMaxItemPhones = 10;

struct SpeechItem {
  uint16_t code;         // unit code; 0 for non-Chinese items
  uint8_t character[2];  // the analysis item's character as stored
  uint8_t reserved;
  uint8_t spare0;
  uint8_t tone;  // code mod T + 1 (syllables)
  uint8_t sylInWord;
  uint8_t wordLen;
  uint8_t sylInPhrase;
  uint8_t phraseLen;
  uint8_t sylInSentence;
  uint8_t sentenceLen;
  uint8_t spare1;
  uint16_t pauseFlags;  // kLeadingPause, kTrailingPause
  int16_t pauseMs;
  uint16_t itemFlags;
  int16_t language;
  int16_t pitch;
  int16_t speed;
  int16_t volume;
  uint8_t phones[kMaxItemPhones + 1];  // phone ids; [kMaxItemPhones] = count
  uint8_t spare2[33];
  int32_t phraseOffset;  // domain phrases only
  char* text;            // the analysis item's 32-byte name buffer
  int16_t* frames;       // first owned parameter frame
  int32_t frameBytes;    // bytes of the owned frames

  int PhoneCount() const { return phones[kMaxItemPhones]; }
};

// Steps of chunk preparation that need no symbol tables: zeroes the
// records, forces the code of non-Chinese items to 0 (in the analysis item
// too), copies the item values and fills the word, phrase and batch
// positions of Chinese items whose code is at most g.
void PrepareSpeechItems(AnalysisItem* items, int count, uint32_t g, int tones, SpeechItem* speech);

}  // namespace backend
}  // namespace kvo
