// Recorded domain phrases: the phrase index built when the domain library
// is opened, the matching of a chunk's items against the phrase texts, and
// the stream that decodes a matched phrase's G.729 frames piece by piece.
//
// Speech part of a domain library (offsets from the part's start):
//   0    296 bytes header (ours: magic, counts, rates; docs/domain-library.md)
//   296  u32 phrase count N
//   300  N records of 8 bytes, sorted by text: u16 text bytes, u16 position
//        mask, u32 end offset of the phrase's coded speech
//   ...  the texts (16-bit internal codes), in record order
//   ...  the coded speech of all phrases (10-byte G.729 frames)
#pragma once

#include <cstdint>

#include "backend/domain/g729_decoder.h"
#include "backend/labels/speech_item.h"
#include "core/section_reader.h"

namespace kvo::backend {

constexpr uint32_t kPhraseHeaderBytes = 296;
constexpr uint32_t kPhraseRecordBytes = 8;
constexpr int32_t kPhraseIndexEntries = 512;
constexpr int32_t kPhraseMaxTextChars = 128;  // longer texts never match
constexpr int32_t kPhraseReadBytes = 4096;    // read buffer of coded speech
constexpr int32_t kPhraseReadPiece = 4080;    // 408 frames

// Position classes (bit v of a record's mask allows class v).
enum PhrasePosition : int { kPhraseStartsBatch = 0, kPhraseInside = 1, kPhraseEndsBatch = 2, kPhraseWhole = 3 };

struct PhraseIndex {
  uint32_t count;        // N; 0 when the library is absent or refused
  uint32_t textsStart;   // offset of the first text
  uint32_t speechStart;  // offset of the coded speech area
  uint32_t speechBytes;  // its size
  int32_t entries;       // used index entries
  uint16_t firstChar[kPhraseIndexEntries];
  uint16_t firstRecord[kPhraseIndexEntries];
  uint32_t textOffset[kPhraseIndexEntries];  // text of the entry's first record
};

// How the playback sees one item of the chunk after matching.
struct PhraseMark {
  int32_t record;  // -1 none, -2 inside a phrase started earlier, else the record index
  int32_t offset;  // start of the coded speech, from the speech part's start
  int32_t bytes;   // coded length
};

enum class PhraseIndexStatus { kOk, kAbsent, kBroken };

// Reads N, the records and the first characters of the texts and builds the
// index. kBroken (and an empty index) when records run past the part, their
// end offsets go backwards or past the coded speech, or the texts are not
// in sorted order: such a library plays nothing.
PhraseIndexStatus OpenPhraseIndex(const SectionReader& part, PhraseIndex* index);

// Matches the chunk's items against the phrases; marks[i] gets the result
// for items[i]. unitBase is G. Returns the number of phrases matched.
int MatchPhrases(const PhraseIndex& index, const SectionReader& part, const SpeechItem* items, int count,
                 uint32_t unitBase, PhraseMark* marks);

// Decoding of one phrase, carried across output blocks.
struct PhraseStream {
  g729::G729Decoder decoder;
  uint8_t read[kPhraseReadBytes];
  int32_t readBytes;  // coded bytes in hand
  int32_t readPos;    // of which consumed
  int32_t done;       // coded bytes of the phrase fully decoded
  int16_t pending[g729::kFrameSamples];
  int32_t pendingPos;
  int32_t pendingCount;
  bool started;
};

// Delivers up to `room` samples of the phrase (offset/bytes of its mark)
// into out; *complete is set once every whole frame has been delivered. A
// trailing piece shorter than a frame is dropped; a failed read ends the
// phrase.
int32_t StreamPhrase(PhraseStream* stream, const SectionReader& part, const PhraseMark& mark, int16_t* out,
                     int32_t room, bool* complete);

}  // namespace kvo::backend
