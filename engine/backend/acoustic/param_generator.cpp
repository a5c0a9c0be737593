#include "backend/acoustic/param_generator.h"

#include "backend/acoustic/frame_ownership.h"
#include "backend/acoustic/group_frames.h"
#include "backend/acoustic/logf0_trajectory.h"
#include "backend/acoustic/spectrum_trajectory.h"
#include "backend/acoustic/state_duration.h"
#include "backend/labels/context_label.h"
#include "backend/labels/grouping.h"
#include "backend/labels/phone_list.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

namespace {

const VoiceModel* ChooseModel(const AcousticVoice& voice, const ModelHistory& history, int16_t language) {
  if (language == kItemLanguageChinese) return voice.chinese;
  if (language == kItemLanguageEnglish) return voice.english;
  return history.any ? history.previous : voice.chinese;
}

AcousticStatus Generate(const AcousticVoice& voice, const AcousticSettings& settings, const VoiceModel& model,
                        bool modelChanged, const AnalysisItem* items, int count, SpeechItem* speech, int first, int end,
                        int phones, ChunkState& chunk, ScratchArena& arena) {
  const uint32_t g = static_cast<uint32_t>(voice.symbols->tones * voice.symbols->syllables.count);
  int8_t* labels = arena.TakeArray<int8_t>(static_cast<size_t>(phones) * kLabelBytes);
  int32_t* stateFrames = arena.TakeArray<int32_t>(static_cast<size_t>(phones) * ml::kStateCount);
  if (labels == nullptr || stateFrames == nullptr) return AcousticStatus::kOutOfScratch;
  if (!BuildGroupLabels(*voice.symbols, g, items, speech, count, first, end, labels, arena))
    return AcousticStatus::kOutOfScratch;

  DurationSettings ds;
  ds.voiceStyle = settings.voiceStyle;
  ds.silenceMode = settings.silenceMode != 0;
  // Silence mode shortens the voice's own pause phone, whatever its id.
  const uint8_t pau = ds.silenceMode ? PhoneId(*voice.symbols, "pau") : kNoPhone;
  if (pau != kNoPhone) ds.silencePhoneId = pau;
  ds.modelChanged = modelChanged;
  GroupFrames group;
  group.phones = phones;
  group.labels = labels;
  group.stateFrames = stateFrames;
  group.order = model.order;
  AcousticStatus status = ComputeStateDurations(model, labels, phones, ds, stateFrames, &group.frameCount);
  if (status != AcousticStatus::kOk) return status;
  group.frames = arena.TakeArray<int16_t>(static_cast<size_t>(group.frameCount) * group.FrameValues());
  if (group.frames == nullptr) return AcousticStatus::kOutOfScratch;

  status = GenerateLogF0(model, group, arena);
  if (status == AcousticStatus::kOk) status = GenerateSpectrum(model, group, arena);
  if (status != AcousticStatus::kOk) return status;
  AssignFrames(speech, first, end, g, group);
  chunk.groupPhones = phones;
  chunk.groupFrames = group.frameCount;
  chunk.frames = group.frames;
  chunk.stateFrames = stateFrames;
  return AcousticStatus::kOk;
}

}  // namespace

void ReleaseGroup(ChunkState& chunk, ScratchArena& arena) {
  if (chunk.holdsGroup) arena.Rewind(chunk.groupMark);
  chunk.holdsGroup = false;
  chunk.groupPhones = 0;
  chunk.groupFrames = 0;
  chunk.frames = nullptr;
  chunk.stateFrames = nullptr;
}

void ResetChunk(ChunkState& chunk, ScratchArena& arena) {
  ReleaseGroup(chunk, arena);
  chunk = ChunkState();
}

AcousticStatus GenerateGroup(const AcousticVoice& voice, const AcousticSettings& settings, ModelHistory& history,
                             AnalysisItem* items, int count, SpeechItem* speech, ChunkState& chunk, ScratchArena& arena,
                             GroupResult* result) {
  *result = GroupResult();
  ReleaseGroup(chunk, arena);
  if (count < 0) count = 0;
  if (count > kBatchItemCount) count = kBatchItemCount;
  const VoiceSymbols* symbols = voice.symbols;
  if (symbols == nullptr || (symbols->tones != 5 && symbols->tones != 6)) return AcousticStatus::kBadModel;
  const uint32_t g = static_cast<uint32_t>(symbols->tones * symbols->syllables.count);

  if (!chunk.prepared) {
    PrepareSpeechItems(items, count, g, symbols->tones, speech);
    BuildPhoneLists(*symbols, g, items, speech, count);
    chunk.prepared = true;
    chunk.itemCount = count;
    chunk.consumed = 0;
    chunk.groupCount = 0;
  } else {
    chunk.consumed += chunk.groupCount;
    chunk.groupCount = 0;
  }
  count = chunk.itemCount;
  result->first = chunk.consumed;
  if (chunk.consumed >= count) return AcousticStatus::kOk;

  int phones = 0;
  const int first = chunk.consumed;
  const int end = SelectGroup(speech, count, first, &phones);
  chunk.groupFirst = first;
  chunk.groupCount = end - first;
  result->taken = end - first;
  for (int i = first; i < end; ++i) {
    speech[i].frames = nullptr;
    speech[i].frameBytes = 0;
  }
  if (phones == 0) return AcousticStatus::kOk;

  const VoiceModel* model = ChooseModel(voice, history, speech[first].language);
  const bool changed = !history.any || model != history.previous;
  history.previous = model;
  history.any = true;
  if (model == nullptr || model->order != voice.order) return AcousticStatus::kBadModel;

  chunk.groupMark = arena.Mark();
  chunk.holdsGroup = true;
  AcousticStatus status =
      Generate(voice, settings, *model, changed, items, count, speech, first, end, phones, chunk, arena);
  if (status != AcousticStatus::kOk) {
    ReleaseGroup(chunk, arena);
    for (int i = first; i < end; ++i) {
      speech[i].frames = nullptr;
      speech[i].frameBytes = 0;
    }
    return status;
  }
  result->frames = chunk.groupFrames;
  return AcousticStatus::kOk;
}

}  // namespace backend
}  // namespace kvo
