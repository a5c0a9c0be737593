// Prosodic word and intonational phrase prediction over the word list of a
// sentence, by two feature-weight models. A model is a sorted list of word
// keys (the first two internal codes of a word) and a sorted list of
// feature entries (feature, value, sub-value) → two int16 weights, the
// first against a boundary, the second for one.
#ifndef KVO_ENGINE_FRONTEND_PROSODIC_BOUNDARY_H
#define KVO_ENGINE_FRONTEND_PROSODIC_BOUNDARY_H

#include <cstdint>

#include "core/section_reader.h"
#include "frontend/analysis/word_record.h"

namespace kvo::frontend {

// The numbers of the payload and the features are those of
// boundary_layout.txt, which the builder reads (tests compare them).
constexpr uint32_t kBoundaryWordKeyBytes = 4;
constexpr uint32_t kBoundaryEntryBytes = 8;
// Lexical features carry the word index in one byte; 255 marks "no
// neighbour", so a usable model lists at most 255 words.
constexpr uint32_t kBoundaryMaxWordKeys = 255;
constexpr uint8_t kBoundaryPlainSubValue = 255;

// Part-of-speech values of the features.
constexpr uint8_t kBoundaryPosNone = 110;    // the word has no tag
constexpr uint8_t kBoundaryPosAbsent = 109;  // there is no such word
// A tag number of a word that has none.
constexpr int16_t kWordNoTag = -1;

// The two arrays of one model, in memory (arena copies or a mapped payload).
struct BoundaryModel {
  const uint8_t* word_keys = nullptr;  // key_count × 4 bytes
  uint32_t key_count = 0;
  const uint8_t* entries = nullptr;  // entry_count × 8 bytes
  uint32_t entry_count = 0;
};

enum class BoundaryModelStatus { kOk, kCorrupt, kTooSmall };

// Bytes the arena copy of a model payload needs (keys and entries); kCorrupt
// when the counts do not fit the payload or the arrays are not sorted.
BoundaryModelStatus BoundaryModelBytes(const SectionReader& payload, uint32_t* bytes);

// Copies both arrays of a model payload into dst (capacity bytes, at least
// what BoundaryModelBytes reported) and points model at the copy. An empty
// payload (absent section) gives an empty model.
BoundaryModelStatus LoadBoundaryModel(const SectionReader& payload, uint8_t* dst, uint32_t capacity,
                                      BoundaryModel* model);

// Points model into a payload already in memory, after the same checks.
BoundaryModelStatus BoundaryModelInPlace(const uint8_t* data, uint32_t size, BoundaryModel* model);

struct BoundaryWeights {
  int16_t no_boundary;
  int16_t boundary;
};
// The weights of (feature, value, sub-value); zeros when the key is absent.
BoundaryWeights LookupBoundaryFeature(const BoundaryModel& model, uint8_t feature, uint8_t value, uint8_t sub_value);
// Index of a word in the model's word keys (by its first two characters), or -1.
int FindBoundaryWord(const BoundaryModel& model, const uint16_t* chars, int length);

// One feature of a word: the key looked up in the model.
struct BoundaryFeature {
  uint8_t feature;
  uint8_t value;
  uint8_t sub_value;
};
constexpr int kMaxBoundaryFeatures = 32;

enum class BoundaryModelKind { kProsodicWord, kPhrase };

// The features of words.words[index] for one model; phrase_start is the word
// after the last phrase boundary (phrase model only). Returns the count.
int ExtractBoundaryFeatures(const WordList& words, int index, const BoundaryModel& model, BoundaryModelKind kind,
                            int phrase_start, BoundaryFeature* out);

// Sets kStartsProsodicWord (exactly) on every word the prosodic word model
// votes for.
void PredictProsodicWords(WordList& words, const BoundaryModel& model);
// Adds kStartsPhrase | kStartsProsodicWord where the phrase model votes for
// a phrase, and after 栋 楼 门 座 following an unknown-word run.
void PredictPhrases(WordList& words, const BoundaryModel& model);

// Both steps in order.
void PredictBoundaries(WordList& words, const BoundaryModel& prosodic_word_model, const BoundaryModel& phrase_model);

}  // namespace kvo::frontend

#endif
