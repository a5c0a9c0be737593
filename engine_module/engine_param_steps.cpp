// The SetTtsEngineParam family: configuration entries to engine parameters.
#include <string>

#include "config_assistant.h"
#include "engine_param_call.h"
#include "engine_value_table.h"
#include "module_flavour.h"
#include "module_log.h"
#include "tts_local_engine.h"

namespace {

constexpr long kDefaultCodepage = 65001;
// Special-number bits of the n6 engine.
constexpr long kSpecialYao1 = 16;
constexpr long kSpecialYi1 = 32;
constexpr long kSpecialEr4 = 256;
constexpr long kSpecialLiang3 = 512;

std::string Operation(const char* step) { return std::string("TtsLocalEngine::") + step; }

bool Lookup(const ConfigMap& config, const char* key, std::string& value) {
  return ConfigAssistant::GetValue(key, config, value);
}

}  // namespace

int TtsLocalEngine::PassParam(const char* step, int32_t id, long number, bool log_refusal) {
  const int code = SetEngineParam(engine_, id, static_cast<intptr_t>(number));
  if (code != 0 && log_refusal) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] qvTTS_SetParam(%d,%d) ret:%d", kModuleTag, Operation(step).c_str(), id,
            static_cast<int>(number), code);
  }
  return code;
}

int TtsLocalEngine::PassMappedParam(const ConfigMap& config, const char* key, const char* step, int32_t id) {
  std::string value;
  if (!Lookup(config, key, value)) return 0;
  return PassParam(step, id, engine_values::LeadingInteger(engine_values::Map(key, value)));
}

int TtsLocalEngine::PassScaledParam(const ConfigMap& config, const char* key, const char* step, int32_t id) {
  std::string value;
  if (!Lookup(config, key, value)) return 0;
  return PassParam(step, id, engine_values::ScaledLevel(value));
}

int TtsLocalEngine::SetTtsEngineParam(const ConfigMap& config) {
  typedef int (TtsLocalEngine::*Step)(const ConfigMap&);
  static const Step kSteps[] = {
      &TtsLocalEngine::SetTtsEngineParamCodepage,      &TtsLocalEngine::SetTtsEngineParamVolume,
      &TtsLocalEngine::SetTtsEngineParamPunc,          &TtsLocalEngine::SetTtsEngineParamDigit,
      &TtsLocalEngine::SetTtsEngineParamEng,           &TtsLocalEngine::SetTtsEngineParamTag,
      &TtsLocalEngine::SetTtsEngineParamAudioFormat,   &TtsLocalEngine::SetTtsEngineParamPitch,
      &TtsLocalEngine::SetTtsEngineParamSpeed,         &TtsLocalEngine::SetTtsEngineParamVoiceStyle,
      &TtsLocalEngine::SetTtsEngineParamEngineSpeedup, &TtsLocalEngine::SetTtsEngineParamNamepolyphone,
      &TtsLocalEngine::SetTtsEngineParamSymbolFilter,  &TtsLocalEngine::SetTtsEngineParamSpecialNumber,
      &TtsLocalEngine::SetTtsEngineParamSpeedMode,     &TtsLocalEngine::SetTtsEngineParamSilenceMode,
      &TtsLocalEngine::SetTtsEngineParamSoundEffect,   &TtsLocalEngine::SetTtsEngineParamGainFactor,
  };
  for (Step step : kSteps) {
    if ((this->*step)(config) != 0) return -1;
  }
  return 0;
}

int TtsLocalEngine::SetTtsEngineParamCodepage(const ConfigMap& config) {
  std::string value;
  const long number = Lookup(config, "codepage", value)
                          ? engine_values::LeadingInteger(engine_values::Map("codepage", value))
                          : kDefaultCodepage;
  // A refused code page fails the family without a log line of its own.
  return PassParam("SetTtsEngineParamCodepage", QVTTS_PARAM_CODEPAGE, number, false);
}

int TtsLocalEngine::SetTtsEngineParamVolume(const ConfigMap& config) {
  return PassScaledParam(config, "volume", "SetTtsEngineParamVolume", QVTTS_PARAM_VOLUME);
}

int TtsLocalEngine::SetTtsEngineParamPunc(const ConfigMap& config) {
  return PassMappedParam(config, "puncmode", "SetTtsEngineParamPunc", QVTTS_PARAM_PUNC_MODE);
}

int TtsLocalEngine::SetTtsEngineParamDigit(const ConfigMap& config) {
  return PassMappedParam(config, "digitmode", "SetTtsEngineParamDigit", QVTTS_PARAM_DIGIT_MODE);
}

int TtsLocalEngine::SetTtsEngineParamEng(const ConfigMap& config) {
  return PassMappedParam(config, "engmode", "SetTtsEngineParamEng", QVTTS_PARAM_ENG_MODE);
}

int TtsLocalEngine::SetTtsEngineParamTag(const ConfigMap& config) {
  return PassMappedParam(config, "tagmode", "SetTtsEngineParamTag", QVTTS_PARAM_TAG_MODE);
}

int TtsLocalEngine::SetTtsEngineParamAudioFormat(const ConfigMap& config) {
  return PassMappedParam(config, "audioformat", "SetTtsEngineParamAudioFormat", QVTTS_PARAM_AUDIO_FORMAT);
}

int TtsLocalEngine::SetTtsEngineParamPitch(const ConfigMap& config) {
  return PassScaledParam(config, "pitch", "SetTtsEngineParamPitch", QVTTS_PARAM_PITCH);
}

