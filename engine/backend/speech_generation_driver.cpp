// The engine's speech generation stage: loads the voice at init, plans each
// batch group by group (acoustic parameter generation) and turns every
// group into blocks of output audio with the sound effect and background
// applied, reporting the syllables as their sound is delivered.
#include <cstddef>
#include <cstring>
#include <new>

#include "backend/acoustic/param_generator.h"
#include "backend/audio/audio_format.h"
#include "backend/audio/background_mix.h"
#include "backend/audio/sound_effect.h"
#include "backend/domain/phrase_library.h"
#include "backend/vocoder/vocoder.h"
#include "backend/waveform/syllable_report.h"
#include "backend/waveform/waveform_assembly.h"
#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/library_format.h"
#include "core/resource_library.h"
#include "core/saturate.h"

namespace {

using namespace kvo::backend;

// The largest batch work area (SpeechItems, labels and a group's frames).
constexpr int32_t kMaxWorkAreaBytes = 512 * 1024;
// What the loop still needs behind the work area: the waveform state.
constexpr int32_t kWorkAreaReserve = 1024;

constexpr int32_t kWindowsOffset = kvo_library::kWindowsOffset - kvo_library::kVoiceBytesOffset;
constexpr int32_t kVoiceInfoWidthOffset = kvo_library::kVoiceInfoRecordBytes + 14;

struct BackEndStage {
  VoiceSymbols symbols;
  VoiceModel chinese;
  VoiceModel english;
  AcousticVoice voice;
  ModelHistory history;
  int32_t libraryWidth;
  // The batch being planned: its items, SpeechItems and work area.
  kvo::AnalysisItem* items;
  int32_t itemCount;
  SpeechItem* speech;
  ScratchArena work;
  ChunkState chunk;
  GroupResult group;
  bool batchDone;
  int32_t reported;   // last item of the group reported, -1 none
  int32_t workBytes;  // size of the label area the loop takes for a batch
  VocoderTail* tail;
  SpectrumRecordCache* recordCache;  // in the arena after the stage, or null
  int32_t recordCacheBytes;
  SoundEffectState effect;
  int32_t effectTailSamples;  // still to ring out after the end of the text
  // Recorded phrases of the domain library and the batch's matches.
  PhraseIndex phraseIndex;
  PhraseMark phraseMarks[kBatchItemCount];
};

BackEndStage* Stage(const qvInstance* instance) { return static_cast<BackEndStage*>(instance->back_end.stage); }

bool ReadChineseModel(void* user, uint32_t offset, void* dst, uint32_t bytes) {
  qvInstance* in = static_cast<qvInstance*>(user);
  return qvLibrary_Read(&in->chinese, kvo_library::kCnVoiceModel, static_cast<int32_t>(offset), dst,
                        static_cast<int32_t>(bytes));
}

bool ReadEnglishModel(void* user, uint32_t offset, void* dst, uint32_t bytes) {
  qvInstance* in = static_cast<qvInstance*>(user);
  return qvLibrary_Read(&in->english, kvo_library::kEnVoiceModel, static_cast<int32_t>(offset), dst,
                        static_cast<int32_t>(bytes));
}

bool ReadPhraseSpeech(void* user, uint32_t offset, void* dst, uint32_t bytes) {
  qvInstance* in = static_cast<qvInstance*>(user);
  return qvLibrary_Read(&in->domain, kvo_library::kDmPhraseSpeech, static_cast<int32_t>(offset), dst,
                        static_cast<int32_t>(bytes));
}

SectionReader PhrasePart(const qvInstance* in) {
  SectionReader r;
  const int32_t size = qvLibrary_SectionSize(&in->domain, kvo_library::kDmPhraseSpeech);
  if (!qvLibrary_IsOpen(&in->domain) || size <= 0) return r;
  r.size = static_cast<uint32_t>(size);
  r.read = ReadPhraseSpeech;
  r.user = const_cast<qvInstance*>(in);
  return r;
}

ModelSource SourceOf(qvInstance* in, qvLibrary* library, int32_t section,
                     bool (*read)(void*, uint32_t, void*, uint32_t)) {
  ModelSource s;
  const int32_t size = qvLibrary_SectionSize(library, section);
  if (size <= 0) return s;
  s.payload.size = static_cast<uint32_t>(size);
  s.payload.read = read;
  s.payload.user = in;
  s.filePosition = static_cast<uint32_t>(library->section[section].offset);
  return s;
}

// Loads the models into `arena`; false when the Chinese model is absent or
// broken. A broken English model leaves English without a voice.
bool LoadModels(qvInstance* in, BackEndStage* st, int windows, ScratchArena& arena) {
  const ModelSource cn = SourceOf(in, &in->chinese, kvo_library::kCnVoiceModel, ReadChineseModel);
  if (cn.payload.size == 0 || LoadVoiceModel(cn, windows, st->voice.order, arena, &st->chinese) != AcousticStatus::kOk)
    return false;
  st->voice.chinese = &st->chinese;
  st->voice.english = nullptr;
  if (qvLibrary_IsOpen(&in->english)) {
    const ModelSource en = SourceOf(in, &in->english, kvo_library::kEnVoiceModel, ReadEnglishModel);
    if (en.payload.size > 0 && LoadVoiceModel(en, windows, st->voice.order, arena, &st->english) == AcousticStatus::kOk)
      st->voice.english = &st->english;
  }
  return true;
}

int32_t BackgroundRead(void* user, int32_t offset, uint8_t* dst, int32_t n) {
  qvInstance* in = static_cast<qvInstance*>(user);
  FILE* file = in->background.file;
  if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(file);
  if (size <= 0 || offset >= size) return 0;
  if (n > size - offset) n = static_cast<int32_t>(size - offset);
  // Through the instance's read cache, as one section over the whole file.
  qvLibrary view;
  std::memset(&view, 0, sizeof(view));
  view.file = file;
  view.file_size = static_cast<int32_t>(size);
  view.section_count = 1;
  view.section[1].offset = 0;
  view.section[1].size = view.file_size;
  view.cache = &in->cache;
  return qvLibrary_Read(&view, 1, offset, dst, n) ? n : 0;
}

// Gain factor of the n6 engine in halves: 2 (and an unset 0) leave the
// level alone, 8 makes it four times as loud.
constexpr int32_t kUnityGainFactor = 2;

bool GainFactorActive(const qvInstance* in) { return in->params.gain_factor > kUnityGainFactor; }

bool EffectActive(const qvInstance* in) { return in->effect.kind != kEffectNone; }

void ApplyGainFactor(int16_t* samples, int32_t count, int32_t factor) {
  for (int32_t i = 0; i < count; ++i)
    samples[i] = SaturateToInt16(static_cast<int32_t>(samples[i]) * factor / kUnityGainFactor);
}

// Every rendered piece of 16-bit samples at the voice rate, before the
// format conversion, so that gain, effect and background sound the same
// in every output format.
void FinishPiece(void* user, int16_t* samples, int32_t count) {
  qvInstance* in = static_cast<qvInstance*>(user);
  BackEndStage* st = Stage(in);
  if (count <= 0 || st == nullptr) return;
  if (GainFactorActive(in)) ApplyGainFactor(samples, count, in->params.gain_factor);
  // The parameters clear the engine's effect record (history position 0);
  // the history itself is kept here, where it has room for long echoes.
  if (in->effect.history_position == 0) {
    ClearEffectHistory(&st->effect);
    in->effect.history_position = 1;
  }
  st->effect.kind = static_cast<int16_t>(in->effect.kind);
  st->effect.level = static_cast<int16_t>(in->effect.level);
  ApplyEffect(&st->effect, samples, count, in->params.sample_rate);

  qvBackgroundSound& bg = in->background;
  if (bg.file != nullptr) {
    BackgroundSound mix;
    mix.read = BackgroundRead;
    mix.user = in;
    mix.playOnce = bg.play_once == 1 ? 1 : 0;
    mix.level = bg.volume;
    mix.endPosition = bg.length;
    mix.readPosition = bg.position;
    MixBackground(&mix, samples, count * 2);
    bg.position = mix.readPosition;
  }
}

// What the arena holds beyond the batches' share and the read cache serves
// as the spectrum record cache, up to one slot for every record of the models.
void TakeRecordCache(qvInstance* in, BackEndStage* st) {
  uint32_t record_bytes = 0, records = 0;
  VoiceModel* const models[] = {&st->chinese, st->voice.english != nullptr ? &st->english : nullptr};
  for (VoiceModel* m : models) {
    if (m == nullptr) continue;
    if (m->spectrumRecordBytes > record_bytes) record_bytes = m->spectrumRecordBytes;
    m->recordCacheBase = records;
    for (int s = 0; s < model_layout::kStateCount; ++s)
      records += static_cast<uint32_t>(m->streams[model_layout::kStreamSpectrum].leafCounts[s]);
  }
  // The read cache's arena blocks come after this, and the batches' share.
  const int64_t room = static_cast<int64_t>(in->arena_free) - kBatchArenaKept - kReadCacheArenaBytes - 128;
  if (record_bytes == 0 || records == 0 || room <= 0) return;
  int64_t slots = room / (record_bytes + sizeof(int32_t));
  if (slots > records) slots = records;
  if (slots < 64) return;
  const int32_t bytes = static_cast<int32_t>(SpectrumRecordCache::BytesFor(static_cast<int32_t>(slots), record_bytes));
  void* block = qvArena_TakeAligned(in, bytes);
  if (block == nullptr) return;
  st->recordCache = SpectrumRecordCache::Place(block, static_cast<int32_t>(slots), record_bytes);
  st->recordCacheBytes = bytes;
  for (VoiceModel* m : models) {
    if (m != nullptr) m->recordCache = st->recordCache;
  }
}

WaveformSetup SetupFor(const qvInstance* in, const BackEndStage* st) {
  WaveformSetup setup;
  setup.libraryRate = in->params.sample_rate;
  setup.libraryWidth = st->libraryWidth;
  setup.formatCode = in->params.audio_format;
  setup.unitBase = static_cast<uint32_t>(in->tables.unit_base);
  setup.doubleSpeed = in->params.speed_mode == 3;
  setup.languageLoaded = true;
  setup.englishLoaded = qvLibrary_IsOpen(&in->english);
  setup.speedup = in->params.speedup;
  // Symbol filter off: pause items sound as silence after speech too.
  setup.pauseAfterSpeech = in->params.symbol_filter == 1;
  if (st->phraseIndex.count > 0) {
    setup.phrases = st->phraseMarks + st->group.first;
    setup.phrasePart = PhrasePart(in);
  }
  if (GainFactorActive(in) || EffectActive(in) || in->background.file != nullptr) {
    setup.finishPiece = FinishPiece;
    setup.finishUser = const_cast<qvInstance*>(in);
  }
  return setup;
}

void ReportItem(void* user, const SpeechItem& item) {
  qvInstance* in = static_cast<qvInstance*>(user);
  // A stop asked for inside an earlier report of the same frame silences the rest.
  if (qvStopRequested(in)) return;
  const qvSyllableTables& t = in->tables;
  const BackEndStage* st = Stage(in);
  char spelling[kSpellingBytes];
  int32_t length = st == nullptr ? 0
                                 : SyllableSpelling(item, st->symbols.syllables, t.tones,
                                                    static_cast<uint32_t>(t.unit_base), spelling);
  // Items of a recorded phrase carry phrase codes: no spelling.
  const ptrdiff_t index = st != nullptr && st->speech != nullptr ? &item - st->speech : -1;
  if (index >= 0 && index < st->itemCount && st->phraseIndex.count > 0 && st->phraseMarks[index].record != -1)
    length = 0;
  in->params.syllable_proc(in->params.user_data, 0, reinterpret_cast<const char*>(item.character), 2,
                           length > 0 ? spelling : "", length);
}

}  // namespace

