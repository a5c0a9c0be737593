// Numeric segments: numbers joined by one kind of separator (grouped
// numbers, dates, times and scores, race times, dotted and list numbers),
// and telephone numbers at the start of a sentence.
#include <iterator>
#include <string_view>

#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/pattern_text.h"
#include "frontend/normalisation/pattern_units.h"

namespace kvo::frontend {
namespace {

constexpr uint16_t kEmDash = 0xAAA1;  // "—"

// Digits joined by separators of one kind, as collected from a digit.
struct NumericRun {
  int start = 0;
  int end = 0;  // after the last part (or the trailing quote)
  int parts = 0;
  int partStart[kMaxNumericSeparators + 1];
  int partEnd[kMaxNumericSeparators + 1];
  int seps = 0;
  uint16_t sep[kMaxNumericSeparators];
  uint16_t kind = 0;   // ',' '-' '.' '/' ':' or '\'' for both quotes
  bool mixed = false;  // a "." joined a run of another kind
  bool trailingQuote = false;
};

uint16_t KindOf(uint16_t c) {
  switch (c) {
    case ',':
    case '-':
    case '.':
    case '/':
    case ':':
    case '\'':
      return c;
    case '"':
      return '\'';
    default:
      return 0;
  }
}

int FreeDigitRunEnd(const PatternText& t, int i) {
  while (t.IsDigit(i) && t.Free(i)) ++i;
  return i;
}

// Collects the run from the digit at i.
void CollectRun(const PatternText& t, int i, NumericRun* run) {
  run->start = i;
  run->parts = 1;
  run->partStart[0] = i;
  run->partEnd[0] = FreeDigitRunEnd(t, i);
  int j = run->partEnd[0];
  while (run->seps < kMaxNumericSeparators && t.Free(j)) {
    const uint16_t c = t.ch[j];
    const uint16_t kind = KindOf(c);
    if (kind == 0) break;
    bool accepted = false;
    bool dot = false;
    if (run->kind == 0) {
      accepted = true;
    } else if (kind == run->kind && !(run->kind == ',' && run->mixed)) {
      accepted = true;
    } else if (c == '.' && !run->mixed && (run->kind == ',' || run->kind == ':' || run->kind == '-')) {
      accepted = dot = true;
    }
    if (!accepted) break;
    if (!t.IsDigit(j + 1) || !t.Free(j + 1)) {
      // A closing double quote marks seconds (1'23"); other trailing marks
      // belong to the sentence.
      if (c == '"' && run->kind == '\'') {
        run->trailingQuote = true;
        ++j;
      }
      break;
    }
    if (run->kind == 0) run->kind = kind;
    run->mixed |= dot;
    run->sep[run->seps++] = c;
    run->partStart[run->parts] = j + 1;
    run->partEnd[run->parts] = FreeDigitRunEnd(t, j + 1);
    j = run->partEnd[run->parts++];
  }
  run->end = j;
}

int PartLength(const NumericRun& run, int p) { return run.partEnd[p] - run.partStart[p]; }
int32_t PartValue(const PatternText& t, const NumericRun& run, int p) {
  return t.Value(run.partStart[p], run.partEnd[p]);
}

Segment MakeSegment(int start, int end, SegmentType type, uint8_t subtype = 0) {
  return {static_cast<int16_t>(start), static_cast<int16_t>(end - start), type, subtype, {-1, -1, -1}};
}

// Skips one space after i (or before i, with step -1).
int SkipSpace(const PatternText& t, int i, int step) { return t.At(i) == ' ' ? i + step : i; }

// ---- grouped numbers -------------------------------------------------------

bool IsGroupedNumber(const NumericRun& run) {
  if (PartLength(run, 0) > 3) return false;
  for (int p = 1; p < run.parts; ++p) {
    const bool decimals = run.sep[p - 1] == '.';
    if (!decimals && PartLength(run, p) != 3) return false;
  }
  return run.sep[0] == ',';
}

// ---- dates -----------------------------------------------------------------

bool IsLeapYear(int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int32_t month, int32_t year, bool yearKnown) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && (!yearKnown || IsLeapYear(year))) return 29;
  return kDays[month - 1];
}

bool ValidMonth(int32_t month) { return month >= 1 && month <= 12; }
bool ValidDay(int32_t day, int32_t month, int32_t year, bool yearKnown) {
  return day >= 1 && day <= DaysInMonth(month, year, yearKnown);
}

// A year is written with three or four digits, or two with a leading zero.
bool YearShaped(const PatternText& t, const NumericRun& run, int p) {
  const int length = PartLength(run, p);
  return length >= 3 || (length == 2 && t.ch[run.partStart[p]] == '0');
}

