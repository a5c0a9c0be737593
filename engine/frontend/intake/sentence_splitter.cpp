#include "frontend/intake/sentence_splitter.h"

#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

namespace {

constexpr uint16_t kIdeographicFullStop = GbkCode(0xA1, 0xA3);  // 。
constexpr uint16_t kLeftDoubleQuotation = GbkCode(0xA1, 0xB0);  // “

enum class Decision { kEnd, kGoOn, kUnknown };

bool IsDigit(uint16_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(uint16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
uint16_t Lower(uint16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint16_t>(c + 32) : c; }

const char* const kAbbreviations[] = {"mr.", "mrs.", "dr.", "miss.", "a.m.", "p.m.", "b.c.", "a.d.", "i.e."};

struct View {
  const uint16_t* codes;
  size_t count;
  bool endOfInput;
  uint16_t g;
};

// Is the '.' at i part of one of the abbreviations (as a whole word)?
Decision InAbbreviation(const View& v, size_t i) {
  bool unknown = false;
  for (const char* a : kAbbreviations) {
    size_t len = 0;
    while (a[len] != '\0') ++len;
    for (size_t k = 0; k < len; ++k) {
      if (a[k] != '.' || k > i) continue;
      const size_t first = i - k;
      if (first > 0 && IsLetter(v.codes[first - 1])) continue;
      bool match = true, cut = false;
      for (size_t m = 0; m < len; ++m) {
        if (first + m >= v.count) {
          cut = true;
          break;
        }
        if (Lower(v.codes[first + m]) != static_cast<uint16_t>(a[m])) {
          match = false;
          break;
        }
      }
      if (match && !cut) return Decision::kGoOn;  // inside an abbreviation
      if (match && cut && !v.endOfInput) unknown = true;
    }
  }
  return unknown ? Decision::kUnknown : Decision::kEnd;
}

bool FollowsAbbreviation(const View& v, size_t i) {
  return i > 0 && v.codes[i - 1] == '.' && InAbbreviation(v, i - 1) == Decision::kGoOn;
}

Decision FullStop(const View& v, size_t i) {
  if (i > 0) {
    const CharClass prev = ClassifyCode(v.codes[i - 1], v.g);
    if (prev == qvTTS_CT_CHINESE || prev == qvTTS_CT_READING) return Decision::kEnd;
  }
  if (i + 1 >= v.count) {
    if (v.endOfInput) return Decision::kEnd;
    // Only a digit after it could still join "3." to what follows; an
    // abbreviation cut by the buffer end is decided below.
    if (i > 0 && IsDigit(v.codes[i - 1])) return Decision::kUnknown;
    return InAbbreviation(v, i);
  }
  if (i > 0 && IsDigit(v.codes[i - 1]) && IsDigit(v.codes[i + 1])) return Decision::kGoOn;
  const Decision abbreviation = InAbbreviation(v, i);
  if (abbreviation == Decision::kGoOn) return Decision::kGoOn;
  return abbreviation;
}

Decision Colon(const View& v, size_t i) {
  if (i + 1 < v.count && (v.codes[i + 1] == '"' || v.codes[i + 1] == kLeftDoubleQuotation)) return Decision::kEnd;
  if (i + 2 >= v.count) return v.endOfInput ? Decision::kGoOn : Decision::kUnknown;
  if (i > 0 && IsDigit(v.codes[i - 1]) && IsDigit(v.codes[i + 1])) return Decision::kGoOn;
  return Decision::kEnd;
}

Decision Comma(const View& v, size_t i) {
  if (i == 0 || !IsDigit(v.codes[i - 1])) return Decision::kEnd;
  size_t k = i + 1;
  while (k < v.count && v.codes[k] == ' ') ++k;
  if (k >= v.count) return v.endOfInput ? Decision::kEnd : Decision::kUnknown;
  return IsDigit(v.codes[k]) ? Decision::kGoOn : Decision::kEnd;
}

Decision Terminator(const View& v, size_t i) {
  switch (v.codes[i]) {
    case kIdeographicFullStop:
    case '\r':
    case '\n':
    case '!':
    case '?':
    case ';':
      return Decision::kEnd;
    case '.':
      return FullStop(v, i);
    case ':':
      return Colon(v, i);
    case ',':
      return Comma(v, i);
    default:
      return Decision::kGoOn;
  }
}

bool OnlyMarks(const uint16_t* codes, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    switch (codes[i]) {
      case ' ':
      case '\r':
      case '\n':
      case '\t':
      case ',':
      case '.':
      case ':':
      case '?':
      case '!':
      case ';':
      case '\'':
      case '"':
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

int CostOf(uint16_t c) {
  switch (c) {
    case '%':
    case '&':
    case '*':
    case '+':
    case '/':
    case '\\':
    case '_':
    case '~':
    case '=':
    case '^':
    case 'w':
    case 'W':
      return 2;
    default:
      return IsDigit(c) ? 2 : 1;
  }
}

SplitStatus SplitSentence(const uint16_t* codes, size_t count, size_t start, const SplitOptions& options,
                          SentenceSpan* out) {
  if (start >= count) return options.endOfInput ? SplitStatus::kEmpty : SplitStatus::kNeedMore;
  const View v{codes, count, options.endOfInput, options.syllableCodeCount};
  const bool allChinese = !options.englishAvailable || options.englishMode == 1;

  int language = 0;  // undecided until the first Chinese or English character
  int used = 0;
  size_t lastSpace = 0;  // one past the last space seen, 0 when none
  size_t lastBreak = 0;  // cut position of the last good break, 0 when none
  size_t end = count;
  bool found = false;

  for (size_t i = start; i < count; ++i) {
    const uint16_t c = codes[i];
    const int lc = LanguageOf(c, options.syllableCodeCount);
    if (lc == kLangChinese || lc == kLangEnglish) {
      if (language == 0)
        language = lc;
      else if (lc != language && !allChinese && i > start) {
        end = i;
        found = true;
        break;
      }
    }
    const bool chineseBudget = allChinese || language == kLangChinese;
    const int budget = chineseBudget ? kBudgetChinese : language == kLangEnglish ? kBudgetEnglish : kBudgetUndecided;
    const int cost = CostOf(c);
    if (used + cost > budget && i > start) {
      if (chineseBudget && lastSpace <= start && options.wordCut != nullptr) {
        // A cut inside a word would split it with a pause: cut at the last
        // word boundary, with the words that cross the limit in view.
        if (count - i < kWordCutLookahead && !options.endOfInput && count - start < options.bufferCapacity)
          return SplitStatus::kNeedMore;
        const size_t limit = i - start;
        const size_t shown = count - start < limit + kWordCutLookahead ? count - start : limit + kWordCutLookahead;
        const size_t cut = options.wordCut(options.wordCutUser, codes + start, shown, limit);
        end = cut > 0 && cut <= limit ? start + cut : i;
      } else if (chineseBudget) {
        end = lastSpace > start ? lastSpace : i;
      } else {
        end = lastBreak > start ? lastBreak : i;
      }
      found = true;
      break;
    }
    used += cost;

    if (i > start && ClassifyCode(codes[i - 1], v.g) != ClassifyCode(c, v.g)) lastBreak = i;
    if (c == ' ') {
      lastSpace = i + 1;
      if (!FollowsAbbreviation(v, i)) lastBreak = i + 1;
    }

    const Decision d = Terminator(v, i);
    if (d == Decision::kEnd) {
      end = i + 1;
      found = true;
      break;
    }
    if (d == Decision::kUnknown) {
      if (count - start < options.bufferCapacity) return SplitStatus::kNeedMore;
      end = i + 1;  // the buffer is full: no more context will come
      found = true;
      break;
    }
  }

  if (!found && !options.endOfInput) {
    if (count - start < options.bufferCapacity) return SplitStatus::kNeedMore;
    end = lastBreak > start ? lastBreak : count;  // the buffer is full: cut anyway
  }

  out->begin = start;
  out->end = end;
  if (allChinese || OnlyMarks(codes, start, end))
    out->language = kLangChinese;
  else if (language != 0)
    out->language = language;
  else
    out->language = options.englishMode == 2 ? kLangEnglish : kLangChinese;
  return SplitStatus::kSentence;
}

}  // namespace kvo::frontend
