// The engine's front-end seam: per batch, the next sentence from the text
// intake, its Chinese analysis in the fixed step order, and its items.
#include <cstring>
#include <new>

#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/engine_variant.h"
#include "core/library_format.h"
#include "core/resource_library.h"
#include "english/english_front_end.h"
#include "frontend/chinese_front_end.h"
#include "frontend/english_hand_over.h"

namespace kvo::frontend {

namespace {

constexpr int32_t kStatusWordBuilding = 0x10010;
constexpr int32_t kStatusPersonNames = 0x1001A;
constexpr int32_t kStatusPolyphones = 0x10012;
constexpr int32_t kStatusNormalisation = 0x10013;
constexpr int32_t kStatusBoundaries = 0x10014;
constexpr int32_t kStatusItemBuilding = 0x1001B;
constexpr int32_t kStatusToneSandhi = 0x10015;

constexpr int32_t kRecordBytes = static_cast<int32_t>(sizeof(ChineseFrontEnd));
constexpr int32_t kEnglishRecordBytes = static_cast<int32_t>(sizeof(english::EnglishFrontEnd));

size_t FindWordCut(void* user, const uint16_t* codes, size_t available, size_t limit) {
  ChineseFrontEnd* fe = static_cast<ChineseFrontEnd*>(user);
  // The scratch is free: the previous sentence's analysis is finished.
  return LastWordBoundary(fe->resources, codes, available, limit, &fe->scratch);
}

TextIntakeConfig IntakeConfig(ChineseFrontEnd* fe, const qvInstance* instance) {
  TextIntakeConfig config;
  config.codePage = instance->params.codepage;
  config.tables.gbk = qvLibrary_SectionReader(&fe->conversion[0]);
  config.tables.big5 = qvLibrary_SectionReader(&fe->conversion[1]);
  config.tables.unicode = qvLibrary_SectionReader(&fe->conversion[2]);
  config.tables.syllableCodeCount = fe->resources.syllableCodeCount;
  config.tables.memo = &fe->conversionMemo;
  // Without a usable English library every sentence stays on the Chinese
  // side, which reads letters as letter units.
  config.englishAvailable = fe->english != nullptr && fe->english->ready;
  config.englishMode = instance->params.eng_mode;
  config.wordCut = FindWordCut;
  config.wordCutUser = fe;
  return config;
}

// Copies the sentence into the loop's record for progress: offsets relative
// to the start of the chunk the loop counts from.
void PublishSentence(qvFrontEndState* state, const Sentence& sentence) {
  const int64_t base = static_cast<int64_t>(state->bytes_read) - state->chunk_length;
  const int32_t n = static_cast<int32_t>(sentence.length);
  state->sentence_length = n;
  for (int32_t i = 0; i < n; ++i) {
    state->sentence[i] = sentence.codes[i];
    state->sentence_offset[i] = static_cast<int32_t>(sentence.offsets[i] - base);
  }
  state->sentence_offset[n] = static_cast<int32_t>(sentence.offsets[n] - base);
}

void ReportWords(const qvInstance* instance, const Sentence& sentence, const WordList& words, int32_t start) {
  const qvTTS_WordSegmentProc proc = instance->params.word_segment_proc;
  if (proc == nullptr) return;
  for (int w = 0; w < words.count; ++w) {
    const WordRecord& word = words.words[w];
    const int32_t first = word.text_position - start;
    const int32_t end = first + word.length;
    if (first < 0 || end > static_cast<int32_t>(sentence.length)) continue;
    const int64_t begin = sentence.offsets[first];
    proc(instance->params.user_data, static_cast<int32_t>(begin), static_cast<int32_t>(sentence.offsets[end] - begin),
         word.pos);
  }
}

// The analysis steps of one Chinese sentence, in their fixed order.
int32_t AnalyseSentence(ChineseFrontEnd* fe, qvInstance* instance, qvAnalysisItem* items, int32_t capacity,
                        int32_t* item_count) {
  const Sentence& sentence = fe->intake.sentence;
  const AnalysisResources& res = fe->resources;
  WordList* words = &fe->words;
  const bool kind_one = instance->tables.tones == 6;
  const int32_t start = 0;  // character numbers count from the sentence start
  if (!BuildWords(res, sentence.codes, static_cast<int>(sentence.length), start, &fe->scratch, words))
    return kStatusWordBuilding;
  ReportWords(instance, sentence, *words, start);
  if (!RecognisePersonNames(res, words)) return kStatusPersonNames;
  if (!kind_one && !ApplyPolyphoneRules(res, words)) return kStatusPolyphones;
  if (instance->params.name_polyphone == 1) ApplySurnameReadings(words);
  NormalisationSettings normalisation;
  normalisation.digitMode = instance->params.digit_mode;
  normalisation.puncMode = instance->params.punc_mode;
  normalisation.engMode = instance->params.eng_mode;
  normalisation.voiceKindOne = kind_one;
  normalisation.n6Numbers = instance->variant != nullptr && instance->variant->n6_number_readings;
  normalisation.specialNumbers = instance->params.special_numbers;
  if (!NormaliseWords(res, normalisation, &fe->normalisation, words)) return kStatusNormalisation;
  if (!PredictBoundaries(res, words)) return kStatusBoundaries;
  ItemSettings settings;
  settings.pitch = instance->params.pitch;
  settings.speed = instance->params.speed;
  settings.volume = instance->params.volume;
  int32_t count = BuildItems(res, words, settings, items, capacity);
  if (count < 0) return kStatusItemBuilding;
  if (!kind_one && !ApplyToneSandhi(res, items, count)) return kStatusToneSandhi;
  if (instance->params.eng_mode != 1)
    ConvertEnglishRuns(fe->english, *words, english::ParametersOf(instance), items, capacity, &count);
  *item_count = count;
  if (fe->observer != nullptr) fe->observer(fe->observerUser, *words, items, count);
  return kFeOk;
}

// Reads both boundary models into one arena block. False when a model is
// corrupt or the arena cannot hold them.
bool LoadBoundaryModels(ChineseFrontEnd* fe, qvInstance* instance) {
  LibrarySection word_section{&instance->chinese, kvo_library::kCnWordBoundaryModel};
  LibrarySection phrase_section{&instance->chinese, kvo_library::kCnPhraseBoundaryModel};
  const SectionReader word_view = qvLibrary_SectionReader(&word_section);
  const SectionReader phrase_view = qvLibrary_SectionReader(&phrase_section);
  uint32_t word_bytes = 0, phrase_bytes = 0;
  if (BoundaryModelBytes(word_view, &word_bytes) != BoundaryModelStatus::kOk ||
      BoundaryModelBytes(phrase_view, &phrase_bytes) != BoundaryModelStatus::kOk)
    return false;
  const uint64_t total = static_cast<uint64_t>(word_bytes) + phrase_bytes;
  if (total == 0) return true;
  if (total > INT32_MAX) return false;
  uint8_t* block = static_cast<uint8_t*>(qvArena_TakeAligned(instance, static_cast<int32_t>(total)));
  if (block == nullptr) return false;
  fe->boundaryModels = block;
  fe->boundaryModelBytes = static_cast<int32_t>(total);
  AnalysisResources& res = fe->resources;
  return LoadBoundaryModel(word_view, block, word_bytes, &res.prosodicWordModel) == BoundaryModelStatus::kOk &&
         LoadBoundaryModel(phrase_view, block + word_bytes, phrase_bytes, &res.phraseModel) == BoundaryModelStatus::kOk;
}

// Reads the person-name lists into an arena block. False when the model is
// corrupt or the arena cannot hold it; an absent model leaves the step idle.
bool LoadPersonNames(ChineseFrontEnd* fe, qvInstance* instance) {
  LibrarySection section{&instance->chinese, kvo_library::kCnPersonNameModel};
  const SectionReader view = qvLibrary_SectionReader(&section);
  uint32_t bytes = 0;
  if (NameModelBytes(view, &bytes) != NameModelStatus::kOk || bytes > INT32_MAX) return false;
  if (bytes == 0) return true;
  uint16_t* block = static_cast<uint16_t*>(qvArena_TakeAligned(instance, static_cast<int32_t>(bytes)));
  if (block == nullptr) return false;
  fe->nameModel = block;
  fe->nameModelBytes = static_cast<int32_t>(bytes);
  return kvo::frontend::LoadNameModel(view, block, bytes, &fe->resources.names) == NameModelStatus::kOk;
}

}  // namespace

ChineseFrontEnd* ChineseFrontEndOf(qvInstance* instance) {
  return instance == nullptr ? nullptr : static_cast<ChineseFrontEnd*>(instance->front_end.stage);
}

void SetAnalysisObserver(qvInstance* instance, AnalysisObserver observer, void* user) {
  ChineseFrontEnd* fe = ChineseFrontEndOf(instance);
  if (fe == nullptr) return;
  fe->observer = observer;
  fe->observerUser = user;
}

}  // namespace kvo::frontend

