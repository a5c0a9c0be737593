// Segments found from letters: addresses (e-mail, web), model names (F-16,
// 波音747), runs of dashes, and letter codes (ABC12-34X, CCTV-1).
#include <string_view>

#include "frontend/normalisation/pattern_text.h"

namespace kvo::frontend {
namespace {

constexpr uint16_t kEmDash = 0xAAA1;  // "—"

bool IsAddressChar(const PatternText& t, int i) {
  if (t.IsAlnum(i)) return true;
  const uint16_t c = t.At(i);
  return c == '.' || c == '+' || c == '_' || c == '-' || c == '/' || c == '@' || c == ':' || c == kEmDash;
}

uint16_t LowerAscii(uint16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint16_t>(c + 32) : c; }

bool MatchAsciiNoCase(const PatternText& t, int i, std::string_view text) {
  if (i < 0 || i + static_cast<int>(text.size()) > t.length) return false;
  for (size_t k = 0; k < text.size(); ++k) {
    if (LowerAscii(t.ch[i + static_cast<int>(k)]) != static_cast<uint16_t>(text[k])) return false;
  }
  return true;
}

bool HasAddressMark(const PatternText& t, int from, int to) {
  constexpr std::string_view kMarks[] = {"@", "www.", ".com", ".edu", ".org", ".gov", "://", "to:"};
  for (int i = from; i < to; ++i) {
    for (std::string_view mark : kMarks) {
      if (i + static_cast<int>(mark.size()) <= to && MatchAsciiNoCase(t, i, mark)) return true;
    }
  }
  return false;
}

void FindAddressRuns(PatternText* t) {
  int i = 0;
  while (i < t->length) {
    if (!t->Free(i) || !IsAddressChar(*t, i)) {
      ++i;
      continue;
    }
    int end = i;
    while (t->Free(end) && IsAddressChar(*t, end)) ++end;
    const int runEnd = end;
    // A closing full stop or colon belongs to the sentence.
    while (end > i && (t->ch[end - 1] == '.' || t->ch[end - 1] == ':')) --end;
    if (end > i && HasAddressMark(*t, i, end)) {
      t->AddSegment({static_cast<int16_t>(i), static_cast<int16_t>(end - i), SegmentType::kAddress, 0, {}});
    }
    i = runEnd;
  }
}

// End of a run of letters, digits, "/" and dashes from i, each "/" or dash
// followed by a letter or digit; marks counts the dashes and slashes.
int CodeRunEnd(const PatternText& t, int i, int* digits, int* marks) {
  *digits = 0;
  *marks = 0;
  while (t.Free(i)) {
    if (t.IsAlnum(i)) {
      if (t.IsDigit(i)) ++*digits;
      ++i;
      continue;
    }
    const uint16_t c = t.ch[i];
    if ((c == '-' || c == '/' || c == kEmDash) && t.Free(i + 1) && t.IsAlnum(i + 1)) {
      ++*marks;
      ++i;
      continue;
    }
    break;
  }
  return i;
}

// Length of a model-name prefix starting at i, or 0.
int ModelPrefixAt(const PatternText& t, int i) {
  if (!t.Free(i) || !t.WordStartsAt(i)) return 0;
  constexpr std::u16string_view kChinese[] = {u"米格", u"华为", u"苏", u"萨姆", u"波音", u"歼"};
  for (std::u16string_view prefix : kChinese) {
    const int n = static_cast<int>(prefix.size());
    if (t.MatchAt(i, prefix) && t.WordEndsAt(i + n)) return n;
  }
  if (!t.IsLetter(i) || t.IsAlnum(i - 1)) return 0;
  constexpr std::u16string_view kLetters[] = {u"AGM", u"GBU", u"AIM", u"TV", u"tv"};
  const int letters = t.LetterRunEnd(i) - i;
  for (std::u16string_view prefix : kLetters) {
    if (static_cast<int>(prefix.size()) == letters && t.MatchAt(i, prefix)) return letters;
  }
  // F and B lead short letter groups (F, FA, B, FB): FA-18, B-52H.
  if ((t.ch[i] == 'F' || t.ch[i] == 'B') && letters <= 2) return 1;
  return 0;
}

void FindModelNames(PatternText* t) {
  for (int i = 0; i < t->length; ++i) {
    const int prefix = ModelPrefixAt(*t, i);
    if (prefix == 0) continue;
    // Letters, digits, "/" and dashes follow: F-16, F/A-18, 波音747.
    const int from = i + prefix;
    int digits = 0, marks = 0;
    const int end = CodeRunEnd(*t, from, &digits, &marks);
    if (end == from || digits == 0 || t->IsAlnum(end)) continue;
    if (t->AddSegment({static_cast<int16_t>(i), static_cast<int16_t>(end - i), SegmentType::kModelName, 0, {}})) {
      i = end - 1;
    }
  }
}

// "--", "---" and "——" standing alone.
void FindDashRuns(PatternText* t) {
  for (int i = 0; i < t->length; ++i) {
    const uint16_t c = t->ch[i];
    if (!t->Free(i) || (c != '-' && c != kEmDash) || t->At(i - 1) == c) continue;
    int end = i;
    while (t->Free(end) && t->ch[end] == c) ++end;
    const int n = end - i;
    const bool fixed = c == '-' ? (n == 2 || n == 3) : n == 2;
    if (fixed && t->At(end) != c) {
      t->AddSegment({static_cast<int16_t>(i), static_cast<int16_t>(n), SegmentType::kDashRun, 0, {}});
    }
    i = end - 1;
  }
}

// Letters first, then digits and at least one "-", "—" or "/".
void FindLetterCodes(PatternText* t) {
  for (int i = 0; i < t->length; ++i) {
    if (!t->Free(i) || !t->IsLetter(i) || t->IsAlnum(i - 1)) continue;
    int digits = 0, marks = 0;
    const int end = CodeRunEnd(*t, i, &digits, &marks);
    if (digits > 0 && marks > 0 && !t->IsAlnum(end)) {
      t->AddSegment({static_cast<int16_t>(i), static_cast<int16_t>(end - i), SegmentType::kLetterCode, 0, {}});
    }
    i = end > i ? end - 1 : i;
  }
}

}  // namespace

void FindAddresses(PatternText* text) { FindAddressRuns(text); }

void FindLetterSegments(PatternText* text) {
  FindModelNames(text);
  FindDashRuns(text);
  FindLetterCodes(text);
}

}  // namespace kvo::frontend
