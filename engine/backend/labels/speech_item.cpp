#include "backend/labels/speech_item.h"

#include <cstring>

namespace kvo {
namespace backend {

namespace {

// Syllable items of the batch: those with code <= g before the first one
// whose phrase index reaches the first item's phrase count.
int BatchLength(const AnalysisItem* items, int count, uint32_t g) {
  if (count <= 0) return 0;
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (items[i].unit > g) continue;
    if (items[i].phrase_index >= items[0].phrase_count) break;
    ++n;
  }
  return n;
}

// Items with code <= g from `start` on that share its phrase index,
// counted up to the first such item with another phrase index.
int PhraseLength(const AnalysisItem* items, int count, int start, uint32_t g) {
  int n = 0;
  for (int i = start; i < count; ++i) {
    if (items[i].unit > g) continue;
    if (items[i].phrase_index != items[start].phrase_index) break;
    ++n;
  }
  return n;
}

uint8_t Narrow(int v) { return static_cast<uint8_t>(v > 255 ? 255 : v); }

}  // namespace

void PrepareSpeechItems(AnalysisItem* items, int count, uint32_t g, int tones, SpeechItem* speech) {
  if (count <= 0) return;
  std::memset(speech, 0, sizeof(SpeechItem) * static_cast<size_t>(count));
  const int sentenceLen = BatchLength(items, count, g);
  bool phraseOpen = false;
  int phraseOpener = 0, phraseLen = 0, sylInPhrase = 0, sylInSentence = 0;
  for (int i = 0; i < count; ++i) {
    AnalysisItem& a = items[i];
    SpeechItem& s = speech[i];
    if (a.language != kItemLanguageChinese) a.unit = 0;
    s.code = a.unit;
    std::memcpy(s.character, &a.character, 2);
    s.itemFlags = a.flags;
    s.language = a.language;
    s.pitch = a.pitch;
    s.speed = a.speed;
    s.volume = a.volume;
    s.pauseMs = a.pause_length;
    s.text = a.name;
    if (a.unit > g || a.language != kItemLanguageChinese) continue;
    if (!phraseOpen || a.phrase_index != items[phraseOpener].phrase_index) {
      phraseOpen = true;
      phraseOpener = i;
      phraseLen = PhraseLength(items, count, i, g);
      sylInPhrase = 0;
    }
    s.sylInWord = a.position_in_prosodic_word;
    s.wordLen = a.prosodic_word_length;
    s.sylInPhrase = Narrow(sylInPhrase++);
    s.phraseLen = Narrow(phraseLen);
    s.sylInSentence = Narrow(sylInSentence++);
    s.sentenceLen = Narrow(sentenceLen);
    s.tone = static_cast<uint8_t>(a.unit % tones + 1);
  }
}

}  // namespace backend
}  // namespace kvo
