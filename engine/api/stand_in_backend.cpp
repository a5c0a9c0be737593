// Stand-in speech generation, compiled only while engine/backend does not
// provide one: a short tone per syllable item and a short silence per pause,
// as 16 kHz 16-bit PCM in frames of 10 ms, at most eight frames per pass.
#include <cstring>

#include "engine_instance.h"

namespace {

constexpr int32_t kFrameSamples = 160;
constexpr int32_t kFramesPerUnit = 2;
constexpr int32_t kFramesPerPause = 1;
constexpr int32_t kFramesPerPass = 8;
constexpr int32_t kAmplitude = 3000;
constexpr int32_t kSpellingBytes = 16;

struct StandInWave {
    int16_t samples[kFrameSamples];
    int32_t frames_in_pass;
};

int32_t FramesOf(const qvAnalysisItem& item) {
    return (item.flags & kItemFlagPause) || item.unit == kUnitSilence ? kFramesPerPause : kFramesPerUnit;
}

// Triangle wave; the phase is a Q16 fraction of one period.
void RenderTone(qvBackEndState* state, uint16_t unit, int16_t* out) {
    const uint32_t hz = 180 + unit % 160;
    const uint32_t step = (hz << 16) / 16000;
    for (int32_t i = 0; i < kFrameSamples; ++i) {
        const int32_t p = static_cast<int32_t>(state->phase & 0xFFFF);
        const int32_t tri = p < 0x8000 ? p * 2 - 0x8000 : 0x17FFF - p * 2;  // -0x8000..0x7FFF
        out[i] = static_cast<int16_t>(tri * kAmplitude / 0x8000);
        state->phase += step;
    }
}

void ReportUnit(qvInstance* instance, const qvAnalysisItem& item) {
    const char character[2] = {static_cast<char>(item.character & 0xFF), static_cast<char>(item.character >> 8)};
    char spelling[kSpellingBytes] = {};
    int32_t length = 0;
    const qvSyllableTables& t = instance->tables;
    if (item.unit != kUnitSilence && t.unit_base > 0 && item.unit < t.unit_base) {
        const char* name = t.syllables.names[item.unit / t.tones];
        while (name[length] != '\0' && length < kSpellingBytes - 2) {
            spelling[length] = name[length];
            ++length;
        }
        spelling[length++] = static_cast<char>('1' + item.unit % t.tones);
    }
    instance->params.syllable_proc(instance->params.user_data, 0, character, 2, spelling, length);
}

}  // namespace

int32_t qvBackEnd_LabelAreaBytes(const qvInstance*) { return kBatchItemCount * kContextLabelBytes; }
int32_t qvBackEnd_WaveformStateBytes(const qvInstance*) { return static_cast<int32_t>(sizeof(StandInWave)); }

int qvBackEnd_Init(qvInstance* instance) {
    std::memset(&instance->back_end, 0, sizeof(instance->back_end));
    return QVTTS_ERR_OK;
}
void qvBackEnd_Release(qvInstance* instance) { std::memset(&instance->back_end, 0, sizeof(instance->back_end)); }

int qvBackEnd_PlanBatch(qvInstance* instance, const qvAnalysisItem* items, int32_t item_count, void*, void*,
                        bool first_pass) {
    qvBackEndState* state = &instance->back_end;
    if (!first_pass) return QVTTS_ERR_OK;
    state->items = items;
    state->item_count = item_count;
    state->next_item = 0;
    state->frame_in_item = 0;
    state->reported_item = 0;
    return QVTTS_ERR_OK;
}

void qvBackEnd_BeginWaveform(qvInstance*, void* waveform_state) {
    static_cast<StandInWave*>(waveform_state)->frames_in_pass = 0;
}

bool qvBackEnd_NextFrame(qvInstance* instance, void* waveform_state, const uint8_t** data, int32_t* bytes) {
    qvBackEndState* state = &instance->back_end;
    StandInWave* wave = static_cast<StandInWave*>(waveform_state);
    if (state->next_item >= state->item_count || wave->frames_in_pass == kFramesPerPass) return false;
    const qvAnalysisItem& item = state->items[state->next_item];
    if (FramesOf(item) == kFramesPerPause) {
        std::memset(wave->samples, 0, sizeof(wave->samples));
    } else {
        RenderTone(state, item.unit, wave->samples);
    }
    if (++state->frame_in_item == FramesOf(item)) {
        state->frame_in_item = 0;
        ++state->next_item;
    }
    ++wave->frames_in_pass;
    *data = reinterpret_cast<const uint8_t*>(wave->samples);
    *bytes = static_cast<int32_t>(sizeof(wave->samples));
    return true;
}

void qvBackEnd_FrameDelivered(qvInstance* instance, void*) {
    qvBackEndState* state = &instance->back_end;
    while (state->reported_item < state->next_item) ReportUnit(instance, state->items[state->reported_item++]);
}

void qvBackEnd_EndWaveform(qvInstance*, void*) {}

// The stand-in has no sound effects, so nothing rings out.
void qvBackEnd_BeginEffectTail(qvInstance*, void*) {}
bool qvBackEnd_NextEffectTailFrame(qvInstance*, void*, const uint8_t**, int32_t*) { return false; }

bool qvBackEnd_Advance(qvInstance* instance) {
    qvBackEndState* state = &instance->back_end;
    return state->next_item >= state->item_count;
}
