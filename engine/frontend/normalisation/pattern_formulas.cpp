// Formula and fraction segments: spans of numbers, letters and operators
// (6+4=10, (a+b)*2, 3/4, 1-3/4), found after the numeric segments.
#include <string_view>

#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/pattern_text.h"

namespace kvo::frontend {
namespace {

bool IsOpening(uint16_t c) { return c == '(' || c == '[' || c == '{'; }
bool IsClosing(uint16_t c) { return c == ')' || c == ']' || c == '}'; }

struct FormulaScan {
  int end = 0;  // without trailing spaces
  int operators = 0;
  int slashes = 0;
  int minuses = 0;
  int dots = 0;
  int letters = 0;
  int brackets = 0;
  bool valid = false;
};

bool IsOperatorEnd(uint16_t c) {
  return c == '+' || c == '-' || c == '*' || c == '/' || c == '=' || c == '<' || c == '>' ||
         c == InternalCodeOf(u'×') || c == InternalCodeOf(u'÷');
}

// Scans the span from i as far as formula characters go.
FormulaScan Scan(const PatternText& t, int i) {
  FormulaScan scan;
  const int limit = t.length < kFormulaScanLimit ? t.length : kFormulaScanLimit;
  const uint16_t times = InternalCodeOf(u'×'), divide = InternalCodeOf(u'÷');
  int depth = 0;
  int j = i;
  for (; j < limit && t.Free(j); ++j) {
    const uint16_t c = t.ch[j];
    const bool between = t.IsAlnum(j - 1) && t.IsAlnum(j + 1);
    if (t.IsAlnum(j) || c == '.' || c == '+' || c == '=' || c == '<' || c == '>' || c == divide || c == '-' ||
        c == '/') {
      continue;
    }
    if (c == '*' || c == times) {
      if (!(t.Free(j + 1) && t.IsAlnum(j + 1))) break;
    } else if (IsOpening(c) || IsClosing(c)) {
      if (between) break;
      if (IsOpening(c)) {
        ++depth;
      } else if (depth == 0) {
        return scan;  // a closing bracket that nothing opened
      } else {
        --depth;
      }
    } else if (c != ' ' || between) {
      break;
    }
  }
  // Cut by the scan limit: end at the last whole operand.
  if (j == limit && j < t.length && t.IsAlnum(j) && t.IsAlnum(j - 1)) {
    while (j > i && t.IsAlnum(j - 1)) --j;
    while (j > i && t.ch[j - 1] == ' ') --j;
    if (j > i && IsOperatorEnd(t.ch[j - 1])) --j;
  }
  while (j > i && t.ch[j - 1] == ' ') --j;
  scan.end = j;
  if (j <= i) return scan;
  const uint16_t last = t.ch[j - 1];
  if (last == '+' || last == '-' || last == '*' || last == '/') return scan;
  depth = 0;
  for (int k = i; k < j; ++k) {
    const uint16_t c = t.ch[k];
    if (t.IsLetter(k)) ++scan.letters;
    if (c == '.') ++scan.dots;
    if (c == '+' || c == '=' || c == '<' || c == '>' || c == divide || c == '*' || c == times) ++scan.operators;
    if (c == '-') ++scan.minuses;
    if (c == '/') ++scan.slashes;
    if (IsOpening(c)) ++depth;
    if (IsClosing(c)) --depth;
    if (IsOpening(c) || IsClosing(c)) ++scan.brackets;
  }
  scan.valid = depth == 0;
  return scan;
}

bool IsWindowsName(const PatternText& t, int from, int to) {
  constexpr std::u16string_view kNames[] = {u"WIN9X", u"Win9x", u"NT", u"2000", u"XP", u"VISTA", u"Vista"};
  for (std::u16string_view name : kNames) {
    if (to - from == static_cast<int>(name.size()) && t.MatchAt(from, name)) return true;
  }
  return false;
}

// Win98/2000/XP: a "/" next to a Windows name joins product names.
bool JoinsWindowsNames(const PatternText& t, int from, int to) {
  for (int k = from; k < to; ++k) {
    if (t.ch[k] != '/') continue;
    int left = k;
    while (left > 0 && t.IsAlnum(left - 1)) --left;
    int right = k + 1;
    while (t.IsAlnum(right)) ++right;
    if (IsWindowsName(t, left, k) || IsWindowsName(t, k + 1, right)) return true;
  }
  return false;
}

// Shape of the span: digits joined by the given marks only. Returns the
// number of digit groups, with their starts, or 0 when other characters occur.
int DigitGroups(const PatternText& t, int from, int to, const char* marks, int* starts, int capacity) {
  int groups = 0, k = from;
  int mark = 0;
  while (k < to) {
    if (!t.IsDigit(k) || groups == capacity) return 0;
    starts[groups++] = k;
    k = t.DigitRunEnd(k);
    if (k >= to) break;
    if (marks[mark] == 0 || t.ch[k] != static_cast<uint16_t>(marks[mark])) return 0;
    ++mark;
    ++k;
  }
  return marks[mark] == 0 ? groups : 0;
}

bool FollowedBySeasonOrYear(const PatternText& t, int end) {
  const int at = t.At(end) == ' ' ? end + 1 : end;
  return t.MatchAt(at, u"赛季") || t.MatchAt(at, u"年");
}

// Adds the formula or fraction that the scan found; false when none.
bool AddFormula(PatternText* t, int i, const FormulaScan& scan) {
  const int end = scan.end;
  bool formula =
      scan.operators > 0 || scan.slashes >= 2 ||
      (scan.slashes == 1 && !t->IsLetter(i - 1) && (scan.minuses > 0 || (scan.dots == 0 && scan.letters == 0))) ||
      (scan.brackets > 0 && scan.minuses >= 3);
  if (!formula || JoinsWindowsNames(*t, i, end)) return false;
  Segment segment{static_cast<int16_t>(i), static_cast<int16_t>(end - i), SegmentType::kFormula, 0, {-1, -1, -1}};
  int starts[3];
  if (DigitGroups(*t, i, end, "-/", starts, 3) == 3 && !FollowedBySeasonOrYear(*t, end)) {
    const int32_t b = t->Value(starts[1], t->DigitRunEnd(starts[1]));
    const int32_t c = t->Value(starts[2], t->DigitRunEnd(starts[2]));
    if (b < c) {
      segment.type = SegmentType::kFraction;
      segment.subtype = 1;
    }
  } else if (DigitGroups(*t, i, end, "/", starts, 2) == 2) {
    // 2008/09赛季 is a span of seasons, not a fraction.
    if (FollowedBySeasonOrYear(*t, end)) return false;
    if (t->Value(starts[1], t->DigitRunEnd(starts[1])) != 0) segment.type = SegmentType::kFraction;
  }
  return t->AddSegment(segment);
}

// End of the number from i, decimals included (3.5).
int NumberEnd(const PatternText& t, int i) {
  int end = t.DigitRunEnd(i);
  while (t.At(end) == '.' && t.IsDigit(end + 1)) end = t.DigitRunEnd(end + 1);
  return end;
}

}  // namespace

void FindFormulas(PatternText* text) {
  int i = 0;
  while (i < text->length) {
    const uint16_t c = text->ch[i];
    const bool digit = text->IsDigit(i);
    if (!text->Free(i) || !(digit || c == '-' || IsOpening(c))) {
      ++i;
      continue;
    }
    if (digit && (text->IsDigit(i - 1) || (text->At(i - 1) == '.' && text->IsDigit(i - 2)))) {
      i = NumberEnd(*text, i);
      continue;
    }
    const FormulaScan scan = Scan(*text, i);
    if (scan.valid && AddFormula(text, i, scan)) {
      i = scan.end;
    } else {
      // No formula starts inside a number whose start had none.
      i = digit ? NumberEnd(*text, i) : i + 1;
    }
  }
}

}  // namespace kvo::frontend
