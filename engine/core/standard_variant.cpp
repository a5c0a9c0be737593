// Parameter rules and arena sizes of the standard engine.
#include <cstdint>

#include "core/engine_instance.h"
#include "core/engine_variant.h"

namespace {

using namespace qv_param_range;

const qvParamRule kStandardRules[] = {
    {QVTTS_PARAM_VOLUME, kI16Min, kI16Max, qvParam_Volume},
    {QVTTS_PARAM_SPEED, kI16Min, kI16Max, qvParam_Speed},
    {QVTTS_PARAM_PITCH, kI16Min, kI16Max, qvParam_Pitch},
    {QVTTS_PARAM_CODEPAGE, kI32Min, kI32Max, qvParam_Codepage},
    {QVTTS_PARAM_DIGIT_MODE, 0, 3, qvParam_DigitMode},
    {QVTTS_PARAM_PUNC_MODE, 0, 3, qvParam_PuncMode},
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
    {QVTTS_PARAM_SPEED_MODE, kI32Min, kI32Max, qvParam_SpeedMode},
    {QVTTS_PARAM_SILENCE_MODE, kI32Min, kI32Max, qvParam_SilenceMode},
    {QVTTS_PARAM_NAME_POLYPHONE, kI32Min, 1, qvParam_NamePolyphone},
};

}  // namespace

int32_t qvEngine_StandardArenaBytes(const qvVoiceFacts& facts) {
  const bool chinese = facts.chinese_open || facts.voice_kind == kvo_library::kVoiceKindSixTones;
  int32_t bytes = 819200;
  if (!(chinese && facts.english_open) && (facts.sample_rate == 8000 || facts.sample_rate == 11025)) {
    bytes = 409600;
  }
  if (facts.domain_open) bytes += 61440;
  return bytes;
}

const qvEngineVariant kqvStandardVariant = {
    kStandardRules,
    static_cast<int32_t>(sizeof(kStandardRules) / sizeof(kStandardRules[0])),
    qvEngine_StandardArenaBytes,
    static_cast<int32_t>(sizeof(qvInstance)),
    {kvo_library::kChineseSectionCount, true, true},
    {kvo_library::kEnglishSectionCount, true, false},
    false,
};
