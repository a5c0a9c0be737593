// Fixed English expressions and contractions: several class-run words that
// are read as one English word (CD-ROM, X-ray, don't) become one letter word
// before any pattern can take them apart.
#include <string_view>

#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/pattern_text.h"

namespace kvo::frontend {
namespace {

struct Expression {
  std::u16string_view written;
  std::u16string_view read;  // empty: kept as written
};

constexpr Expression kExpressions[] = {
    {u"E-Mail", u"Email"},  {u"E_Mail", u"Email"}, {u"Dr.", u"doctor"},     {u"3DNow", u""},
    {u"AT&T", u""},         {u"A.M.", u""},        {u"P.M.", u""},          {u"B.C.", u""},
    {u"i.e.", u""},         {u"CD-ROM", u""},      {u"Windows 95", u""},    {u"Windows 98", u""},
    {u"Windows 2000", u""}, {u"Windows NT", u""},  {u"father-in-law", u""}, {u"fathers-in-law", u""},
    {u"ice-cream", u""},    {u"living-room", u""}, {u"living-rooms", u""},  {u"so-called", u""},
    {u"upside-down", u""},  {u"up-to-date", u""},  {u"well-known", u""},    {u"world-wide", u""},
    {u"X-ray", u""},        {u"Rolls-Royce", u""}, {u"St.Paul", u""},       {u"postal code", u""},
};

bool IsLetterOrDigitWord(const WordRecord& word) {
  return word.word_class == qvTTS_CT_LETTER || word.word_class == qvTTS_CT_DIGIT;
}

// Number of words from first whose characters together spell text exactly
// (whole words only), or 0.
int WordsSpelling(const WordList& words, int first, std::u16string_view text) {
  size_t matched = 0;
  for (int w = first; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    if (word.length < 1 || matched + static_cast<size_t>(word.length) > text.size()) return 0;
    if (!CodesEqual(word.chars, word.length, text.substr(matched, static_cast<size_t>(word.length)))) return 0;
    matched += static_cast<size_t>(word.length);
    if (matched == text.size()) return w - first + 1;
  }
  return 0;
}

// Replaces words [first, first + count) by one letter word of codes.
void MergeWords(WordList* words, int first, int count, const uint16_t* codes, int length) {
  WordRecord& merged = words->words[first];
  for (int c = 0; c < length; ++c) {
    merged.chars[c] = codes[c];
    merged.pinyin[c] = kUnknownPinyin;
    merged.char_pos[c] = merged.pos;
    merged.char_word[c] = merged.char_word[0];
  }
  merged.length = static_cast<int16_t>(length);
  merged.word_class = qvTTS_CT_LETTER;
  for (int w = first + 1; w + count - 1 < words->count; ++w) words->words[w] = words->words[w + count - 1];
  words->count -= count - 1;
}

bool MergeExpressionAt(WordList* words, int w) {
  for (const Expression& expression : kExpressions) {
    const int count = WordsSpelling(*words, w, expression.written);
    if (count < 2 && expression.read.empty()) continue;  // one word already
    if (count < 1) continue;
    const std::u16string_view read = expression.read.empty() ? expression.written : expression.read;
    uint16_t codes[kMaxWordChars];
    const int length = ToInternalCodes(read, codes, kMaxWordChars);
    if (length < 1) continue;
    MergeWords(words, w, count, codes, length);
    return true;
  }
  return false;
}

// A letter word, "'" and "t" or a word starting with "s": don't, it's.
bool MergeContractionAt(WordList* words, int w) {
  if (w + 2 >= words->count) return false;
  const WordRecord& head = words->words[w];
  const WordRecord& mark = words->words[w + 1];
  const WordRecord& tail = words->words[w + 2];
  if (head.word_class != qvTTS_CT_LETTER || tail.word_class != qvTTS_CT_LETTER) return false;
  if (head.length < 1 || tail.length < 1) return false;
  if (mark.length != 1 || mark.chars[0] != '\'') return false;
  const bool isT = tail.length == 1 && tail.chars[0] == 't';
  const bool startsS = tail.length >= 1 && tail.chars[0] == 's';
  if (!isT && !startsS) return false;
  const int length = head.length + 1 + tail.length;
  if (length > kMaxWordChars) return false;
  uint16_t codes[kMaxWordChars];
  int n = 0;
  for (int c = 0; c < head.length; ++c) codes[n++] = head.chars[c];
  codes[n++] = '\'';
  for (int c = 0; c < tail.length; ++c) codes[n++] = tail.chars[c];
  MergeWords(words, w, 3, codes, n);
  return true;
}

}  // namespace

void MergeEnglishExpressions(WordList* words) {
  for (int w = 0; w < words->count; ++w) {
    if (!IsLetterOrDigitWord(words->words[w])) continue;
    if (!MergeExpressionAt(words, w)) MergeContractionAt(words, w);
  }
}

}  // namespace kvo::frontend
