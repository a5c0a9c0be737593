// Cutting a run of internal codes into sentences: terminators, abbreviations,
// language changes and the length budget.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvo::frontend {

// Budget of one sentence: every code counts 1, the codes of CostOf() 2.
constexpr int kBudgetUndecided = 512;
constexpr int kBudgetEnglish = 511;
constexpr int kBudgetChinese = 49;

struct SplitOptions {
  uint16_t syllableCodeCount = 0;  // G
  bool englishAvailable = false;   // an English library is open
  int englishMode = 0;             // 0 automatic, 1 letters stay Chinese, 2 English
  bool endOfInput = false;         // no codes follow the buffered ones
  size_t bufferCapacity = 512;     // a sentence filling the buffer is cut
};

enum class SplitStatus {
  kSentence,  // *out holds the next sentence
  kNeedMore,  // no sentence end among the buffered codes; more input will follow
  kEmpty,     // nothing buffered at the end of the input
};

struct SentenceSpan {
  size_t begin = 0;  // first code
  size_t end = 0;    // one past the last code (the terminator is included)
  int language = 0;  // kLangChinese or kLangEnglish
};

int CostOf(uint16_t code);

// Finds the sentence starting at codes[start].
SplitStatus SplitSentence(const uint16_t* codes, size_t count, size_t start,
                          const SplitOptions& options, SentenceSpan* out);

}  // namespace kvo::frontend
