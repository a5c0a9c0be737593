// The n6 engine: the shared engine core with the n6 parameter rules, arena
// sizes and instance figure. Its qvTTS_GetExtBufSize and qvTTS_Init replace
// the standard pair at link time.
#include <cstdint>

#include "core/engine_instance.h"
#include "core/engine_variant.h"

namespace {

using namespace qv_param_range;

const qvParamRule kN6Rules[] = {
    {QVTTS_PARAM_VOLUME, kI16Min, kI16Max, qvParam_Volume},
    {QVTTS_PARAM_SPEED, kI16Min, kI16Max, qvParam_Speed},
    {QVTTS_PARAM_PITCH, kI16Min, kI16Max, qvParam_Pitch},
    {QVTTS_PARAM_CODEPAGE, kI32Min, kI32Max, qvParam_Codepage},
    {QVTTS_PARAM_DIGIT_MODE, 0, 3, qvParam_DigitMode},
    // No line-end variants of the punctuation modes.
    {QVTTS_PARAM_PUNC_MODE, 0, 1, qvParam_PuncMode},
    {QVTTS_PARAM_TAG_MODE, 0, 1, qvParam_TagMode},
    {QVTTS_PARAM_AUDIO_FORMAT, 0, 15, qvParam_AudioFormat},
    {QVTTS_PARAM_ENG_MODE, 0, 2, qvParam_EngMode},
    {QVTTS_PARAM_INPUT_MODE, 0, 1, qvParam_InputMode},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 2, 4096, qvParam_OutputChunkSize},
    {QVTTS_PARAM_PROGRESS_PROC, kAnyMin, kAnyMax, qvParam_ProgressProc},
    {QVTTS_PARAM_INPUT_TEXT_PROC, kAnyMin, kAnyMax, qvParam_InputTextProc},
    {QVTTS_PARAM_SPARE_PROC, kAnyMin, kAnyMax, qvParam_SpareProc},
    {QVTTS_PARAM_OUTPUT_VOICE_PROC, kAnyMin, kAnyMax, qvParam_OutputVoiceProc},
    {QVTTS_PARAM_SYLLABLE_PROC, kAnyMin, kAnyMax, qvParam_SyllableProc},
    {QVTTS_PARAM_USER_DATA, kAnyMin, kAnyMax, qvParam_UserData},
    {QVTTS_PARAM_VOICE_STYLE, -1, 2, qvParam_VoiceStyle},
    {QVTTS_PARAM_BACKGROUND_FILE, kAnyMin, kAnyMax, qvParam_BackgroundFile},
    {QVTTS_PARAM_BACKGROUND_VOLUME, kI16Min, kI16Max, qvParam_BackgroundVolume},
    {QVTTS_PARAM_BACKGROUND_PLAY_ONCE, kI32Min, kI32Max, qvParam_BackgroundPlayOnce},
    {QVTTS_PARAM_BACKGROUND_LENGTH, kI32Min, kI32Max, qvParam_BackgroundLength},
    {QVTTS_PARAM_SOUND_EFFECT, 0, 5, qvParam_SoundEffect},
    {QVTTS_PARAM_MIX_SOUND, kI16Min, kI16Max, qvParam_MixSound},
    {QVTTS_PARAM_WORD_SEGMENT_PROC, kAnyMin, kAnyMax, qvParam_WordSegmentProc},
    {QVTTS_PARAM_NAME_POLYPHONE, 0, 1, qvParam_NamePolyphone},
    {QVTTS_PARAM_SPEEDUP, -1, 3, qvParam_Speedup},
    {QVTTS_PARAM_SYMBOL_FILTER, 0, 1, qvParam_SymbolFilter},
    {QVTTS_PARAM_SPECIAL_NUMBERS, 0, 16 + 32 + 256 + 512, qvParam_SpecialNumbers},
    {QVTTS_PARAM_GAIN_FACTOR, 2, 8, qvParam_GainFactor},
};

constexpr int32_t kN6InstanceBytes = 41400;
constexpr int32_t kDomainExtra = 61440;

int32_t N6ArenaBytes(const qvVoiceFacts& facts) {
  const bool six_tones = facts.voice_kind == kvo_library::kVoiceKindSixTones;
  const bool chinese = facts.chinese_open || six_tones;
  int32_t bytes = 1561600;
  if (chinese != facts.english_open) {  // one library only
    if (facts.sample_rate == 8000 || facts.sample_rate == 11025) {
      bytes = 1382400;
    } else if (facts.sample_rate == 16000 && six_tones) {
      bytes = 1582080;
    } else if (facts.sample_rate == 16000 && facts.chinese_open) {
      bytes = 1515520;
    }
  }
  if (facts.domain_open) bytes += kDomainExtra;
  return bytes;
}

// The core behind this module reads the standard sections, so the section
// counts stay the standard ones; the n6 container carries no magic.
const qvEngineVariant kN6Variant = {
    kN6Rules,
    static_cast<int32_t>(sizeof(kN6Rules) / sizeof(kN6Rules[0])),
    N6ArenaBytes,
    kN6InstanceBytes,
    {kvo_library::kChineseSectionCount, false, true},
    {kvo_library::kEnglishSectionCount, false, false},
    true,
};

}  // namespace

extern "C" int qvTTS_GetExtBufSize(const char* chinese_library, const char* english_library, const char* domain_library,
                                   int32_t* size) {
  return qvEngine_GetExtBufSize(&kN6Variant, chinese_library, english_library, domain_library, size);
}

extern "C" int qvTTS_Init(const char* chinese_library, const char* english_library, const char* domain_library,
                          qvTTS_HANDLE* handle, void* block) {
  return qvEngine_Init(&kN6Variant, chinese_library, english_library, domain_library, handle, block);
}
