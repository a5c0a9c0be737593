#include "frontend/intake/intake_debug.h"

#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

int DebugRunIntake(TextIntake* intake, const TextIntakeConfig& config, const uint8_t* text, size_t length,
                   size_t chunkSize, DebugSentenceFn onSentence, void* user) {
  if (chunkSize == 0) return kFeEmptyChunk;
  IntakeReset(intake, config);
  uint8_t classes[kSentenceCodes];
  size_t fed = 0;
  int languageStatus = kLanguageStatusChinese;
  if (length == 0) IntakeEndOfInput(intake);
  for (;;) {
    const int status = IntakeNextSentence(intake, &languageStatus);
    if (status == kFeChunkDone) {
      if (fed >= length) {
        if (intake->endOfInput) return kFeOk;
        IntakeEndOfInput(intake);
        continue;
      }
      const size_t n = length - fed < chunkSize ? length - fed : chunkSize;
      const int chunkStatus = IntakeNewChunk(intake, text + fed, static_cast<int>(n));
      if (chunkStatus != kFeOk) return chunkStatus;
      fed += n;
      continue;
    }
    if (status != kFeOk) return status;
    const Sentence& s = intake->sentence;
    for (size_t i = 0; i < s.length; ++i)
      classes[i] = static_cast<uint8_t>(ClassifyCode(s.codes[i], config.tables.syllableCodeCount));
    DebugSentence d{s.codes,    classes,       s.offsets, s.length, s.offsets[0], s.offsets[s.length],
                    s.language, languageStatus};
    if (onSentence != nullptr) onSentence(user, d);
    languageStatus = kLanguageStatusChinese;  // the English side, if any, is done with it
  }
}

}  // namespace kvo::frontend
