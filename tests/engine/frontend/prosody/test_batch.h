// Hand-built analysis batches for the sandhi tests.
//
// Text notation: lexical words separated by spaces, prosodic words by "|",
// intonational phrases by "||"; a word may end in "@tag" with a letter tag
// (u, y, q, c, ns, nz …). Readings: one "pinyinTONE" per character
// ("yi1", "ge5"), "_" for a pause item. Characters go through GBK into
// internal codes.
#pragma once

#include <string>
#include <vector>

#include "core/analysis_item.h"

namespace sandhi_test {

constexpr int kTones = 5;
// G of the 417-syllable inventory.
int SyllableCodeCount();

// Unit code of "yi1" (syllable index × 5 + tone − 1); -1 when unknown.
int UnitCode(const std::string& reading);
// "yi1" for a unit code, "_" for silence.
std::string Reading(uint16_t unit);

// Internal character codes of a UTF-8 text.
std::vector<uint16_t> InternalCodes(const std::string& utf8);
// Letter-coded tag ("ns" → 's' << 8 | 'n').
int16_t LetterTag(const std::string& name);

struct Batch {
  std::vector<qvAnalysisItem> items;  // used items and the terminator
  int count = 0;
  std::string Readings() const;  // readings of the used items, space-separated
};

Batch BuildBatch(const std::string& text, const std::string& readings);

}  // namespace sandhi_test
