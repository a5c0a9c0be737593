// Pinyin of the words the rules made: looked up in the main lexicon.
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/normalisation_steps.h"

namespace kvo::frontend {

namespace {

// First reading of chars[0 … length) as one lexicon word.
bool WordReading(const AnalysisResources& res, const uint16_t* chars, int length, uint16_t* pinyin) {
  LexiconEntry entry;
  if (res.lexicon.Find(chars, length, &entry) != LexiconStatus::kFound || entry.reading_count < 1) return false;
  for (int c = 0; c < length; ++c) pinyin[c] = entry.readings[0].pinyin[c];
  return true;
}

}  // namespace

void CompletePinyin(const AnalysisResources& res, WordList* words) {
  if (!res.hasLexicon) return;
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    if (word.word_class != qvTTS_CT_CHINESE || word.pinyin[0] != kUnknownPinyin) continue;
    // The whole word first: per character, 百分之 or 下划线 would take the
    // characters' commonest readings, not the word's.
    if (word.length > 1 && word.length <= kLexiconMaxWordLength &&
        WordReading(res, word.chars, word.length, word.pinyin))
      continue;
    for (int c = 0; c < word.length; ++c) {
      if (!IsGb2312Hanzi(word.chars[c])) continue;
      uint16_t code = kUnknownPinyin;
      if (!WordReading(res, &word.chars[c], 1, &code)) res.lexicon.DefaultPinyin(word.chars[c], &code);
      word.pinyin[c] = code;
    }
  }
}

}  // namespace kvo::frontend
