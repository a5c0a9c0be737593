// The normalisation step of the Chinese analysis: spelling, regrouping,
// sentence patterns, reading modes, word rules, pinyin completion, removal
// of unreadable words and spelling again.
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/normalisation_steps.h"
#include "frontend/normalisation/sentence_patterns.h"

namespace kvo::frontend {

namespace {

bool IsRun(const WordRecord& word) {
  return word.word_class != qvTTS_CT_CHINESE && word.word_class != qvTTS_CT_READING &&
         word.word_class != kWordClassUntouchable;
}

// Word building joins ASCII, line ends and GBK symbols into one run
// ("hao3。"); cut them apart first so that the spelling step sees the ASCII
// word alone.
void SplitAsciiFromSymbols(const AnalysisResources& res, WordList* words, WordList* out) {
  out->count = 0;
  for (int w = 0; w < words->count; ++w) {
    const WordRecord& word = words->words[w];
    if (!IsRun(word)) {
      if (out->count >= kMaxWordsPerSentence) break;
      out->words[out->count++] = word;
      continue;
    }
    int from = 0;
    for (int c = 1; c <= word.length; ++c) {
      const bool cut = c == word.length || (word.chars[c] < 0x80) != (word.chars[c - 1] < 0x80) ||
                       word.chars[c] < 0x20 || word.chars[c - 1] < 0x20;
      if (!cut) continue;
      if (out->count >= kMaxWordsPerSentence) {
        *words = *out;
        return;
      }
      WordRecord& part = out->words[out->count++];
      part = word;
      part.length = static_cast<int16_t>(c - from);
      for (int k = 0; k < part.length; ++k) {
        part.chars[k] = word.chars[from + k];
        part.pinyin[k] = word.pinyin[from + k];
        part.char_pos[k] = word.char_pos[from + k];
        part.char_word[k] = word.char_word[from + k];
      }
      part.text_position = word.text_position + from;
      part.word_class = static_cast<int16_t>(ClassifyCode(part.chars[0], res.syllableCodeCount));
      from = c;
    }
  }
  *words = *out;
}

// English mode 1 reads a sentence of letters, digits and ASCII symbols
// letter by letter: no pattern may rewrite it.
bool LettersOnly(const WordList& words) {
  bool letter = false;
  for (int w = 0; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    if (word.word_class == qvTTS_CT_LETTER) {
      letter = true;
    } else if (word.word_class == qvTTS_CT_DIGIT) {
    } else if (word.word_class != qvTTS_CT_SYMBOL || word.chars[0] >= 0x80) {
      return false;
    }
  }
  return letter;
}

void ApplyPatterns(const AnalysisResources& res, const NormalisationSettings& settings, WordList* words,
                   WordList* copy) {
  copy->count = 0;
  int untouchable = 0;
  for (int w = 0; w < words->count; ++w) {
    if (words->words[w].word_class == kWordClassUntouchable) {
      ++untouchable;
    } else {
      copy->words[copy->count++] = words->words[w];
    }
  }
  if (settings.engMode == 1 && LettersOnly(*copy)) return;
  ApplySentencePatterns(res, settings, copy);
  if (untouchable == 0) {
    *words = *copy;
    return;
  }
  // Put the words the patterns never saw back by their text position.
  WordList merged;
  merged.count = 0;
  int k = 0;
  for (int w = 0; w < words->count; ++w) {
    const WordRecord& kept = words->words[w];
    if (kept.word_class != kWordClassUntouchable) continue;
    while (k < copy->count && copy->words[k].text_position < kept.text_position && merged.count < kMaxWordsPerSentence)
      merged.words[merged.count++] = copy->words[k++];
    if (merged.count < kMaxWordsPerSentence) merged.words[merged.count++] = kept;
  }
  while (k < copy->count && merged.count < kMaxWordsPerSentence) merged.words[merged.count++] = copy->words[k++];
  *words = merged;
}

void RemoveUnreadable(WordList* words) {
  int kept = 0;
  for (int w = 0; w < words->count; ++w) {
    const WordRecord& word = words->words[w];
    if (word.length < 1 || word.length > kMaxWordChars) continue;
    if (kept != w) words->words[kept] = word;
    ++kept;
  }
  words->count = kept;
}

}  // namespace

bool NormaliseWords(const AnalysisResources& res, const NormalisationSettings& settings, NormalisationScratch* scratch,
                    WordList* words) {
  for (int w = 0; w < words->count; ++w) {
    words->words[w].reading_modes[kForcedModeSlot] = kNoForcedMode;
    words->words[w].reading_modes[kModeInForceSlot] = kNoForcedMode;
  }
  SplitAsciiFromSymbols(res, words, &scratch->output);
  ApplySpelling(res, words);
  RegroupByClass(res, words, &scratch->output);
  ApplyPatterns(res, settings, words, &scratch->copy);
  AssignReadingModes(settings, words);
  ApplyWordRules(res, settings, *words, &scratch->output);
  *words = scratch->output;
  CompletePinyin(res, words);
  RemoveUnreadable(words);
  ApplySpelling(res, words);
  return true;
}

}  // namespace kvo::frontend