using kvo::frontend::ChineseFrontEnd;

int qvFrontEnd_InitChinese(qvInstance* instance) {
  instance->front_end.stage = nullptr;
  void* block = qvArena_TakeAligned(instance, kvo::frontend::kRecordBytes);
  if (block == nullptr) return QVTTS_ERR_RESOURCE;
  ChineseFrontEnd* fe = new (block) ChineseFrontEnd();
  instance->front_end.stage = fe;
  qvLibrary* chinese = &instance->chinese;
  fe->conversion[0] = {chinese, kvo_library::kCnGbkTable};
  fe->conversion[1] = {chinese, kvo_library::kCnBig5Table};
  fe->conversion[2] = {chinese, kvo_library::kCnUnicodeTable};
  fe->lexiconSection = {chinese, kvo_library::kCnMainLexicon};
  fe->polyphoneSection = {chinese, kvo_library::kCnPolyphoneModel};
  kvo::frontend::AnalysisResources& res = fe->resources;
  const int32_t g = instance->tables.unit_base;
  res.syllableCodeCount = static_cast<uint16_t>(g > 0 && g < 0x7F00 ? g : 0);
  res.tones = instance->tables.tones;
  res.syllableNames = instance->tables.syllables.names;
  res.syllableNameCount = instance->tables.syllables.count;
  if (qvLibrary_IsOpen(chinese)) {
    // A missing or unreadable model leaves its step without effect: words
    // stay unknown, polyphones keep their lexicon readings.
    res.hasLexicon = res.lexicon.Open(qvLibrary_SectionReader(&fe->lexiconSection));
    res.hasPolyphone = res.polyphone.Open(qvLibrary_SectionReader(&fe->polyphoneSection));
    // The boundary and name models are read whole now; a broken one fails the init.
    if (!kvo::frontend::LoadBoundaryModels(fe, instance) || !kvo::frontend::LoadPersonNames(fe, instance)) {
      qvFrontEnd_ReleaseChinese(instance);
      return QVTTS_ERR_RESOURCE;
    }
  }
  // The English front end: a broken English library leaves it unready
  // (English text is then read by the Chinese side), never fails the init.
  void* english_block = qvArena_TakeAligned(instance, kvo::frontend::kEnglishRecordBytes);
  if (english_block == nullptr) {
    qvFrontEnd_ReleaseChinese(instance);
    return QVTTS_ERR_RESOURCE;
  }
  fe->english = new (english_block) kvo::english::EnglishFrontEnd();
  if (!kvo::english::EnglishInit(fe->english, instance)) {
    qvFrontEnd_ReleaseChinese(instance);
    return QVTTS_ERR_RESOURCE;
  }
  // The domain library's phrases are words for word building; the block of
  // one first character at a time is read into a fixed buffer.
  if (qvLibrary_IsOpen(&instance->domain)) {
    fe->domainBlock = static_cast<uint8_t*>(qvArena_TakeAligned(instance, static_cast<int32_t>(kDomainBlockBytes)));
    if (fe->domainBlock == nullptr) {
      qvFrontEnd_ReleaseChinese(instance);
      return QVTTS_ERR_RESOURCE;
    }
    fe->domainSection = {&instance->domain, kvo_library::kDmPhraseDictionary};
    fe->domain.Open(qvLibrary_SectionReader(&fe->domainSection), fe->domainBlock);
  }
  return QVTTS_ERR_OK;
}

