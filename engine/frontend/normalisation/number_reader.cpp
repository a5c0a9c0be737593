// The number reader: a digit string as a Chinese number, in groups of four
// digits with 十 百 千 and 万 亿.
#include "frontend/normalisation/reading_writer.h"

namespace kvo::frontend {

namespace {

constexpr int kDigitByDigitFrom = 13;  // integer parts this long are not numbers

bool IsDigitCode(uint16_t c) { return c >= '0' && c <= '9'; }

// Reads digits[0 … n) one by one, a word break after every two.
void ReadPairs(const uint16_t* digits, int n, ReadingWriter* w) {
  for (int k = 0; k < n; ++k) {
    w->Add(DigitName(digits[k] - '0'));
    if (k % 2 == 1) w->End();
  }
  w->End();
}

}  // namespace

char16_t DigitName(int digit) {
  static constexpr char16_t kNames[] = u"零一二三四五六七八九";
  return (digit >= 0 && digit <= 9) ? kNames[digit] : u'零';
}

void ReadAsNumber(const uint16_t* chars, int length, int16_t type, const NormalisationSettings& settings,
                  ReadingWriter* w) {
  int i = 0;
  while (i < length && chars[i] == '0') ++i;
  const int zeros = i;
  const int int_start = i;
  while (i < length && IsDigitCode(chars[i])) ++i;
  const int int_length = i - int_start;
  const uint16_t* digits = chars + int_start;
  const bool point = i < length && chars[i] == '.';
  int dec_start = point ? i + 1 : i, dec_end = dec_start;
  while (dec_end < length && IsDigitCode(chars[dec_end])) ++dec_end;

  const bool lone_two = int_length == 1 && digits[0] == '2' && !point;
  if (type == kReadHour && lone_two && zeros <= 1) {
    w->Add(u'两');
    w->End();
    return;
  }
  if (type == kReadNumber && !point && zeros == 0 && int_length == 4 && digits[0] == '2' && digits[1] == '0' &&
      digits[2] == '0' && digits[3] == '0') {
    w->Add(u'两');
    w->Add(u'千');
    w->End();
    return;
  }
  if (type == kReadMinutes && zeros == 1 && int_length > 0) {
    w->Add(u'零');
    w->End();
  }
  const bool n6 = settings.n6Numbers && (settings.specialNumbers & kSpecialTwoEr) == 0;
  if (int_length >= kDigitByDigitFrom) {
    ReadPairs(digits, int_length, w);
  } else if (int_length == 0) {
    w->Add(u'零');
    w->End();
  } else if (n6 && lone_two && (settings.specialNumbers & kSpecialTwoLiang) != 0) {
    w->Add(u'两');
    w->End();
  } else {
    static constexpr char16_t kUnits[] = u" 十百千";
    static constexpr char16_t kGroups[] = u" 万亿";
    bool pending_zero = false, group_has_digit = false;
    for (int k = 0; k < int_length; ++k) {
      const int d = digits[k] - '0';
      const int r = int_length - 1 - k;
      const int position = r % 4, group = r / 4;
      if (d == 0) {
        pending_zero = true;
      } else {
        if (pending_zero) {
          w->Add(u'零');
          w->End();
          pending_zero = false;
        }
        const bool leading_ten = d == 1 && position == 1 && k == 0;
        const bool liang = n6 && d == 2 && !point && (position >= 2 || (k == 0 && position == 0 && group > 0));
        if (!leading_ten) w->Add(liang ? u'两' : DigitName(d));
        if (position > 0) w->Add(kUnits[position]);
        if (position >= 2) w->End();
        group_has_digit = true;
      }
      if (position == 0) {
        if (group > 0 && group_has_digit) {
          w->Add(kGroups[group]);
          pending_zero = false;
        }
        w->End();
        group_has_digit = false;
      }
    }
  }
  if (point) {
    w->End();
    w->Add(u'点');
    w->End();
    ReadPairs(chars + dec_start, dec_end - dec_start, w);
  }
}

bool AppendDigitStringReading(const uint16_t* chars, int length, int16_t type, DigitGrouping grouping,
                              const NormalisationSettings& settings, int32_t textPosition, WordList* out) {
  if (length < 1) return false;
  ReadingWriter writer(out, textPosition, kTagNumberWord);
  if (type == kReadDigits || type == kReadYearDigits) {
    ReadDigitByDigit(chars, length, type, grouping, settings, &writer);
  } else {
    ReadAsNumber(chars, length, type, settings, &writer);
  }
  return writer.Finish();
}

bool AppendNumberReading(int value, const NormalisationSettings& settings, int32_t textPosition, WordList* out) {
  uint16_t digits[10];
  int n = 0;
  if (value < 0) value = 0;
  do {
    digits[n++] = static_cast<uint16_t>('0' + value % 10);
    value /= 10;
  } while (value > 0 && n < 10);
  for (int i = 0; i < n / 2; ++i) {
    const uint16_t t = digits[i];
    digits[i] = digits[n - 1 - i];
    digits[n - 1 - i] = t;
  }
  return AppendDigitStringReading(digits, n, kReadNumber, DigitGrouping::kDefault, settings, textPosition, out);
}

}  // namespace kvo::frontend