bool DateRefusedByNeighbours(const PatternText& t, const NumericRun& run) {
  const int before = run.start - 1, after = run.end;
  if (run.kind == '.') {
    // 1.2.3米 is a size, 2.10.5版 a version.
    constexpr std::u16string_view kUnitWords[] = {u"米", u"厘米", u"毫米", u"公里", u"千米", u"克", u"千克", u"公斤",
                                                  u"斤", u"吨",   u"升",   u"毫升", u"元",   u"块", u"倍",   u"版"};
    const int at = SkipSpace(t, after, 1);
    return UnitAt(t, at) > 0 || t.MatchAnyAt(at, kUnitWords, static_cast<int>(std::size(kUnitWords))) > 0;
  }
  if (t.IsAlnum(before) || t.IsAlnum(after)) return true;
  // Part of a longer pattern of other separators (1-3/4, 1/2-3).
  auto isMark = [](uint16_t c) { return c == '-' || c == '/' || c == '.' || c == ':' || c == ','; };
  if (isMark(t.At(after)) && t.IsDigit(after + 1)) return true;
  if (isMark(t.At(before)) && t.IsDigit(before - 1)) return true;
  if (run.kind == '/' && t.MatchAt(SkipSpace(t, after, 1), u"赛季")) return true;
  return false;
}

// Sets the part indices of year, month and day (-1 when missing).
bool ClassifyDate(const PatternText& t, const NumericRun& run, int16_t* year, int16_t* month, int16_t* day) {
  if (run.mixed || (run.kind != '-' && run.kind != '/' && run.kind != '.')) return false;
  // A two-part "." pattern is a decimal number (3.15).
  if (run.parts != 3 && !(run.parts == 2 && run.kind != '.')) return false;
  int longParts = 0;
  for (int p = 0; p < run.parts; ++p) {
    const int length = PartLength(run, p);
    if (length > 4) return false;
    if (length > 2) {
      if (p != 0 && p != run.parts - 1) return false;
      ++longParts;
    }
  }
  if (longParts > 1) return false;
  if (DateRefusedByNeighbours(t, run)) return false;
  const int32_t v0 = PartValue(t, run, 0), v1 = PartValue(t, run, 1);
  *year = *month = *day = -1;
  if (run.parts == 2) {
    const bool short0 = PartLength(run, 0) <= 2, short1 = PartLength(run, 1) <= 2;
    if (short0 && short1 && ValidMonth(v0) && ValidDay(v1, v0, 0, false)) {
      *month = 0;
      *day = 1;
    } else if (short0 && ValidMonth(v0) && v1 != 0 && YearShaped(t, run, 1)) {
      *month = 0;
      *year = 1;
    } else if (short1 && ValidMonth(v1)) {
      if (short0 && ValidDay(v0, v1, 0, false)) {
        *day = 0;
        *month = 1;
      } else if (YearShaped(t, run, 0)) {
        *year = 0;
        *month = 1;
      } else {
        return false;
      }
    } else {
      return false;
    }
    if (*year < 0) {
      // Without a year, "3-5" is a range or a score and "3/4" a fraction.
      if (run.kind == '-') return false;
      if (ValidMonth(v0) && ValidMonth(v1)) return false;
    }
    return true;
  }
  const int32_t v2 = PartValue(t, run, 2);
  if (PartLength(run, 0) > 2 || v0 >= 100) {
    if (PartLength(run, 1) > 2 || PartLength(run, 2) > 2) return false;
    if (!ValidMonth(v1) || !ValidDay(v2, v1, v0, true)) return false;
    *year = 0;
    *month = 1;
    *day = 2;
    return true;
  }
  if (!(v2 > 100 || YearShaped(t, run, 2))) return false;
  *year = 2;
  if (ValidMonth(v0) && ValidDay(v1, v0, v2, true)) {
    *month = 0;
    *day = 1;
  } else if (ValidMonth(v1) && ValidDay(v0, v1, v2, true)) {
    *day = 0;
    *month = 1;
  } else {
    return false;
  }
  return true;
}

// ---- times and scores ----------------------------------------------------

bool ValidTime(const PatternText& t, const NumericRun& run) {
  if (run.parts < 2 || run.parts > 3) return false;
  const int hourLength = PartLength(run, 0);
  const int32_t hour = PartValue(t, run, 0);
  if (hourLength < 1 || hourLength > 2 || hour > 24) return false;
  bool zeros = true;
  for (int p = 1; p < run.parts; ++p) {
    if (PartLength(run, p) != 2 || PartValue(t, run, p) > 59) return false;
    zeros &= PartValue(t, run, p) == 0;
  }
  return hour < 24 || zeros;  // 24:30 is no time
}

