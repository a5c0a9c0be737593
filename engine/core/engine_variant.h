// What distinguishes one engine core from another that shares this code:
// the parameter rules, the arena size and the instance figure, and the
// library container rules. The standard engine's variant is kqvStandardVariant;
// a variant defines its own qvEngineVariant and its own qvTTS_GetExtBufSize
// and qvTTS_Init that pass it to qvEngine_GetExtBufSize and qvEngine_Init
// (the standard ones live alone in qvtts_entry.cpp, so a variant's
// definitions replace them at link time). The other entry points read the
// variant from the instance.
#ifndef KVO_ENGINE_ENGINE_VARIANT_H
#define KVO_ENGINE_ENGINE_VARIANT_H

#include <cstdint>

#include "core/qvtts.h"
#include "core/resource_library.h"

struct qvInstance;

// Stores an accepted value; returns 0 or QVTTS_ERR_INVALID_ARG.
typedef int (*qvParamHandler)(qvInstance* instance, intptr_t value);

// One accepted parameter id: values in [low, high] go to apply, which may
// refuse further values. Ids without a rule are refused.
struct qvParamRule {
  int32_t id;
  intptr_t low;
  intptr_t high;
  qvParamHandler apply;
};

// Value ranges the rule tables of the engine variants share.
namespace qv_param_range {
constexpr intptr_t kI16Min = -32768;
constexpr intptr_t kI16Max = 32767;
constexpr intptr_t kI32Min = INT32_MIN;
constexpr intptr_t kI32Max = INT32_MAX;
constexpr intptr_t kAnyMin = INTPTR_MIN;
constexpr intptr_t kAnyMax = INTPTR_MAX;
}  // namespace qv_param_range

struct qvVoiceFacts {
  bool chinese_open;
  bool english_open;
  bool domain_open;
  int32_t sample_rate;
  uint8_t voice_kind;
};

struct qvEngineVariant {
  const qvParamRule* rules;
  int32_t rule_count;
  int32_t (*arena_bytes)(const qvVoiceFacts& facts);
  int32_t instance_bytes;  // the figure reported for the instance record
  qvContainerRules chinese_library;
  qvContainerRules english_library;
  // Numbers read with 两 for a 2 in the hundreds and thousands, and the
  // special-number parameter (id 32) honoured.
  bool n6_number_readings;
};

extern const qvEngineVariant kqvStandardVariant;

// Reported instance size: the variant's figure, never less than the record.
int32_t qvEngine_InstanceBytes(const qvEngineVariant* variant);
int32_t qvEngine_StandardArenaBytes(const qvVoiceFacts& facts);

int qvEngine_GetExtBufSize(const qvEngineVariant* variant, const char* chinese_library, const char* english_library,
                           const char* domain_library, int32_t* size);
int qvEngine_Init(const qvEngineVariant* variant, const char* chinese_library, const char* english_library,
                  const char* domain_library, qvTTS_HANDLE* handle, void* block);

// Applies one parameter through the variant's rules (no state checks).
int qvParams_Set(qvInstance* instance, int32_t id, intptr_t value);
// The defaults applied at init, through the same rules.
int qvParams_ApplyDefaults(qvInstance* instance);

// Parameter handlers, for variants to build their rule tables from.
int qvParam_Volume(qvInstance*, intptr_t);
int qvParam_Speed(qvInstance*, intptr_t);
int qvParam_Pitch(qvInstance*, intptr_t);
int qvParam_Codepage(qvInstance*, intptr_t);
int qvParam_DigitMode(qvInstance*, intptr_t);
int qvParam_PuncMode(qvInstance*, intptr_t);
int qvParam_TagMode(qvInstance*, intptr_t);
int qvParam_AudioFormat(qvInstance*, intptr_t);
int qvParam_EngMode(qvInstance*, intptr_t);
int qvParam_InputMode(qvInstance*, intptr_t);
int qvParam_OutputChunkSize(qvInstance*, intptr_t);
int qvParam_ProgressProc(qvInstance*, intptr_t);
int qvParam_InputTextProc(qvInstance*, intptr_t);
int qvParam_SpareProc(qvInstance*, intptr_t);
int qvParam_OutputVoiceProc(qvInstance*, intptr_t);
int qvParam_SyllableProc(qvInstance*, intptr_t);
int qvParam_UserData(qvInstance*, intptr_t);
int qvParam_VoiceStyle(qvInstance*, intptr_t);
int qvParam_BackgroundFile(qvInstance*, intptr_t);
int qvParam_BackgroundVolume(qvInstance*, intptr_t);
int qvParam_BackgroundPlayOnce(qvInstance*, intptr_t);
int qvParam_BackgroundLength(qvInstance*, intptr_t);
int qvParam_SoundEffect(qvInstance*, intptr_t);
int qvParam_MixSound(qvInstance*, intptr_t);
int qvParam_WordSegmentProc(qvInstance*, intptr_t);
int qvParam_SpeedMode(qvInstance*, intptr_t);
int qvParam_SilenceMode(qvInstance*, intptr_t);
int qvParam_NamePolyphone(qvInstance*, intptr_t);
int qvParam_Speedup(qvInstance*, intptr_t);
int qvParam_SymbolFilter(qvInstance*, intptr_t);
int qvParam_SpecialNumbers(qvInstance*, intptr_t);
int qvParam_GainFactor(qvInstance*, intptr_t);

// Closes the background sound file, if any.
void qvBackground_Close(qvInstance* instance);
// Forgets the sound effect's sample history.
void qvSoundEffect_Clear(qvInstance* instance);

#endif
