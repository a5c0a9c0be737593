#include "frontend/english_hand_over.h"

#include <cstring>

#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

namespace {

bool PlainAscii(const WordRecord& w) {
  for (int c = 0; c < w.length; ++c)
    if (w.chars[c] == 0 || w.chars[c] >= 128) return false;
  return w.length > 0;
}

// Moves n items from src to dst (ranges may overlap), leaving every slot
// with its own name buffer.
void MoveItems(qvAnalysisItem* items, int32_t dst, int32_t src, int32_t n) {
  if (n <= 0 || dst == src) return;
  auto move_one = [&](int32_t to, int32_t from) {
    char* name = items[to].name;
    items[to] = items[from];
    items[to].name = name;
    if (name != nullptr && items[from].name != nullptr) std::memcpy(name, items[from].name, kItemNameBytes);
  };
  if (dst < src) {
    for (int32_t i = 0; i < n; ++i) move_one(dst + i, src + i);
  } else {
    for (int32_t i = n - 1; i >= 0; --i) move_one(dst + i, src + i);
  }
}

void ClearItem(qvAnalysisItem* item) {
  char* name = item->name;
  *item = qvAnalysisItem{};
  item->name = name;
  if (name != nullptr) std::memset(name, 0, kItemNameBytes);
}

}  // namespace

void MarkEnglishWords(const WordList& words, bool* english) {
  for (int w = 0; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    if (!PlainAscii(word)) {
      english[w] = false;
    } else if (word.word_class == qvTTS_CT_LETTER) {
      english[w] = true;
    } else if (word.word_class == qvTTS_CT_CHINESE || word.word_class == qvTTS_CT_READING) {
      english[w] = false;
    } else if (w > 0) {
      english[w] = english[w - 1];
    } else {
      english[w] = w + 1 < words.count && words.words[w + 1].word_class == qvTTS_CT_LETTER;
    }
  }
}

void ConvertEnglishRuns(english::EnglishFrontEnd* fe, const WordList& words, const english::ItemParameters& params,
                        qvAnalysisItem* items, int32_t capacity, int32_t* count) {
  if (fe == nullptr || !fe->ready || words.count <= 0) return;
  bool english[kMaxWordsPerSentence] = {};
  MarkEnglishWords(words, english);
  int32_t n = *count;
  int32_t scan = 0;  // items before this are done
  for (int w = 0; w < words.count;) {
    if (!english[w]) {
      ++w;
      continue;
    }
    // The run: English words while they fit into 60 bytes.
    char run[english::kMaxRunBytes + 1];
    int bytes = 0;
    int end = w;
    while (end < words.count && english[end] && bytes + words.words[end].length <= english::kMaxRunBytes) {
      for (int c = 0; c < words.words[end].length; ++c) run[bytes++] = static_cast<char>(words.words[end].chars[c]);
      ++end;
    }
    if (end == w) {  // a word longer than a run stays as it is
      ++w;
      continue;
    }
    run[bytes] = 0;
    // Its items: those of words w .. end - 1.
    int32_t a = scan;
    while (a < n && items[a].lexical_word < w) ++a;
    int32_t b = a;
    while (b < n && items[b].lexical_word < end && items[b].language == kItemLanguageChinese) ++b;
    const int32_t tail = n - b;
    const int32_t room = capacity - 1 - (a + tail);
    if (b > a && bytes < room) {
      // Park the tail at the end of the array, write the English items,
      // then bring the tail back behind them.
      const int32_t parked = capacity - 1 - tail;
      MoveItems(items, parked, b, tail);
      for (int32_t i = a; i < parked; ++i) ClearItem(&items[i]);
      int made = 0;
      english::EnglishRunToItems(fe, run, items, a, parked + 1, params, &made);
      MoveItems(items, a + made, parked, tail);
      n = a + made + tail;
      for (int32_t i = n; i < capacity; ++i) ClearItem(&items[i]);
      items[n].flags = kItemFlagTerminator;
      scan = a + made;
      // The English items carry English word numbers; later Chinese items
      // are found by theirs, which are past this run.
      for (int32_t i = a; i < a + made; ++i) items[i].lexical_word = static_cast<int16_t>(w);
    } else {
      scan = b;
    }
    w = end;
  }
  *count = n;
}

}  // namespace kvo::frontend
