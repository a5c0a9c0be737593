// The decision list for a digit string without a forced reading: the
// first rule whose cues hold decides how it is read. Rule numbers in the
// comments are the order of the list.
#include "frontend/normalisation/rule_context.h"

namespace kvo::frontend {

namespace {

CueList kUnitWords = {
    u"磅", u"千克", u"长吨", u"短吨", u"斤", u"两", u"克", u"盎司", u"英里", u"千米", u"纳米", u"码", u"英尺", u"尺",
    u"寸", u"丈", u"英寸", u"平方英里", u"平方公里", u"公顷", u"英亩", u"平方码", u"平方英尺", u"平方英寸", u"平方厘米",
    u"立方米", u"立方码", u"立方英尺", u"立方英寸", u"品脱", u"月", u"日", u"周", u"天", u"元", u"美元", u"角", u"分",
    u"毛", u"度", u"美分", u"帕斯卡", u"千帕", u"千帕斯卡", u"赫", u"千赫", u"千赫兹", u"焦", u"瓦特", u"千瓦", u"亿",
    u"兆", u"厘", u"毫", u"微", u"股", u"平米", u"伏", u"瓦", u"牛顿", u"公尺", u"公分", u"市尺", u"平方公尺",
    u"平方市尺", u"平方千米", u"平方海里", u"平方分米", u"克朗", u"港币", u"港元", u"法郎", u"英镑", u"欧元", u"日元",
    u"人民币", u"焦耳", u"安培", u"安", u"时", u"号", u"块", u"点", u"个", u"万", u"圆", u"节", u"立方分米", u"方",
    u"平", u"篇", u"岁", u"中", u"环", u"比", u"弄", u"手",
    // The metric and everyday units of the unit symbols.
    u"米", u"厘米", u"毫米", u"分米", u"公里", u"公斤", u"吨", u"升", u"毫升", u"秒", u"分钟", u"小时", u"摄氏度",
    u"平方米", u"千瓦时", u"兆赫", u"赫兹", u"千字节", u"字节", u"倍", u"名", u"件", u"张", u"条", u"次方", u"kg",
    u"km", u"cm", u"mm", u"m", u"g", u"kb", u"KB", u"MB", u"GB", u"Hz", u"KHz", u"MHz", u"GHz", u"ml", u"L"};
CueList kUnitSymbols = {u"℃", u"°", u"′", u"″", u"￠", u"㎡"};
CueList kIdCues = {u"身份证", u"证件"};
CueList kAccountCues = {u"信用卡", u"账号", u"账户", u"帐号", u"帐户"};
CueList kCodeCues = {u"码",   u"顺序号", u"流水号", u"合同号", u"标识", u"配号",
                     u"账号", u"帐号",   u"总号",   u"期号",   u"号码", u"编号"};
CueList kPhoneCues = {
    u"电话",     u"呼机",   u"BP",     u"BB",     u"传真", u"FAX",    u"Call",     u"Tel",    u"邮编",     u"编码",
    u"号码",     u"学号",   u"证号",   u"来电",   u"致电", u"分机",   u"工单",     u"帐号",   u"编号",     u"代码",
    u"代号",     u"手机",   u"大哥大", u"热线",   u"宅电", u"货号",   u"拨打",     u"拨",     u"打",       u"折",
    u"摩托罗拉", u"诺基亚", u"西门子", u"三星",   u"波导", u"爱立信", u"松下",     u"国航",   u"波音",     u"空客",
    u"机型",     u"ID",     u"转",     u"身份证", u"证件", u"信用卡", u"账户",     u"顺序号", u"流水号",   u"标识",
    u"配号",     u"账号",   u"总号",   u"系统",   u"期号", u"号码",   u"编号",     u"帐户",   u"免费送货", u"证券",
    u"摘要码",   u"商号",   u"卡号",   u"设备号", u"客服", u"牌号",   u"管理体系", u"ISO",    u"质量认证"};
CueList kNumberContext = {u"计", u"额",   u"费",   u"生产", u"销售",  u"经过", u"买",
                          u"价", u"年逾", u"价格", u"分数", u"价格:", u"计:"};
CueList kEraWords = {u"世纪", u"年代", u"派", u"速", u"倍速", u"档"};
CueList kRouteBefore = {u"乘", u"坐", u"转", u"№", u"国道", u"省道", u"县道", u"市道", u"公路"};
CueList kRouteAfter = {u"公交", u"区间", u"路",   u"房间", u"室",           u"新款",     u"医院",     u"部队",
                       u"计划", u"工程", u"机型", u"支路", u"联",           u"路线",     u"支路线",   u"国道",
                       u"省道", u"县道", u"市道", u"公路", u"话费查询系统", u"级本科生", u"级研究生", u"级毕业生"};
CueList kTrainWords = {u"特快", u"普快", u"快车",   u"慢车", u"列车", u"航班",
                       u"飞机", u"客机", u"战斗机", u"战机", u"航"};
CueList kBuildingWords = {u"师", u"部队", u"医院", u"房间", u"诊室", u"室", u"中心", u"国际金融大楼"};
CueList kFamousNumbers = {u"263", u"169", u"163", u"8848", u"911", u"8163", u"863", u"973", u"3721"};
CueList kServiceNumbers = {u"800", u"110", u"112", u"119", u"114", u"120", u"168", u"189", u"122", u"123", u"10086"};
CueList kMeasureWords = {u"个", u"位", u"户", u"人", u"辆", u"台", u"杯", u"瓶", u"只", u"头", u"匹",
                         u"尾", u"面", u"条", u"根", u"盒", u"粒", u"颗", u"棵", u"张", u"把", u"本"};
CueList kYearAfterWords = {u"会", u"赛", u"活动"};
CueList kHistoryWords = {u"历史", u"文化", u"以上"};
CueList kYearBeforeWords = {u"公历", u"公元", u"在", u"到", u"日期"};
CueList kDurationAfter = {u"间", u"多", u"前", u"之久", u"以上", u"后"};
CueList kDurationBefore = {u"前", u"后", u"用", u"花", u"干", u"做", u"作", u"进行", u"经过"};
CueList kPronouns = {u"他", u"她", u"它", u"我", u"你", u"这", u"那", u","};

struct Currency {
  std::u16string_view sign;
  std::u16string_view reading;
};
constexpr Currency kCurrencies[] = {{u"US$", u"美元"}, {u"US", u"美元"}, {u"￥", u"元"},
                                    {u"$", u"美元"},   {u"￡", u"英镑"}, {u"HKD", u"港元"}};

bool IsDigitChar(uint16_t c) { return c >= '0' && c <= '9'; }
bool IsCapital(uint16_t c) { return c >= 'A' && c <= 'Z'; }
bool IsLetterChar(uint16_t c) { return (c >= 'a' && c <= 'z') || IsCapital(c); }

bool SpanIs(const DigitSpan& n, std::u16string_view s) { return CodesEqual(n.chars, n.length, s); }
bool SpanIsAny(const DigitSpan& n, CueList list) {
  for (std::u16string_view s : list)
    if (SpanIs(n, s)) return true;
  return false;
}
bool StartsWith(const DigitSpan& n, std::u16string_view s) { return CodesStartWith(n.chars, n.length, s); }
bool YearShape(const DigitSpan& n) {
  return n.length == 4 && n.points == 0 && (StartsWith(n, u"19") || StartsWith(n, u"20"));
}
bool ZerosAfterFirst(const DigitSpan& n) {
  for (int c = 1; c < n.length; ++c)
    if (n.chars[c] != '0') return false;
  return true;
}

// Reading of the number and what the rule adds around it.
struct Plan {
  int16_t type = kReadNumber;
  DigitGrouping grouping = DigitGrouping::kDefault;
};

// The words of the three words before N that are not digit words.
bool CueAmongThreeBefore(const RuleContext& ctx, int first, CueList cues, int* cueWord) {
  int seen = 0;
  for (int w = first - 1; w >= 0 && seen < 3; --w) {
    if (ctx.IsDigit(w)) continue;
    ++seen;
    const WordRecord& word = ctx.Word(w);
    for (std::u16string_view s : cues) {
      const int n = static_cast<int>(s.size());
      for (int c = 0; c + n <= word.length; ++c) {
        if (CodesStartWith(word.chars + c, word.length - c, s)) {
          *cueWord = w;
          return true;
        }
      }
    }
  }
  return false;
}

// A one-character cue must be a word of its own; longer ones may sit
// inside a word.
bool CueInText(const RuleContext& ctx, int from, int to, CueList cues) {
  for (std::u16string_view s : cues) {
    if (s.size() > 1) {
      if (ctx.Contains(from, to, s)) return true;
      continue;
    }
    for (int w = 0; w < ctx.Count(); ++w)
      if (ctx.Begin(w) >= from && ctx.End(w) <= to && ctx.Is(w, s)) return true;
  }
  return false;
}

// Range "N mark M" after N: the index of M's first word, or -1.
int RangeSecond(const RuleContext& ctx, const DigitSpan& n) {
  const int mark = n.last + 1;
  if (!ctx.IsRangeMark(mark)) return -1;
  return ctx.IsDigit(mark + 1) ? mark + 1 : -1;
}

// Reads N, or N 到 M when a range follows; returns the next word.
int ReadNumberOrRange(RuleContext& ctx, const DigitSpan& n, std::u16string_view connector = u"到") {
  ctx.Read(n, kReadNumber);
  const int second = RangeSecond(ctx, n);
  if (second < 0) return n.last + 1;
  DigitSpan m;
  ctx.CollectDigits(second, &m);
  ctx.Chinese(connector, kTagConnectorWord, ctx.Word(n.last + 1).text_position);
  ctx.Read(m, kReadNumber);
  return m.last + 1;
}

int Finish(RuleContext& ctx, const DigitSpan& n, const Plan& plan) {
  ctx.Read(n, plan.type, plan.grouping);
  return n.last + 1;
}

Plan Digits(DigitGrouping grouping = DigitGrouping::kDefault) { return {kReadDigits, grouping}; }
Plan Number() { return {kReadNumber, DigitGrouping::kDefault}; }
Plan Year() { return {kReadYearDigits, DigitGrouping::kDefault}; }

// Rule 13: a number before 年.
Plan BeforeYearWord(const RuleContext& ctx, const DigitSpan& n, int len) {
  const int after = n.end + 1;  // after 年
  const int clause = ctx.ClauseStart(n.begin);
  const int clause_end = ctx.ClauseEnd(n.end);
  if (len == 4 && !StartsWith(n, u"1") && !StartsWith(n, u"2")) return Number();
  if (ctx.AfterAny(after, kHistoryWords) || (ctx.After(after, u"的") && ctx.AfterAny(after + 1, kHistoryWords)))
    return Number();
  if (ctx.BeforeAny(n.begin, kYearBeforeWords) || ctx.After(after, u"以来")) {
    if (len == 2 && ctx.Contains(n.end, clause_end, u"出生")) return Number();
    return Year();
  }
  if (ctx.Before(n.begin, u"从")) return (ctx.After(after, u"前") || len == 2) ? Number() : Year();
  if (len != 4 && (ctx.AfterAny(after, kDurationAfter) || ctx.BeforeAny(n.begin, kDurationBefore))) return Number();
  const int two_back = n.first - 2;
  if (ctx.IsAny(two_back, {u"了", u"过"})) return Number();
  if (ctx.After(after, u"来到")) return Year();
  if (ctx.After(after, u"来") && (ctx.AfterAny(after + 1, kPronouns) || ctx.After(after + 1, u"一直"))) return Number();
  const bool after_le = ctx.Before(n.begin, u"了");
  const bool two_digit_year = len == 2 && !after_le && n.chars[0] >= '4';
  if (two_digit_year || len == 4) {
    if (ctx.Contains(clause, clause_end, u"寿命") || ctx.After(after, u"了")) return Number();
    return Year();
  }
  return Number();
}

}  // namespace

bool IsUnitAfter(const RuleContext& ctx, int p) {
  if (ctx.AfterAny(p, {u"分机", u"分钱", u"方向", u"环境", u"中心"})) return false;
  for (std::u16string_view s : kUnitWords) {
    if (!ctx.After(p, s)) continue;
    if (s == u"手") {
      const int q = ctx.TextAt(p) == ' ' ? p + 2 : p + 1;
      if (ctx.TextAt(q) == 0 || ctx.TextAt(q) >= 0x80) continue;
    }
    return true;
  }
  return ctx.AfterAny(p, kUnitSymbols);
}

bool IsUnitWordOrSymbol(const RuleContext& ctx, int i) {
  return ctx.IsAny(i, kUnitWords) || ctx.IsAny(i, kUnitSymbols);
}

std::u16string_view CurrencyBefore(const RuleContext& ctx, int p, int* chars) {
  for (const Currency& c : kCurrencies) {
    const int n = static_cast<int>(c.sign.size());
    if (p - n >= 0 && ctx.Before(p, c.sign) && !(ctx.TextAt(p - 1) == ' ')) {
      *chars = n;
      return c.reading;
    }
  }
  return {};
}

int ReadUnforcedDigits(RuleContext& ctx, int i) {
  DigitSpan n;
  ctx.CollectDigits(i, &n);
  const int len = n.length;
  const int next = n.last + 1;
  const int prev = n.first - 1;
  const int32_t position = ctx.Word(n.first).text_position;
  auto after = [&](std::u16string_view s) { return ctx.After(n.end, s); };
  auto after_any = [&](CueList l) { return ctx.AfterAny(n.end, l); };
  auto before = [&](std::u16string_view s) { return ctx.Before(n.begin, s); };
  auto before_any = [&](CueList l) { return ctx.BeforeAny(n.begin, l); };
  const int clause = ctx.ClauseStart(n.begin);

  // 1, 2: identity, account and code numbers.
  int cue = -1;
  if (CueAmongThreeBefore(ctx, n.first, kIdCues, &cue)) return Finish(ctx, n, Digits(DigitGrouping::kIdNumber));
  const bool code_cue = CueAmongThreeBefore(ctx, n.first, kCodeCues, &cue);
  if (code_cue || CueAmongThreeBefore(ctx, n.first, kAccountCues, &cue)) {
    const bool amount = after_any({u"月", u"日", u"元", u"圆", u"角", u"个", u"点"}) ||
                        ctx.ContainsAny(ctx.End(cue), n.begin, {u"余额", u"单头"});
    if (!amount) {
      if (code_cue) ctx.codeLength = len;
      return Finish(ctx, n, Digits(DigitGrouping::kThousands));
    }
    return Finish(ctx, n, Number());
  }
  if (ctx.codeLength > 0 && ctx.codeLength == len && n.points == 0)
    return Finish(ctx, n, Digits(DigitGrouping::kThousands));
  // 3: a leading zero.
  if (n.chars[0] == '0' && n.points == 0 && len > 1) {
    if (len == 2 && after_any({u"年", u"分", u"秒"})) return Finish(ctx, n, {kReadMinutes, DigitGrouping::kDefault});
    if (len == 2 && after_any({u"月", u"日", u"时", u"点"})) return Finish(ctx, n, Number());
    return Finish(ctx, n, Digits());
  }
  // 4: list numbering at the start of the sentence.
  const bool at_start = n.begin == 0 || (n.begin == 1 && ctx.TextAt(0) == ' ');
  if (at_start && len <= 3 && n.points == 0 && ctx.IsAny(next, {u",", u"、", u":", u" "}))
    return Finish(ctx, n, Number());
  // 5: a number before "#".
  if (ctx.Is(next, u"#")) {
    const bool keys = ctx.IsAny(prev, {u"发", u"按"}) || ctx.Contains(0, n.begin, u"短信");
    if (keys) {
      ctx.Read(n, kReadDigits);
      ctx.Chinese(u"井", kTagNounWord, ctx.Word(next).text_position);
    } else {
      ctx.Read(n, kReadNumber);
      ctx.Chinese(u"号", kTagMeasureWord, ctx.Word(next).text_position);
    }
    return next + 1;
  }
  // 6: the country code after X.
  if (before(u"X") && SpanIs(n, u"86")) return Finish(ctx, n, Digits());
  // 7: a school year before 级.
  if (YearShape(n) && after(u"级")) return Finish(ctx, n, Year());
  // 8: a unit after the number.
  if (IsUnitAfter(ctx, n.end) &&
      !(ctx.TextAt(n.end) == 'G' && IsLetterChar(ctx.TextAt(n.end + 1)) && !ctx.After(n.end, u"GHz")))
    return ReadNumberOrRange(ctx, n, u"至");
  // 9: percentages, of a number or a range.
  {
    int mark_word = next;
    DigitSpan m;
    const int second = RangeSecond(ctx, n);
    if (second >= 0) {
      ctx.CollectDigits(second, &m);
      mark_word = m.last + 1;
    }
    if (ctx.IsAny(mark_word, {u"%", u"‰"})) {
      ctx.Chinese(ctx.Is(mark_word, u"%") ? u"百分之" : u"千分之", kTagNumberWord, position);
      ReadNumberOrRange(ctx, n);
      return mark_word + 1;
    }
  }
  // 10: a currency sign before the number.
  {
    int sign_chars = 0;
    const std::u16string_view currency = CurrencyBefore(ctx, n.begin, &sign_chars);
    if (!currency.empty()) {
      int sign_word = prev;
      while (ctx.Valid(sign_word - 1) && ctx.Begin(sign_word) > n.begin - sign_chars) --sign_word;
      ctx.TakeBack(sign_word);
      const int after_number = ReadNumberOrRange(ctx, n);
      ctx.Chinese(currency, kTagMeasureWord, position);
      return after_number;
    }
  }
  // 11: one decimal point.
  if (n.points == 1) {
    int point = 0;
    while (n.chars[point] != '.') ++point;
    if (IsLetterChar(ctx.TextAt(n.end))) {
      return Finish(ctx, n, (point >= 2 && len - point - 1 >= 2) ? Digits() : Number());
    }
    if (SpanIs(n, u"3.15") && ctx.BeforeAny(n.begin, {u"“", u"\""}) && ctx.AfterAny(n.end, {u"”", u"\""})) {
      ctx.Chinese(u"三幺五", kTagNumberWord, position);
      return next;
    }
    return Finish(ctx, n, Number());
  }
  // 12: seasons, decades.
  if (after(u"赛季")) return Finish(ctx, n, Year());
  if (after(u"年代")) return Finish(ctx, n, Number());
  if (after(u"年内")) return Finish(ctx, n, len == 4 ? Year() : Number());
  // 14: ranges of years and decades.
  const int second = RangeSecond(ctx, n);
  if (second >= 0) {
    DigitSpan m;
    ctx.CollectDigits(second, &m);
    const bool two = len == 2 && m.length == 2;
    const bool years = ctx.AfterAny(m.end, {u"年", u"赛季"}) &&
                       ((len == 4 && m.length == 4) || (two && n.chars[0] > '3' && m.chars[0] > '3'));
    if ((two && ctx.After(m.end, u"年代")) || years) {
      ctx.Read(n, years ? kReadYearDigits : kReadNumber);
      ctx.Chinese(u"至", kTagConnectorWord, ctx.Word(n.last + 1).text_position);
      ctx.Read(m, years ? kReadYearDigits : kReadNumber);
      return m.last + 1;
    }
  }
  // 13: a number before 年.
  if (after(u"年")) return Finish(ctx, n, BeforeYearWord(ctx, n, len));
  // 15: before 次.
  if (after(u"次")) {
    const bool train = ctx.ContainsAny(n.begin - 8, n.begin, kTrainWords) || ctx.AfterAny(n.end + 1, kTrainWords);
    return Finish(ctx, n, train ? Digits() : Number());
  }
  // 16: 9·18.
  if (ctx.Is(next, u"·") && ctx.IsDigit(next + 1)) {
    DigitSpan m;
    ctx.CollectDigits(next + 1, &m);
    if (SpanIs(n, u"9") && SpanIs(m, u"11") && before_any({u"“", u"\""})) {
      ctx.Chinese(u"九幺幺", kTagNumberWord, position);
      return m.last + 1;
    }
    ctx.Read(n, kReadYearDigits);
    ctx.Read(m, kReadYearDigits);
    return m.last + 1;
  }
  // 17: trains and flights.
  if ((ctx.ContainsAny(n.begin - 4, n.begin, kTrainWords) && !after_any({u"时", u"点"})) || after_any(kTrainWords)) {
    if (ctx.out->count > 0 &&
        CodesEqual(ctx.out->words[ctx.out->count - 1].chars, ctx.out->words[ctx.out->count - 1].length, u"负"))
      --ctx.out->count;
    return Finish(ctx, n, Digits());
  }
  // 18: before 转.
  if (after(u"转")) {
    return Finish(ctx, n, (len > 2 && IsDigitChar(ctx.TextAt(n.end + 1))) ? Digits() : Number());
  }
  // 19: routes, rooms, units.
  if (after_any(kRouteAfter) || before_any(kRouteBefore)) return Finish(ctx, n, len < 3 ? Number() : Digits());
  // 20: amounts and eras.
  if (!after(u"支") && !IsLetterChar(ctx.TextAt(n.begin - 1))) {
    const bool era =
        after_any(kEraWords) || (ctx.AfterAny(n.end, {u"多", u"几", u"余"}) && ctx.AfterAny(n.end + 1, kEraWords));
    if (before_any(kNumberContext) || era) return ReadNumberOrRange(ctx, n);
  }
  // 21: telephone numbers.
  {
    const bool excluded = (SpanIs(n, u"2000") && ctx.Contains(clause, n.begin, u"系统")) ||
                          ctx.ContainsAny(clause, n.begin, {u"打出", u"打成"});
    if (!excluded &&
        (CueInText(ctx, clause, n.begin, kPhoneCues) || CueInText(ctx, n.end, ctx.TextLength(), kPhoneCues)))
      return Finish(ctx, n, Digits());
  }
  // 22: keys to press.
  if (before(u"按") && ctx.Class(next) == qvTTS_CT_SYMBOL && !ctx.IsRangeMark(next)) return Finish(ctx, n, Digits());
  // 23: in parentheses.
  if (before(u"(") && after(u")")) {
    if (len <= 2) {
      const bool number = ctx.After(n.end + 1, u"日") || ctx.Before(n.begin - 1, u"第");
      return Finish(ctx, n, number ? Number() : Digits());
    }
    return Finish(ctx, n, ctx.Before(n.begin - 1, u"年") ? Year() : Digits());
  }
  // 24: postal codes between commas or brackets.
  if (len == 6 && ctx.BeforeAny(n.begin, {u",", u"(", u"["}) && ctx.AfterAny(n.end, {u",", u")", u"]"}))
    return Finish(ctx, n, Digits());
  // 25: after a colon.
  if (before(u":") && len >= 4 && len <= 8) {
    const uint16_t c = ctx.TextAt(n.end);
    if (c == 0 || (c < 0x80 && !IsLetterChar(c) && !IsDigitChar(c)) || ctx.Class(next) == qvTTS_CT_SYMBOL)
      return Finish(ctx, n, Digits());
  }
  // 26: after 秒.
  if (len == 2 && before(u"秒")) return Finish(ctx, n, Digits());
  // 27: after a capital letter (a model or a code).
  {
    int letter = n.begin - 1;
    if (ctx.TextAt(letter) == '.' || ctx.TextAt(letter) == '-') --letter;
    if (letter >= 0 && IsCapital(ctx.TextAt(letter))) {
      return Finish(ctx, n, (len > 2 && ZerosAfterFirst(n)) ? Number() : Digits());
    }
  }
  // 28: year, connector, year.
  if (YearShape(n)) {
    const int connector = next;
    if ((ctx.IsRangeMark(connector) || ctx.IsAny(connector, {u"或", u"和", u"与", u"至", u"到"})) &&
        ctx.IsDigit(connector + 1)) {
      DigitSpan m;
      ctx.CollectDigits(connector + 1, &m);
      if (YearShape(m)) {
        ctx.Read(n, kReadYearDigits);
        if (ctx.IsRangeMark(connector)) {
          ctx.Chinese(u"至", kTagConnectorWord, ctx.Word(connector).text_position);
        } else {
          ctx.Copy(connector);
        }
        ctx.Read(m, kReadYearDigits);
        return m.last + 1;
      }
    }
  }
  // 29: dimensions, N x M.
  if (ctx.IsAny(next, {u"x", u"X", u"*"}) && ctx.IsDigit(next + 1)) {
    DigitSpan m;
    ctx.CollectDigits(next + 1, &m);
    auto plan = [](const DigitSpan& s) { return (s.length < 3 || ZerosAfterFirst(s)) ? kReadNumber : kReadDigits; };
    ctx.Read(n, plan(n));
    ctx.Chinese(u"乘", kTagOperatorWord, ctx.Word(next).text_position);
    ctx.Read(m, plan(m));
    return m.last + 1;
  }
  // 30: speeds of drives, 8X.
  if (ctx.IsLetter(next) && ctx.Word(next).length == 1) {
    if (ctx.Is(next, u"X")) {
      ctx.Read(n, kReadNumber);
      ctx.Chinese(u"倍速", kTagMeasureWord, ctx.Word(next).text_position);
      return next + 1;
    }
    return Finish(ctx, n, Digits());
  }
  // 31: well-known numbers, service numbers.
  if (SpanIsAny(n, kFamousNumbers)) return Finish(ctx, n, Digits());
  if (SpanIsAny(n, kServiceNumbers)) {
    const bool count = after_any({u"多", u"几", u"余"}) || after_any(kMeasureWords);
    const bool context = ctx.ContainsAny(clause, ctx.ClauseEnd(n.end), kNumberContext) && !after(u"上网");
    const bool ratio = (after(u":") || after(u"—")) && IsDigitChar(ctx.TextAt(n.end + 1));
    if (!count && !context && !ratio) return Finish(ctx, n, Digits());
  }
  // 32: mobile and service lines.
  if ((len == 11 && StartsWith(n, u"13")) || (len == 5 && (StartsWith(n, u"179") || StartsWith(n, u"955"))))
    return Finish(ctx, n, Digits());
  // 33: years by what follows.
  if (YearShape(n)) {
    const bool year_after = ctx.ContainsAny(n.end, ctx.TextLength(), kYearAfterWords) ||
                            ctx.AfterAny(n.end, {u"]字", u")字"}) || ctx.IsPlaceName(next) ||
                            (before(u"·") && IsGb2312Hanzi(ctx.TextAt(n.begin - 2)));
    if (year_after) return Finish(ctx, n, Year());
  }
  // 34: buildings and units.
  if (len > 2 && after_any(kBuildingWords)) return Finish(ctx, n, Digits());
  if (len == 2 && after(u"后”")) return Finish(ctx, n, Digits());
  // 35: order and form numbers.
  if (len >= 5) {
    const int clause_end = ctx.ClauseEnd(n.end);
    const bool around =
        ctx.ContainsAny(clause, n.begin, {u"号", u"单"}) && ctx.ContainsAny(n.end, clause_end, {u"号", u"单"});
    if (around && !ctx.ContainsAny(clause, clause_end, {u"余额", u"单头"}) && !ctx.Contains(clause, n.begin, u"第"))
      return Finish(ctx, n, Digits());
  }
  // 36: emergency numbers.
  if (len == 3 && SpanIsAny(n, {u"110", u"120", u"119", u"114", u"112", u"999"}) &&
      !((after(u":") || after(u"—")) && IsDigitChar(ctx.TextAt(n.end + 1))))
    return Finish(ctx, n, Digits());
  // 37: quoted or bracketed.
  if (before_any({u"《", u"(", u"“", u"["}) || after_any({u"》", u")", u"”", u"]"})) {
    if (len == 4) return Finish(ctx, n, Year());
    if (len > 4) return Finish(ctx, n, Digits());
  }
  // 38: otherwise a number when short or with a point, else digit by digit.
  // auto_telegram prefers digits for whole numbers of more than one digit.
  const bool after_letter = IsLetterChar(ctx.TextAt(n.begin - 1)) && !SpanIs(n, u"2000");
  bool number = (n.points > 0 || len < 6) && !after_letter && n.points < 2;
  if (ctx.settings.digitMode == 1 && n.points == 0 && len > 1) number = false;
  return Finish(ctx, n, number ? Number() : Digits());
}

}  // namespace kvo::frontend
