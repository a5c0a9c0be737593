#include "backend/labels/context_label.h"

#include <cstring>

#include "backend/labels/phone_list.h"
#include "core/unit_code.h"

namespace kvo {
namespace backend {

namespace {

constexpr int8_t kNA = -1;
constexpr uint8_t kNoTone = 0xFF;

// Voicing classes of the English symbol table, in symbol order.
const uint8_t kEnglishVoicingTable[kEnglishSymbolCount] = {
    255, 255, 255, 255, 255, 255,               // 0 H-H% H-L% L-H% L-L% NONE
    1,   1,   1,   1,   255, 1,   1,   1,   1,  // aa ae ah ao aux aw ax axr ay
    1,   3,   255, 0,   255, 1,   255,          // b brth cc ch content d det
    1,   1,   1,   1,   1,   1,   1,   1,       // dh dx eh el em en er ey
    0,   1,   3,   0,   255, 1,   1,   1,   1,  // f g h# hh hv ih in ix iy
    255, 0,   1,   1,   255, 1,   1,            // jh k l m md n ng
    255, 255, 1,   1,   0,   3,   255, 255,     // novowel nx ow oy p pau pps punc
    1,   0,   0,   3,   0,   255, 1,   1,       // r s sh t th to uh uw
    1,   1,   255, 255, 1,   3,   1,   0,       // v w wp x y z zh 6
};

bool IsChineseSyllable(const SpeechItem& s, uint32_t g) {
  return s.language == kItemLanguageChinese && ClassifyUnit(s.code, g) == UnitClass::kSyllable;
}

int8_t WordPosition(const SpeechItem& s) {
  if (s.wordLen <= 1) return 3;
  if (s.sylInWord == 0) return 0;
  if (s.wordLen == 2) return 2;
  if (s.sylInWord + 1 == s.wordLen) return 4;
  return 1;
}

int8_t EdgePosition(int index, int length) {
  if (index == 0) return 1;
  if (index + 1 == length) return 3;
  return 2;
}

int8_t Byte(int v) { return static_cast<int8_t>(static_cast<uint8_t>(v)); }

uint8_t Voicing(const VoiceSymbols& symbols, uint8_t phone) {
  return phone < symbols.voicingCount ? symbols.voicing[phone] : 0xFF;
}

}  // namespace

uint8_t EnglishVoicing(int symbol) {
  return symbol >= 0 && symbol < kEnglishSymbolCount ? kEnglishVoicingTable[symbol] : 255;
}

bool BuildGroupLabels(const VoiceSymbols& symbols, uint32_t g, const AnalysisItem* analysis, const SpeechItem* items,
                      int count, int first, int end, int8_t* labels, ScratchArena& arena) {
  const size_t mark = arena.Mark();
  // The chunk's syllable phones as one sequence, with their segments.
  const int cap = count * 4 + 1;
  uint8_t* flat = arena.TakeArray<uint8_t>(cap);
  int16_t* segOf = arena.TakeArray<int16_t>(cap);
  uint8_t* segTone = arena.TakeArray<uint8_t>(cap);
  int16_t* itemStart = arena.TakeArray<int16_t>(count + 1);
  if (flat == nullptr || segOf == nullptr || segTone == nullptr || itemStart == nullptr) {
    arena.Rewind(mark);
    return false;
  }
  int nFlat = 0, nSeg = 0;
  for (int i = 0; i < count; ++i) {
    const SpeechItem& s = items[i];
    itemStart[i] = -1;
    if (!IsChineseSyllable(s, g) || s.PhoneCount() == 0) continue;
    itemStart[i] = static_cast<int16_t>(nFlat);
    int n = s.PhoneCount();
    int syllableSeg = -1;
    for (int k = 0; k < n; ++k) {
      bool leading = k == 0 && (s.pauseFlags & kLeadingPause);
      bool trailing = k == n - 1 && (s.pauseFlags & kTrailingPause);
      if (leading || trailing) {
        segTone[nSeg] = kNoTone;
        segOf[nFlat] = static_cast<int16_t>(nSeg++);
      } else {
        if (syllableSeg < 0) {
          syllableSeg = nSeg;
          segTone[nSeg++] = s.tone;
        }
        segOf[nFlat] = static_cast<int16_t>(syllableSeg);
      }
      flat[nFlat++] = s.phones[k];
    }
  }
  const uint8_t outside = PhoneId(symbols, "0");

  int8_t* label = labels;
  for (int i = first; i < end; ++i) {
    const SpeechItem& s = items[i];
    const int n = s.PhoneCount();
    if (n == 0) continue;
    if (s.language != kItemLanguageChinese) {
      std::memcpy(label, analysis[i].context, kLabelBytes);
      int centre = static_cast<uint8_t>(label[2]);
      uint8_t v = EnglishVoicing(centre);
      if (centre == kEnglishT && label[5] == 1) v = 0;
      if (centre == kEnglishZ && static_cast<uint8_t>(label[3]) != kEnglishPau) v = 0;
      label[kLabelVoicing] = Byte(v);
      label += kLabelBytes;
      continue;
    }
    UnitClass cls = ClassifyUnit(s.code, g);
    if (cls == UnitClass::kLetter || cls == UnitClass::kGreek) {
      const bool letter = cls == UnitClass::kLetter;
      const UnitTable& table = letter ? symbols.letters : symbols.greek;
      int unit = static_cast<int>(s.code - 2 * g - (letter ? kUnitLetterFirst : kUnitGreekFirst));
      int from = 0, to = 0;
      UnitContextRange(table, unit, &from, &to);  // checked when the phones were listed
      int8_t byte5 = kNA;
      if (letter) byte5 = (i == end - 1 || (i + 1 < count && IsChineseSyllable(items[i + 1], g))) ? 1 : 0;
      for (int k = 0; k < n; ++k, label += kLabelBytes) {
        std::memset(label, 0xFF, kLabelBytes);
        std::memcpy(label, table.contexts + (from + k) * kUnitContextBytes, kUnitContextBytes);
        label[5] = byte5;
        label[kLabelVoicing] = Byte(Voicing(symbols, static_cast<uint8_t>(label[2])));
      }
      continue;
    }
    // Chinese syllable.
    SyllableSplit split;
    bool hasSplit = SplitSyllableCode(symbols, s.code, &split);
    int byte23 =
        (!hasSplit || split.initialIndex < 0 || (split.initialIndex >= 17 && split.initialIndex <= 20)) ? 1 : 0;
    int base = itemStart[i];
    for (int k = 0; k < n; ++k, label += kLabelBytes) {
      std::memset(label, 0xFF, kLabelBytes);
      int pos = base + k;
      for (int d = -2; d <= 2; ++d) {
        int p = pos + d;
        label[2 + d] = Byte(p >= 0 && p < nFlat ? flat[p] : outside);
        int sg = segOf[pos] + d;
        label[9 + d] = Byte(sg >= 0 && sg < nSeg ? segTone[sg] : kNoTone);
      }
      bool pause = (k == 0 && (s.pauseFlags & kLeadingPause)) || (k == n - 1 && (s.pauseFlags & kTrailingPause));
      if (!pause) {
        label[13] = WordPosition(s);
        label[14] = EdgePosition(s.sylInPhrase, s.phraseLen);
        label[15] = EdgePosition(s.sylInSentence, s.sentenceLen);
        label[16] = Byte(s.sylInWord + 1);
        label[17] = Byte(s.wordLen - s.sylInWord);
        label[18] = Byte(s.sylInPhrase + 1);
        label[19] = Byte(s.phraseLen - s.sylInPhrase);
        label[20] = Byte(s.sylInSentence + 1);
        label[21] = Byte(s.sentenceLen - s.sylInSentence);
        label[23] = Byte(byte23);
      }
      label[kLabelVoicing] = Byte(Voicing(symbols, s.phones[k]));
    }
  }
  arena.Rewind(mark);
  return true;
}

}  // namespace backend
}  // namespace kvo
