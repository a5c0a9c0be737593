// What the word rules share: the input list with the sentence as one text
// (for cues before and after a word), the output list, and the helpers
// that write reading words into it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "frontend/analysis/chinese_analysis.h"
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/normalised_words.h"
#include "frontend/normalisation/number_reading.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {

using CueList = std::initializer_list<std::u16string_view>;

constexpr int kMaxSentenceText = kMaxWordsPerSentence * kMaxWordChars;
constexpr int kMaxDigitSpan = 128;  // characters of one number the rules collect

// A number in the input: digit words joined by single points.
struct DigitSpan {
  int first = 0;  // input words first … last
  int last = 0;
  uint16_t chars[kMaxDigitSpan];
  int length = 0;
  int points = 0;
  int begin = 0;  // text index of the first character
  int end = 0;    // text index after the last character
};

class RuleContext {
 public:
  RuleContext(const AnalysisResources& res, const NormalisationSettings& settings, const WordList& in, WordList* out);

  const AnalysisResources& res;
  const NormalisationSettings& settings;
  const WordList& in;
  WordList* out;
  int outStart[kMaxWordsPerSentence];  // output count before each input word's reading
  bool failed = false;                 // a reading did not fit
  int codeLength = 0;                  // length of a number read after a code cue

  // Input words.
  int Count() const { return in.count; }
  bool Valid(int i) const { return i >= 0 && i < in.count; }
  const WordRecord& Word(int i) const { return in.words[i]; }
  int Class(int i) const { return Valid(i) ? in.words[i].word_class : -1; }
  bool IsDigit(int i) const { return Class(i) == qvTTS_CT_DIGIT; }
  bool IsLetter(int i) const { return Class(i) == qvTTS_CT_LETTER; }
  bool IsChinese(int i) const { return Class(i) == qvTTS_CT_CHINESE || Class(i) == qvTTS_CT_READING; }
  bool IsSpace(int i) const { return Is(i, u" "); }
  bool Is(int i, std::u16string_view s) const { return Valid(i) && CodesEqual(Word(i).chars, Word(i).length, s); }
  bool IsAny(int i, CueList list) const;
  bool IsRangeMark(int i) const;
  bool IsPlaceName(int i) const;
  // The neighbour of word i, one space word skipped.
  int Prev(int i) const { return IsSpace(i - 1) ? i - 2 : i - 1; }
  int Next(int i) const { return IsSpace(i + 1) ? i + 2 : i + 1; }

  // The sentence text.
  int TextLength() const { return textLength_; }
  uint16_t TextAt(int p) const { return (p >= 0 && p < textLength_) ? text_[p] : 0; }
  int Begin(int i) const { return Valid(i) ? wordBegin_[i] : textLength_; }
  int End(int i) const { return Valid(i) ? wordBegin_[i] + Word(i).length : textLength_; }
  // Text ending right before p (or starting at p), one space skipped.
  bool Before(int p, std::u16string_view s) const;
  bool After(int p, std::u16string_view s) const;
  bool BeforeAny(int p, CueList list) const;
  bool AfterAny(int p, CueList list) const;
  // Whether s occurs in the text [from, to).
  bool Contains(int from, int to, std::u16string_view s) const;
  bool ContainsAny(int from, int to, CueList list) const;
  // Start of the clause holding p: after the previous GBK symbol.
  int ClauseStart(int p) const;
  int ClauseEnd(int p) const;

  // The number starting at digit word i.
  void CollectDigits(int i, DigitSpan* span) const;

  // Output.
  bool Copy(int i);
  bool Chinese(std::u16string_view reading, int16_t tag, int32_t position);
  bool Space(int32_t position);
  // position: of the words read, the span's own when negative.
  bool Read(const DigitSpan& span, int16_t type, DigitGrouping grouping = DigitGrouping::kDefault,
            int32_t position = -1);
  // Drops what was written for input words from i on.
  void TakeBack(int i) {
    if (!Valid(i)) return;
    out->count = outStart[i];
    if (outStart[i] < rollback) rollback = outStart[i];
  }
  int rollback = 0;  // where a reading that did not fit is cut back to

 private:
  bool Ok(bool appended) {
    if (!appended) failed = true;
    return appended;
  }
  uint16_t text_[kMaxSentenceText];
  int wordBegin_[kMaxWordsPerSentence];
  int textLength_ = 0;
};

// The rules for a digit word without a forced reading (the decision list);
// returns the index of the next input word to read.
int ReadUnforcedDigits(RuleContext& ctx, int i);

// The symbol reader; returns the next input word.
int ReadSymbol(RuleContext& ctx, int i);

// Unit words and symbols after a number, and currency signs.
bool IsUnitAfter(const RuleContext& ctx, int p);
bool IsUnitWordOrSymbol(const RuleContext& ctx, int i);
// Reading of the currency sign that ends right before p ({} when none) and
// the number of its characters.
std::u16string_view CurrencyBefore(const RuleContext& ctx, int p, int* chars);

}  // namespace kvo::frontend
