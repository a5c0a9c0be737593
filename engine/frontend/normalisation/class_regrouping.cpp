// Regrouping by character class: a non-hanzi run of word building becomes
// words of one class each, so that the rules see numbers, letters and
// single symbols.
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/normalisation_steps.h"

namespace kvo::frontend {

namespace {

bool IsSymbolLike(int cls) {
  return cls == qvTTS_CT_SYMBOL || cls == qvTTS_CT_NUMBERED || cls == qvTTS_CT_OTHER || cls == kWordClassUntouchable;
}

bool Regrouped(const WordRecord& word) {
  return word.word_class != qvTTS_CT_CHINESE && word.word_class != qvTTS_CT_READING &&
         word.word_class != kWordClassUntouchable;
}

// Appends word.chars[from … to) as a word of its own.
bool AppendPart(const WordRecord& word, int from, int to, int cls, WordList* out) {
  if (out->count >= kMaxWordsPerSentence) return false;
  WordRecord& part = out->words[out->count++];
  part = word;
  part.length = static_cast<int16_t>(to - from);
  for (int c = 0; c < part.length; ++c) {
    part.chars[c] = word.chars[from + c];
    part.pinyin[c] = word.pinyin[from + c];
    part.char_pos[c] = word.char_pos[from + c];
    part.char_word[c] = word.char_word[from + c];
  }
  // An unconvertible character is read as punctuation: a pause.
  part.word_class = static_cast<int16_t>(cls == qvTTS_CT_OTHER ? qvTTS_CT_SYMBOL : cls);
  part.text_position = word.text_position + from;
  return true;
}

// Joins part onto the previous word when both are letters or both digits.
bool JoinsPrevious(const WordList& out, int cls, int length) {
  if (out.count == 0 || (cls != qvTTS_CT_LETTER && cls != qvTTS_CT_DIGIT)) return false;
  const WordRecord& prev = out.words[out.count - 1];
  return prev.word_class == cls && prev.length + length <= kMaxWordChars &&
         prev.reading_modes[kForcedModeSlot] == kNoForcedMode;
}

}  // namespace

void RegroupByClass(const AnalysisResources& res, WordList* words, WordList* out) {
  const uint16_t g = res.syllableCodeCount;
  out->count = 0;
  int last_split = -1;  // output index of the last word made here
  for (int w = 0; w < words->count; ++w) {
    const WordRecord& word = words->words[w];
    if (!Regrouped(word)) {
      if (out->count >= kMaxWordsPerSentence) break;
      out->words[out->count++] = word;
      continue;
    }
    bool full = false;
    for (int from = 0; from < word.length && !full;) {
      const int cls = ClassifyCode(word.chars[from], g);
      int to = from + 1;
      if (!IsSymbolLike(cls)) {
        while (to < word.length && ClassifyCode(word.chars[to], g) == cls) ++to;
      }
      if (last_split == out->count - 1 && from == 0 && JoinsPrevious(*out, cls, to - from) &&
          word.reading_modes[kForcedModeSlot] == kNoForcedMode) {
        WordRecord& prev = out->words[out->count - 1];
        for (int c = from; c < to; ++c) {
          prev.chars[prev.length] = word.chars[c];
          prev.pinyin[prev.length] = word.pinyin[c];
          ++prev.length;
        }
      } else if (!AppendPart(word, from, to, cls, out)) {
        full = true;  // no room: the rest of the sentence is not read
        break;
      }
      last_split = out->count - 1;
      from = to;
    }
    if (full) break;
  }
  *words = *out;
}

}  // namespace kvo::frontend
