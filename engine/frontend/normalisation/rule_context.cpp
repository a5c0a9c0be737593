#include "frontend/normalisation/rule_context.h"

namespace kvo::frontend {

RuleContext::RuleContext(const AnalysisResources& r, const NormalisationSettings& s, const WordList& input,
                         WordList* output)
    : res(r), settings(s), in(input), out(output) {
  out->count = 0;
  for (int w = 0; w < in.count; ++w) {
    outStart[w] = 0;
    wordBegin_[w] = textLength_;
    const WordRecord& word = in.words[w];
    for (int c = 0; c < word.length && textLength_ < kMaxSentenceText; ++c) text_[textLength_++] = word.chars[c];
  }
}

bool RuleContext::IsAny(int i, CueList list) const {
  for (std::u16string_view s : list)
    if (Is(i, s)) return true;
  return false;
}

bool RuleContext::IsRangeMark(int i) const { return IsAny(i, {u"-", u"~", u"～", u"—", u"―", u"–"}); }

bool RuleContext::IsPlaceName(int i) const {
  constexpr int16_t kTagPlaceNameNumber = 42;  // ns in the tag-name table
  return Valid(i) && (Word(i).pos == kTagPlaceNameWord || Word(i).pos == kTagPlaceNameNumber);
}

bool RuleContext::Before(int p, std::u16string_view s) const {
  const int n = static_cast<int>(s.size());
  for (int skip = 0; skip < 2; ++skip) {
    const int end = p - skip;
    if (skip == 1 && TextAt(end) != ' ') break;
    if (end - n < 0) continue;
    if (CodesEqual(text_ + end - n, n, s)) return true;
  }
  return false;
}

bool RuleContext::After(int p, std::u16string_view s) const {
  const int n = static_cast<int>(s.size());
  for (int skip = 0; skip < 2; ++skip) {
    const int start = p + skip;
    if (skip == 1 && TextAt(p) != ' ') break;
    if (start + n > textLength_) continue;
    if (CodesStartWith(text_ + start, n, s)) return true;
  }
  return false;
}

bool RuleContext::BeforeAny(int p, CueList list) const {
  for (std::u16string_view s : list)
    if (Before(p, s)) return true;
  return false;
}

bool RuleContext::AfterAny(int p, CueList list) const {
  for (std::u16string_view s : list)
    if (After(p, s)) return true;
  return false;
}

bool RuleContext::Contains(int from, int to, std::u16string_view s) const {
  if (from < 0) from = 0;
  if (to > textLength_) to = textLength_;
  const int n = static_cast<int>(s.size());
  for (int p = from; p + n <= to; ++p)
    if (CodesStartWith(text_ + p, n, s)) return true;
  return false;
}

bool RuleContext::ContainsAny(int from, int to, CueList list) const {
  for (std::u16string_view s : list)
    if (Contains(from, to, s)) return true;
  return false;
}

namespace {

bool EndsClause(uint16_t c, uint16_t g) {
  return c >= 0x80 && !IsGb2312Hanzi(c) && ClassifyCode(c, g) == qvTTS_CT_SYMBOL;
}

}  // namespace

int RuleContext::ClauseStart(int p) const {
  while (p > 0 && !EndsClause(text_[p - 1], res.syllableCodeCount)) --p;
  return p;
}

int RuleContext::ClauseEnd(int p) const {
  while (p < textLength_ && !EndsClause(text_[p], res.syllableCodeCount)) ++p;
  return p;
}

void RuleContext::CollectDigits(int i, DigitSpan* span) const {
  span->first = span->last = i;
  span->length = 0;
  span->points = 0;
  int w = i;
  while (true) {
    const WordRecord& word = Word(w);
    if (span->length + word.length > kMaxDigitSpan) break;
    for (int c = 0; c < word.length; ++c) span->chars[span->length++] = word.chars[c];
    span->last = w;
    // A point joins the next digit word when a digit follows it directly.
    if (!(Is(w + 1, u".") && IsDigit(w + 2) && span->length + 1 + Word(w + 2).length <= kMaxDigitSpan)) break;
    span->chars[span->length++] = '.';
    ++span->points;
    w += 2;
  }
  span->begin = Begin(span->first);
  span->end = End(span->last);
}

bool RuleContext::Copy(int i) {
  if (out->count >= kMaxWordsPerSentence) return Ok(false);
  out->words[out->count++] = Word(i);
  return true;
}

bool RuleContext::Chinese(std::u16string_view reading, int16_t tag, int32_t position) {
  return Ok(AppendChineseWord(out, reading, tag, position));
}

bool RuleContext::Space(int32_t position) { return Ok(AppendSpaceWord(out, position)); }

namespace {

// Words that count things: a lone 2 before them is 两 (两个, 两小时, 两倍);
// 二 stays for ordinals, months, days, floors and grades (第2, 2月, 2号).
CueList kCountingWords = {
    u"个",   u"位", u"户",   u"人", u"辆", u"台", u"杯", u"瓶", u"只",   u"头",   u"匹",   u"条",   u"根",   u"盒",
    u"粒",   u"颗", u"棵",   u"张", u"把", u"本", u"片", u"次", u"种",   u"份",   u"名",   u"倍",   u"岁",   u"件",
    u"套",   u"双", u"对",   u"部", u"项", u"家", u"所", u"座", u"间",   u"碗",   u"斤",   u"公斤", u"千克", u"公里",
    u"千米", u"米", u"厘米", u"吨", u"元", u"块", u"角", u"毛", u"小时", u"分钟", u"秒钟", u"天",   u"周",   u"年",
    u"万",   u"亿", u"千",   u"百", u"点", u"趟", u"遍", u"场", u"节",   u"门",   u"架",   u"艘",   u"顿",   u"声"};

bool CountsAfter(const RuleContext& ctx, const DigitSpan& span) {
  const int next = span.last + 1;
  if (!ctx.Valid(next) || !ctx.IsChinese(next) || ctx.Before(ctx.Begin(span.first), u"第")) return false;
  const WordRecord& word = ctx.Word(next);
  for (std::u16string_view cue : kCountingWords) {
    if (CodesEqual(word.chars, word.length, cue)) return true;
    // A counting word at the start of a longer word (2个月, 2年多), but not 2年级.
    if (CodesStartWith(word.chars, word.length, cue) && !CodesStartWith(word.chars, word.length, u"年级")) return true;
  }
  return false;
}

}  // namespace

bool RuleContext::Read(const DigitSpan& span, int16_t type, DigitGrouping grouping, int32_t position) {
  if (position < 0) position = Word(span.first).text_position;
  // The hour type reads a lone 2 as 两 and every other number as a number.
  if (type == kReadNumber && CodesEqual(span.chars, span.length, u"2") && CountsAfter(*this, span)) type = kReadHour;
  return Ok(AppendDigitStringReading(span.chars, span.length, type, grouping, settings, position, out));
}

}  // namespace kvo::frontend