// 1 for AM, 2 for PM when such a word spans [from, to).
int MeridiemWord(const PatternText& t, int from, int to) {
  const int n = to - from;
  if (n == 2 && t.MatchAt(from, u"AM")) return 1;
  if (n == 2 && t.MatchAt(from, u"PM")) return 2;
  if (n == 4 && t.MatchAt(from, u"A.M.")) return 1;
  if (n == 4 && t.MatchAt(from, u"P.M.")) return 2;
  return 0;
}

// The AM or PM word ending right before i (one space skipped): its start.
int MeridiemBefore(const PatternText& t, int i, int* which) {
  const int end = SkipSpace(t, i - 1, -1) + 1;
  if (end <= 0 || t.WordStartsAt(end) == false) return -1;
  const int w = t.word[end - 1];
  const int from = t.wordStart[w];
  *which = MeridiemWord(t, from, end);
  return *which ? from : -1;
}

// The AM or PM word starting right after i (one space skipped): its end.
int MeridiemAfter(const PatternText& t, int i, int* which) {
  const int from = SkipSpace(t, i, 1);
  if (from >= t.length || !t.WordStartsAt(from)) return -1;
  const int to = t.wordStart[t.word[from] + 1];
  *which = MeridiemWord(t, from, to);
  return *which ? to : -1;
}

constexpr std::u16string_view kDateTimeWords[] = {u"今天", u"昨天", u"前天", u"明天", u"后天",
                                                  u"星期", u"上午", u"下午", u"时间", u"日"};
constexpr std::u16string_view kScoreWords[] = {u"比", u"局", u"对", u"结果", u"以", u"追成", u"打成"};
constexpr std::u16string_view kScoreResultWords[] = {u"轻取", u"胜",   u"败",   u"平",   u"负",   u"失利",
                                                     u"领先", u"落后", u"输",   u"打败", u"打平", u"战胜",
                                                     u"战平", u"击败", u"打赢", u"赢得"};

// Words that hold a score word's character without meaning a score: the
// time of a match (比赛19:30) or 可以 before a time are no scores.
constexpr std::u16string_view kNotScoreWords[] = {u"比赛", u"比较", u"比如", u"比例", u"可以",
                                                  u"所以", u"以后", u"以前", u"以上", u"以下",
                                                  u"以来", u"对于", u"针对", u"相对", u"绝对"};

bool InsideNotScoreWord(const PatternText& t, int from, int to) {
  for (std::u16string_view word : kNotScoreWords) {
    const int n = static_cast<int>(word.size());
    for (int start = to - n; start < from + 1; ++start) {
      if (start <= from && start + n >= to && t.MatchAt(start, word)) return true;
    }
  }
  return false;
}

bool IsNumeral(uint16_t c) {
  constexpr std::u16string_view kNumerals = u"〇零一二三四五六七八九十";
  if (c >= '0' && c <= '9') return true;
  for (char16_t n : kNumerals) {
    if (InternalCodeOf(n) == c) return true;
  }
  return false;
}

// True when a word of list ends at end within [from, end).
template <size_t N>
bool WordEndsHere(const PatternText& t, int from, int end, const std::u16string_view (&list)[N], bool dateWords) {
  for (size_t k = 0; k < N; ++k) {
    const int start = end - static_cast<int>(list[k].size());
    if (start < from || !t.MatchAt(start, list[k])) continue;
    // 日 names a day only after a number (8日, 十五日), not in 日本.
    if (dateWords && list[k] == u"日" && !IsNumeral(t.At(start - 1))) continue;
    if (!dateWords && InsideNotScoreWord(t, start, end)) continue;
    return true;
  }
  return false;
}

// The words around a two-part ":" pattern decide between time and score.
bool ContextMakesScore(const PatternText& t, const NumericRun& run) {
  int from = run.start - 16 < 0 ? 0 : run.start - 16;
  for (int i = run.start - 1; i >= from; --i) {
    if (t.ch[i] == ':') {
      from = i + 1;
      break;
    }
  }
  bool score = false;
  for (int end = run.start; end > from; --end) {
    if (WordEndsHere(t, from, end, kDateTimeWords, true)) break;
    if (WordEndsHere(t, from, end, kScoreWords, false)) {
      score = true;
      break;
    }
  }
  const int last = run.end + 16 < t.length ? run.end + 16 : t.length;
  for (int i = run.end; i < last; ++i) {
    if (t.MatchAt(i, u"平均")) continue;
    if (t.MatchAnyAt(i, kScoreResultWords, static_cast<int>(std::size(kScoreResultWords))) > 0) return true;
  }
  return score;
}