int TtsLocalEngine::SetTtsEngineParamSpeed(const ConfigMap& config) {
  return PassScaledParam(config, "speed", "SetTtsEngineParamSpeed", QVTTS_PARAM_SPEED);
}

int TtsLocalEngine::SetTtsEngineParamVoiceStyle(const ConfigMap& config) {
  return PassMappedParam(config, "voicestyle", "SetTtsEngineParamVoiceStyle", QVTTS_PARAM_VOICE_STYLE);
}

int TtsLocalEngine::SetTtsEngineParamEngineSpeedup(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamEngineSpeedup";
  if (kModuleFlavour.n6_parameter_steps) return PassMappedParam(config, "speedup", kStep, QVTTS_PARAM_SPEEDUP);
  std::string value;
  if (!Lookup(config, "speedup", value)) return 0;
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s can not support config(%s)", kModuleTag, Operation(kStep).c_str(), name_.c_str(),
          "speedup");
  return -1;
}

int TtsLocalEngine::SetTtsEngineParamNamepolyphone(const ConfigMap& config) {
  return PassMappedParam(config, "namepolyphone", "SetTtsEngineParamNamepolyphone", QVTTS_PARAM_NAME_POLYPHONE);
}

int TtsLocalEngine::SetTtsEngineParamSymbolFilter(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamSymbolFilter";
  if (kModuleFlavour.n6_parameter_steps) {
    return PassMappedParam(config, "symbolfilter", kStep, QVTTS_PARAM_SYMBOL_FILTER);
  }
  std::string value;
  if (!Lookup(config, "symbolfilter", value)) return 0;
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] config unsupport:%s %s", kModuleTag, Operation(kStep).c_str(), "symbolfilter",
          value.c_str());
  return -1;
}

int TtsLocalEngine::SetTtsEngineParamSpecialNumber(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamSpecialNumber";
  std::string one, two;
  const bool have_one = Lookup(config, "specialone", one);
  const bool have_two = Lookup(config, "specialtwo", two);
  if (!kModuleFlavour.n6_parameter_steps) {
    if (!have_one && !have_two) return 0;
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s engine param config unsupport:%s %s", kModuleTag, Operation(kStep).c_str(),
            name_.c_str(), "specialone", "specialtwo");
    return -1;
  }
  long bits = 0;
  if (have_one) {
    bits += engine_values::LeadingInteger(engine_values::Map("specialone", one)) == 0 ? kSpecialYao1 : kSpecialYi1;
  }
  if (have_two) {
    bits += engine_values::LeadingInteger(engine_values::Map("specialtwo", two)) == 0 ? kSpecialEr4 : kSpecialLiang3;
  }
  return PassParam(kStep, QVTTS_PARAM_SPECIAL_NUMBERS, bits);
}

int TtsLocalEngine::SetTtsEngineParamSpeedMode(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamSpeedMode";
  if (!kModuleFlavour.n6_parameter_steps) return PassMappedParam(config, "speedmode", kStep, QVTTS_PARAM_SPEED_MODE);
  std::string value;
  if (!Lookup(config, "speedmode", value)) return 0;
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s engine param config error:%s %s", kModuleTag, Operation(kStep).c_str(),
          name_.c_str(), "speedmode", value.c_str());
  return -1;
}

int TtsLocalEngine::SetTtsEngineParamSilenceMode(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamSilenceMode";
  if (!kModuleFlavour.n6_parameter_steps) {
    return PassMappedParam(config, "silencemode", kStep, QVTTS_PARAM_SILENCE_MODE);
  }
  std::string value;
  if (!Lookup(config, "silencemode", value)) return 0;
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s can not support config(%s)", kModuleTag, Operation(kStep).c_str(), name_.c_str(),
          "silencemode");
  return -1;
}

int TtsLocalEngine::SetTtsEngineParamSoundEffect(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamSoundEffect";
  std::string value;
  if (!Lookup(config, "soundeffect", value)) return 0;
  const long effect = engine_values::LeadingInteger(engine_values::Map("soundeffect", value));
  int code = PassParam(kStep, QVTTS_PARAM_SOUND_EFFECT, effect);
  // Only the echo takes the mix level.
  if (code == 0 && effect == 2) code = SetTtsEngineParamMixSound(config, kStep);
  return code;
}

int TtsLocalEngine::SetTtsEngineParamMixSound(const ConfigMap& config, const char* operation) {
  std::string value;
  if (!Lookup(config, "mixsound", value)) return 0;
  long mix = engine_values::LeadingInteger(value);
  // Values from a capability's own configuration are unchecked: keep the
  // product in range so that the engine refuses it instead of a wrap.
  if (mix > 1000000) mix = 1000000;
  if (mix < -1000000) mix = -1000000;
  const long level = (mix - 5) * 65535 / 10;
  return PassParam(operation, QVTTS_PARAM_MIX_SOUND, level);
}

int TtsLocalEngine::SetTtsEngineParamGainFactor(const ConfigMap& config) {
  static const char kStep[] = "SetTtsEngineParamGainFactor";
  std::string value;
  if (!Lookup(config, "gainfactor", value)) return 0;
  if (kModuleFlavour.n6_parameter_steps) {
    return PassParam(kStep, QVTTS_PARAM_GAIN_FACTOR, engine_values::LeadingInteger(value));
  }
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] config unsupport:%s %s", kModuleTag, Operation(kStep).c_str(), "gainfactor",
          value.c_str());
  return -1;
}
