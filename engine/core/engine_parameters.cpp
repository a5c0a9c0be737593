// Parameter handlers and qvTTS_SetParam. Range checks come from the
// variant's rule table; handlers add the checks a range cannot express.
#include <cstring>

#include "core/engine_instance.h"
#include "core/engine_variant.h"
#include "core/resource_library.h"

using namespace kvo_library;

namespace {

constexpr int kOk = QVTTS_ERR_OK;
constexpr int kInvalid = QVTTS_ERR_INVALID_ARG;

int DefaultProgress(void*, int32_t, int32_t) { return 0; }
int DefaultInput(void*, char*, int32_t* length) {
  if (length != nullptr) *length = 0;
  return 0;
}
int DefaultSpare(void*) { return 0; }
int DefaultOutput(void*, int32_t, const void*, int32_t) { return 0; }
int DefaultSyllable(void*, int32_t, const char*, int32_t, const char*, int32_t) { return 0; }

template <typename Proc>
Proc AsProc(intptr_t value) {
  return reinterpret_cast<Proc>(value);
}

int16_t AsInt16(intptr_t value) { return static_cast<int16_t>(value); }
int32_t AsInt32(intptr_t value) { return static_cast<int32_t>(value); }

bool HasSection(const qvInstance* instance, int32_t section) {
  return qvLibrary_SectionSize(&instance->chinese, section) > 0;
}

}  // namespace

int qvParam_Volume(qvInstance* in, intptr_t v) {
  in->params.volume = AsInt16(v);
  return kOk;
}
int qvParam_Speed(qvInstance* in, intptr_t v) {
  in->params.speed = AsInt16(v);
  return kOk;
}
int qvParam_Pitch(qvInstance* in, intptr_t v) {
  in->params.pitch = AsInt16(v);
  return kOk;
}

int qvParam_Codepage(qvInstance* in, intptr_t v) {
  if (qvLibrary_IsOpen(&in->chinese)) {
    int32_t needed = 0;
    switch (v) {
      case 437:
      case 936:
        needed = kCnGbkTable;
        break;
      case 950:
        needed = kCnBig5Table;
        break;
      case 1200:
      case 1201:
      case 65000:
      case 65001:
        needed = kCnUnicodeTable;
        break;
      default:
        return kInvalid;
    }
    if (!HasSection(in, needed)) return kInvalid;
  }
  in->params.codepage = AsInt32(v);
  return kOk;
}

int qvParam_DigitMode(qvInstance* in, intptr_t v) {
  in->params.digit_mode = AsInt16(v);
  return kOk;
}
int qvParam_PuncMode(qvInstance* in, intptr_t v) {
  in->params.punc_mode = AsInt16(v);
  return kOk;
}
int qvParam_TagMode(qvInstance* in, intptr_t v) {
  in->params.tag_mode = AsInt32(v);
  return kOk;
}
int qvParam_AudioFormat(qvInstance* in, intptr_t v) {
  in->params.audio_format = AsInt16(v);
  return kOk;
}
int qvParam_EngMode(qvInstance* in, intptr_t v) {
  in->params.eng_mode = AsInt16(v);
  return kOk;
}
int qvParam_InputMode(qvInstance* in, intptr_t v) {
  in->params.input_mode = AsInt16(v);
  return kOk;
}

int qvParam_OutputChunkSize(qvInstance* in, intptr_t v) {
  if (v % 2 != 0) return kInvalid;  // pieces never split a 16-bit sample
  in->params.output_chunk_size = AsInt16(v);
  return kOk;
}

