// Collects reading characters into words of the output list: the readers
// end words where the reading has a break and mark group pauses.
#pragma once

#include <cstdint>

#include "frontend/analysis/word_record.h"
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/normalised_words.h"
#include "frontend/normalisation/number_reading.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend {

class ReadingWriter {
 public:
  ReadingWriter(WordList* out, int32_t textPosition, int16_t tag)
      : out_(out), start_(out->count), position_(textPosition), tag_(tag) {}

  void Add(char16_t c) { AddCode(InternalCodeOf(c)); }
  void AddCode(uint16_t code) {
    if (length_ == kMaxWordChars) End();
    buffer_[length_++] = code;
  }
  // Ends the open word; with pause, the word (or, when none is open, the
  // last word written) ends a group with a pause.
  void End(bool pause = false) {
    if (length_ > 0) {
      ok_ = AppendCodesWord(out_, buffer_, length_, qvTTS_CT_CHINESE, tag_, kNoForcedMode, position_) && ok_;
      length_ = 0;
      if (!ok_) return;
    }
    if (pause && out_->count > start_) {
      WordRecord& last = out_->words[out_->count - 1];
      last.boundary |= kGroupPauseBoundary;
      last.flags |= kGroupPauseMark;
    }
  }
  // Ends the open word; false, with everything written taken back, when a
  // word did not fit.
  bool Finish() {
    End();
    if (!ok_) out_->count = start_;
    return ok_;
  }

 private:
  WordList* out_;
  int start_;
  int32_t position_;
  int16_t tag_;
  uint16_t buffer_[kMaxWordChars];
  int length_ = 0;
  bool ok_ = true;
};

// The two readers behind AppendDigitStringReading.
void ReadAsNumber(const uint16_t* chars, int length, int16_t type, const NormalisationSettings& settings,
                  ReadingWriter* writer);
void ReadDigitByDigit(const uint16_t* chars, int length, int16_t type, DigitGrouping grouping,
                      const NormalisationSettings& settings, ReadingWriter* writer);

// Name of a digit 0 … 9.
char16_t DigitName(int digit);

}  // namespace kvo::frontend