void qvFrontEnd_ReleaseChinese(qvInstance* instance) {
  void* block = instance->front_end.stage;
  if (block == nullptr) return;
  ChineseFrontEnd* fe = static_cast<ChineseFrontEnd*>(block);
  // Blocks go back in the reverse order of their taking.
  if (fe->domainBlock != nullptr) {
    fe->domain.Close();
    qvArena_GiveAligned(instance, fe->domainBlock, static_cast<int32_t>(kDomainBlockBytes));
    fe->domainBlock = nullptr;
  }
  if (fe->english != nullptr) {
    kvo::english::EnglishRelease(fe->english, instance);
    fe->english->~EnglishFrontEnd();
    qvArena_GiveAligned(instance, fe->english, kvo::frontend::kEnglishRecordBytes);
    fe->english = nullptr;
  }
  if (fe->nameModel != nullptr) qvArena_GiveAligned(instance, fe->nameModel, fe->nameModelBytes);
  if (fe->boundaryModels != nullptr) qvArena_GiveAligned(instance, fe->boundaryModels, fe->boundaryModelBytes);
  fe->~ChineseFrontEnd();
  qvArena_GiveAligned(instance, block, kvo::frontend::kRecordBytes);
  instance->front_end.stage = nullptr;
}

void qvFrontEnd_Reset(qvFrontEndState* state) {
  void* stage = state->stage;
  std::memset(state, 0, sizeof(*state));
  state->stage = stage;
}