int qvParam_ProgressProc(qvInstance* in, intptr_t v) {
  in->params.progress_proc = v ? AsProc<qvTTS_ProgressProc>(v) : DefaultProgress;
  return kOk;
}
int qvParam_InputTextProc(qvInstance* in, intptr_t v) {
  in->params.input_proc = v ? AsProc<qvTTS_InputTextProc>(v) : DefaultInput;
  return kOk;
}
int qvParam_SpareProc(qvInstance* in, intptr_t v) {
  in->params.spare_proc = v ? AsProc<qvTTS_SpareProc>(v) : DefaultSpare;
  return kOk;
}
int qvParam_OutputVoiceProc(qvInstance* in, intptr_t v) {
  in->params.output_proc = v ? AsProc<qvTTS_OutputVoiceProc>(v) : DefaultOutput;
  return kOk;
}
int qvParam_SyllableProc(qvInstance* in, intptr_t v) {
  in->params.syllable_proc = v ? AsProc<qvTTS_SyllableProc>(v) : DefaultSyllable;
  return kOk;
}
int qvParam_UserData(qvInstance* in, intptr_t v) {
  in->params.user_data = reinterpret_cast<void*>(v);
  return kOk;
}
int qvParam_VoiceStyle(qvInstance* in, intptr_t v) {
  in->params.voice_style = AsInt16(v);
  return kOk;
}

void qvBackground_Close(qvInstance* in) {
  // The background is read through the instance's cache too.
  qvReadCache_Forget(&in->cache, in->background.file);
  if (in->background.file != nullptr) std::fclose(in->background.file);
  in->background.file = nullptr;
  in->background.position = 0;
}

// A file that does not open leaves no background sound; that is not an error.
int qvParam_BackgroundFile(qvInstance* in, intptr_t v) {
  qvBackground_Close(in);
  const char* path = reinterpret_cast<const char*>(v);
  if (path == nullptr) return kOk;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return kOk;
  constexpr long kWaveHeaderBytes = 44;
  if (std::fseek(file, kWaveHeaderBytes, SEEK_SET) != 0) {
    std::fclose(file);
    return kOk;
  }
  in->background.file = file;
  in->background.position = kWaveHeaderBytes;
  return kOk;
}
int qvParam_BackgroundVolume(qvInstance* in, intptr_t v) {
  in->background.volume = AsInt32(v);
  return kOk;
}
int qvParam_BackgroundPlayOnce(qvInstance* in, intptr_t v) {
  in->background.play_once = AsInt32(v);
  return kOk;
}
int qvParam_BackgroundLength(qvInstance* in, intptr_t v) {
  in->background.length = AsInt32(v);
  return kOk;
}

void qvSoundEffect_Clear(qvInstance* in) {
  std::memset(in->effect.history, 0, sizeof(in->effect.history));
  in->effect.history_position = 0;
}

int qvParam_SoundEffect(qvInstance* in, intptr_t v) {
  qvSoundEffect_Clear(in);
  in->effect.kind = AsInt32(v);
  in->effect.level = 32767;
  return kOk;
}

int qvParam_MixSound(qvInstance* in, intptr_t v) {
  constexpr int32_t kEffectOff = -32768;
  constexpr int32_t kMixKind = 2;
  if (v == kEffectOff) {
    in->effect.kind = 0;
    return kOk;
  }
  qvSoundEffect_Clear(in);
  in->effect.kind = kMixKind;
  in->effect.level = AsInt32(v);
  return kOk;
}

int qvParam_WordSegmentProc(qvInstance* in, intptr_t v) {
  in->params.word_segment_proc = AsProc<qvTTS_WordSegmentProc>(v);
  return kOk;
}
// 3 is the multiplier of positive speed values in fast mode.
int qvParam_SpeedMode(qvInstance* in, intptr_t v) {
  in->params.speed_mode = v == 1 ? 3 : 1;
  return kOk;
}
int qvParam_SilenceMode(qvInstance* in, intptr_t v) {
  in->params.silence_mode = v == 1 ? 1 : 0;
  return kOk;
}
int qvParam_NamePolyphone(qvInstance* in, intptr_t v) {
  in->params.name_polyphone = AsInt32(v);
  return kOk;
}

// -1 (automatic) behaves as 0.
int qvParam_Speedup(qvInstance* in, intptr_t v) {
  in->params.speedup = AsInt16(v < 0 ? 0 : v);
  return kOk;
}
int qvParam_SymbolFilter(qvInstance* in, intptr_t v) {
  in->params.symbol_filter = AsInt16(v);
  return kOk;
}
int qvParam_SpecialNumbers(qvInstance* in, intptr_t v) {
  in->params.special_numbers = AsInt32(v);
  return kOk;
}
int qvParam_GainFactor(qvInstance* in, intptr_t v) {
  in->params.gain_factor = AsInt16(v);
  return kOk;
}

