// Waveform assembly: turns one generated group of speech items into blocks
// of output audio. Per item the vocoder renders the item's parameter frames
// with the item's speed and pitch, the samples get the item's volume and go
// through the format converter into the block; pauses after a recorded
// phrase become silence in the output format.
//
// Everything lives in a WaveformState the caller takes zeroed for each
// group; nothing else is allocated.
#pragma once

#include <cstdint>

#include "backend/audio/format_converter.h"
#include "backend/domain/phrase_library.h"
#include "backend/labels/speech_item.h"
#include "backend/vocoder/vocoder.h"

namespace kvo::backend {

constexpr int32_t kWaveformBlockBytes = 4096;
constexpr int32_t kWaveformScratchSamples = 2048;  // 4096 bytes of library samples
constexpr int32_t kPhraseFadeSamples = 256;
// Level (Q15) of the rendered voice against the level it was trained at.
// Trained to a recording's loudness, a voice's loudest syllables reach full
// scale; this leaves them headroom at the default volume.
constexpr int32_t kVoiceLevel = 16384;

// What the block renderer needs of the voice and the parameters.
struct WaveformSetup {
  int32_t libraryRate = 16000;
  int32_t libraryWidth = 16;
  int32_t formatCode = 0;    // audio format parameter
  uint32_t unitBase = 0;     // G: syllable codes lie below it
  bool doubleSpeed = false;  // speed mode "double": positive speeds up to 4x
  int32_t speedup = 0;       // n6 speed-up 0..3: voiced pulses serve more periods
  bool languageLoaded = true;
  bool englishLoaded = false;
  // Optional work on every rendered piece of 16-bit library-format samples
  // before conversion (gain, sound effect, background sound), so that it
  // applies whatever the output format. With it set, silences are rendered
  // as zero samples through it too.
  void (*finishPiece)(void* user, int16_t* samples, int32_t count) = nullptr;
  void* finishUser = nullptr;
  // Pause items after generated speech write their pause length as
  // silence too (otherwise only after a recorded phrase).
  bool pauseAfterSpeech = false;
  // Recorded phrases: the chunk's match results aligned with the group's
  // items, and the speech part of the domain library. Without them phrase
  // items are synthesised like any other.
  const PhraseMark* phrases = nullptr;
  SectionReader phrasePart;
};

struct WaveformState {
  const SpeechItem* items;
  int32_t size;
  int32_t current;   // item being rendered
  int32_t itemDone;  // output bytes of silence written, or frameBytes once the vocoder runs
  bool afterPhrase;  // the previous item was a recorded phrase
  bool afterSpeech;  // the previous item (pauses aside) was generated speech
  bool first;        // the item is the first of this block
  WaveformSetup setup;
  int32_t outRate;
  int32_t outWidth;
  int32_t silenceByte;  // -1: silence goes through the IMA encoder
  int16_t scratch[kWaveformScratchSamples];
  uint8_t block[kWaveformBlockBytes];
  int32_t blockBytes;
  FormatConverterState converter;
  VocoderState vocoder;
  VocoderTail* tail;      // owned by the caller, carried across groups
  PhraseStream phrase;    // the phrase being played
  bool phraseTrailing;    // its recording is complete; the trailing silence is due
  int32_t trailingBytes;  // library-format bytes of that silence
};

// Prepares a zeroed state for a group. kBackendInvalidArgument when the
// format code or the library format is not supported (the state then
// renders nothing).
int WaveformBegin(WaveformState* state, const WaveformSetup& setup, const SpeechItem* items, int32_t size,
                  VocoderTail* tail);

// Empties the block and fills it from the current item on. 0 when no item
// was left at the call, else 1 with blockBytes bytes (fewer than a full
// block at the end of the group).
int RenderBlock(WaveformState* state);

// Appends up to `libraryBytes` bytes of silence (in library-format bytes,
// scaled by the speed value and converted to output bytes) or, when
// `milliseconds` >= 0, that many ms at the output format, less what
// itemDone says is written already. True when the silence is complete.
// Silence through the IMA encoder or the finishPiece hook is counted in
// library samples (itemDone too).
bool WriteSilence(WaveformState* state, int32_t libraryBytes, int32_t milliseconds, int32_t speedValue);

}  // namespace kvo::backend
