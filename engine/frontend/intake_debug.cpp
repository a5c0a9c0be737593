#include "intake_debug.h"

#include "internal_code.h"

namespace kvo::frontend {

int DebugRunIntake(TextIntake* intake, const TextIntakeConfig& config, const uint8_t* text,
                   size_t length, size_t chunkSize, DebugSentenceFn onSentence, void* user) {
  if (chunkSize == 0) return kStatusEmptyChunk;
  IntakeReset(intake, config);
  uint8_t classes[kSentenceCodes];
  size_t fed = 0;
  int languageStatus = kLanguageChinese;
  if (length == 0) IntakeEndOfInput(intake);
  for (;;) {
    const int status = IntakeNextSentence(intake, &languageStatus);
    if (status == kStatusNoMoreText) {
      if (fed >= length) {
        if (intake->endOfInput) return kStatusOk;
        IntakeEndOfInput(intake);
        continue;
      }
      const size_t n = length - fed < chunkSize ? length - fed : chunkSize;
      const int chunkStatus = IntakeNewChunk(intake, text + fed, static_cast<int>(n));
      if (chunkStatus != kStatusOk) return chunkStatus;
      fed += n;
      continue;
    }
    if (status != kStatusOk) return status;
    const Sentence& s = intake->sentence;
    for (size_t i = 0; i < s.length; ++i)
      classes[i] = static_cast<uint8_t>(ClassifyCode(s.codes[i], config.tables.syllableCodeCount));
    DebugSentence d{s.codes, classes, s.offsets, s.length, s.offsets[0], s.offsets[s.length],
                    s.language, languageStatus};
    if (onSentence != nullptr) onSentence(user, d);
    languageStatus = kLanguageChinese;  // the English side, if any, is done with it
  }
}

}  // namespace kvo::frontend
