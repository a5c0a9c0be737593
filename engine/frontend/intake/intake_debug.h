// Debug entry point for tests and tools: runs the text intake over a whole
// text and reports every sentence. Not part of any product interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frontend/intake/text_intake.h"

namespace kvo::frontend {

struct DebugSentence {
  const uint16_t* codes;   // internal codes
  const uint8_t* classes;  // character class of each code
  const int64_t* offsets;  // byte offset of each code, plus the closing offset
  size_t length;
  int64_t byteBegin;  // span of the sentence in the input
  int64_t byteEnd;
  int language;        // kLangChinese or kLangEnglish
  int languageStatus;  // status handed to the next step
};

using DebugSentenceFn = void (*)(void* user, const DebugSentence& sentence);

// Feeds text in chunks of chunkSize bytes (the last may be shorter).
// intake is working storage of the caller. Returns kFeOk or the first
// failing status.
int DebugRunIntake(TextIntake* intake, const TextIntakeConfig& config, const uint8_t* text, size_t length,
                   size_t chunkSize, DebugSentenceFn onSentence, void* user);

}  // namespace kvo::frontend
