// Spelling and normalisation step. Text normalisation (numbers, symbols,
// dates) is not built yet; until it is, a run of non-hanzi is cut into words
// of one character class, each punctuation character becomes a word of its
// own so that it reads as its own pause, and empty or overlong words are
// dropped. Digits then read as silence and letters as letter units.
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

namespace {

bool SplitsAlone(int word_class) {
  return word_class == qvTTS_CT_SYMBOL || word_class == qvTTS_CT_OTHER || word_class == qvTTS_CT_NUMBERED;
}

}  // namespace

bool NormaliseWords(const AnalysisResources& res, WordList* words) {
  WordList& list = *words;
  const uint16_t g = res.syllableCodeCount;
  for (int w = 0; w < list.count; ++w) {
    WordRecord& word = list.words[w];
    if (word.word_class == qvTTS_CT_CHINESE || word.word_class == qvTTS_CT_READING) continue;
    // An unconvertible character is read as punctuation: a pause.
    if (word.chars[0] == kCodeUnconvertible) word.word_class = qvTTS_CT_SYMBOL;
    // Length of the leading part of one class.
    const int cls = ClassifyCode(word.chars[0], g);
    int cut = 1;
    if (!SplitsAlone(cls)) {
      while (cut < word.length && ClassifyCode(word.chars[cut], g) == cls) ++cut;
    }
    if (cut >= word.length) continue;
    if (list.count >= kMaxWordsPerSentence) {
      word.length = static_cast<int16_t>(cut);  // no room: the rest is not read
      continue;
    }
    for (int k = list.count; k > w + 1; --k) list.words[k] = list.words[k - 1];
    ++list.count;
    WordRecord& rest = list.words[w + 1];
    rest = word;
    rest.length = static_cast<int16_t>(word.length - cut);
    for (int c = 0; c < rest.length; ++c) {
      rest.chars[c] = word.chars[cut + c];
      rest.pinyin[c] = word.pinyin[cut + c];
    }
    rest.word_class = static_cast<int16_t>(ClassifyCode(rest.chars[0], g));
    if (rest.chars[0] == kCodeUnconvertible) rest.word_class = qvTTS_CT_SYMBOL;
    rest.text_position = word.text_position + cut;
    word.length = static_cast<int16_t>(cut);
  }
  int kept = 0;
  for (int w = 0; w < list.count; ++w) {
    const WordRecord& word = list.words[w];
    if (word.length < 1 || word.length > kMaxWordChars) continue;
    if (kept != w) list.words[kept] = word;
    ++kept;
  }
  list.count = kept;
  return true;
}

}  // namespace kvo::frontend
