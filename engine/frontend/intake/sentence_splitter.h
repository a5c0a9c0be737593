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

// Where a Chinese sentence that outgrows its budget without a space to cut
// at is cut. codes[0 … available) run from the sentence start; the budget
// allows codes[0 … limit). Returns the length of the sentence, the last
// word boundary in 1 … limit, or 0 when it knows none (then the sentence is
// cut at limit).
using WordCutFinder = size_t (*)(void* user, const uint16_t* codes, size_t available, size_t limit);
// Codes past the limit a finder is shown, when the input has them: enough
// for the longest lexicon word to cross the limit.
constexpr size_t kWordCutLookahead = 16;

struct SplitOptions {
  uint16_t syllableCodeCount = 0;   // G
  bool englishAvailable = false;    // an English library is open
  int englishMode = 0;              // 0 automatic, 1 letters stay Chinese, 2 English
  bool endOfInput = false;          // no codes follow the buffered ones
  size_t bufferCapacity = 512;      // a sentence filling the buffer is cut
  WordCutFinder wordCut = nullptr;  // none: a long Chinese sentence is cut at its limit
  void* wordCutUser = nullptr;
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
SplitStatus SplitSentence(const uint16_t* codes, size_t count, size_t start, const SplitOptions& options,
                          SentenceSpan* out);

}  // namespace kvo::frontend
