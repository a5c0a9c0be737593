// The sentence as one text for the pattern finders: the characters of all
// words concatenated, with for each character its word, its class and its
// position in the sentence, and the table of the segments found so far.
#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/analysis/word_record.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

constexpr int kPatternTextCapacity = kMaxWordsPerSentence * kMaxWordChars;
// Formulas are scanned no further than this many characters of the text.
constexpr int kFormulaScanLimit = 512;
// A numeric segment collects at most this many separators.
constexpr int kMaxNumericSeparators = 49;
// A telephone span holds at most this many separators.
constexpr int kMaxTelephoneSeparators = 50;

enum class SegmentType : uint8_t {
  kAddress,
  kModelName,
  kDashRun,  // "--", "---", "——": one dash pause
  kLetterCode,
  kGroupedNumber,
  kDate,
  kTime,
  kScore,
  kRaceTime,
  kDottedNumber,
  kListNumber,
  kTelephone,
  kFormula,
  kFraction,
  kUnit,
};

// Subtypes of kTelephone.
constexpr uint8_t kTelephonePlain = 0;
constexpr uint8_t kTelephoneIsbn = 1;        // separators read as in a letter code
constexpr uint8_t kTelephoneDigitsOnly = 2;  // digits of a list number before a letter

struct Segment {
  int16_t start;
  int16_t length;
  SegmentType type;
  uint8_t subtype;  // per type, see the finders
  int16_t info[3];  // per type, see the finders
};

struct PatternText {
  uint16_t ch[kPatternTextCapacity];
  int8_t word[kPatternTextCapacity];  // index of the word holding the character
  uint8_t cls[kPatternTextCapacity];  // CharClass of the character
  bool locked[kPatternTextCapacity];  // part of a fixed English expression
  int32_t pos[kPatternTextCapacity];  // text position the character reads
  int16_t wordStart[kMaxWordsPerSentence + 1];
  int length;
  int wordCount;

  // The segment table: at most one segment per character.
  Segment segments[kPatternTextCapacity];
  int segmentCount;
  bool taken[kPatternTextCapacity];

  uint16_t At(int i) const { return i >= 0 && i < length ? ch[i] : 0; }
  bool IsDigit(int i) const { return i >= 0 && i < length && cls[i] == qvTTS_CT_DIGIT; }
  bool IsLetter(int i) const { return i >= 0 && i < length && cls[i] == qvTTS_CT_LETTER; }
  bool IsAlnum(int i) const { return IsDigit(i) || IsLetter(i); }
  bool IsChinese(int i) const { return i >= 0 && i < length && cls[i] == qvTTS_CT_CHINESE; }
  // Not yet inside a segment nor part of a fixed expression.
  bool Free(int i) const { return i >= 0 && i < length && !taken[i] && !locked[i]; }
  bool WordStartsAt(int i) const { return i == 0 || (i < length && word[i] != word[i - 1]); }
  bool WordEndsAt(int end) const { return end == length || (end > 0 && end < length && word[end] != word[end - 1]); }

  // End of the run of digits from i.
  int DigitRunEnd(int i) const {
    while (IsDigit(i)) ++i;
    return i;
  }
  int LetterRunEnd(int i) const {
    while (IsLetter(i)) ++i;
    return i;
  }
  // Value of the digits [from, to), capped so that long runs cannot overflow.
  int32_t Value(int from, int to) const;

  // True when the characters from i spell text.
  bool MatchAt(int i, std::u16string_view text) const;
  // True when the characters ending right before end spell text.
  bool MatchBefore(int end, std::u16string_view text) const {
    return MatchAt(end - static_cast<int>(text.size()), text);
  }
  // Length of the first entry of list spelled from i, or 0.
  int MatchAnyAt(int i, const std::u16string_view* list, int count) const;
  // True when a letter word equal to text stands anywhere in the text.
  bool HasLetterWord(std::u16string_view text) const;

  // Adds a segment over characters that are all free; false when it overlaps.
  bool AddSegment(const Segment& segment);
};

// Builds the text of the words (at most kPatternTextCapacity characters).
void BuildPatternText(const WordList& words, uint16_t syllableCodeCount, PatternText* text);

// The finders, in the order they run. Each adds segments over free characters.
void FindAddresses(PatternText* text);
void FindLetterSegments(PatternText* text);
void FindNumericSegments(PatternText* text);
void FindFormulas(PatternText* text);
void FindUnits(PatternText* text);

// Merges fixed English expressions and contractions into single letter words.
void MergeEnglishExpressions(WordList* words);

// Appends the reading of one segment; false (with out unchanged) when the
// words do not fit.
bool EmitSegment(const PatternText& text, const WordList& source, const Segment& segment, WordList* out);

// Appends the characters [from, to) of the text as they stood in the source
// words (a whole word is copied as it was); false when they do not fit.
bool EmitSource(const PatternText& text, const WordList& source, int from, int to, WordList* out);

}  // namespace kvo::frontend
