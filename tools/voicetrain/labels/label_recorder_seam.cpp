// A back-end stage for the trainer: instead of speaking, it records the
// items of every batch the engine's front end issues, with the phones and
// context labels that the real back end derives from them (by calling the
// back end's own phone-list and label code). Linked in place of the
// engine's speech generation stage, so training labels are exactly the
// labels synthesis will use.
#include <cstring>

#include "backend/labels/context_label.h"
#include "backend/labels/phone_list.h"
#include "backend/labels/speech_item.h"
#include "backend/labels/voice_symbols.h"
#include "backend/scratch_arena.h"
#include "backend/waveform/syllable_report.h"
#include "core/arena.h"
#include "core/backend_stage.h"
#include "core/engine_instance.h"
#include "core/resource_library.h"
#include "core/unit_code.h"
#include "label_recorder.h"

namespace {

using namespace kvo::backend;

// Work area for one batch: its SpeechItems, then the labels and the
// temporaries of the label builder.
constexpr int32_t kWorkBytes = 256 * 1024;

struct RecorderStage {
  VoiceSymbols symbols;
  bool done;
};

RecorderStage g_stage;
voicetrain::LabelSink* g_sink = nullptr;

void Record(const qvInstance* in, qvAnalysisItem* items, int32_t count, uint8_t* area) {
  const VoiceSymbols& sym = g_stage.symbols;
  const uint32_t g = static_cast<uint32_t>(sym.tones * sym.syllables.count);
  SpeechItem* speech = reinterpret_cast<SpeechItem*>(area);
  const size_t speechBytes = kBatchItemCount * sizeof(SpeechItem);
  ScratchArena arena(area + speechBytes, kWorkBytes - speechBytes);
  PrepareSpeechItems(items, count, g, sym.tones, speech);
  BuildPhoneLists(sym, g, items, speech, count);
  int phones = 0;
  for (int i = 0; i < count; ++i) phones += speech[i].PhoneCount();
  int8_t* labels = arena.TakeArray<int8_t>(static_cast<size_t>(phones) * kLabelBytes + 1);
  if (labels == nullptr || !BuildGroupLabels(sym, g, items, speech, count, 0, count, labels, arena)) {
    g_sink->failed = true;
    return;
  }
  const int8_t* label = labels;
  for (int i = 0; i < count; ++i) {
    const SpeechItem& s = speech[i];
    const int n = s.PhoneCount();
    if (n == 0) continue;
    voicetrain::RecordedItem item;
    item.syllable = s.language == kItemLanguageChinese && ClassifyUnit(s.code, g) == UnitClass::kSyllable;
    char spelling[kSpellingBytes];
    const int32_t length =
        SyllableSpelling(s, sym.syllables, sym.tones, static_cast<uint32_t>(in->tables.unit_base), spelling);
    if (item.syllable && length > 0) item.spelling.assign(spelling, static_cast<size_t>(length));
    item.english = s.language == kItemLanguageEnglish;
    if (item.english && s.text != nullptr) item.word.assign(s.text, strnlen(s.text, kItemNameBytes));
    item.sameWord = (s.itemFlags & kItemFlagSameNameAsPrevious) != 0;
    item.pauseMs = s.pauseMs;
    for (int k = 0; k < n; ++k, label += kLabelBytes) {
      voicetrain::RecordedPhone p;
      p.phone = s.phones[k];
      p.pause = (k == 0 && (s.pauseFlags & kLeadingPause)) || (k == n - 1 && (s.pauseFlags & kTrailingPause));
      p.leading = k == 0 && (s.pauseFlags & kLeadingPause);
      std::memcpy(p.label, label, kLabelBytes);
      item.phones.push_back(p);
    }
    g_sink->items.push_back(item);
  }
}

}  // namespace

namespace voicetrain {
void SetLabelSink(LabelSink* sink) { g_sink = sink; }
}  // namespace voicetrain

int32_t qvBackEnd_LabelAreaBytes(const qvInstance*) { return kWorkBytes; }
int32_t qvBackEnd_WaveformStateBytes(const qvInstance*) { return 16; }

int qvBackEnd_Init(qvInstance* in) {
  std::memset(&in->back_end, 0, sizeof(in->back_end));
  if (!qvLibrary_IsOpen(&in->chinese)) return QVTTS_ERR_RESOURCE;
  const qvSyllableTables& t = in->tables;
  g_stage = RecorderStage();
  if (!VoiceSymbolsFromTables(t, &g_stage.symbols)) return QVTTS_ERR_RESOURCE;
  in->back_end.stage = &g_stage;
  return QVTTS_ERR_OK;
}

void qvBackEnd_Release(qvInstance* in) { std::memset(&in->back_end, 0, sizeof(in->back_end)); }

int qvBackEnd_PlanBatch(qvInstance* in, const qvAnalysisItem* items, int32_t item_count, void* label_area, void*,
                        bool first_pass) {
  if (label_area == nullptr) return QVTTS_ERR_INVALID_ARG;
  if (first_pass) {
    if (item_count > kBatchItemCount) item_count = kBatchItemCount;
    if (g_sink != nullptr && item_count > 0)
      Record(in, const_cast<qvAnalysisItem*>(items), item_count, static_cast<uint8_t*>(label_area));
  }
  g_stage.done = true;
  return QVTTS_ERR_OK;
}

void qvBackEnd_BeginWaveform(qvInstance*, void*) {}
bool qvBackEnd_NextFrame(qvInstance*, void*, const uint8_t**, int32_t*) { return false; }
void qvBackEnd_FrameDelivered(qvInstance*, void*) {}
void qvBackEnd_EndWaveform(qvInstance*, void*) {}
bool qvBackEnd_Advance(qvInstance*) { return true; }
// Labels only: no sound, so no effect to ring out.
void qvBackEnd_BeginEffectTail(qvInstance*, void*) {}
bool qvBackEnd_NextEffectTailFrame(qvInstance*, void*, const uint8_t**, int32_t*) { return false; }
