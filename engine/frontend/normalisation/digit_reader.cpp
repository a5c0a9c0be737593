// The digit reader: a digit string digit by digit, long strings split into
// groups that end with a pause.
#include <initializer_list>

#include "frontend/normalisation/reading_writer.h"

namespace kvo::frontend {

namespace {

// Group ends by string length for 5 to 11 characters, whatever grouping the
// rule asked for.
constexpr int kShortGroups[7][3] = {
    {5, 0, 0},   // 5
    {3, 6, 0},   // 6
    {3, 7, 0},   // 7
    {4, 8, 0},   // 8
    {3, 6, 9},   // 9
    {3, 6, 10},  // 10
    {3, 7, 11},  // 11
};

bool In(int value, std::initializer_list<int> list) {
  for (int v : list)
    if (v == value) return true;
  return false;
}

// Whether a pause follows digit number n (counted from 1 since the start or
// the last point) of a string of length characters.
bool PauseAfter(const uint16_t* chars, int length, DigitGrouping grouping, int n) {
  if (length >= 5 && length <= 11) {
    for (int g : kShortGroups[length - 5])
      if (g == n) return true;
    return false;
  }
  if (grouping == DigitGrouping::kIdNumber) {
    if (length == 15) return In(n, {3, 6, 8, 12, 15});
    if (length == 17 || length == 18) return In(n, {3, 6, 10, 14, length});
  }
  if (grouping == DigitGrouping::kThousands && length > 3) {
    const int first = length % 3 + 3;
    return n >= first && (n - first) % 3 == 0;
  }
  if (length < 12) return false;
  if (length == 12 && chars[0] == '0') {
    if (chars[1] == '1' && (chars[2] == '3' || chars[2] == '5')) return In(n, {1, 4, 8, 12});
    return In(n, {4, 8, 12});
  }
  if (n == length) return true;
  switch (length % 4) {
    case 1:
      return n % 4 == 0 && n <= length - 5;
    case 2:
      return (n % 4 == 0 && n <= length - 6) || n == length - 3;
    default:
      return n % 4 == 0;
  }
}

}  // namespace

void ReadDigitByDigit(const uint16_t* chars, int length, int16_t type, DigitGrouping grouping,
                      const NormalisationSettings& settings, ReadingWriter* w) {
  int digit_count = 0;
  for (int i = 0; i < length; ++i)
    if (chars[i] >= '0' && chars[i] <= '9') ++digit_count;
  const bool yao = type == kReadDigits && digit_count > 1 && !settings.voiceKindOne;
  const bool year_split = type == kReadYearDigits && length == 4;
  int n = 0;  // digits since the start or the last point
  for (int i = 0; i < length; ++i) {
    const uint16_t c = chars[i];
    if (c == '.') {
      w->End();
      w->Add(u'点');
      w->End();
      n = 0;
      continue;
    }
    if (c < '0' || c > '9') continue;
    const int d = c - '0';
    char16_t name = DigitName(d);
    if (d == 1) {
      if (yao) name = u'幺';
      if (settings.specialNumbers & kSpecialOneYao) name = u'幺';
      if (settings.specialNumbers & kSpecialOneYi) name = u'一';
    }
    w->Add(name);
    ++n;
    if (year_split && n == 2) {
      w->End();
    } else if (PauseAfter(chars, length, grouping, n)) {
      w->End(true);
    }
  }
  w->End();
}

}  // namespace kvo::frontend
