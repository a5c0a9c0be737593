// The instance record at the start of the caller's block, and the records it
// is made of. Internal to the engine and its stages.
#ifndef KVO_ENGINE_ENGINE_INSTANCE_H
#define KVO_ENGINE_ENGINE_INSTANCE_H

#include <cstdint>
#include <cstdio>

#include "core/backend_stage.h"
#include "core/frontend_stage.h"
#include "core/library_format.h"
#include "core/qvtts.h"

struct qvEngineVariant;

// The read cache holds blocks of kReadCacheBytes from block-aligned file
// positions: one in the instance record, and kReadCacheBlocks in the arena
// when the arena has room for them after initialisation. The front end's
// lexicon and the voice models are read all over their files in small
// pieces, and one block alone made most of those reads a seek and a read.
constexpr int32_t kReadCacheBytes = 2048;
constexpr int32_t kReadCacheBlocks = 32;
constexpr int32_t kReadCacheArenaBytes = kReadCacheBlocks * kReadCacheBytes;
// What the read cache and the back end's record cache leave of the arena
// for the batches. The largest group seen (750 frames, a sentence of long
// pauses in the plain style) used 104 KiB of the 222 KiB work area this
// leaves with the default voices. The rest goes to the record cache (about
// 650 of the Chinese voice's 3904 spectrum records), which halved the
// library reads of a synthesis.
constexpr int32_t kBatchArenaKept = 288 * 1024;

struct qvReadCacheBlock {
  FILE* file;        // file whose bytes the block holds, or null
  int32_t position;  // file position of the block's first byte
  int32_t valid;     // bytes of the block that hold file data
  uint32_t used;     // when the block was last read from (for replacement)
};

// The one read cache of an instance, shared by all of its libraries.
struct qvReadCache {
  qvReadCacheBlock block[kReadCacheBlocks];
  int32_t blocks;   // blocks in use: 1 or kReadCacheBlocks
  int32_t last;     // block of the latest read
  uint32_t clock;   // counts reads, for the replacement
  uint8_t* buffer;  // blocks * kReadCacheBytes
};

struct qvLibrarySection {
  int32_t offset;  // payload offset in the file
  int32_t size;    // payload bytes; 0 = absent
};

// An open library: its file, its size and its sections (1-based numbers).
struct qvLibrary {
  FILE* file;  // null when the library is not open
  int32_t file_size;
  int32_t section_count;
  qvLibrarySection section[kvo_library::kMaxSections];
  qvReadCache* cache;
};

struct qvBackgroundSound {
  FILE* file;
  int32_t position;
  int32_t length;  // end position in bytes from the start of the file
  int32_t volume;
  int32_t play_once;
};

constexpr int32_t kEffectHistorySamples = 2048;
struct qvSoundEffect {
  int32_t kind;   // 0 off, 1..5
  int32_t level;  // Q15
  int32_t history_position;
  int16_t history[kEffectHistorySamples];
};

struct qvParameters {
  int32_t codepage;  // 65001 does not fit the int16 of the other modes
  int16_t voice_style;
  int16_t pitch;
  int16_t volume;
  int16_t speed;
  int16_t punc_mode;
  int16_t digit_mode;
  int16_t eng_mode;
  int16_t audio_format;
  int16_t input_mode;
  int16_t output_chunk_size;
  int32_t tag_mode;
  int32_t name_polyphone;
  qvTTS_ProgressProc progress_proc;
  qvTTS_InputTextProc input_proc;
  qvTTS_SpareProc spare_proc;
  qvTTS_OutputVoiceProc output_proc;
  qvTTS_SyllableProc syllable_proc;
  void* user_data;
  qvTTS_WordSegmentProc word_segment_proc;
  int32_t silence_mode;
  uint8_t speed_mode;
  // Parameters of engine variants (ids 29, 31, 32, 33).
  int16_t speedup;
  int16_t symbol_filter;
  int32_t special_numbers;
  int16_t gain_factor;
  // Copied from the voice header at init.
  int32_t sample_rate;
  int16_t voice_word1;
  int16_t voice_word2;
  uint8_t voice_bytes[kvo_library::kVoiceByteCount];  // header bytes 28..32
};

// A name table loaded at init: count names and a pointer to each.
struct qvNameTable {
  int32_t count;
  char* strings;  // the whole NUL-separated block
  int32_t string_bytes;
  const char** names;
};

struct qvResidentBlob {
  uint8_t* data;
  int32_t bytes;
};

// Tables loaded from the Chinese library at init; they stay in the arena
// until qvTTS_End.
struct qvSyllableTables {
  qvNameTable syllables;
  qvNameTable initials;
  qvNameTable finals;
  int32_t tones;      // 6 for voice kind 1, else 5
  int32_t unit_base;  // G = tones x syllable count
  qvNameTable phones;
  qvResidentBlob voicing;  // one byte per phone
  qvResidentBlob back_end[4];
  int32_t arena_mark;  // arena used before the first table
};

struct alignas(16) qvInstance {
  uint8_t* arena_base;
  int32_t arena_free;
  int32_t arena_used;
  uint32_t initialised;
  int32_t stop_request;  // accessed atomically: written from any thread
  int32_t busy_state;    // accessed atomically
  int32_t previous_chunk_length;
  qvLibrary chinese;
  qvLibrary english;
  qvLibrary domain;
  qvBackgroundSound background;
  qvSoundEffect effect;
  qvParameters params;
  uint8_t input_buffer[2 * QVTTS_INPUT_CHUNK_BYTES];
  int32_t input_length;
  qvFrontEndState front_end;
  int32_t language_status;
  qvBackEndState back_end;
  qvSyllableTables tables;
  qvReadCache cache;
  uint8_t cache_bytes[kReadCacheBytes];
  // Beyond the record proper: what this implementation adds.
  const qvEngineVariant* variant;
  int32_t arena_size;
  int32_t arena_exhausted;  // a request did not fit during this synthesis
  int32_t chunk_length;     // length of the chunk the front end reads
  int32_t bytes_read;       // running total of input bytes
  int32_t last_progress_begin;
  int32_t arena_discipline_faults;  // syntheses that left blocks behind
};

inline qvInstance* qvInstanceFromHandle(qvTTS_HANDLE handle) { return static_cast<qvInstance*>(handle); }

inline bool qvStopRequested(const qvInstance* instance) {
  return __atomic_load_n(&instance->stop_request, __ATOMIC_ACQUIRE) != 0;
}

#endif
