// Text intake of the front end: raw chunks in, sentences of internal codes
// with their byte offsets out. All storage is inside the record, so an
// engine can place it in its arena; nothing is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/frontend_stage.h"
#include "frontend/intake/code_conversion.h"
#include "frontend/intake/sentence_splitter.h"
#include "frontend/intake/text_decoder.h"

namespace kvo::frontend {

struct TextIntakeConfig {
  int codePage = 0;
  ConversionTables tables;
  bool englishAvailable = false;
  int englishMode = 0;
  WordCutFinder wordCut = nullptr;  // where a long Chinese sentence is cut
  void* wordCutUser = nullptr;
};

struct Sentence {
  uint16_t codes[kSentenceCodes];
  // Absolute byte offset of each code's first byte, plus the closing offset.
  int64_t offsets[kSentenceCodes + 1];
  size_t length;
  int language;  // kLangChinese or kLangEnglish
};

struct TextIntake {
  TextIntakeConfig config;
  DecoderState decoder;
  bool endOfInput;
  // Current raw chunk.
  const uint8_t* chunk;
  size_t chunkLength;
  size_t chunkPosition;
  int64_t chunkOffset;  // absolute offset of chunk[0]
  int64_t bytesRead;    // total bytes of all chunks so far
  // Decoded, converted codes not yet cut into sentences.
  uint16_t codes[kTextBufferCodes];
  int64_t offsets[kTextBufferCodes];
  size_t count;
  size_t position;  // first code not yet in a sentence
  Sentence sentence;
};

// Starts a synthesis: clears everything.
void IntakeReset(TextIntake* intake, const TextIntakeConfig& config);

// Hands over the next raw chunk. A chunk of length 0 or less gives
// kFeEmptyChunk. The bytes must stay valid until the chunk is used up.
int IntakeNewChunk(TextIntake* intake, const uint8_t* chunk, int length);

// Marks the end of the input: buffered codes and a cut character are flushed.
void IntakeEndOfInput(TextIntake* intake);

// Cuts the next sentence into intake->sentence. Results: kFeOk with a
// sentence; kFeChunkDone when the chunk is used up (give the next
// chunk, or at the end of input: everything is done); kFeNoConversion
// when the code page has no conversion. *languageStatus is set to
// kLanguageStatusEnglishWaiting for an English sentence and kLanguageStatusChinese
// otherwise; while it is kLanguageStatusEnglishPending the current sentence is
// still being read by the English side and no new one is cut.
int IntakeNextSentence(TextIntake* intake, int* languageStatus);

}  // namespace kvo::frontend
