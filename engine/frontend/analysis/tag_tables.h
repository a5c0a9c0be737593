// Built-in tables of word building and tagging: the tag names, the tagger's
// tag list with its transition costs, the emission costs and the cost scale.
#pragma once

#include <cstdint>

namespace kvo::frontend {

constexpr int kTagNameCount = 109;
constexpr int kTaggerTagCount = 50;
constexpr uint16_t kCostUnreachable = 65535;
constexpr int16_t kTagSentenceStart = -1;

// Name of a tag number ("n", "nr", …), or nullptr outside the table.
const char* TagName(int tag);
// Tag number of a name (up to 4 bytes, need not be terminated), or 255.
int TagNumberOfName(const char* name, int length);
// Letter-coded tag: first letter low byte, second letter high byte.
// Three-letter names keep their first two letters. An unknown tag gives w.
int16_t LetterCodedTag(int tag);

// Position of a tag number in the tagger's list, or -1.
int TaggerTagIndex(int tag);
// Transition cost between the tags of two neighbouring words.
uint16_t TagTransitionCost(int earlier_tag, int later_tag);

// Emission cost of a reading with the given probability in whole percent.
extern const uint16_t kEmissionCost[101];
extern const uint16_t kTagTransitionCost[kTaggerTagCount][kTaggerTagCount];

// Step approximation of 1000 * log10(x) in 96 steps of factor 1.25.
int32_t CostScale(uint32_t x);

}  // namespace kvo::frontend
