#include "frontend/intake/text_intake.h"

#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

void IntakeReset(TextIntake* intake, const TextIntakeConfig& config) {
  intake->config = config;
  DecoderReset(&intake->decoder, config.codePage);
  intake->endOfInput = false;
  intake->chunk = nullptr;
  intake->chunkLength = 0;
  intake->chunkPosition = 0;
  intake->chunkOffset = 0;
  intake->bytesRead = 0;
  intake->count = 0;
  intake->position = 0;
  intake->sentence.length = 0;
  intake->sentence.language = kLangChinese;
  intake->sentence.offsets[0] = 0;
}

int IntakeNewChunk(TextIntake* intake, const uint8_t* chunk, int length) {
  if (length <= 0 || chunk == nullptr) return kFeEmptyChunk;
  intake->chunk = chunk;
  intake->chunkLength = static_cast<size_t>(length);
  intake->chunkPosition = 0;
  intake->chunkOffset = intake->bytesRead;
  intake->bytesRead += length;
  return kFeOk;
}

void IntakeEndOfInput(TextIntake* intake) { intake->endOfInput = true; }

namespace {

bool ChunkUsedUp(const TextIntake* t) { return t->chunkPosition >= t->chunkLength; }

int64_t NextByteOffset(const TextIntake* t) {
  if (t->decoder.pendingCount > 0) return t->decoder.pendingOffset;
  return t->chunkOffset + static_cast<int64_t>(t->chunkPosition);
}

void Compact(TextIntake* t) {
  if (t->position == 0) return;
  const size_t left = t->count - t->position;
  for (size_t i = 0; i < left; ++i) {
    t->codes[i] = t->codes[t->position + i];
    t->offsets[i] = t->offsets[t->position + i];
  }
  t->count = left;
  t->position = 0;
}

// Decodes and converts more codes; returns false when nothing could be added.
bool Refill(TextIntake* t) {
  const size_t before = t->count;
  DecodeOutput out{t->codes, t->offsets, kTextBufferCodes, t->count};
  if (!ChunkUsedUp(t)) DecodeChunk(&t->decoder, t->chunk, t->chunkLength, &t->chunkPosition, t->chunkOffset, &out);
  if (t->endOfInput && ChunkUsedUp(t)) DecoderFinish(&t->decoder, &out);
  t->count = out.count;
  ConvertCodes(t->config.tables, t->config.codePage, t->codes + before, t->count - before);
  return t->count > before;
}

void TakeSentence(TextIntake* t, const SentenceSpan& span) {
  Sentence& s = t->sentence;
  s.length = span.end - span.begin;
  for (size_t i = 0; i < s.length; ++i) {
    s.codes[i] = t->codes[span.begin + i];
    s.offsets[i] = t->offsets[span.begin + i];
  }
  s.offsets[s.length] = span.end < t->count ? t->offsets[span.end] : NextByteOffset(t);
  s.language = span.language;
  t->position = span.end;
}

}  // namespace

int IntakeNextSentence(TextIntake* intake, int* languageStatus) {
  if (languageStatus != nullptr && *languageStatus == kLanguageStatusEnglishPending) return kFeOk;
  if (!CodePageSupported(intake->config.tables, intake->config.codePage)) return kFeNoConversion;
  for (;;) {
    SplitOptions options;
    options.syllableCodeCount = intake->config.tables.syllableCodeCount;
    options.englishAvailable = intake->config.englishAvailable;
    options.englishMode = intake->config.englishMode;
    options.endOfInput = intake->endOfInput && ChunkUsedUp(intake) && intake->decoder.pendingCount == 0;
    options.bufferCapacity = kTextBufferCodes;
    options.wordCut = intake->config.wordCut;
    options.wordCutUser = intake->config.wordCutUser;
    SentenceSpan span;
    const SplitStatus status = SplitSentence(intake->codes, intake->count, intake->position, options, &span);
    if (status == SplitStatus::kSentence) {
      TakeSentence(intake, span);
      if (languageStatus != nullptr)
        *languageStatus = span.language == kLangEnglish ? kLanguageStatusEnglishWaiting : kLanguageStatusChinese;
      return kFeOk;
    }
    if (status == SplitStatus::kEmpty) return kFeChunkDone;
    Compact(intake);
    const bool moreToRead = !ChunkUsedUp(intake) || (intake->endOfInput && intake->decoder.pendingCount > 0);
    if (!moreToRead) {
      if (intake->endOfInput) continue;  // split again as the last sentence
      return kFeChunkDone;
    }
    Refill(intake);
  }
}

}  // namespace kvo::frontend
