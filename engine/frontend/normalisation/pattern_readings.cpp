// The words each segment is read as: digit words with a forced reading
// type, Chinese words (年, 点, 比, 加 …), letter words kept, symbol words
// spoken or kept, space words.
#include <string_view>

#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/normalised_words.h"
#include "frontend/normalisation/pattern_text.h"
#include "frontend/normalisation/pattern_units.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {
namespace {

constexpr uint16_t kEmDash = 0xAAA1;  // "—"

// Appends words to out; after the first failure nothing more is appended.
class Emitter {
 public:
  Emitter(const PatternText& text, const WordList& source, WordList* out)
      : t_(text), source_(source), out_(out), first_(out->count) {}

  bool ok() const { return ok_; }
  // Forgets what was appended when anything failed: no half readings.
  bool Finish() {
    if (!ok_) {
      out_->count = first_;
      return false;
    }
    // Readings in another order than written (dates, fractions) report
    // their positions never backwards.
    for (int w = first_ + 1; w < out_->count; ++w) {
      if (out_->words[w].text_position < out_->words[w - 1].text_position) {
        out_->words[w].text_position = out_->words[w - 1].text_position;
      }
    }
    return true;
  }

  void Chinese(std::u16string_view reading, int16_t tag, int at) {
    if (ok_) ok_ = AppendChineseWord(out_, reading, tag, t_.pos[at]);
  }
  void Space(int at) {
    if (ok_) ok_ = AppendSpaceWord(out_, t_.pos[at]);
  }
  void Symbol(uint16_t code, int16_t forced, int at) {
    const int16_t cls = static_cast<int16_t>(t_.cls[at]);
    if (ok_) ok_ = AppendCodesWord(out_, &code, 1, cls, kTagPunctuationWord, forced, t_.pos[at]);
  }
  void Letter(uint16_t code, int16_t tag, int at) {
    if (ok_) ok_ = AppendCodesWord(out_, &code, 1, qvTTS_CT_LETTER, tag, kNoForcedMode, t_.pos[at]);
  }
  // The characters [from, to) as they stood in the source words.
  void Source(int from, int to) {
    if (ok_) ok_ = EmitSource(t_, source_, from, to, out_);
  }
  // Digits of [from, to) as digit words of the reading type; "." stays a
  // symbol word between them, "," (thousands) is dropped.
  void Digits(int from, int to, int16_t type) {
    uint16_t digits[kMaxWordChars];
    int count = 0, first = from;
    for (int i = from; ok_ && i <= to; ++i) {
      const bool digit = i < to && t_.IsDigit(i);
      const bool comma = i < to && t_.ch[i] == ',';
      if (count > 0 && (count == kMaxWordChars || (!digit && !comma))) {
        ok_ = AppendCodesWord(out_, digits, count, qvTTS_CT_DIGIT, kTagNumberWord, type, t_.pos[first]);
        count = 0;
      }
      if (digit) {
        if (count == 0) first = i;
        digits[count++] = t_.ch[i];
      } else if (i < to && t_.ch[i] == '.') {
        Symbol('.', kNoForcedMode, i);
      }
    }
  }
  // A run of digits from i (not past limit) read with type; returns its end.
  int DigitRun(int i, int16_t type, int limit) {
    const int runEnd = t_.DigitRunEnd(i);
    const int end = runEnd < limit ? runEnd : limit;
    Digits(i, end, type);
    return end;
  }