int32_t qvBackEnd_LabelAreaBytes(const qvInstance* instance) {
  const int32_t wave = qvBackEnd_WaveformStateBytes(instance);
  int32_t bytes = instance->arena_free - wave - kWorkAreaReserve;
  if (bytes > kMaxWorkAreaBytes) bytes = kMaxWorkAreaBytes;
  const int32_t least = kBatchItemCount * static_cast<int32_t>(sizeof(SpeechItem));
  if (bytes < least) bytes = least;
  // PlanBatch works inside exactly the block the loop takes with this size.
  if (BackEndStage* st = Stage(instance)) st->workBytes = bytes;
  return bytes;
}

int32_t qvBackEnd_WaveformStateBytes(const qvInstance*) { return static_cast<int32_t>(sizeof(WaveformState)); }

int qvBackEnd_Init(qvInstance* in) {
  std::memset(&in->back_end, 0, sizeof(in->back_end));
  if (!qvLibrary_IsOpen(&in->chinese)) return QVTTS_ERR_RESOURCE;
  const qvSyllableTables& t = in->tables;
  int32_t order = 0, pulse = 0;
  if (!VocoderRateConstants(in->params.sample_rate, &order, &pulse)) return QVTTS_ERR_RESOURCE;
  int32_t width = qvLibrary_ReadI16(&in->chinese, kvo_library::kCnVoiceInfo, kVoiceInfoWidthOffset);
  if (width != 8 && width != 16) width = 16;
  if (!IsSupportedLibraryFormat(in->params.sample_rate, width)) return QVTTS_ERR_RESOURCE;
  const int windows = in->params.voice_bytes[kWindowsOffset] != 0 ? 2 : 3;

  BackEndStage probe;
  std::memset(static_cast<void*>(&probe), 0, sizeof(probe));
  probe.voice.order = SpectralOrderForRate(in->params.sample_rate);
  // Measure the model tables in all the free space, then take exactly that.
  const int32_t header = static_cast<int32_t>((sizeof(BackEndStage) + 15) & ~static_cast<size_t>(15));
  const int32_t trial_bytes = in->arena_free - 64;
  if (trial_bytes <= header) return QVTTS_ERR_RESOURCE;
  uint8_t* trial = static_cast<uint8_t*>(qvArena_TakeAligned(in, trial_bytes));
  if (trial == nullptr) {
    in->arena_exhausted = 0;
    return QVTTS_ERR_RESOURCE;
  }
  ScratchArena measure(trial + header, static_cast<size_t>(trial_bytes - header));
  const bool loaded = LoadModels(in, &probe, windows, measure);
  qvArena_GiveAligned(in, trial, trial_bytes);
  if (!loaded) return QVTTS_ERR_RESOURCE;

  const int32_t bytes = header + static_cast<int32_t>(measure.used);
  uint8_t* block = static_cast<uint8_t*>(qvArena_TakeAligned(in, bytes));
  if (block == nullptr) return QVTTS_ERR_RESOURCE;
  BackEndStage* st = new (block) BackEndStage();
  st->voice.order = probe.voice.order;
  st->libraryWidth = width;
  ScratchArena tables(block + header, static_cast<size_t>(bytes - header));
  if (!VoiceSymbolsFromTables(t, &st->symbols) || !LoadModels(in, st, windows, tables)) {
    qvArena_GiveAligned(in, block, bytes);
    return QVTTS_ERR_RESOURCE;
  }
  st->voice.symbols = &st->symbols;
  // Recorded phrases are 8 kHz 16-bit speech and are played at the voice's
  // format unchanged: with any other voice the domain library is closed and
  // its phrases are synthesised like other text.
  if (qvLibrary_IsOpen(&in->domain)) {
    if (in->params.sample_rate != 8000 || width != 16 ||
        OpenPhraseIndex(PhrasePart(in), &st->phraseIndex) != PhraseIndexStatus::kOk)
      qvLibrary_Close(&in->domain);
  }
  in->back_end.stage = st;
  in->back_end.stage_bytes = bytes;
  TakeRecordCache(in, st);
  return QVTTS_ERR_OK;
}

