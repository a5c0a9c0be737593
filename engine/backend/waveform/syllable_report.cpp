#include "backend/waveform/syllable_report.h"

#include "core/analysis_item.h"

namespace kvo::backend {

void ReportSounded(const SpeechItem* items, int32_t size, int32_t current, int32_t* reported, SyllableSink sink,
                   void* user) {
  if (current == *reported || items == nullptr) return;
  int32_t last;
  if (current < size) {
    if (items[current].code == kUnitSilence) return;
    last = current;
  } else {
    last = size - 1;
  }
  for (int32_t i = *reported + 1; i <= last; ++i) sink(user, items[i]);
  if (last > *reported) *reported = last;
}

int32_t SyllableSpelling(const SpeechItem& item, const NameTable& syllables, int tones, uint32_t unitBase, char* out) {
  if (item.language != kItemLanguageChinese || tones <= 0 || item.code >= unitBase) return 0;
  const int index = item.code / tones;
  if (index >= syllables.count || syllables.names == nullptr) return 0;
  const char* name = syllables.names[index];
  int32_t n = 0;
  while (name[n] != '\0' && n < kSpellingBytes - 2) {
    out[n] = name[n];
    ++n;
  }
  out[n++] = static_cast<char>('1' + item.code % tones);
  out[n] = '\0';
  return n;
}

}  // namespace kvo::backend