void AddTimeOrScore(PatternText* t, const NumericRun& run) {
  if (run.mixed) return;
  const bool valid = ValidTime(*t, run);
  if (run.parts == 3) {
    if (!valid) return;
  } else if (run.parts != 2) {
    return;
  }
  int before = 0, after = 0;
  const int from = MeridiemBefore(*t, run.start, &before);
  const int to = MeridiemAfter(*t, run.end, &after);
  bool time = valid;
  if (valid && run.parts == 2 && after == 0 && ContextMakesScore(*t, run)) time = false;
  if (!time) {
    t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kScore));
    return;
  }
  // info: the meridiem (0, 1 AM, 2 PM) and where the time's digits start and end.
  const int meridiem = before ? before : after;
  const int start = before ? from : run.start;
  const int end = !before && after ? to : run.end;
  Segment segment = MakeSegment(start, end, SegmentType::kTime);
  segment.info[0] = static_cast<int16_t>(meridiem);
  segment.info[1] = static_cast<int16_t>(run.start);
  segment.info[2] = static_cast<int16_t>(run.end);
  if (t->AddSegment(segment)) return;
  segment = MakeSegment(run.start, run.end, SegmentType::kTime);
  segment.info[0] = 0;
  segment.info[1] = static_cast<int16_t>(run.start);
  segment.info[2] = static_cast<int16_t>(run.end);
  t->AddSegment(segment);
}

// ---- race times ------------------------------------------------------------

void AddRaceTime(PatternText* t, const NumericRun& run) {
  if (run.parts == 2 && run.sep[0] == '\'') {
    const int32_t minutes = PartValue(*t, run, 0), seconds = PartValue(*t, run, 1);
    const int32_t secondsLimit = run.trailingQuote ? 60 : 100;
    if (minutes < 60 && PartLength(run, 1) <= 2 && seconds < secondsLimit) {
      t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kRaceTime, 0));
    }
  } else if (run.parts == 3 && run.sep[0] == '\'' && run.sep[1] == '"') {
    if (PartValue(*t, run, 0) < 60 && PartLength(run, 1) <= 2 && PartValue(*t, run, 1) < 60) {
      t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kRaceTime, 1));
    }
  } else if (run.parts == 2 && run.sep[0] == '"' && PartLength(run, 1) <= 2) {
    t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kRaceTime, 2));
  }
}

// ---- list numbers ------------------------------------------------------------

void AddListNumber(PatternText* t, const NumericRun& run) {
  const int length = run.end - run.start;
  if (length > 2 || t->At(run.end) != '.' || !t->Free(run.end) || run.end + 1 >= t->length) return;
  if (t->IsDigit(run.end + 1) || t->IsAlnum(run.start - 1) || t->At(run.start - 1) == '.') return;
  if (t->IsLetter(run.end + 1)) {
    t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kTelephone, kTelephoneDigitsOnly));
  } else {
    t->AddSegment(MakeSegment(run.start, run.end + 1, SegmentType::kListNumber));
  }
}

void ClassifyRun(PatternText* t, const NumericRun& run) {
  if (run.seps == 0) {
    AddListNumber(t, run);
    return;
  }
  switch (run.kind) {
    case ',':
      if (IsGroupedNumber(run)) t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kGroupedNumber));
      return;
    case ':':
      AddTimeOrScore(t, run);
      return;
    case '\'':
      AddRaceTime(t, run);
      return;
    default:
      break;
  }
  int16_t year = -1, month = -1, day = -1;
  if (ClassifyDate(*t, run, &year, &month, &day)) {
    Segment segment = MakeSegment(run.start, run.end, SegmentType::kDate);
    segment.info[0] = year < 0 ? -1 : static_cast<int16_t>(run.partStart[year]);
    segment.info[1] = month < 0 ? -1 : static_cast<int16_t>(run.partStart[month]);
    segment.info[2] = day < 0 ? -1 : static_cast<int16_t>(run.partStart[day]);
    t->AddSegment(segment);
    return;
  }
  if (run.kind == '.' && run.seps >= 2 && !run.mixed) {
    t->AddSegment(MakeSegment(run.start, run.end, SegmentType::kDottedNumber));
  }
}

// ---- telephone numbers -------------------------------------------------------