void qvBackEnd_Release(qvInstance* in) {
  if (BackEndStage* st = Stage(in); st != nullptr && st->recordCache != nullptr) {
    qvArena_GiveAligned(in, st->recordCache, st->recordCacheBytes);
  }
  if (in->back_end.stage != nullptr) qvArena_GiveAligned(in, in->back_end.stage, in->back_end.stage_bytes);
  std::memset(&in->back_end, 0, sizeof(in->back_end));
}

int qvBackEnd_PlanBatch(qvInstance* in, const qvAnalysisItem* items, int32_t item_count, void* label_area,
                        void* scratch, bool first_pass) {
  BackEndStage* st = Stage(in);
  if (st == nullptr || label_area == nullptr || scratch == nullptr) return QVTTS_ERR_INVALID_ARG;
  if (first_pass) {
    const int32_t area = st->workBytes;
    const size_t speech_bytes = kBatchItemCount * sizeof(SpeechItem);
    st->speech = static_cast<SpeechItem*>(label_area);
    // The loop hands the area over uncleared; the work arena clears its own.
    std::memset(static_cast<void*>(st->speech), 0, speech_bytes);
    st->work = ScratchArena(static_cast<uint8_t*>(label_area) + speech_bytes, static_cast<size_t>(area) - speech_bytes);
    st->chunk = ChunkState();
    // Generation rewrites the codes of non-Chinese items; the batch is the
    // loop's own writable arena block.
    st->items = const_cast<qvAnalysisItem*>(items);
    st->itemCount = item_count < 0 ? 0 : (item_count > kBatchItemCount ? kBatchItemCount : item_count);
    st->batchDone = false;
    st->tail = static_cast<VocoderTail*>(scratch);
  }
  st->group = GroupResult();
  AcousticSettings settings;
  settings.voiceStyle = in->params.voice_style;
  settings.silenceMode = in->params.silence_mode;
  // A group that fails to generate is still taken and renders without frames.
  GenerateGroup(st->voice, settings, st->history, st->items, st->itemCount, st->speech, st->chunk, st->work,
                &st->group);
  if (st->phraseIndex.count > 0)
    MatchPhrases(st->phraseIndex, PhrasePart(in), st->speech, st->itemCount,
                 static_cast<uint32_t>(in->tables.unit_base), st->phraseMarks);
  if (st->group.taken == 0) st->batchDone = true;
  return QVTTS_ERR_OK;
}

