// A small hand-made voice for the acoustic tests: symbol tables, letter
// and Greek units and a voice model, written into a library image by the
// model writer and read back the way the engine reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backend/acoustic/param_generator.h"
#include "core/analysis_item.h"
#include "model_writer.h"

namespace kvo {
namespace testvoice {

// Log-F0 mean (12 fractional bits) of the voiced distributions: 200 Hz.
constexpr int kVoicedLogF0 = 21702;
// Stored spectral means: dimension j (1 ... order) has mean j * kLsfStep.
constexpr int kLsfStep = 3000;
// Stored gain mean that gives an excitation gain of about 150.
constexpr int kGainMean = 8050;
// Frames per state of ordinary phones at voice style -1, and of pauses.
extern const int kPhoneStateFrames[5];
constexpr int kPauseStateFrames = 2;

modelwriter::VoiceModelDescription MakeModel(int windows, int order);

struct Voice {
  std::vector<uint8_t> file;
  uint32_t modelPosition = 0;  // file position of the model payload
  std::vector<uint8_t> arenaBlock;
  backend::ScratchArena arena;
  backend::VoiceSymbols symbols;
  backend::VoiceModel chinese;
  backend::VoiceModel english;
  backend::AcousticVoice voice;

  // Builds the library image and loads symbols and both models (the same
  // description serves as English model). Fails the calling test on error.
  using Tweak = void (*)(modelwriter::VoiceModelDescription&);
  explicit Voice(int windows = 3, int sampleRate = 16000, Tweak tweak = nullptr);
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  uint32_t G() const { return static_cast<uint32_t>(symbols.tones * symbols.syllables.count); }
  uint8_t Phone(const char* name) const;
  // Unit code of a syllable name with tone (1 ... tones).
  uint16_t Code(const char* syllable, int tone) const;
};

// Builders of analysis items.
AnalysisItem Syllable(uint16_t code, int posInWord, int wordLength, int phraseIndex = 0, int phraseCount = 1);
AnalysisItem Pause(uint16_t code, int pauseMs = 400);
AnalysisItem English(int phone, int phraseIndex = 0, int phraseCount = 1);

// The English symbol indices used by the tests.
constexpr int kEnAa = 6, kEnT = 57, kEnS = 55;

}  // namespace testvoice
}  // namespace kvo