int32_t qvFrontEnd_Process(qvFrontEndState* state, int32_t* language_status, const uint8_t* chunk, int32_t chunk_length,
                           qvAnalysisItem* items, int32_t capacity, qvInstance* instance, int32_t* item_count) {
  using namespace kvo::frontend;
  *item_count = 0;
  const int32_t incoming_status = *language_status;
  *language_status = kLanguageStatusNone;
  state->sentence_length = 0;
  ChineseFrontEnd* fe = static_cast<ChineseFrontEnd*>(state->stage);
  if (fe == nullptr || items == nullptr || capacity <= 0) return kFeReadFailed;
  // Speech generation sets aside a domain library it cannot play (a voice
  // that is not 8 kHz 16-bit, a speech part that fails its checks): its
  // phrases are then no words either.
  fe->resources.domain = fe->domain.open() && qvLibrary_IsOpen(&instance->domain) ? &fe->domain : nullptr;
  if (state->start_of_text) {
    IntakeReset(&fe->intake, IntakeConfig(fe, instance));
    state->start_of_text = 0;
  }
  if (chunk != nullptr || chunk_length != 0) {
    if (IntakeNewChunk(&fe->intake, chunk, chunk_length) != kFeOk) return kFeEmptyChunk;
  }
  if (state->end_of_input) IntakeEndOfInput(&fe->intake);
  if (incoming_status == kLanguageStatusEnglishPending && fe->english != nullptr) {
    // The next chunk of the English sentence in progress, if any is left.
    int32_t english_status = kLanguageStatusEnglishPending;
    const Sentence& s = fe->intake.sentence;
    kvo::english::EnglishSentenceStep(fe->english, s.codes, static_cast<int>(s.length), items, capacity,
                                      kvo::english::ParametersOf(instance), item_count, &english_status);
    if (english_status == kLanguageStatusEnglishPending) {
      *language_status = english_status;
      return kFeOk;
    }
  }
  int language = kLanguageStatusChinese;
  const int status = IntakeNextSentence(&fe->intake, &language);
  if (status == kFeChunkDone) return kFeChunkDone;
  if (status != kFeOk) return status;
  PublishSentence(state, fe->intake.sentence);
  if (language == kLanguageStatusEnglishWaiting && fe->english != nullptr && fe->english->ready &&
      instance->params.eng_mode != 1) {
    int32_t english_status = kLanguageStatusEnglishWaiting;
    const Sentence& s = fe->intake.sentence;
    kvo::english::EnglishSentenceStep(fe->english, s.codes, static_cast<int>(s.length), items, capacity,
                                      kvo::english::ParametersOf(instance), item_count, &english_status);
    *language_status = english_status == kLanguageStatusEnglishPending ? english_status : kLanguageStatusNone;
    return kFeOk;
  }
  return AnalyseSentence(fe, instance, items, capacity, item_count);
}