void qvBackEnd_BeginWaveform(qvInstance* in, void* waveform_state) {
  BackEndStage* st = Stage(in);
  WaveformState* w = static_cast<WaveformState*>(waveform_state);
  const int32_t size = st->batchDone ? 0 : st->group.taken;
  WaveformBegin(w, SetupFor(in, st), st->speech + st->group.first, size, st->tail);
  st->reported = -1;
}

bool qvBackEnd_NextFrame(qvInstance* in, void* waveform_state, const uint8_t** data, int32_t* bytes) {
  WaveformState* w = static_cast<WaveformState*>(waveform_state);
  (void)in;
  if (RenderBlock(w) == 0) return false;
  *data = w->block;
  *bytes = w->blockBytes;
  return true;
}

void qvBackEnd_FrameDelivered(qvInstance* in, void* waveform_state) {
  const WaveformState* w = static_cast<const WaveformState*>(waveform_state);
  ReportSounded(w->items, w->size, w->current, &Stage(in)->reported, ReportItem, in);
}

void qvBackEnd_EndWaveform(qvInstance* in, void*) {
  BackEndStage* st = Stage(in);
  // A stop drops the rest of the batch.
  if (qvStopRequested(in)) {
    ResetChunk(st->chunk, st->work);
    st->batchDone = true;
  }
}

