#include "frontend/normalisation/pattern_text.h"

#include <cstdint>

#include "frontend/normalisation/internal_text.h"

namespace kvo::frontend {

void BuildPatternText(const WordList& words, uint16_t syllableCodeCount, PatternText* text) {
  text->length = 0;
  text->segmentCount = 0;
  const int count = words.count < 0 ? 0 : (words.count > kMaxWordsPerSentence ? kMaxWordsPerSentence : words.count);
  text->wordCount = count;
  for (int w = 0; w < count; ++w) {
    const WordRecord& word = words.words[w];
    text->wordStart[w] = static_cast<int16_t>(text->length);
    const int length = word.length < 0 ? 0 : (word.length > kMaxWordChars ? kMaxWordChars : word.length);
    // A word whose reading was spelled out (fixed words) can be longer than
    // its source; its characters must not run past the next word's position.
    int32_t limit = INT32_MAX;
    if (w + 1 < count && words.words[w + 1].text_position > word.text_position) {
      limit = words.words[w + 1].text_position - 1;
    }
    for (int c = 0; c < length && text->length < kPatternTextCapacity; ++c) {
      const int i = text->length++;
      text->ch[i] = word.chars[c];
      text->word[i] = static_cast<int8_t>(w);
      text->cls[i] = static_cast<uint8_t>(ClassifyCode(word.chars[c], syllableCodeCount));
      // A letter word holding other characters is a merged expression (or a
      // spelled reading): no pattern may take it apart.
      text->locked[i] = word.word_class == qvTTS_CT_LETTER && text->cls[i] != qvTTS_CT_LETTER;
      const int32_t pos = word.text_position + c;
      text->pos[i] = pos < limit ? pos : (limit > word.text_position ? limit : word.text_position);
      text->taken[i] = false;
    }
  }
  text->wordStart[count] = static_cast<int16_t>(text->length);
  // Such a word is locked whole.
  for (int w = 0; w < count; ++w) {
    bool mixed = false;
    for (int i = text->wordStart[w]; i < text->wordStart[w + 1]; ++i) mixed |= text->locked[i];
    if (!mixed) continue;
    for (int i = text->wordStart[w]; i < text->wordStart[w + 1]; ++i) text->locked[i] = true;
  }
}

int32_t PatternText::Value(int from, int to) const {
  int32_t value = 0;
  for (int i = from; i < to; ++i) {
    if (!IsDigit(i)) continue;
    value = value * 10 + (ch[i] - '0');
    if (value > 99999) return 99999;
  }
  return value;
}

bool PatternText::MatchAt(int i, std::u16string_view text) const {
  if (i < 0 || i + static_cast<int>(text.size()) > length) return false;
  for (size_t k = 0; k < text.size(); ++k) {
    if (ch[i + static_cast<int>(k)] != InternalCodeOf(text[k])) return false;
  }
  return true;
}

int PatternText::MatchAnyAt(int i, const std::u16string_view* list, int count) const {
  for (int k = 0; k < count; ++k) {
    if (MatchAt(i, list[k])) return static_cast<int>(list[k].size());
  }
  return 0;
}

bool PatternText::HasLetterWord(std::u16string_view text) const {
  for (int w = 0; w < wordCount; ++w) {
    const int start = wordStart[w];
    if (wordStart[w + 1] - start == static_cast<int>(text.size()) && IsLetter(start) && MatchAt(start, text)) {
      return true;
    }
  }
  return false;
}

bool PatternText::AddSegment(const Segment& segment) {
  if (segment.length < 1 || segment.start < 0 || segment.start + segment.length > length) return false;
  if (segmentCount >= kPatternTextCapacity) return false;
  for (int i = segment.start; i < segment.start + segment.length; ++i) {
    if (taken[i]) return false;
  }
  for (int i = segment.start; i < segment.start + segment.length; ++i) taken[i] = true;
  // Keep the table sorted by start.
  int at = segmentCount++;
  while (at > 0 && segments[at - 1].start > segment.start) {
    segments[at] = segments[at - 1];
    --at;
  }
  segments[at] = segment;
  return true;
}

}  // namespace kvo::frontend
