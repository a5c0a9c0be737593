// The English front end of an instance: its library readers, the state of
// the English sentence being read chunk by chunk, and the two entries the
// text-analysis driver calls: English runs inside Chinese batches and
// whole English sentences.
#pragma once

#include <cstdint>

#include "core/analysis_item.h"
#include "core/frontend_stage.h"
#include "core/resource_library.h"
#include "english/english_analysis.h"
#include "english/english_normalisation.h"

struct qvInstance;
struct qvLibrary;

namespace kvo::english {

constexpr int kMaxChunks = 128;
constexpr int kChunkBudget = 50;  // characters of a chunk
constexpr int kMaxRunBytes = 60;

// Called with the words and items of each chunk of an English sentence
// (debugging and tools).
using EnglishObserver = void (*)(void* user, const EnglishWordList& words, const qvAnalysisItem* items, int count,
                                 bool last_chunk);

struct EnglishFrontEnd {
  EnglishResources res;
  qvSectionRef sections[5];  // lexicon, exceptions, lts, pos lexicon, break model
  uint8_t* break_block;
  uint32_t break_bytes;
  bool ready;  // lexicon or letter-to-sound usable: English text can be read
  // The English sentence in progress.
  char text[kSentenceCodes + 1];
  int text_length;
  SentenceTokens tokens;
  int16_t chunk_start[kMaxChunks + 1];
  int chunk_count;
  int next_chunk;
  int32_t status;  // kLanguageStatusEnglishWaiting or kLanguageStatusEnglishPending
  // Per call.
  TokenList token_list;
  EnglishWordList words;
  EnglishObserver observer;
  void* observer_user;
};

// Opens the readers over the instance's English library and loads the
// phrase-break model into the arena. Never fails on a bad library: a
// section that breaks its layout is not used, and without lexicon and
// letter-to-sound trees the front end is not ready (every sentence then
// stays on the Chinese side). Returns false only when the arena is short.
bool EnglishInit(EnglishFrontEnd* fe, qvInstance* instance);
void EnglishRelease(EnglishFrontEnd* fe, qvInstance* instance);

ItemParameters ParametersOf(const qvInstance* instance);

// Converts an English run of at most 60 bytes and appends its items from
// items[first] (up to capacity - 1, leaving room for the terminator).
// Returns kFeOk; *appended gets the number of items.
int32_t EnglishRunToItems(EnglishFrontEnd* fe, const char* run, qvAnalysisItem* items, int first, int capacity,
                          const ItemParameters& params, int* appended);

// One batch of an English sentence: on kLanguageStatusEnglishWaiting the
// sentence (internal codes) is taken, tagged, phrased and cut into chunks;
// then the next chunk becomes the batch. *status: Pending when a chunk was
// produced, Waiting when none was left (the sentence is done).
int32_t EnglishSentenceStep(EnglishFrontEnd* fe, const uint16_t* codes, int length, qvAnalysisItem* items, int capacity,
                            const ItemParameters& params, int* count, int32_t* status);

}  // namespace kvo::english
