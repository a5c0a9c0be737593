// The word rules: every word of the sentence in order, read into a new
// list. Digit words with a forced reading are read with it, others go
// through the decision list; symbols have rules of their own before the
// symbol reader.
#include "frontend/normalisation/normalisation_steps.h"
#include "frontend/normalisation/rule_context.h"

namespace kvo::frontend {

namespace {

int16_t ForcedMode(const RuleContext& ctx, int i) { return ctx.Word(i).reading_modes[kForcedModeSlot]; }

// Rule 1: a digit word with a forced type, with the digit and point words
// after it (a number type stops at its second point).
int ReadForcedDigits(RuleContext& ctx, int i) {
  const int16_t type = ForcedMode(ctx, i);
  DigitSpan span;
  ctx.CollectDigits(i, &span);
  if (type != kReadDigits && type != kReadYearDigits && span.points > 1) {
    // Read up to the second point; the rest starts a new number.
    int points = 0, length = 0;
    int w = i;
    for (; w <= span.last; ++w) {
      if (ctx.Is(w, u".") && ++points == 2) break;
      length += ctx.Word(w).length;
    }
    span.last = w - 1;
    span.length = length;
    span.points = 1;
  }
  ctx.Read(span, type);
  return span.last + 1;
}

int ReadForcedLetters(RuleContext& ctx, int i) {
  const int32_t position = ctx.Word(i).text_position;
  if (ctx.IsAny(i, {u"xxx", u"XXX"})) {
    ctx.Chinese(u"某某某", kTagPlaceholderWord, position);
  } else if (ctx.IsAny(i, {u"xx", u"XX"})) {
    ctx.Chinese(u"某某", kTagPlaceholderWord, position);
  } else {
    ctx.Copy(i);
  }
  return i + 1;
}

bool HoldsAny(const RuleContext& ctx, CueList list) { return ctx.ContainsAny(0, ctx.TextLength(), list); }

// "×": an operator between non-Chinese words, placeholders in 某某某.
int ReadTimes(RuleContext& ctx, int i) {
  const int32_t position = ctx.Word(i).text_position;
  const bool operands =
      ctx.Valid(i - 1) && ctx.Valid(i + 1) && !ctx.IsChinese(i - 1) && !ctx.IsChinese(i + 1) && !ctx.Is(i + 1, u"×");
  if (operands) {
    ctx.Chinese(u"乘以", kTagOperatorWord, position);
    return i + 1;
  }
  if (i == 0 && ctx.Valid(i + 1) && !ctx.IsChinese(i + 1) && !ctx.Is(i + 1, u"×")) {
    ctx.Copy(i);
    return i + 1;
  }
  if (HoldsAny(ctx, {u"资费", u"缴费", u"比例", u"系数", u"=", u":"})) {
    ctx.Chinese(u"乘以", kTagOperatorWord, position);
    return i + 1;
  }
  int run = i;
  while (ctx.Is(run + 1, u"×")) ++run;
  if (ctx.IsDigit(run + 1)) {
    for (int k = i; k <= run; ++k) ctx.Chinese(u"乘", kTagOperatorWord, ctx.Word(k).text_position);
    return run + 1;
  }
  for (int k = i; k <= run; k += 3) {
    const int n = run - k + 1;
    ctx.Chinese(n >= 3 ? u"某某某" : n == 2 ? u"某某" : u"某", kTagPlaceholderWord, ctx.Word(k).text_position);
  }
  return run + 1;
}

int ReadPlus(RuleContext& ctx, int i) {
  const bool sign_position = i == 0 || ctx.IsAny(i - 1, {u".", u",", u" "});
  ctx.Chinese(sign_position && ctx.IsDigit(i + 1) ? u"正" : u"加", kTagNumberWord, ctx.Word(i).text_position);
  return i + 1;
}

bool IsChineseNumeral(const RuleContext& ctx, int i) {
  if (!ctx.Valid(i)) return false;
  const WordRecord& w = ctx.Word(i);
  for (char16_t c : std::u16string_view(u"零一二三四五六七八九十百千万亿两○〇")) {
    if (w.chars[0] == InternalCodeOf(c) || w.chars[w.length - 1] == InternalCodeOf(c)) return true;
  }
  return false;
}

int ReadCircle(RuleContext& ctx, int i) {
  if (ctx.Is(i, u"〇") || IsChineseNumeral(ctx, i - 1) || IsChineseNumeral(ctx, i + 1)) {
    ctx.Chinese(u"零", kTagNumberWord, ctx.Word(i).text_position);
  } else {
    ctx.Copy(i);
  }
  return i + 1;
}

int ReadHash(RuleContext& ctx, int i) {
  if (ctx.settings.puncMode != 1 && ctx.settings.puncMode != 3) return ReadSymbol(ctx, i);
  const int32_t position = ctx.Word(i).text_position;
  if (ctx.After(ctx.End(i), u"号键")) {
    ctx.Chinese(u"井", kTagNounWord, position);
  } else {
    ctx.Chinese(u"井号", kTagNounWord, position);
  }
  return i + 1;
}

// Whether the number after a range mark ends right before a unit.
bool UnitAfterNumber(const RuleContext& ctx, int digitWord) {
  DigitSpan span;
  ctx.CollectDigits(digitWord, &span);
  return IsUnitAfter(ctx, span.end);
}

bool DigitWithin(const RuleContext& ctx, int p, int chars) {
  for (int k = p - chars; k < p; ++k)
    if (ctx.TextAt(k) >= '0' && ctx.TextAt(k) <= '9') return true;
  return false;
}

// A number of the digit span before a mark, counted back from word i.
int DigitsBefore(const RuleContext& ctx, int i) {
  int n = 0;
  for (int p = ctx.Begin(i) - 1; p >= 0 && ctx.TextAt(p) >= '0' && ctx.TextAt(p) <= '9'; --p) ++n;
  return n;
}

long SmallValue(const RuleContext& ctx, int i) {
  long v = 0;
  const WordRecord& w = ctx.Word(i);
  for (int c = 0; c < w.length && c < 9; ++c) v = v * 10 + (w.chars[c] - '0');
  return v;
}

CueList kScoreWords = {u"比", u"局", u"对", u"结果", u"比分", u"胜", u"败"};
CueList kScoreResults = {u"反超", u"不敌", u"丢掉", u"轻取", u"胜",   u"败", u"平",   u"负",
                         u"领先", u"落后", u"输",   u"扳回", u"比分", u"赢", u"拿下", u"换下"};

// Range marks "-", "~", "—" …: 至, 到, 比, 零下, 负, 减, or nothing.
int ReadRangeMark(RuleContext& ctx, int i) {
  int last = i;
  while (ctx.IsRangeMark(last + 1)) ++last;
  const int before = ctx.Prev(i), after = ctx.Next(last);
  const int32_t position = ctx.Word(i).text_position;
  const bool digit_before = ctx.IsDigit(before), digit_after = ctx.IsDigit(after);
  const int next = last + 1;
  // 1, 3: a range of numbers with a unit or a currency sign.
  if (digit_before && digit_after && UnitAfterNumber(ctx, after)) {
    ctx.Chinese(u"至", kTagConnectorWord, position);
    return next;
  }
  // 2: the same unit before the mark and after the second number.
  if (digit_after && !digit_before && ctx.Valid(before) && DigitWithin(ctx, ctx.Begin(i), 5) &&
      (IsUnitWordOrSymbol(ctx, before) || ctx.IsAny(before, {u"亿", u"万", u"千", u"百", u"年", u"月", u"日", u"时",
                                                             u"分", u"秒", u"点", u"℃", u"%", u"‰"}))) {
    DigitSpan second;
    ctx.CollectDigits(after, &second);
    const WordRecord& unit = ctx.Word(before);
    const int later = second.last + 1;
    if (ctx.Valid(later) && ctx.Word(later).length >= unit.length) {
      bool same = true;
      for (int c = 0; c < unit.length; ++c) same = same && ctx.Word(later).chars[c] == unit.chars[c];
      if (same) {
        ctx.Chinese(u"至", kTagConnectorWord, position);
        return next;
      }
    }
  }
  // 3: a currency sign after the mark.
  if (digit_before && ctx.IsAny(after, {u"$", u"￥", u"￡", u"US", u"HKD"})) {
    ctx.Chinese(u"至", kTagConnectorWord, position);
    return next;
  }
  // 4: a sign before a number.
  if (!ctx.Valid(before) || (!digit_before && digit_after)) {
    if (digit_after) {
      DigitSpan number;
      ctx.CollectDigits(after, &number);
      if (ctx.AfterAny(number.end, {u"℃", u"摄氏度"})) {
        ctx.Chinese(u"零下", kTagBelowZeroWord, position);
        return next;
      }
      if (ctx.BeforeAny(ctx.Begin(i), {u"F", u"米格", u"华为", u"苏", u"萨姆", u"B", u"波音", u"歼", u"AGM", u"GBU",
                                       u"AIM", u"TV", u"tv"})) {
        // A model name: the number is read digit by digit after it.
        ctx.Read(number, kReadDigits);
        return number.last + 1;
      }
      const bool after_word = ctx.Valid(before) && ctx.Class(before) != qvTTS_CT_SYMBOL &&
                              ctx.Word(before).pos != kTagPunctuationWord && ctx.Word(before).pos != kTagUnknown;
      if (last == i && (before < 0 || after_word)) {
        ctx.Chinese(u"负", kTagNumberWord, position);
      }
      return next;
    }
  }
  // 5: between two place names.
  if (ctx.IsAny(i, {u"-", u"–", u"—"}) && ctx.IsPlaceName(before) && ctx.IsPlaceName(after)) {
    ctx.Chinese(u"至", kTagConnectorWord, position);
    return next;
  }
  // 6: numbers on both sides.
  if (digit_before && digit_after) {
    DigitSpan second;
    ctx.CollectDigits(after, &second);
    const int first_digits = DigitsBefore(ctx, i);
    if ((first_digits == 4 || first_digits == 2) && ctx.AfterAny(second.end, {u"赛季", u"年"})) {
      ctx.Chinese(u"到", kTagConnectorWord, position);
      return next;
    }
    if (ctx.ContainsAny(0, ctx.Begin(i), kScoreWords) || ctx.ContainsAny(second.end, ctx.TextLength(), kScoreResults)) {
      ctx.Chinese(u"比", kTagConnectorWord, position);
      return next;
    }
    const int back = before - 3;
    if (ctx.Valid(back) && ctx.Word(back).length > 0) {
      const WordRecord& w = ctx.Word(back);
      bool cue = false;
      for (std::u16string_view s : {u"为", u"以", u"(", u"打出", u"追成", u"比分", u"打成", u"采取", u"采用"})
        cue = cue || CodesStartWith(w.chars, w.length, s);
      if (cue) {
        if (first_digits <= 3 && ctx.Word(after).length <= 3) ctx.Chinese(u"比", kTagConnectorWord, position);
        return next;
      }
    }
    if (first_digits <= 9 && ctx.Word(after).length <= 9 && SmallValue(ctx, before) <= SmallValue(ctx, after)) {
      ctx.Chinese(u"到", kTagConnectorWord, position);
    }
    return next;
  }
  // 7: a number minus something.
  if (digit_before && ctx.IsChinese(after) && ctx.Is(i, u"-")) {
    ctx.Chinese(u"减", kTagOperatorWord, position);
    return next;
  }
  // 8: between Chinese words.
  if (ctx.IsChinese(before) && ctx.IsChinese(after)) {
    if (ctx.IsPlaceName(before) && ctx.IsPlaceName(after)) {
      ctx.Chinese(u"至", kTagConnectorWord, position);
      return next;
    }
    if (ctx.Is(i, u"—")) {
      for (int k = i; k <= last; ++k) ReadSymbol(ctx, k);
    }
    return next;
  }
  // 9: letters or digits on both sides.
  if ((ctx.IsLetter(before) || digit_before) && (ctx.IsLetter(after) || digit_after)) {
    ctx.Space(position);
    return next;
  }
  for (int k = i; k <= last; ++k) {
    if (ctx.Is(k, u"—")) ReadSymbol(ctx, k);
  }
  return next;
}

bool IsWindowsName(const RuleContext& ctx, int i) {
  return ctx.IsAny(i, {u"WIN9X", u"Win9x", u"NT", u"2000", u"XP", u"VISTA", u"Vista"});
}

// "/": dropped, 每, a fraction, 到, 除以 or a space.
int ReadSlash(RuleContext& ctx, int i) {
  const int32_t position = ctx.Word(i).text_position;
  const int before = i - 1, after = i + 1;
  if (IsWindowsName(ctx, before) && IsWindowsName(ctx, after)) return i + 1;
  if (ctx.Is(after, u"㎡")) {
    ctx.Chinese(u"每", kTagPlaceholderWord, position);
    ctx.Chinese(u"平方米", kTagMeasureWord, ctx.Word(after).text_position);
    return after + 1;
  }
  if (ctx.Is(after, u"手")) {
    ctx.Chinese(u"每", kTagPlaceholderWord, position);
    return i + 1;
  }
  if (ctx.IsDigit(before) && ctx.IsDigit(after)) {
    // The first number's words are read again in the new order.
    int first = before;
    while (ctx.IsDigit(first - 2) && ctx.Is(first - 1, u".")) first -= 2;
    DigitSpan numerator, denominator;
    ctx.CollectDigits(first, &numerator);
    ctx.CollectDigits(after, &denominator);
    ctx.TakeBack(first);
    if (ctx.AfterAny(denominator.end, {u"赛季", u"年"})) {
      ctx.Read(numerator, kReadDigits);
      ctx.Chinese(u"到", kTagConnectorWord, position);
      ctx.Read(denominator, kReadDigits);
    } else {
      // Read denominator first: all its words start where the fraction does.
      const int32_t start = ctx.Word(numerator.first).text_position;
      ctx.Read(denominator, kReadNumber, DigitGrouping::kDefault, start);
      ctx.Chinese(u"分之", kTagNumberWord, start);
      ctx.Read(numerator, kReadNumber, DigitGrouping::kDefault, start);
    }
    return denominator.last + 1;
  }
  const bool edge = before < 0 || after >= ctx.Count();
  if (!edge && !(ctx.IsLetter(before) && ctx.IsLetter(after))) {
    if (ctx.IsChinese(before) && ctx.IsDigit(after)) {
      ctx.Chinese(u"每", kTagPlaceholderWord, position);
      return i + 1;
    }
    const bool per_unit = ctx.Word(before).pos == kTagMeasureWord || ctx.IsDigit(before) ||
                          (ctx.IsChinese(before) && ctx.Word(before).length == 1 && IsUnitWordOrSymbol(ctx, before));
    if (IsUnitWordOrSymbol(ctx, after) && per_unit) {
      ctx.Chinese(u"每", kTagPlaceholderWord, position);
      return i + 1;
    }
    if (HoldsAny(ctx, {u"="}) || ctx.Before(ctx.Begin(i), u"率")) {
      ctx.Chinese(u"除以", kTagOperatorWord, position);
      return i + 1;
    }
  }
  ctx.Space(position);
  return i + 1;
}

int ReadSymbolWord(RuleContext& ctx, int i) {
  if (ctx.Is(i, u"×")) return ReadTimes(ctx, i);
  if (ctx.Is(i, u"@")) {
    const int32_t position = ctx.Word(i).text_position;
    ctx.Chinese(u"花", kTagNounWord, position);
    const uint16_t a = 'a';
    if (!AppendCodesWord(ctx.out, &a, 1, qvTTS_CT_LETTER, kTagNounWord, kNoForcedMode, position)) ctx.failed = true;
    return i + 1;
  }
  if (ctx.Is(i, u"+")) return ReadPlus(ctx, i);
  if (ctx.Is(i, u"*") && ctx.Is(i - 1, u"*")) return i + 1;
  if (ctx.IsAny(i, {u"〇", u"○"})) return ReadCircle(ctx, i);
  if (ctx.Is(i, u"#")) return ReadHash(ctx, i);
  if (ctx.IsRangeMark(i) && ctx.Word(i).reading_modes[kForcedModeSlot] != kReadSymbols) return ReadRangeMark(ctx, i);
  if (ctx.Is(i, u"/") && ctx.Word(i).reading_modes[kForcedModeSlot] != kReadSymbols) return ReadSlash(ctx, i);
  if (ctx.Is(i, u".") && (ctx.IsLetter(i - 1) || ctx.IsDigit(i - 1)) && (ctx.IsLetter(i + 1) || ctx.IsDigit(i + 1))) {
    ctx.Space(ctx.Word(i).text_position);
    return i + 1;
  }
  return ReadSymbol(ctx, i);
}

bool FollowedByPercent(const RuleContext& ctx, int i) {
  DigitSpan span;
  ctx.CollectDigits(i, &span);
  return ctx.IsAny(span.last + 1, {u"%", u"‰"});
}

}  // namespace

void ApplyWordRules(const AnalysisResources& res, const NormalisationSettings& settings, const WordList& in,
                    WordList* out) {
  RuleContext ctx(res, settings, in, out);
  for (int i = 0; i < in.count;) {
    const int start = out->count;
    ctx.outStart[i] = start;
    ctx.rollback = start;
    const WordRecord& word = in.words[i];
    int next = i + 1;
    const int16_t forced = word.reading_modes[kForcedModeSlot];
    if (word.word_class == qvTTS_CT_DIGIT && forced != kNoForcedMode && !FollowedByPercent(ctx, i)) {
      next = ReadForcedDigits(ctx, i);
    } else if (word.word_class == qvTTS_CT_LETTER && forced != kNoForcedMode) {
      next = ReadForcedLetters(ctx, i);
    } else if (word.word_class == qvTTS_CT_DIGIT) {
      next = ReadUnforcedDigits(ctx, i);
    } else if (word.word_class == qvTTS_CT_SYMBOL || word.word_class == qvTTS_CT_NUMBERED) {
      next = ReadSymbolWord(ctx, i);
    } else {
      ctx.Copy(i);
    }
    if (next <= i) next = i + 1;
    for (int k = i + 1; k < next && k < in.count; ++k) ctx.outStart[k] = start;
    if (ctx.failed) {
      // No room for this word's reading: it and the rest are not read.
      out->count = ctx.rollback;
      break;
    }
    i = next;
  }
}

}  // namespace kvo::frontend
