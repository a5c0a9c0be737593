// The record handed from text analysis to speech generation: one item per
// syllable, letter, English phone or pause, in reading order; a batch is
// at most kMaxAnalysisItems items closed by a terminator item.
#pragma once

#include <cstdint>

namespace kvo {

constexpr int kMaxAnalysisItems = 202;
constexpr int kAnalysisNameBytes = 32;
constexpr int kContextLabelBytes = 64;

// Item flags.
constexpr uint16_t kItemWordKindMask = 0x0007;
constexpr uint16_t kItemBreakAfterWord = 0x0040;
constexpr uint16_t kItemWordMark = 0x0080;
constexpr uint16_t kItemPause = 0x0100;
constexpr uint16_t kItemStartsWord = 0x1000;
constexpr uint16_t kItemStartsPhrase = 0x2000;
constexpr uint16_t kItemTerminator = 0x3000;
constexpr uint16_t kItemSameEnglishName = 0x8000;

constexpr uint16_t kUnitSilence = 0xFFFF;
constexpr int16_t kLanguageChinese = 0;
constexpr int16_t kLanguageEnglish = 10;

struct AnalysisItem {
  uint8_t posInWord;     // 0-based index within the prosodic word
  uint8_t wordLength;    // items in the prosodic word (0 on pauses, spaces)
  uint8_t wordIndex;     // prosodic word index within the phrase
  uint8_t phraseLength;  // prosodic words in the intonational phrase
  uint8_t phraseIndex;   // intonational phrase index within the batch
  uint8_t phraseCount;   // intonational phrases in the batch
  uint16_t character;    // internal character code; 0 only in the terminator
  uint16_t unitCode;     // syllable or unit code; kUnitSilence for silence
  uint16_t flags;
  int16_t reserved;
  int16_t pitch;
  int16_t speed;
  int16_t volume;
  int16_t pauseLength;   // milliseconds on silence items
  char* name;            // English: 32-byte unit name buffer
  int16_t partOfSpeech;  // letter-coded tag
  int16_t wordNumber;    // lexical word number
  int16_t language;      // kLanguageChinese or kLanguageEnglish
  int32_t textPosition;
  int32_t labelCount;    // 1 on English items, else 0
  int8_t context[kContextLabelBytes];  // English: the phone's context label
};

}  // namespace kvo
