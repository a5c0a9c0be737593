#include "backend/waveform/waveform_assembly.h"

#include <cstring>

#include "backend/audio/audio_format.h"
#include "backend/waveform/prosody_factors.h"

namespace kvo::backend {

static_assert(kWaveformScratchSamples >= kVocoderMaxHop && kWaveformScratchSamples >= kVocoderMaxPulse,
              "an empty block must take the longest pitch period");

namespace {

enum class ItemClass { kSkip, kGenerated, kPause, kEnglishUnit };

ItemClass Classify(const WaveformSetup& setup, int32_t c) {
  // The offsets of core/unit_code.h follow B = 2G.
  const int32_t b = 2 * static_cast<int32_t>(setup.unitBase);
  if (c == b + kUnitSkipped) return ItemClass::kSkip;
  // Recorded phrases are not played by this engine; they are skipped.
  if (c >= b + kUnitPhraseFirst && c <= b + kUnitPhraseLast) return ItemClass::kSkip;
  if (setup.languageLoaded &&
      (c <= b + kUnitGreekLast || (c >= b + kUnitGeneratedFirst && c <= b + kUnitGeneratedLast)))
    return ItemClass::kGenerated;
  if (c == b + kUnitSentencePause || c == kUnitSilence || c == b + kUnitSpokenSymbol ||
      (c >= b + kUnitPunctuationFirst && c <= b + kUnitPunctuationLast) ||
      (c >= b + kUnitMarkFirst && c <= b + kUnitMarkLast))
    return ItemClass::kPause;
  if (setup.englishLoaded && c >= b + kUnitEnglishFirst && c <= b + kUnitEnglishLast) return ItemClass::kEnglishUnit;
  return ItemClass::kSkip;
}

int32_t FreeBytes(const WaveformState* s) { return kWaveformBlockBytes - s->blockBytes; }

// Library samples whose conversion is sure to fit into `free` output bytes.
int32_t SamplesFitting(const WaveformState* s, int32_t free) {
  const WaveformSetup& w = s->setup;
  int64_t libraryBytes = static_cast<int64_t>(free) * w.libraryRate / s->outRate * w.libraryWidth / s->outWidth;
  if (libraryBytes > free) libraryBytes = free;
  int32_t count = static_cast<int32_t>(libraryBytes * 8 / w.libraryWidth);
  if (count > kWaveformScratchSamples) count = kWaveformScratchSamples;
  while (count > 0 && ConvertedBytesMax(&s->converter, count) > free) count -= count / 16 + 1;
  return count < 0 ? 0 : count;
}

// Converts samples into the block; false when the converter refused them.
bool Append(WaveformState* s, int16_t* samples, int32_t count) {
  if (s->setup.finishPiece != nullptr) s->setup.finishPiece(s->setup.finishUser, samples, count);
  const int32_t n = ConvertSamples(&s->converter, samples, count, s->block + s->blockBytes, FreeBytes(s));
  if (n < 0) return false;
  s->blockBytes += n;
  return true;
}

void FadeIn(int16_t* samples, int32_t count) {
  const int32_t n = count < kPhraseFadeSamples ? count : kPhraseFadeSamples;
  for (int32_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(samples[i] * i / kPhraseFadeSamples);
}

// Renders the current generated item into the block; true when complete.
bool RenderGenerated(WaveformState* s, const SpeechItem& item) {
  bool firstPiece = false;
  if (s->itemDone == 0) {
    const int32_t speed = SpeedFactor(item.speed, s->setup.doubleSpeed);
    const int32_t pitch = PitchFactor(item.pitch);
    if (VocoderStart(&s->vocoder, s->tail, s->setup.libraryRate, item.frames, item.frameBytes, speed, pitch) !=
        kBackendOk)
      return true;  // nothing can be rendered for it
    s->vocoder.extraPulseReuse = VocoderExtraPulseReuse(s->setup.speedup);
    VocoderSetLevel(&s->vocoder, kVoiceLevel);
    s->itemDone = item.frameBytes;
    firstPiece = true;
  }
  for (;;) {
    const int32_t capacity = SamplesFitting(s, FreeBytes(s));
    if (capacity <= 0) return false;
    int32_t completed = 0;
    const bool done = VocoderRun(&s->vocoder, s->scratch, capacity, &completed);
    if (completed > 0) {
      ApplyVolume(s->scratch, completed, item.volume);
      if (firstPiece && s->afterPhrase) FadeIn(s->scratch, completed);
      firstPiece = false;
      if (!Append(s, s->scratch, completed)) return true;
    }
    if (done) return true;
    // No room for the next contribution: the block is full, unless it is
    // still empty, where no progress would ever be made.
    if (completed == 0) return s->blockBytes == 0;
  }
}

// Silence after a complete phrase, in library-format bytes: 3200 bytes
// (200 ms at 8 kHz) between two phrases of a sentence that end words, none
// before other text, and for a phrase inside a longer sentence a pause as
// long as its coded length.
int32_t TrailingSilence(const WaveformState* s, const SpeechItem& item) {
  const bool lastOfPhrase = item.sylInPhrase + 1 == item.phraseLen;
  const bool breakAfter = (item.itemFlags & kItemFlagBreakAfterWord) != 0;
  if (!lastOfPhrase || !(item.sylInSentence > 1 || (item.sylInWord > 1 && breakAfter))) return 0;
  if (!breakAfter) return s->setup.phrases[s->current].bytes;
  const bool nextBreaks = s->current + 1 < s->size && (s->items[s->current + 1].itemFlags & kItemFlagBreakAfterWord);
  return nextBreaks ? 3200 : 0;
}

// Plays the current item's recorded phrase, then its trailing silence; true
// when both are complete.
bool PlayPhrase(WaveformState* s, const SpeechItem& item) {
  const PhraseMark& mark = s->setup.phrases[s->current];
  if (!s->phraseTrailing) {
    for (;;) {
      const int32_t capacity = SamplesFitting(s, FreeBytes(s));
      if (capacity <= 0) return false;
      bool complete = false;
      const int32_t n = StreamPhrase(&s->phrase, s->setup.phrasePart, mark, s->scratch, capacity, &complete);
      if (n > 0) {
        ApplyVolume(s->scratch, n, item.volume);
        if (!Append(s, s->scratch, n)) complete = true;
      }
      if (complete) break;
      if (n == 0) return s->blockBytes == 0;
    }
    s->phraseTrailing = true;
    s->trailingBytes = TrailingSilence(s, item);
    s->itemDone = 0;
  }
  if (s->trailingBytes > 0 && !WriteSilence(s, s->trailingBytes, -1, item.speed)) return false;
  s->phraseTrailing = false;
  s->phrase.started = false;
  return true;
}

}  // namespace

int WaveformBegin(WaveformState* s, const WaveformSetup& setup, const SpeechItem* items, int32_t size,
                  VocoderTail* tail) {
  s->setup = setup;
  s->items = items;
  s->size = 0;
  s->current = 0;
  s->itemDone = 0;
  s->blockBytes = 0;
  s->afterPhrase = false;
  s->afterSpeech = false;
  s->tail = tail;
  s->phraseTrailing = false;
  s->phrase.started = false;
  if (OutputFormat(setup.libraryRate, setup.libraryWidth, setup.formatCode, &s->outRate, &s->outWidth) != kBackendOk ||
      FormatConverterInit(&s->converter, setup.formatCode, setup.libraryRate, setup.libraryWidth) != kBackendOk ||
      tail == nullptr || (items == nullptr && size > 0))
    return kBackendInvalidArgument;
  s->silenceByte = FormatSilenceByte(setup.formatCode, setup.libraryWidth);
  s->size = size;
  return kBackendOk;
}

namespace {

// Silence as zero library samples through the hook and the converter.
bool WriteSilenceSamples(WaveformState* s, int32_t libraryBytes, int32_t milliseconds, int32_t speedValue) {
  int64_t total = milliseconds >= 0 ? static_cast<int64_t>(milliseconds) * s->setup.libraryRate / 1000
                                    : static_cast<int64_t>(libraryBytes) * 8 / s->setup.libraryWidth;
  const int64_t b = speedValue;
  if (b > 0)
    total = total * 32767 / (b + 32767);
  else if (b < 0)
    total = total * ((32768 - b) * 100 / 32768) / 100;
  const int64_t remaining = total - s->itemDone;
  if (remaining <= 0) return true;
  int32_t samples = static_cast<int32_t>(remaining < kWaveformScratchSamples ? remaining : kWaveformScratchSamples);
  const int32_t fitting = SamplesFitting(s, FreeBytes(s));
  if (samples > fitting) samples = fitting;
  if (samples <= 0) return false;
  std::memset(s->scratch, 0, static_cast<size_t>(samples) * sizeof(int16_t));
  if (!Append(s, s->scratch, samples)) return true;
  s->itemDone += samples;
  return samples >= remaining && FreeBytes(s) > 0;
}

}  // namespace

bool WriteSilence(WaveformState* s, int32_t libraryBytes, int32_t milliseconds, int32_t speedValue) {
  if (s->silenceByte < 0 || s->setup.finishPiece != nullptr)
    return WriteSilenceSamples(s, libraryBytes, milliseconds, speedValue);
  int64_t bytes;
  if (milliseconds >= 0) {
    bytes = static_cast<int64_t>(milliseconds) * s->outRate / 1000 * s->outWidth / 8;
  } else {
    bytes =
        static_cast<int64_t>(libraryBytes) * s->outRate / s->setup.libraryRate * s->outWidth / s->setup.libraryWidth;
  }
  const int64_t b = speedValue;
  if (b > 0)
    bytes = bytes * 32767 / (b + 32767);
  else if (b < 0)
    bytes = bytes * ((32768 - b) * 100 / 32768) / 100;
  bytes -= s->itemDone;
  if (bytes <= 0) return true;
  int64_t room = FreeBytes(s);
  int64_t n = bytes < room ? bytes : room;
  if (s->outWidth == 16) n &= ~static_cast<int64_t>(1);
  std::memset(s->block + s->blockBytes, s->silenceByte, static_cast<size_t>(n));
  s->blockBytes += static_cast<int32_t>(n);
  s->itemDone += static_cast<int32_t>(n);
  return n >= bytes && FreeBytes(s) > 0;
}

int RenderBlock(WaveformState* s) {
  s->blockBytes = 0;
  if (s->current >= s->size) return 0;
  s->first = true;
  while (s->current < s->size) {
    const SpeechItem& item = s->items[s->current];
    bool complete = true;
    const int32_t record = s->setup.phrases != nullptr ? s->setup.phrases[s->current].record : -1;
    if (record != -1) {
      // A recorded phrase plays at its first item; the others are inside it.
      if (record >= 0) {
        if (!PlayPhrase(s, item)) return 1;
        s->afterPhrase = true;
        s->afterSpeech = false;
      }
      ++s->current;
      s->itemDone = 0;
      s->first = false;
      if (FreeBytes(s) == 0) break;
      continue;
    }
    switch (Classify(s->setup, item.code)) {
      case ItemClass::kSkip:
      case ItemClass::kEnglishUnit:
        s->afterPhrase = false;
        s->afterSpeech = false;
        break;
      case ItemClass::kGenerated:
        if (item.frameBytes > 0 && item.frames != nullptr) complete = RenderGenerated(s, item);
        s->afterPhrase = false;
        s->afterSpeech = true;
        break;
      case ItemClass::kPause:
        if (s->afterPhrase || (s->setup.pauseAfterSpeech && s->afterSpeech))
          complete = WriteSilence(s, 0, item.pauseMs, item.speed);
        break;
    }
    if (!complete) return 1;
    ++s->current;
    s->itemDone = 0;
    s->first = false;
    if (FreeBytes(s) == 0) break;
  }
  return 1;
}

}  // namespace kvo::backend
