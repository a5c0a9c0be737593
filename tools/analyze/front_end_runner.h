// Runs the engine's Chinese front end alone over a text: an engine instance
// initialised up to its Chinese front end (no voice model needed, no audio
// made), fed in input chunks the way the synthesis loop feeds it, with every
// analysed sentence handed to the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/analysis_item.h"
#include "english/english_words.h"
#include "frontend/analysis/word_record.h"

struct qvInstance;

namespace kvo::analyze {

// One sentence as the front end left it.
struct AnalysedSentence {
  std::vector<uint16_t> codes;              // the sentence, internal codes
  std::vector<frontend::WordRecord> words;  // readings before tone sandhi
  std::vector<qvAnalysisItem> items;        // the batch, after tone sandhi, without terminator
  std::vector<std::string> names;           // the name of each item (English items)
  bool english = false;                     // read by the English front end, chunk by chunk
};

struct RunnerOptions {
  bool surname_readings = false;  // the engine's namepolyphone parameter
  int digit_mode = 0;             // digitmode, puncmode, engmode
  int punc_mode = 0;
  int eng_mode = 0;
  bool n6_numbers = false;      // the n6 engine's number readings
  int special_numbers = 0;      // with these bits (n6 parameter 32)
  std::string english_library;  // English library, or empty for none
};

class FrontEndRunner {
 public:
  FrontEndRunner() = default;
  ~FrontEndRunner();
  FrontEndRunner(const FrontEndRunner&) = delete;
  FrontEndRunner& operator=(const FrontEndRunner&) = delete;

  // Opens a Chinese library. False with a message when the engine refuses it.
  bool Open(const std::string& library, const RunnerOptions& options, std::string* error);

  // Analyses UTF-8 text; sink sees every sentence in order. Returns 0 or the
  // engine error code that ended the run.
  int Run(const std::string& text, const std::function<void(const AnalysedSentence&)>& sink);

  // Syllable spelling with tone number ("hang2") of a unit code below G, or
  // "" for any other code.
  std::string SyllableName(uint16_t unit) const;
  int32_t SyllableCodeCount() const;

 private:
  static void Observe(void* user, const frontend::WordList& words, const qvAnalysisItem* items, int32_t count);
  static void ObserveEnglish(void* user, const english::EnglishWordList& words, const qvAnalysisItem* items, int count,
                             bool last_chunk);
  void FlushEnglish();
  AnalysedSentence english_sentence_;
  bool english_open_ = false;
  int RunChunk(const uint8_t* chunk, int32_t length);
  void Close();

  void* block_ = nullptr;
  int stage_ = 0;  // how far Open got, for Close
  std::vector<qvAnalysisItem> items_;
  std::vector<char> names_;
  const std::function<void(const AnalysedSentence&)>* sink_ = nullptr;
  qvInstance* instance() const { return static_cast<qvInstance*>(block_); }
};

}  // namespace kvo::analyze
