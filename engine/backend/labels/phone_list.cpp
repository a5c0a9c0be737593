#include "backend/labels/phone_list.h"

#include <cstring>

#include "core/unit_code.h"
#include "frontend/lexicon/syllable_split.h"

namespace kvo {
namespace backend {

bool SplitSyllable(const char* name, int tones, const NameTable& initials, SyllableSplit* out) {
  out->initial[0] = '\0';
  out->final_[0] = '\0';
  out->initialIndex = -1;
  // A name is at least one letter and its tone digit.
  if (std::strlen(name) < 2) return false;
  frontend::SyllableParts parts;
  if (!frontend::SplitSyllableName(name, initials.names, static_cast<size_t>(initials.count < 0 ? 0 : initials.count),
                                   tones == 6, &parts))
    return false;
  static_assert(sizeof(parts.initial) <= sizeof(out->initial) && sizeof(parts.final_) <= sizeof(out->final_),
                "split buffers");
  std::memcpy(out->initial, parts.initial, sizeof(parts.initial));
  std::memcpy(out->final_, parts.final_, sizeof(parts.final_));
  out->initialIndex = parts.initialIndex;
  return true;
}

uint8_t PhoneId(const VoiceSymbols& symbols, const char* name) {
  int id = FindName(symbols.phones, name);
  return (id < 0 || id > 0xFE) ? kNoPhone : static_cast<uint8_t>(id);
}

bool SplitSyllableCode(const VoiceSymbols& symbols, uint32_t code, SyllableSplit* out) {
  uint32_t syllable = code / static_cast<uint32_t>(symbols.tones);
  if (syllable >= static_cast<uint32_t>(symbols.syllables.count)) return false;
  const char* base = symbols.syllables.names[syllable];
  char name[24];
  size_t len = std::strlen(base);
  if (len + 2 > sizeof(name)) return false;
  std::memcpy(name, base, len);
  name[len] = static_cast<char>('1' + code % symbols.tones);
  name[len + 1] = '\0';
  return SplitSyllable(name, symbols.tones, symbols.initials, out);
}

namespace {

bool NeedsTrailingPause(const SpeechItem* items, int count, int i, uint32_t g) {
  const SpeechItem& s = items[i];
  if (s.sylInPhrase + 1 == s.phraseLen) return true;
  bool lastOfLongWord = s.wordLen > 2 && s.sylInWord + 1 == s.wordLen;
  if (lastOfLongWord && (s.itemFlags & kItemFlagBreakAfterWord) && i + 1 < count &&
      (items[i + 1].itemFlags & kItemFlagBreakAfterWord))
    return true;
  if (i + 1 >= count) return false;
  const SpeechItem& next = items[i + 1];
  // An English item's code was forced to 0; its language tells it apart
  // from the Chinese syllable that has code 0.
  if (next.language != kItemLanguageChinese) return true;
  uint32_t b = 2 * g;
  uint32_t c = next.code;
  if (c == b + kUnitPunctuationPauseClass || c == b + kUnitPunctuationColon) return true;
  UnitClass cls = ClassifyUnit(c, g);
  if (cls == UnitClass::kPunctuation || cls == UnitClass::kSpecial || cls == UnitClass::kSpokenSymbol)
    return c == b + kUnitSentencePause || next.speed > 0;
  return false;
}

void SetUnitPhones(const UnitTable& table, int unit, SpeechItem& s) {
  int first = 0, last = 0;
  if (!UnitContextRange(table, unit, &first, &last) || last - first + 1 > kMaxGroupPhones) return;
  int n = last - first + 1;
  for (int k = 0; k < n && k < kMaxItemPhones; ++k) s.phones[k] = table.contexts[(first + k) * kUnitContextBytes + 2];
  s.phones[kMaxItemPhones] = static_cast<uint8_t>(n);
}

}  // namespace

void BuildPhoneLists(const VoiceSymbols& symbols, uint32_t g, const AnalysisItem* analysis, SpeechItem* items,
                     int count) {
  const uint8_t pau = PhoneId(symbols, "pau");
  const uint32_t b = 2 * g;
  for (int i = 0; i < count; ++i) {
    SpeechItem& s = items[i];
    if (s.language != kItemLanguageChinese) {
      s.phones[0] = static_cast<uint8_t>(analysis[i].context[2]);
      s.phones[kMaxItemPhones] = 1;
      continue;
    }
    switch (ClassifyUnit(s.code, g)) {
      case UnitClass::kSyllable: {
        SyllableSplit split;
        if (!SplitSyllableCode(symbols, s.code, &split)) break;
        int n = 0;
        if (s.sylInSentence == 0) {
          s.phones[n++] = pau;
          s.pauseFlags |= kLeadingPause;
        }
        if (split.initial[0] != '\0') s.phones[n++] = PhoneId(symbols, split.initial);
        if (split.final_[0] != '\0') s.phones[n++] = PhoneId(symbols, split.final_);
        if (NeedsTrailingPause(items, count, i, g)) {
          s.phones[n++] = pau;
          s.pauseFlags |= kTrailingPause;
        }
        s.phones[kMaxItemPhones] = static_cast<uint8_t>(n);
        break;
      }
      case UnitClass::kLetter:
        SetUnitPhones(symbols.letters, static_cast<int>(s.code - (b + kUnitLetterFirst)), s);
        break;
      case UnitClass::kGreek:
        SetUnitPhones(symbols.greek, static_cast<int>(s.code - (b + kUnitGreekFirst)), s);
        break;
      default:
        break;
    }
  }
}

}  // namespace backend
}  // namespace kvo
