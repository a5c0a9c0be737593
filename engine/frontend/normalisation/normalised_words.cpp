#include "frontend/normalisation/normalised_words.h"

#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {

bool AppendCodesWord(WordList* list, const uint16_t* codes, int length, int16_t wordClass, int16_t tag,
                     int16_t forcedMode, int32_t textPosition) {
  if (list->count >= kMaxWordsPerSentence || length < 1 || length > kMaxWordChars) return false;
  WordRecord& word = list->words[list->count++];
  word = WordRecord{};
  word.length = static_cast<int16_t>(length);
  word.word_class = wordClass;
  word.pos = tag;
  word.flags = kWordChineseSide;
  word.text_position = textPosition;
  word.reading_modes[kForcedModeSlot] = forcedMode;
  word.reading_modes[kModeInForceSlot] = forcedMode;
  for (int c = 0; c < length; ++c) {
    word.chars[c] = codes[c];
    word.pinyin[c] = kUnknownPinyin;
    word.char_pos[c] = tag;
    word.char_word[c] = static_cast<int16_t>(list->count - 1);
  }
  return true;
}

bool AppendChineseWord(WordList* list, std::u16string_view reading, int16_t tag, int32_t textPosition) {
  uint16_t codes[kMaxWordChars];
  const int length = ToInternalCodes(reading, codes, kMaxWordChars);
  if (length < 1) return false;
  return AppendCodesWord(list, codes, length, qvTTS_CT_CHINESE, tag, kNoForcedMode, textPosition);
}

bool AppendSpaceWord(WordList* list, int32_t textPosition) {
  const uint16_t space = ' ';
  return AppendCodesWord(list, &space, 1, qvTTS_CT_SYMBOL, kTagPunctuationWord, kNoForcedMode, textPosition);
}

}  // namespace kvo::frontend
