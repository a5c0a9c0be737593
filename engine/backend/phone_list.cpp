#include "phone_list.h"

#include <cstring>

#include "unit_code.h"

namespace kvo {
namespace backend {

namespace {

bool StartsWith(const char* s, const char* prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }

void Assign(char* dst, size_t cap, const char* src) {
  size_t n = std::strlen(src);
  if (n > cap - 1) n = cap - 1;
  std::memmove(dst, src, n);
  dst[n] = '\0';
}

// Initials table search: the first three entries match on two
// characters, the others on the first character only.
int MatchInitial(const char* name, const NameTable& initials) {
  for (int i = 0; i < initials.count; ++i) {
    const char* ini = initials.names[i];
    if (ini == nullptr || ini[0] == '\0') continue;
    if (i < 3) {
      if (ini[1] != '\0' && name[0] == ini[0] && name[1] == ini[1]) return i;
      if (ini[1] == '\0' && name[0] == ini[0]) return i;
    } else if (name[0] == ini[0]) {
      return i;
    }
  }
  return -1;
}

// Final spelling rules of five-tone voices, first match wins.
void RewriteFinal(char* f, size_t cap) {
  size_t len = std::strlen(f);
  if (StartsWith(f, "iua")) Assign(f, cap, "van");
  else if (StartsWith(f, "uei")) Assign(f, cap, "ui");
  else if (StartsWith(f, "uen")) Assign(f, cap, len >= 4 ? "ueng" : "un");
  else if (StartsWith(f, "iun")) Assign(f, cap, "vn");
  else if (StartsWith(f, "iou")) Assign(f, cap, "iu");
  else if (StartsWith(f, "iue") || StartsWith(f, "ue")) Assign(f, cap, "ve");
  else if (StartsWith(f, "io") && f[2] != 'n') Assign(f, cap, "iu");
}

}  // namespace

bool SplitSyllable(const char* name, int tones, const NameTable& initials, SyllableSplit* out) {
  out->initial[0] = '\0';
  out->final_[0] = '\0';
  out->initialIndex = -1;
  size_t len = std::strlen(name);
  if (len < 2 || len >= sizeof(out->final_)) return false;
  size_t baseLen = len - 1;  // the tone digit is never part of the final
  char base[sizeof(out->final_)];
  std::memcpy(base, name, baseLen);
  base[baseLen] = '\0';
  int match = MatchInitial(name, initials);
  char* f = out->final_;
  const size_t cap = sizeof(out->final_);

  if (tones == 6) {
    if (match < 0) {
      Assign(f, cap, base);
      return true;
    }
    const char* ini = initials.names[match];
    size_t iniLen = std::strlen(ini);
    if ((std::strcmp(ini, "m") == 0 || std::strcmp(ini, "ng") == 0) && baseLen == iniLen &&
        std::strncmp(base, ini, iniLen) == 0) {
      Assign(f, cap, ini);
      return true;
    }
    if (iniLen >= sizeof(out->initial) || iniLen > baseLen) iniLen = 1;
    std::memcpy(out->initial, base, iniLen);
    out->initial[iniLen] = '\0';
    out->initialIndex = match;
    Assign(f, cap, base + iniLen);
    return true;
  }

  if (match < 0) {
    if (base[0] == 'y' && baseLen == 2 && (base[1] == 'u' || base[1] == 'v')) {
      Assign(f, cap, "v");
    } else if (base[0] == 'y') {
      base[0] = 'i';
      Assign(f, cap, base[1] == 'i' ? base + 1 : base);
    } else if (base[0] == 'w') {
      base[0] = 'u';
      Assign(f, cap, base[1] == 'u' ? base + 1 : base);
    } else {
      Assign(f, cap, base);
    }
  } else {
    size_t iniLen = (StartsWith(base, "zh") || StartsWith(base, "ch") || StartsWith(base, "sh")) ? 2 : 1;
    if (iniLen > baseLen) iniLen = baseLen;
    std::memcpy(out->initial, base, iniLen);
    out->initial[iniLen] = '\0';
    out->initialIndex = match;
    Assign(f, cap, base + iniLen);
  }
  RewriteFinal(f, cap);
  if (match >= 0 && f[0] == 'u' && out->initial[1] == '\0' &&
      (out->initial[0] == 'j' || out->initial[0] == 'q' || out->initial[0] == 'x'))
    f[0] = 'v';
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
  if (lastOfLongWord && (s.itemFlags & kItemBreakAfterWord) && i + 1 < count &&
      (items[i + 1].itemFlags & kItemBreakAfterWord))
    return true;
  if (i + 1 >= count) return false;
  const SpeechItem& next = items[i + 1];
  // An English item's code was forced to 0; its language tells it apart
  // from the Chinese syllable that has code 0.
  if (next.language != kLanguageChinese) return true;
  uint32_t b = 2 * g;
  uint32_t c = next.code;
  if (c == b + kPunctPauseClass || c == b + kPunctColon) return true;
  UnitClass cls = ClassifyUnit(c, g);
  if (cls == UnitClass::kPunctuation || cls == UnitClass::kSpecial || cls == UnitClass::kBlank)
    return c == b + kSpecialFirst || next.speed > 0;
  return false;
}

void SetUnitPhones(const UnitTable& table, int unit, SpeechItem& s) {
  int first = 0, last = 0;
  if (!UnitContextRange(table, unit, &first, &last) || last - first + 1 > kMaxGroupPhones) return;
  int n = last - first + 1;
  for (int k = 0; k < n && k < kMaxItemPhones; ++k)
    s.phones[k] = table.contexts[(first + k) * kUnitContextBytes + 2];
  s.phones[kMaxItemPhones] = static_cast<uint8_t>(n);
}

}  // namespace

void BuildPhoneLists(const VoiceSymbols& symbols, uint32_t g, const AnalysisItem* analysis, SpeechItem* items,
                     int count) {
  const uint8_t pau = PhoneId(symbols, "pau");
  const uint32_t b = 2 * g;
  for (int i = 0; i < count; ++i) {
    SpeechItem& s = items[i];
    if (s.language != kLanguageChinese) {
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
        s.phones[n++] = PhoneId(symbols, split.final_);
        if (NeedsTrailingPause(items, count, i, g)) {
          s.phones[n++] = pau;
          s.pauseFlags |= kTrailingPause;
        }
        s.phones[kMaxItemPhones] = static_cast<uint8_t>(n);
        break;
      }
      case UnitClass::kLetter:
        SetUnitPhones(symbols.letters, static_cast<int>(s.code - (b + kLetterFirst)), s);
        break;
      case UnitClass::kGreek:
        SetUnitPhones(symbols.greek, static_cast<int>(s.code - (b + kGreekFirst)), s);
        break;
      default:
        break;
    }
  }
}

}  // namespace backend
}  // namespace kvo