bool qvBackEnd_Advance(qvInstance* in) {
  BackEndStage* st = Stage(in);
  ReleaseGroup(st->chunk, st->work);
  if (st->batchDone || st->group.first + st->group.taken >= st->itemCount) {
    ResetChunk(st->chunk, st->work);
    st->batchDone = true;
  }
  return st->batchDone;
}

void qvBackEnd_BeginEffectTail(qvInstance* in, void* waveform_state) {
  BackEndStage* st = Stage(in);
  WaveformState* w = static_cast<WaveformState*>(waveform_state);
  WaveformBegin(w, SetupFor(in, st), nullptr, 0, st->tail);
  st->effectTailSamples = EffectTailSamples(&st->effect, in->params.sample_rate);
  if (!EffectActive(in) || in->effect.history_position == 0) st->effectTailSamples = 0;
}

bool qvBackEnd_NextEffectTailFrame(qvInstance* in, void* waveform_state, const uint8_t** data, int32_t* bytes) {
  BackEndStage* st = Stage(in);
  WaveformState* w = static_cast<WaveformState*>(waveform_state);
  if (st->effectTailSamples <= 0 || w->setup.finishPiece == nullptr) return false;
  // Silence through the effect: what it still holds rings out.
  w->blockBytes = 0;
  const bool complete = WriteSilence(w, st->effectTailSamples * (w->setup.libraryWidth / 8), -1, 0);
  if (complete || w->blockBytes == 0) st->effectTailSamples = 0;
  *data = w->block;
  *bytes = w->blockBytes;
  return w->blockBytes > 0;
}
