// The Chinese analysis of one sentence, step by step: word building and
// tagging, polyphones, surname readings, normalisation, boundaries, item
// building and tone sandhi. Each step works in place on the word list or
// the item array; nothing is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/analysis_item.h"
#include "core/frontend_stage.h"
#include "frontend/analysis/word_record.h"
#include "frontend/lexicon/domain_dictionary.h"
#include "frontend/lexicon/lexicon_reader.h"
#include "frontend/lexicon/person_name_model.h"
#include "frontend/lexicon/polyphone_reader.h"
#include "frontend/normalisation/reading_modes.h"
#include "frontend/prosody/prosodic_boundary.h"

namespace kvo::frontend {

// What the steps read from the libraries and the voice.
struct AnalysisResources {
  LexiconReader lexicon;
  bool hasLexicon = false;
  DomainDictionary* domain = nullptr;  // the domain library's phrase dictionary, when usable
  PolyphoneReader polyphone;
  bool hasPolyphone = false;
  BoundaryModel prosodicWordModel;  // arena copies, empty when the voice has none
  BoundaryModel phraseModel;
  PersonNameModel names;                       // arena copy, empty when the voice has none
  uint16_t syllableCodeCount = 0;              // G = tones x syllables
  int tones = 5;                               // 6 for a voice of kind 1
  const char* const* syllableNames = nullptr;  // the voice's syllable table (pinyin input)
  int syllableNameCount = 0;
};

// Scratch of word building, kept out of the stack (it is large).
struct WordBuildScratch {
  LexiconEntry prefixes[kLexiconMaxWordLength];
  LexiconEntry entries[kMaxWordsPerSentence];  // readings of each path word
  int32_t cost[kMaxWordsPerSentence][kLexiconMaxReadings];
  int8_t back[kMaxWordsPerSentence][kLexiconMaxReadings];
};

// Values of the parameter block the items carry.
struct ItemSettings {
  int16_t pitch = 0;
  int16_t speed = 0;
  int16_t volume = 0;
};

// Step 1: words of codes[0 … length) with tags and readings; text
// positions count from startIndex. False only when the lexicon is corrupt.
bool BuildWords(const AnalysisResources& res, const uint16_t* codes, int length, int32_t startIndex,
                WordBuildScratch* scratch, WordList* words);

// Where a sentence too long for its budget is best cut: the length of
// codes[0 … limit) up to the last word boundary of the cheapest path of
// codes[0 … available) (which shows the words crossing the limit). A cut
// after a particle or before a conjunction or preposition is taken up to
// ten codes earlier; one before a particle only when there is no other.
// 0 without a lexicon or a boundary.
size_t LastWordBoundary(const AnalysisResources& res, const uint16_t* codes, size_t available, size_t limit,
                        WordBuildScratch* scratch);

// Step 3: person names. Surname plus given name sequences become one word
// tagged nr with the surname's surname reading. Without a name model
// nothing changes.
bool RecognisePersonNames(const AnalysisResources& res, WordList* words);

// Step 4: readings of polyphonic one- and two-character words by rules.
bool ApplyPolyphoneRules(const AnalysisResources& res, WordList* words);

// Step 5: surname readings of every character found in the surname table.
void ApplySurnameReadings(WordList* words);
// The surname reading of a character, or kUnknownPinyin.
uint16_t SurnameReading(uint16_t code);
// The reading of a character as the surname of a recognised person name, or
// kUnknownPinyin.
uint16_t PersonSurnameReading(uint16_t code);
// The readings of a two-character surname, when it has its own; false
// otherwise.
bool CompoundSurnameReading(uint16_t first, uint16_t second, uint16_t readings[2]);

// Working lists of the normalisation, kept out of the stack.
struct NormalisationScratch {
  WordList copy;
  WordList output;
};

// Step 6: spelling, text normalisation (numbers, symbols, letters) and
// spelling again; every word left can be spoken or is a pause. Never fails.
bool NormaliseWords(const AnalysisResources& res, const NormalisationSettings& settings, NormalisationScratch* scratch,
                    WordList* words);

// Step 7: prosodic word and phrase boundaries into WordRecord::boundary,
// by the voice's two boundary models.
bool PredictBoundaries(const AnalysisResources& res, WordList* words);

// Step 8: items of the word list (at most capacity - 1 plus the
// terminator), structure counters and letter codes. Returns the count.
int32_t BuildItems(const AnalysisResources& res, WordList* words, const ItemSettings& settings, qvAnalysisItem* items,
                   int32_t capacity);

// Step 9: tone sandhi over the items. Placeholder: no change.
bool ApplyToneSandhi(const AnalysisResources& res, qvAnalysisItem* items, int32_t count);

}  // namespace kvo::frontend