 private:
  const PatternText& t_;
  const WordList& source_;
  WordList* out_;
  int first_;
  bool ok_ = true;
};

int NextDigit(const PatternText& t, int i, int end) {
  while (i < end && !t.IsDigit(i)) ++i;
  return i;
}

void EmitAddress(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  for (int i = s.start; i >= 0 && i < end && e->ok();) {
    if (t.IsLetter(i)) {
      const int to = t.LetterRunEnd(i) < end ? t.LetterRunEnd(i) : end;
      e->Source(i, to);
      i = to;
      continue;
    }
    if (t.IsDigit(i)) {
      e->Digits(i, t.DigitRunEnd(i) < end ? t.DigitRunEnd(i) : end, kReadYearDigits);
      i = t.DigitRunEnd(i) < end ? t.DigitRunEnd(i) : end;
      continue;
    }
    const uint16_t c = t.ch[i];
    if (c == '@') {
      e->Chinese(u"花", kTagNounWord, i);
      e->Letter('a', kTagNounWord, i);
    } else if (c == '-' || c == kEmDash) {
      e->Chinese(u"杠", kTagNounWord, i);
    } else {
      e->Symbol(c, kReadSymbols, i);
    }
    ++i;
  }
}

// Model names and letter codes: letters kept, digits one by one.
void EmitCode(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  const bool model = s.type == SegmentType::kModelName;
  for (int i = s.start; i >= 0 && i < end && e->ok();) {
    if (t.IsDigit(i)) {
      i = e->DigitRun(i, kReadDigits, end);
      continue;
    }
    if (!t.IsLetter(i) && t.cls[i] != qvTTS_CT_SYMBOL) {
      // The Chinese prefix of a model name (波音, 歼).
      int to = i;
      while (to < end && !t.IsAlnum(to) && t.cls[to] != qvTTS_CT_SYMBOL) ++to;
      e->Source(i, to);
      i = to;
      continue;
    }
    if (t.IsLetter(i)) {
      const int to = t.LetterRunEnd(i) < end ? t.LetterRunEnd(i) : end;
      e->Source(i, to);
      i = to;
      continue;
    }
    const uint16_t c = t.ch[i];
    if (c == '/') {
      e->Chinese(u"斜杠", kTagNounWord, i);
    } else if (model) {
      // Dashes are dropped; between two numbers a space keeps them apart.
      if (t.IsDigit(i - 1) && t.IsDigit(i + 1)) e->Space(i);
    } else {
      const bool cctv = t.MatchBefore(i, u"CCTV") && !t.IsLetter(i - 5) && t.IsDigit(i + 1);
      if (!cctv) e->Chinese(u"杠", kTagNounWord, i);
    }
    ++i;
  }
}

void EmitDate(const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  if (s.info[0] >= 0) {
    e->DigitRun(s.info[0], kReadYearDigits, end);
    e->Chinese(u"年", kTagTimeWord, s.info[0]);
  }
  if (s.info[1] >= 0) {
    e->DigitRun(s.info[1], kReadNumber, end);
    e->Chinese(u"月", kTagTimeWord, s.info[1]);
  }
  if (s.info[2] >= 0) {
    e->DigitRun(s.info[2], kReadNumber, end);
    e->Chinese(u"日", kTagTimeWord, s.info[2]);
  }
}

void EmitTime(const PatternText& t, const Segment& s, Emitter* e) {
  if (s.info[0] == 1) e->Chinese(u"上午", kTagTimeWord, s.start);
  if (s.info[0] == 2) e->Chinese(u"下午", kTagTimeWord, s.start);
  const int end = s.info[2];
  const int hour = s.info[1];
  const int minutes = NextDigit(t, t.DigitRunEnd(hour), end);
  const int seconds = NextDigit(t, t.DigitRunEnd(minutes), end);
  e->DigitRun(hour, kReadHour, end);
  e->Chinese(u"点", kTagTimeWord, hour);
  if (seconds >= end && t.Value(minutes, t.DigitRunEnd(minutes)) == 0) {
    e->Chinese(u"整", kTagTimeWord, minutes);
    return;
  }
  e->DigitRun(minutes, kReadMinutes, end);
  e->Chinese(u"分", kTagTimeWord, minutes);
  if (seconds < end) {
    e->DigitRun(seconds, kReadMinutes, end);
    e->Chinese(u"秒", kTagTimeWord, seconds);
  }
}

void EmitScore(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  const int second = NextDigit(t, t.DigitRunEnd(s.start), end);
  e->Space(s.start);
  e->DigitRun(s.start, kReadNumber, end);
  e->Chinese(u"比", kTagConnectorWord, second - 1);
  e->DigitRun(second, kReadNumber, end);
  e->Space(end - 1);
}

void EmitRaceTime(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  const int second = NextDigit(t, t.DigitRunEnd(s.start), end);
  e->DigitRun(s.start, kReadNumber, end);
  if (s.subtype == 2) {  // a"b
    e->Chinese(u"秒", kTagTimeWord, second - 1);
    e->DigitRun(second, kReadMinutes, end);
    return;
  }
  e->Chinese(u"分", kTagTimeWord, second - 1);
  e->DigitRun(second, kReadMinutes, end);
  e->Chinese(u"秒", kTagTimeWord, t.DigitRunEnd(second) < end ? t.DigitRunEnd(second) : end - 1);
  const int third = NextDigit(t, t.DigitRunEnd(second), end);
  if (third < end) e->DigitRun(third, kReadMinutes, end);
}

bool IsExtensionMark(uint16_t c) { return c == '-' || c == '*' || c == 'x' || c == 'X' || c == kEmDash; }

void EmitTelephone(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  if (s.subtype == kTelephoneDigitsOnly) {
    e->Digits(s.start, end, kReadDigits);
    return;
  }
  int digits = 0;
  bool extension = false;
  for (int i = s.start; i >= 0 && i < end && e->ok();) {
    if (t.IsDigit(i)) {
      const int to = t.DigitRunEnd(i) < end ? t.DigitRunEnd(i) : end;
      e->Digits(i, to, kReadDigits);
      digits += to - i;
      i = to;
      continue;
    }
    int to = i;
    while (to < end && !t.IsDigit(to)) ++to;
    const bool inner = digits > 0 && to < end;
    if (s.subtype == kTelephoneIsbn) {
      for (int k = i; k < to; ++k) {
        if (t.ch[k] == '-' || t.ch[k] == kEmDash) e->Chinese(u"杠", kTagNounWord, k);
        if (t.ch[k] == '/') e->Chinese(u"斜杠", kTagNounWord, k);
      }
      if (inner && to - i == 1 && t.ch[i] != '-' && t.ch[i] != kEmDash && t.ch[i] != '/') e->Space(i);
    } else if (inner) {
      int mark = -1;
      for (int k = i; k < to && mark < 0; ++k) {
        if (IsExtensionMark(t.ch[k])) mark = k;
      }
      if (!extension && digits > 6 && mark >= 0) {
        e->Chinese(u"转", kTagConnectorWord, mark);
        extension = true;
      } else {
        e->Space(i);
      }
    }
    i = to;
  }
}

bool IsOpening(uint16_t c) { return c == '(' || c == '[' || c == '{'; }
bool IsClosing(uint16_t c) { return c == ')' || c == ']' || c == '}'; }

// "/" followed two words later by 赛季 (2008/09赛季) stays as written.
bool SeasonAfterSlash(const PatternText& t, int slash) {
  int after = slash + 1;
  if (t.IsDigit(after)) {
    after = t.DigitRunEnd(after);
  } else if (t.IsLetter(after)) {
    after = t.LetterRunEnd(after);
  }
  return t.MatchAt(after, u"赛季");
}

void EmitFormula(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  int previous = -1;  // last character that was not a space
  for (int i = s.start; i >= 0 && i < end && e->ok();) {
    const uint16_t c = t.ch[i];
    if (t.IsDigit(i)) {
      int to = t.DigitRunEnd(i);
      // One decimal point belongs to the number (3.5).
      if (to + 1 < end && t.ch[to] == '.' && t.IsDigit(to + 1)) to = t.DigitRunEnd(to + 1);
      to = to < end ? to : end;
      e->Digits(i, to, kReadNumber);
      previous = to - 1;
      i = to;
      continue;
    }
    if (t.IsLetter(i)) {
      const int to = t.LetterRunEnd(i) < end ? t.LetterRunEnd(i) : end;
      e->Source(i, to);
      previous = to - 1;
      i = to;
      continue;
    }
    if (c == ' ') {
      ++i;
      continue;
    }
    if (c == '-') {
      const bool afterOperand = previous >= 0 && (t.IsAlnum(previous) || IsClosing(t.ch[previous]));
      e->Chinese(afterOperand ? u"减去" : u"负", afterOperand ? kTagOperatorWord : kTagNumberWord, i);
    } else if (c == '/') {
      if (SeasonAfterSlash(t, i)) {
        e->Source(i, i + 1);
      } else {
        e->Chinese(u"除以", kTagOperatorWord, i);
      }
    } else {
      std::u16string_view reading;
      switch (c) {
        case '+':
          reading = u"加";
          break;
        case '*':
          reading = u"乘以";
          break;
        case '=':
          reading = u"等于";
          break;
        case '<':
          reading = u"小于";
          break;
        case '>':
          reading = u"大于";
          break;
        case '(':
          reading = u"左小括号";
          break;
        case ')':
          reading = u"右小括号";
          break;
        case '[':
          reading = u"左中括号";
          break;
        case ']':
          reading = u"右中括号";
          break;
        case '{':
          reading = u"左大括号";
          break;
        case '}':
          reading = u"右大括号";
          break;
        default:
          if (c == InternalCodeOf(u'×')) reading = u"乘";
          if (c == InternalCodeOf(u'÷')) reading = u"除以";
          break;
      }
      if (reading.empty()) {
        e->Source(i, i + 1);
      } else {
        const bool bracket = IsOpening(c) || IsClosing(c);
        e->Chinese(reading, bracket ? kTagNounWord : kTagOperatorWord, i);
      }
    }
    previous = i;
    ++i;
  }
}

// b/c reads c 分之 b; a-b/c reads a 又 c 分之 b.
void EmitFraction(const PatternText& t, const Segment& s, Emitter* e) {
  const int end = s.start + s.length;
  int numerator = s.start;
  if (s.subtype == 1) {
    e->DigitRun(s.start, kReadNumber, end);
    numerator = NextDigit(t, t.DigitRunEnd(s.start), end);
    e->Chinese(u"又", kTagConnectorWord, numerator - 1);
  }
  const int denominator = NextDigit(t, t.DigitRunEnd(numerator), end);
  e->DigitRun(denominator, kReadNumber, end);
  e->Chinese(u"分之", kTagNumberWord, denominator - 1);
  e->DigitRun(numerator, kReadNumber, end);
}

}  // namespace

