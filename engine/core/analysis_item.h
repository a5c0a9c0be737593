// The analysis item: one syllable, letter, English unit or pause, handed by
// the text front end to speech generation in batches closed by a terminator.
#ifndef KVO_ENGINE_ANALYSIS_ITEM_H
#define KVO_ENGINE_ANALYSIS_ITEM_H

#include <cstdint>

#include "core/unit_code.h"

constexpr int32_t kBatchItemCount = 202;
constexpr int32_t kItemNameBytes = 32;
constexpr int32_t kContextLabelBytes = 64;

constexpr uint16_t kItemFlagBreakAfterWord = 0x0040;
constexpr uint16_t kItemFlagPause = 0x0100;
constexpr uint16_t kItemFlagProsodicWordStart = 0x1000;
constexpr uint16_t kItemFlagPhraseStart = 0x2000;
constexpr uint16_t kItemFlagTerminator = 0x3000;
constexpr uint16_t kItemFlagSameNameAsPrevious = 0x8000;

constexpr int16_t kItemLanguageChinese = 0;
constexpr int16_t kItemLanguageEnglish = 10;

struct qvAnalysisItem {
  uint8_t position_in_prosodic_word;
  uint8_t prosodic_word_length;
  uint8_t prosodic_word_index;
  uint8_t phrase_length;
  uint8_t phrase_index;
  uint8_t phrase_count;
  uint16_t character;  // internal character code; 0 only in the terminator
  uint16_t unit;       // syllable or unit code; kUnitSilence for silence
  uint16_t flags;
  int16_t reserved;
  int16_t pitch;
  int16_t speed;
  int16_t volume;
  int16_t pause_length;
  char* name;  // English only: kItemNameBytes owned by the batch
  int16_t part_of_speech;
  int16_t lexical_word;
  int16_t language;
  int32_t text_position;
  int32_t label_count;
  int8_t context[kContextLabelBytes];
};

namespace kvo {
using AnalysisItem = ::qvAnalysisItem;
}  // namespace kvo

#endif
