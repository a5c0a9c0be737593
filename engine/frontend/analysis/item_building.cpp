// Item building: one analysis item per character of the word list, pauses
// for punctuation and unread characters, then the structure counters and
// the letter codes, closed by the terminator.
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/analysis/tag_tables.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

namespace {

constexpr int32_t kMaxChineseItems = 178;
constexpr uint16_t kWordKindMarks = 0x1 | 0x2 | 0x4;
constexpr uint16_t kCarriedMarks = 0x40 | 0x80;

int16_t PauseLengthOf(uint16_t code) {
  if (code == ' ') return 150;
  if (code == ',') return 400;
  if (code == GbkCode(0xA1, 0xA2)) return 300;  // 、
  if (code == GbkCode(0xA1, 0xA3)) return 600;  // 。
  if (code == kCodeUnconvertible) return 400;
  return 100;
}

uint16_t LowestKindMark(uint16_t flags) {
  const uint16_t marks = flags & kWordKindMarks;
  return static_cast<uint16_t>(marks & (~marks + 1));
}

bool IsSpace(const qvAnalysisItem& item) { return item.character == ' '; }
bool IsPause(const qvAnalysisItem& item) { return (item.flags & kItemFlagPause) != 0; }

void FillStructureCounters(qvAnalysisItem* items, int32_t count) {
  int word_start = -1;  // first item of the open prosodic word
  int word_index = 0;   // within the phrase
  int phrase_start = 0;
  int phrase_index = 0;
  auto close_word = [&](int end) {
    if (word_start < 0) return;
    int length = 0;
    for (int k = word_start; k < end; ++k)
      if (!IsPause(items[k]) && !IsSpace(items[k])) ++length;
    for (int k = word_start; k < end; ++k)
      if (!IsPause(items[k]) && !IsSpace(items[k])) items[k].prosodic_word_length = static_cast<uint8_t>(length);
    word_start = -1;
    ++word_index;
  };
  auto close_phrase = [&](int end) {
    close_word(end);
    for (int k = phrase_start; k < end; ++k) items[k].phrase_length = static_cast<uint8_t>(word_index);
    if (end > phrase_start) ++phrase_index;
    phrase_start = end;
    word_index = 0;
  };
  int position = 0;
  for (int32_t i = 0; i < count; ++i) {
    qvAnalysisItem& item = items[i];
    if ((item.flags & kItemFlagPhraseStart) && i > phrase_start) close_phrase(i);
    const bool breaks = IsPause(item) || IsSpace(item);
    if (breaks || (item.flags & kItemFlagProsodicWordStart)) close_word(i);
    item.phrase_index = static_cast<uint8_t>(phrase_index);
    item.prosodic_word_index = static_cast<uint8_t>(word_index);
    if (breaks) continue;
    if (word_start < 0) {
      word_start = i;
      position = 0;
    }
    item.position_in_prosodic_word = static_cast<uint8_t>(position++);
  }
  close_phrase(count);
  for (int32_t i = 0; i < count; ++i) items[i].phrase_count = static_cast<uint8_t>(phrase_index);
}

void AssignLetterCodes(qvAnalysisItem* items, int32_t count, uint16_t g) {
  const uint16_t b = static_cast<uint16_t>(2 * g);
  for (int32_t i = 0; i < count; ++i) {
    qvAnalysisItem& item = items[i];
    const uint16_t c = item.character;
    if (IsPause(item) || IsReadingCode(c, g) || IsGb2312Hanzi(c)) continue;
    if (c >= 'a' && c <= 'z') {
      item.unit = static_cast<uint16_t>(b + kUnitLetterFirst + (c - 'a'));
    } else if (c >= 'A' && c <= 'Z') {
      item.unit = static_cast<uint16_t>(b + kUnitLetterFirst + (c - 'A'));
    } else if (ClassifyCode(c, g) == qvTTS_CT_GREEK) {
      const uint8_t trail = TrailByte(c);
      const int letter = trail >= 0xC1 ? trail - 0xC1 : trail - 0xA1;
      item.unit = static_cast<uint16_t>(b + kUnitGreekFirst + letter);
    } else {
      item.unit = kUnitSilence;
    }
  }
}

}  // namespace

int32_t BuildItems(const AnalysisResources& res, WordList* words, const ItemSettings& settings, qvAnalysisItem* items,
                   int32_t capacity) {
  if (capacity <= 0) return 0;
  for (int32_t i = 0; i < capacity; ++i) {
    char* name = items[i].name;
    items[i] = qvAnalysisItem{};
    items[i].name = name;
  }
  const uint16_t g = res.syllableCodeCount;
  const int32_t b = 2 * static_cast<int32_t>(g);
  int32_t limit = capacity - 1;
  if (limit > kMaxChineseItems + kMaxWordChars - 1) limit = kMaxChineseItems + kMaxWordChars - 1;
  int32_t count = 0;
  for (int w = 0; w < words->count && count < kMaxChineseItems; ++w) {
    const WordRecord& word = words->words[w];
    const int16_t tag = (word.pos >= 0 && word.pos < kTagNameCount) ? LetterCodedTag(word.pos) : word.pos;
    const uint16_t marks = static_cast<uint16_t>(LowestKindMark(word.flags) | (word.flags & kCarriedMarks));
    for (int c = 0; c < word.length && count < limit; ++c) {
      qvAnalysisItem& item = items[count++];
      item.character = word.chars[c];
      item.unit = word.pinyin[c];
      item.part_of_speech = tag;
      item.lexical_word = static_cast<int16_t>(w);
      item.text_position = word.text_position;
      item.pitch = settings.pitch;
      item.speed = settings.speed;
      item.volume = settings.volume;
      item.language = kItemLanguageChinese;
      item.flags = marks;
      if (c == 0) item.flags |= word.boundary & (kItemFlagProsodicWordStart | kItemFlagPhraseStart);
      if (word.word_class == qvTTS_CT_SYMBOL) {
        item.flags |= kItemFlagPause;
        const uint16_t first = word.pinyin[0];
        if (first >= b + kUnitPunctuationFirst && first <= b + kUnitPunctuationLast) {
          item.unit = first;
          item.pause_length = static_cast<int16_t>(word.pinyin[1] == kUnknownPinyin ? 0 : word.pinyin[1]);
        } else {
          item.unit = kUnitSilence;
          item.pause_length = PauseLengthOf(word.chars[0]);
        }
      } else if (word.word_class != qvTTS_CT_LETTER && word.word_class != qvTTS_CT_GREEK) {
        item.pause_length = 0;
        if (item.unit == kUnknownPinyin) {
          item.flags |= kItemFlagPause;
          item.pause_length = 100;
        }
      }
    }
  }
  items[count].character = 0;
  items[count].flags = kItemFlagTerminator;
  FillStructureCounters(items, count);
  AssignLetterCodes(items, count, g);
  return count;
}

}  // namespace kvo::frontend