int qvParams_Set(qvInstance* instance, int32_t id, intptr_t value) {
  const qvEngineVariant* variant = instance->variant;
  for (int32_t i = 0; i < variant->rule_count; ++i) {
    const qvParamRule& rule = variant->rules[i];
    if (rule.id != id) continue;
    if (rule.apply == nullptr || value < rule.low || value > rule.high) return kInvalid;
    return rule.apply(instance, value);
  }
  return kInvalid;
}

int qvParams_ApplyDefaults(qvInstance* instance) {
  struct Default {
    int32_t id;
    intptr_t value;
  };
  static const Default kBefore[] = {
      {QVTTS_PARAM_VOICE_STYLE, -1},
      {QVTTS_PARAM_SPEED, 0},
      {QVTTS_PARAM_PITCH, 0},
      {QVTTS_PARAM_VOLUME, 0},
  };
  static const Default kAfter[] = {
      {QVTTS_PARAM_DIGIT_MODE, 0},
      {QVTTS_PARAM_PUNC_MODE, 0},
      {QVTTS_PARAM_TAG_MODE, 0},
      {QVTTS_PARAM_AUDIO_FORMAT, 0},
      {QVTTS_PARAM_ENG_MODE, 0},
      {QVTTS_PARAM_INPUT_MODE, 0},
      {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 4096},
      {QVTTS_PARAM_PROGRESS_PROC, 0},
      {QVTTS_PARAM_INPUT_TEXT_PROC, 0},
      {QVTTS_PARAM_SPARE_PROC, 0},
      {QVTTS_PARAM_OUTPUT_VOICE_PROC, 0},
      {QVTTS_PARAM_SYLLABLE_PROC, 0},
      {QVTTS_PARAM_USER_DATA, 0},
      {QVTTS_PARAM_BACKGROUND_FILE, 0},
      {QVTTS_PARAM_SOUND_EFFECT, 0},
      {QVTTS_PARAM_SPEED_MODE, 0},
      {QVTTS_PARAM_SILENCE_MODE, 0},
      {QVTTS_PARAM_NAME_POLYPHONE, 0},
  };
  // Straight stores: a variant without some of these ids keeps the zero.
  for (const Default& d : kBefore) qvParams_Set(instance, d.id, d.value);
  if (qvLibrary_IsOpen(&instance->chinese)) {
    static const intptr_t kCodepages[] = {936, 1200, 950};
    bool accepted = false;
    for (intptr_t codepage : kCodepages) {
      if (qvParam_Codepage(instance, codepage) == kOk) {
        accepted = true;
        break;
      }
    }
    if (!accepted) return QVTTS_ERR_RESOURCE;
  } else {
    qvParam_Codepage(instance, 936);
  }
  for (const Default& d : kAfter) qvParams_Set(instance, d.id, d.value);
  // Callbacks must never be null, whatever ids the variant accepts.
  if (instance->params.progress_proc == nullptr) qvParam_ProgressProc(instance, 0);
  if (instance->params.input_proc == nullptr) qvParam_InputTextProc(instance, 0);
  if (instance->params.spare_proc == nullptr) qvParam_SpareProc(instance, 0);
  if (instance->params.output_proc == nullptr) qvParam_OutputVoiceProc(instance, 0);
  if (instance->params.syllable_proc == nullptr) qvParam_SyllableProc(instance, 0);
  return kOk;
}

extern "C" int qvTTS_SetParam(qvTTS_HANDLE handle, int32_t id, intptr_t value) {
  qvInstance* instance = qvInstanceFromHandle(handle);
  if (instance == nullptr) return QVTTS_ERR_INVALID_ARG;
  if (instance->initialised != 1) return QVTTS_ERR_NOT_INIT;
  return qvParams_Set(instance, id, value);
}