bool EmitSource(const PatternText& text, const WordList& source, int from, int to, WordList* out) {
  int i = from;
  while (i < to) {
    const int w = text.word[i];
    const int wordEnd = text.wordStart[w + 1];
    const int end = wordEnd < to ? wordEnd : to;
    const WordRecord& word = source.words[w];
    if (i == text.wordStart[w] && end == wordEnd && word.length == end - i) {
      if (out->count >= kMaxWordsPerSentence) return false;
      WordRecord& copy = out->words[out->count];
      copy = word;
      for (int c = 0; c < copy.length; ++c) copy.char_word[c] = static_cast<int16_t>(out->count);
      ++out->count;
    } else if (!AppendCodesWord(out, &text.ch[i], end - i, static_cast<int16_t>(text.cls[i]), word.pos,
                                word.reading_modes[kForcedModeSlot], text.pos[i])) {
      return false;
    }
    i = end;
  }
  return true;
}

bool EmitSegment(const PatternText& text, const WordList& source, const Segment& segment, WordList* out) {
  Emitter e(text, source, out);
  const int end = segment.start + segment.length;
  switch (segment.type) {
    case SegmentType::kAddress:
      EmitAddress(text, segment, &e);
      break;
    case SegmentType::kModelName:
    case SegmentType::kLetterCode:
      EmitCode(text, segment, &e);
      break;
    case SegmentType::kDashRun:
      e.Symbol(kEmDash, kNoForcedMode, segment.start);
      break;
    case SegmentType::kGroupedNumber:
      e.Digits(segment.start, end, kReadNumber);
      break;
    case SegmentType::kDate:
      EmitDate(segment, &e);
      break;
    case SegmentType::kTime:
      EmitTime(text, segment, &e);
      break;
    case SegmentType::kScore:
      EmitScore(text, segment, &e);
      break;
    case SegmentType::kRaceTime:
      EmitRaceTime(text, segment, &e);
      break;
    case SegmentType::kDottedNumber:
      e.Digits(segment.start, end, kReadDigits);
      break;
    case SegmentType::kListNumber:
      e.Digits(segment.start, end - 1, kReadNumber);
      break;
    case SegmentType::kTelephone:
      EmitTelephone(text, segment, &e);
      break;
    case SegmentType::kFormula:
      EmitFormula(text, segment, &e);
      break;
    case SegmentType::kFraction:
      EmitFraction(text, segment, &e);
      break;
    case SegmentType::kUnit: {
      const int at = text.At(segment.start) == ' ' ? segment.start + 1 : segment.start;
      const std::u16string_view reading = UnitReadingAt(text, at);
      if (reading.empty()) {
        e.Source(segment.start, end);
      } else {
        e.Chinese(reading, kTagMeasureWord, at);
      }
      break;
    }
  }
  return e.Finish();
}

}  // namespace kvo::frontend