bool IsTelephoneMark(uint16_t c) {
  return c == ' ' || c == '+' || c == '-' || c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}' ||
         c == kEmDash;
}

// The sentence starts with digits and marks holding more than 6 digits.
bool StartsWithTelephoneRun(const PatternText& t) {
  int digits = 0;
  for (int i = 0; i < t.length && (t.IsDigit(i) || IsTelephoneMark(t.ch[i])); ++i) digits += t.IsDigit(i);
  return digits > 6;
}

bool IsTelephoneSeparator(const PatternText& t, int i) {
  const uint16_t c = t.At(i);
  if (c == 'x' || c == 'X') return !t.IsLetter(i - 1) && !t.IsLetter(i + 1);
  return c == '(' || c == '+' || c == ')' || c == '*' || c == '.' || c == '-' || c == '/' || c == ' ' || c == kEmDash;
}

// End of a telephone span from i, or -1.
int TelephoneSpanEnd(const PatternText& t, int i) {
  int j = i, digits = 0, seps = 0, lastMark = -10, firstDigit = -1, lastDigit = -1;
  while (t.Free(j)) {
    if (t.IsDigit(j)) {
      if (firstDigit < 0) firstDigit = j;
      lastDigit = j;
      ++digits;
      ++j;
      continue;
    }
    // "+" leads a country code only (+86); elsewhere it adds.
    if (!IsTelephoneSeparator(t, j) || (t.ch[j] == '+' && j != i)) break;
    if (t.ch[j] == ' ' && t.At(j + 1) == ' ') break;  // groups are one space apart
    if (seps == kMaxTelephoneSeparators) break;
    // Two marks side by side (1--2) are no telephone number; a space next
    // to a bracket is: (010) 1234.
    if (t.ch[j] != ' ') {
      if (j - lastMark == 1) return -1;
      lastMark = j;
    }
    ++seps;
    ++j;
  }
  int end = j;
  while (end > i && !t.IsDigit(end - 1) && t.ch[end - 1] != ')') --end;
  if (digits <= 6 || t.IsAlnum(end)) return -1;
  // Digits compared or equated are numbers of a formula (1234567-1=1234566).
  const uint16_t next = t.At(SkipSpace(t, end, 1));
  if (next == '=' || next == '<' || next == '>' || next == '+' || next == InternalCodeOf(u'×') ||
      next == InternalCodeOf(u'÷')) {
    return -1;
  }
  // A plain digit string is left to the digit rules (12345678元 is a number).
  int separators = 0, longestGroup = 0, group = 0;
  uint16_t mark = 0;
  for (int k = firstDigit; k <= lastDigit; ++k) {
    if (t.IsDigit(k)) {
      if (++group > longestGroup) longestGroup = group;
      continue;
    }
    group = 0;
    ++separators;
    mark = t.ch[k];
  }
  if (separators == 0) return -1;
  // Two short numbers joined by one dash before a Chinese word are a range
  // (1990-2000年, 3-5天), not a telephone number.
  const bool dash = mark == '-' || mark == kEmDash;
  if (separators == 1 && dash && longestGroup <= 4 && t.At(end) > 0x7F) return -1;
  return end;
}

void FindTelephoneNumbers(PatternText* t) {
  if (!StartsWithTelephoneRun(*t)) return;
  const uint8_t subtype = t->HasLetterWord(u"ISBN") ? kTelephoneIsbn : kTelephonePlain;
  for (int i = 0; i < t->length; ++i) {
    const uint16_t c = t->ch[i];
    if (!t->Free(i) || !(t->IsDigit(i) || c == '(' || c == '+') || t->IsAlnum(i - 1)) continue;
    const int end = TelephoneSpanEnd(*t, i);
    if (end < 0) {
      i = t->IsDigit(i) ? t->DigitRunEnd(i) - 1 : i;
      continue;
    }
    t->AddSegment(MakeSegment(i, end, SegmentType::kTelephone, subtype));
    i = end - 1;
  }
}

}  // namespace

void FindNumericSegments(PatternText* text) {
  bool anyDigit = false;
  for (int i = 0; i < text->length && !anyDigit; ++i) anyDigit = text->IsDigit(i);
  if (!anyDigit) return;
  int i = 0;
  while (i < text->length) {
    if (!text->IsDigit(i) || !text->Free(i) || text->IsDigit(i - 1)) {
      ++i;
      continue;
    }
    NumericRun run;
    CollectRun(*text, i, &run);
    ClassifyRun(text, run);
    i = run.end > i ? run.end : i + 1;
  }
  FindTelephoneNumbers(text);
}

}  // namespace kvo::frontend
