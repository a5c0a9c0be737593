// Prosodic word and phrase boundaries until the boundary model lands:
// every word of two or more characters starts a prosodic word, a
// one-character function word (particle, auxiliary, modal) leans on the word
// before it, other single characters stand alone, and each stretch between
// punctuation is one phrase.
#include "chinese_analysis.h"
#include "internal_code.h"
#include "tag_tables.h"

namespace kvo::frontend {

namespace {

bool IsFunctionWord(const WordRecord& word) {
  if (word.length != 1) return false;
  const char* name = TagName(word.pos);
  return name != nullptr && (name[0] == 'u' || name[0] == 'y' || name[0] == 'e');
}

bool IsPunctuation(const WordRecord& word) {
  return word.word_class == qvTTS_CT_SYMBOL || word.word_class == qvTTS_CT_OTHER;
}

}  // namespace

bool PredictBoundaries(const AnalysisResources&, WordList* words) {
  bool phrase_open = false;
  bool previous_spoken = false;
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    word.boundary = 0;
    if (IsPunctuation(word)) {
      phrase_open = false;
      previous_spoken = false;
      continue;
    }
    if (!phrase_open) {
      word.boundary = kStartsProsodicWord | kStartsPhrase;
      phrase_open = true;
    } else if (!(IsFunctionWord(word) && previous_spoken)) {
      word.boundary = kStartsProsodicWord;
    }
    previous_spoken = true;
  }
  return true;
}

}  // namespace kvo::frontend
