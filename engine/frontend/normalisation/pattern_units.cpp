// Unit segments: a unit symbol or currency sign right after a number (or
// after "○" or the "/" of a compound unit such as km/h) is replaced by its
// reading, so the number before it reads as a quantity.
#include "frontend/normalisation/pattern_units.h"

#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/pattern_text.h"

namespace kvo::frontend {
namespace {

struct Unit {
  std::u16string_view written;
  std::u16string_view reading;
};

// Longer symbols first where one starts another (°C before °).
constexpr Unit kUnits[] = {
    // Symbols.
    {u"℃", u"摄氏度"},
    {u"℉", u"华氏度"},
    {u"°C", u"摄氏度"},
    {u"°F", u"华氏度"},
    {u"°", u"度"},
    {u"′", u"分"},
    {u"″", u"秒"},
    {u"㎡", u"平方米"},
    {u"㎞", u"千米"},
    {u"㎏", u"千克"},
    {u"㎝", u"厘米"},
    {u"㎜", u"毫米"},
    {u"㎎", u"毫克"},
    {u"㏄", u"毫升"},
    {u"Ω", u"欧姆"},
    // Letter units: matched case-sensitively as whole letter runs.
    {u"km", u"千米"},
    {u"m", u"米"},
    {u"cm", u"厘米"},
    {u"mm", u"毫米"},
    {u"nm", u"纳米"},
    {u"kg", u"千克"},
    {u"g", u"克"},
    {u"mg", u"毫克"},
    {u"t", u"吨"},
    {u"L", u"升"},
    {u"ml", u"毫升"},
    {u"mL", u"毫升"},
    {u"h", u"小时"},
    {u"min", u"分钟"},
    {u"s", u"秒"},
    {u"ms", u"毫秒"},
    {u"Hz", u"赫兹"},
    {u"kHz", u"千赫兹"},
    {u"MHz", u"兆赫兹"},
    {u"GHz", u"吉赫兹"},
    {u"W", u"瓦"},
    {u"kW", u"千瓦"},
    {u"kWh", u"千瓦时"},
    {u"V", u"伏"},
    {u"kV", u"千伏"},
    {u"mA", u"毫安"},
    {u"mAh", u"毫安时"},
    {u"KB", u"千字节"},
    {u"MB", u"兆字节"},
    {u"GB", u"吉字节"},
    {u"TB", u"太字节"},
    {u"dB", u"分贝"},
    {u"Pa", u"帕"},
    {u"kPa", u"千帕"},
    {u"MPa", u"兆帕"},
    {u"cal", u"卡"},
    {u"kcal", u"千卡"},
    // Currency signs after the amount.
    {u"US$", u"美元"},
    {u"US", u"美元"},
    {u"HKD", u"港元"},
    {u"$", u"美元"},
    {u"￥", u"元"},
    {u"￡", u"英镑"},
};

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

const Unit* UnitWrittenAt(const PatternText& t, int i) {
  for (const Unit& unit : kUnits) {
    if (!t.MatchAt(i, unit.written)) continue;
    const int end = i + static_cast<int>(unit.written.size());
    // A letter unit is a whole run of letters: "m" is no unit in "min" or "mp3".
    if (IsAsciiLetter(unit.written.front()) && t.IsLetter(i - 1)) continue;
    if (IsAsciiLetter(unit.written.back()) && t.IsLetter(end)) continue;
    return &unit;
  }
  return nullptr;
}

bool UnitSegmentEndsAt(const PatternText& t, int end) {
  for (int s = 0; s < t.segmentCount; ++s) {
    const Segment& segment = t.segments[s];
    if (segment.type == SegmentType::kUnit && segment.start + segment.length == end) return true;
  }
  return false;
}

// The number before a unit: a digit not glued to letters (iPhone6s is no
// quantity of seconds), "○", or the "/" of a compound unit.
bool QuantityBefore(const PatternText& t, int p) {
  if (t.IsDigit(p)) {
    int first = p;
    while (t.IsDigit(first - 1)) --first;
    return !t.IsLetter(first - 1);
  }
  if (t.At(p) == InternalCodeOf(u'○')) return true;
  if (t.At(p) == '/') return t.IsDigit(p - 1) || t.IsChinese(p - 1) || UnitSegmentEndsAt(t, p);
  return false;
}

}  // namespace

int UnitAt(const PatternText& text, int i) {
  const Unit* unit = UnitWrittenAt(text, i);
  return unit ? static_cast<int>(unit->written.size()) : 0;
}

std::u16string_view UnitReadingAt(const PatternText& text, int i) {
  const Unit* unit = UnitWrittenAt(text, i);
  return unit ? unit->reading : std::u16string_view();
}

bool IsUnitSymbolReading(const uint16_t* codes, int length) {
  for (const Unit& unit : kUnits) {
    if (CodesEqual(codes, length, unit.reading)) return true;
  }
  return false;
}

void FindUnits(PatternText* text) {
  for (int i = 0; i < text->length; ++i) {
    if (!text->Free(i)) continue;
    const Unit* unit = UnitWrittenAt(*text, i);
    if (!unit) continue;
    const int length = static_cast<int>(unit->written.size());
    int start = i;
    // A unit of two or more characters may stand one space after its number.
    if (length >= 2 && text->At(i - 1) == ' ' && text->Free(i - 1) && QuantityBefore(*text, i - 2)) start = i - 1;
    if (start == i && !QuantityBefore(*text, i - 1)) continue;
    bool free = true;
    for (int k = i; k < i + length; ++k) free &= text->Free(k);
    if (!free) continue;
    if (text->AddSegment({static_cast<int16_t>(start),
                          static_cast<int16_t>(i + length - start),
                          SegmentType::kUnit,
                          0,
                          {-1, -1, -1}})) {
      i += length - 1;
    }
  }
}

}  // namespace kvo::frontend
