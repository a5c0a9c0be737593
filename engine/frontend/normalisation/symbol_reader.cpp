// The symbol reader: punctuation stays as a pause unit of its class (read
// aloud first when puncmode is on), other symbols are read by the symbol
// table or copied as a pause.
#include "frontend/normalisation/rule_context.h"
#include "frontend/normalisation/symbol_table.h"

namespace kvo::frontend {

namespace {

constexpr uint16_t kLineFeed = '\n';
constexpr uint16_t kCarriageReturn = '\r';

bool PuncModeOn(const NormalisationSettings& s) { return s.puncMode == 1 || s.puncMode == 3; }

// Keeps the symbol word as a pause unit of its punctuation class.
bool KeepAsPause(RuleContext& ctx, const WordRecord& symbol, uint16_t code, int punctuationClass, int pause) {
  if (ctx.out->count >= kMaxWordsPerSentence) {
    ctx.failed = true;
    return false;
  }
  WordRecord& word = ctx.out->words[ctx.out->count++];
  word = symbol;
  word.length = 1;
  word.chars[0] = code;
  word.word_class = qvTTS_CT_SYMBOL;
  const int b = 2 * static_cast<int>(ctx.res.syllableCodeCount);
  if ((punctuationClass == 110 || punctuationClass == 111) && pause < 500) pause = 500;
  word.pinyin[0] = static_cast<uint16_t>(b + punctuationClass);
  word.pinyin[1] = static_cast<uint16_t>(pause);
  return true;
}

int16_t ReadingTag(std::u16string_view reading) {
  for (std::u16string_view s : {u"井号", u"星号", u"美元", u"百分号"})
    if (reading == s) return kTagNounWord;
  return kTagPunctuationWord;
}

// Emits a table reading; "a" in 花a is a letter of its own.
void EmitReading(RuleContext& ctx, std::u16string_view reading, int32_t position) {
  const size_t letter = reading.find(u'a');
  if (letter == std::u16string_view::npos) {
    ctx.Chinese(reading, ReadingTag(reading), position);
    return;
  }
  ctx.Chinese(reading.substr(0, letter), kTagNounWord, position);
  const uint16_t a = 'a';
  if (!AppendCodesWord(ctx.out, &a, 1, qvTTS_CT_LETTER, kTagNounWord, kNoForcedMode, position)) ctx.failed = true;
}

bool AfterNumberWithCue(const RuleContext& ctx, int i, CueList cues) {
  if (!ctx.IsDigit(i - 1)) return false;
  int first = i - 1;
  while (ctx.IsDigit(first - 2) && ctx.Is(first - 1, u".")) first -= 2;
  return ctx.ContainsAny(ctx.Begin(first) - 6, ctx.Begin(first), cues);
}

}  // namespace

int ReadSymbol(RuleContext& ctx, int i) {
  const WordRecord& word = ctx.Word(i);
  const uint16_t c = word.chars[0];
  const int32_t position = word.text_position;
  // 1: a line end is a full stop that is never read.
  if (c == kLineFeed || c == kCarriageReturn) {
    KeepAsPause(ctx, word, InternalCodeOf(u'。'), 106, 1000);
    return i + 1;
  }
  // An ASCII point that ends a sentence or a clause (中国人民. or a
  // full-width point) is a full stop, not 点: a pause of the 。 class.
  const bool forced_symbols = word.reading_modes[kForcedModeSlot] == kReadSymbols;
  if (c == '.' && !forced_symbols && !ctx.IsDigit(i + 1) && !ctx.IsLetter(i + 1)) {
    if (PuncModeOn(ctx.settings)) EmitReading(ctx, u"句号", position);
    KeepAsPause(ctx, word, InternalCodeOf(u'。'), 106, 1000);
    return i + 1;
  }
  // 2: readings by context.
  if (c == '>' || c == '<') {
    ctx.Chinese(c == '>' ? u"大于" : u"小于", kTagOperatorWord, position);
    return i + 1;
  }
  if (c == '"') {
    if (ctx.BeforeAny(ctx.Begin(i), {u"显示器", u"显示屏", u"屏幕"}) ||
        AfterNumberWithCue(ctx, i, {u"尺寸", u"尺寸为", u"尺寸:"})) {
      ctx.Chinese(u"寸", kTagMeasureWord, position);
      return i + 1;
    }
    if (AfterNumberWithCue(ctx, i, {u"时间", u"时间为", u"时间:"})) {
      ctx.Chinese(u"秒", kTagMeasureWord, position);
      return i + 1;
    }
  }
  if (ctx.Is(i, u"±") && ctx.IsDigit(i + 1) && (ctx.IsDigit(i - 1) || IsUnitWordOrSymbol(ctx, i - 1))) {
    ctx.Chinese(u"加减", kTagOperatorWord, position);
    return i + 1;
  }
  if (c == '$' && ctx.IsSpace(i + 1)) return i + 1;
  // 3: spaces and characters the table does not know.
  if (c == ' ') {
    // A sentence of one space keeps it: a short pause rather than nothing.
    const bool edge = (i == 0 || i == ctx.Count() - 1) && ctx.Count() > 1;
    if (edge || (ctx.IsChinese(i - 1) && ctx.IsChinese(i + 1))) return i + 1;
    ctx.Copy(i);
    return i + 1;
  }
  const SymbolEntry* entry = FindSymbol(c);
  const int punctuation = PunctuationClassOf(c);
  const bool has_class = punctuation != kNoPunctuationClass;
  if (entry == nullptr || entry->readingClass == 2) {
    if (has_class) {
      KeepAsPause(ctx, word, c, punctuation, entry != nullptr ? entry->pause : 0);
    } else {
      ctx.Copy(i);
    }
    return i + 1;
  }
  // 4: read aloud.
  const bool forced = word.reading_modes[kForcedModeSlot] == kReadSymbols;
  int next = i + 1;
  if (forced || !has_class || PuncModeOn(ctx.settings)) {
    if (c == '=' && ctx.Is(i + 1, u"》")) {
      ctx.Chinese(u"到", kTagConnectorWord, position);
    } else if (entry->number > 0) {
      if (!AppendNumberReading(entry->number, ctx.settings, position, ctx.out)) ctx.failed = true;
    } else if (!entry->reading.empty()) {
      EmitReading(ctx, entry->reading, position);
      if (entry->reading.back() == u'号' && ctx.Is(i + 1, u"号")) next = i + 2;
    }
  }
  // 5: punctuation stays as a pause.
  if (has_class) KeepAsPause(ctx, word, c, punctuation, entry->pause);
  return next;
}

}  // namespace kvo::frontend
