#include "front_end_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/engine_variant.h"
#include "core/resident_tables.h"
#include "core/resource_library.h"
#include "english/english_front_end.h"
#include "frontend/chinese_front_end.h"

namespace kvo::analyze {

namespace {

// How far Open got; Close undoes it in reverse.
enum Stage { kNothing, kLibraryOpen, kTablesLoaded, kFrontEndReady };

}  // namespace

FrontEndRunner::~FrontEndRunner() { Close(); }

void FrontEndRunner::Close() {
  if (block_ == nullptr) return;
  qvInstance* in = instance();
  if (stage_ >= kFrontEndReady) qvFrontEnd_ReleaseChinese(in);
  if (stage_ >= kTablesLoaded) qvTables_Release(in);
  if (stage_ >= kLibraryOpen) {
    qvLibrary_Close(&in->chinese);
    qvLibrary_Close(&in->english);
  }
  std::free(block_);
  block_ = nullptr;
  stage_ = kNothing;
}

bool FrontEndRunner::Open(const std::string& library, const RunnerOptions& options, std::string* error) {
  Close();
  if (FILE* probe = std::fopen(library.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    *error = "cannot open " + library + ": " + std::strerror(errno);
    return false;
  }
  // The n6 engine's number readings on the standard core; the special
  // numbers are stored directly, the standard rules refuse their id.
  static qvEngineVariant n6_numbers = [] {
    qvEngineVariant v = kqvStandardVariant;
    v.n6_number_readings = true;
    return v;
  }();
  const qvEngineVariant* variant = options.n6_numbers ? &n6_numbers : &kqvStandardVariant;
  int32_t size = 0;
  const char* english = options.english_library.empty() ? nullptr : options.english_library.c_str();
  if (english != nullptr && !qvFileOpens(english)) {
    *error = "cannot open " + options.english_library + ": " + std::strerror(errno);
    return false;
  }
  if (qvEngine_GetExtBufSize(variant, library.c_str(), english, nullptr, &size) != QVTTS_ERR_OK || size <= 0) {
    *error = "not a Chinese library: " + library;
    return false;
  }
  const size_t bytes = (static_cast<size_t>(size) + 63) / 64 * 64;
  block_ = std::aligned_alloc(64, bytes);
  if (block_ == nullptr) {
    *error = "out of memory";
    return false;
  }
  // The same steps as the engine's init, up to the Chinese front end: the
  // back end (voice model) is not needed to analyse text.
  qvInstance* in = instance();
  std::memset(in, 0, sizeof(*in));
  in->variant = variant;
  uint8_t* arena_base = static_cast<uint8_t*>(block_) + qvEngine_InstanceBytes(variant);
  qvArena_Reset(in, arena_base, size - qvEngine_InstanceBytes(variant));
  qvReadCache_Init(&in->cache, in->cache_bytes);
  if (!qvLibrary_OpenContainer(&in->chinese, library.c_str(), variant->chinese_library, &in->cache)) {
    *error = "the engine refuses the library " + library;
    Close();
    return false;
  }
  stage_ = kLibraryOpen;
  if (english != nullptr && !qvLibrary_OpenContainer(&in->english, english, variant->english_library, &in->cache)) {
    *error = "the engine refuses the English library " + options.english_library;
    Close();
    return false;
  }
  english_open_ = english != nullptr;
  uint8_t header[kvo_library::kHeaderBytes];
  if (!qvLibrary_ReadHeader(&in->chinese, header)) {
    *error = "cannot read the header of " + library;
    Close();
    return false;
  }
  std::memcpy(in->params.voice_bytes, header + kvo_library::kVoiceBytesOffset, kvo_library::kVoiceByteCount);
  in->params.sample_rate = kvo_library::LoadLe32(header + kvo_library::kSampleRateOffset);
  if (qvTables_Load(in) != QVTTS_ERR_OK) {
    *error = "the syllable or phone tables of " + library + " are inconsistent";
    Close();
    return false;
  }
  stage_ = kTablesLoaded;
  if (qvFrontEnd_InitChinese(in) != QVTTS_ERR_OK) {
    *error = "the Chinese front end cannot start on " + library;
    Close();
    return false;
  }
  stage_ = kFrontEndReady;
  qvParams_ApplyDefaults(in);
  if (qvParams_Set(in, QVTTS_PARAM_CODEPAGE, 65001) != QVTTS_ERR_OK) {
    *error = "the library has no Unicode conversion table: " + library;
    Close();
    return false;
  }
  qvParams_Set(in, QVTTS_PARAM_NAME_POLYPHONE, options.surname_readings ? 1 : 0);
  qvParams_Set(in, QVTTS_PARAM_DIGIT_MODE, options.digit_mode);
  qvParams_Set(in, QVTTS_PARAM_PUNC_MODE, options.punc_mode);
  qvParams_Set(in, QVTTS_PARAM_ENG_MODE, options.eng_mode);
  in->params.special_numbers = options.special_numbers;
  const frontend::ChineseFrontEnd* fe = frontend::ChineseFrontEndOf(in);
  if (fe == nullptr || !fe->resources.hasLexicon) {
    *error = "the library has no readable main lexicon: " + library;
    Close();
    return false;
  }
  frontend::SetAnalysisObserver(in, &FrontEndRunner::Observe, this);
  if (fe->english != nullptr) {
    if (english_open_ && !fe->english->ready) {
      *error =
          "the English library has neither a readable lexicon nor letter-to-sound rules: " + options.english_library;
      Close();
      return false;
    }
    fe->english->observer = &FrontEndRunner::ObserveEnglish;
    fe->english->observer_user = this;
  }
  items_.assign(kBatchItemCount, qvAnalysisItem{});
  names_.assign(static_cast<size_t>(kBatchItemCount) * kItemNameBytes, 0);
  for (int32_t i = 0; i < kBatchItemCount; ++i) items_[i].name = names_.data() + i * kItemNameBytes;
  return true;
}

void FrontEndRunner::Observe(void* user, const frontend::WordList& words, const qvAnalysisItem* items, int32_t count) {
  auto* self = static_cast<FrontEndRunner*>(user);
  if (self->sink_ == nullptr) return;
  AnalysedSentence sentence;
  const frontend::ChineseFrontEnd* fe = frontend::ChineseFrontEndOf(self->instance());
  const frontend::Sentence& s = fe->intake.sentence;
  sentence.codes.assign(s.codes, s.codes + s.length);
  sentence.words.assign(words.words, words.words + words.count);
  sentence.items.assign(items, items + count);
  for (int32_t i = 0; i < count; ++i) sentence.names.emplace_back(items[i].name != nullptr ? items[i].name : "");
  self->FlushEnglish();
  (*self->sink_)(sentence);
}

void FrontEndRunner::ObserveEnglish(void* user, const english::EnglishWordList&, const qvAnalysisItem* items, int count,
                                    bool last_chunk) {
  auto* self = static_cast<FrontEndRunner*>(user);
  if (self->sink_ == nullptr) return;
  AnalysedSentence& sentence = self->english_sentence_;
  if (!sentence.english) {
    const frontend::Sentence& s = frontend::ChineseFrontEndOf(self->instance())->intake.sentence;
    sentence.codes.assign(s.codes, s.codes + s.length);
    sentence.english = true;
  }
  for (int i = 0; i < count; ++i) {
    sentence.items.push_back(items[i]);
    sentence.names.emplace_back(items[i].name != nullptr ? items[i].name : "");
  }
  if (last_chunk) self->FlushEnglish();
}

// Hands on the English sentence collected so far, if any.
void FrontEndRunner::FlushEnglish() {
  if (!english_sentence_.english) return;
  AnalysedSentence done;
  std::swap(done, english_sentence_);
  if (sink_ != nullptr) (*sink_)(done);
}

// One chunk (or the final flush when chunk is null) until the front end has
// no further sentence in it, as the synthesis loop's chunk pipeline does.
int FrontEndRunner::RunChunk(const uint8_t* chunk, int32_t length) {
  qvInstance* in = instance();
  bool first = true;
  for (;;) {
    qvFrontEndState* fe = &in->front_end;
    fe->previous_chunk_length = in->previous_chunk_length;
    fe->bytes_read = in->bytes_read;
    fe->chunk_length = in->chunk_length;
    int32_t count = 0;
    const int32_t status = qvFrontEnd_Process(fe, &in->language_status, first ? chunk : nullptr, first ? length : 0,
                                              items_.data(), kBatchItemCount, in, &count);
    first = false;
    if (in->arena_exhausted) return QVTTS_ERR_INVALID_ARG;
    if (status == kFeChunkDone || status == kFeEmptyChunk) return QVTTS_ERR_OK;
    // A failed sentence is dropped, as in synthesis; the chunk goes on.
    if (status != kFeOk && status != kFeCallAgain && in->language_status != kLanguageStatusEnglishPending)
      return QVTTS_ERR_OK;
  }
}

int FrontEndRunner::Run(const std::string& text, const std::function<void(const AnalysedSentence&)>& sink) {
  if (block_ == nullptr) return QVTTS_ERR_NOT_INIT;
  qvInstance* in = instance();
  sink_ = &sink;
  in->arena_exhausted = 0;
  in->bytes_read = 0;
  in->chunk_length = 0;
  in->previous_chunk_length = 0;
  in->language_status = kLanguageStatusNone;
  qvFrontEnd_Reset(&in->front_end);
  in->front_end.start_of_text = 1;
  // The engine reads up to the first NUL.
  const size_t end = text.find('\0') == std::string::npos ? text.size() : text.find('\0');
  int result = QVTTS_ERR_OK;
  for (size_t served = 0; result == QVTTS_ERR_OK;) {
    in->previous_chunk_length = in->chunk_length;
    const size_t n = end - served < QVTTS_INPUT_CHUNK_BYTES ? end - served : QVTTS_INPUT_CHUNK_BYTES;
    if (n == 0) {
      if (in->bytes_read == 0) break;  // nothing to analyse
      in->previous_chunk_length = in->front_end.previous_chunk_length;
      in->front_end.end_of_input = 1;
      result = RunChunk(nullptr, 0);
      break;
    }
    std::memcpy(in->input_buffer, text.data() + served, n);
    served += n;
    in->bytes_read += static_cast<int32_t>(n);
    in->chunk_length = static_cast<int32_t>(n);
    in->front_end.end_of_input = 0;
    result = RunChunk(in->input_buffer, static_cast<int32_t>(n));
  }
  FlushEnglish();
  sink_ = nullptr;
  return result;
}

int32_t FrontEndRunner::SyllableCodeCount() const { return block_ == nullptr ? 0 : instance()->tables.unit_base; }

std::string FrontEndRunner::SyllableName(uint16_t unit) const {
  if (block_ == nullptr) return "";
  const qvSyllableTables& t = instance()->tables;
  if (t.tones <= 0 || unit >= t.unit_base) return "";
  const int32_t syllable = unit / t.tones;
  if (syllable >= t.syllables.count) return "";
  return std::string(t.syllables.names[syllable]) + std::to_string(unit % t.tones + 1);
}

}  // namespace kvo::analyze
