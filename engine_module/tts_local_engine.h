// One module session around one engine instance: resources, engine memory,
// parameters, the synthesis and the engine's callbacks.
#ifndef KVO_ENGINE_MODULE_TTS_LOCAL_ENGINE_H
#define KVO_ENGINE_MODULE_TTS_LOCAL_ENGINE_H

#include <cstdint>
#include <memory>
#include <string>

#include "core/qvtts.h"
#include "kvo_tts.h"
#include "recog_engine_interface.h"

class TtsLocalEngine : public RecogEngineInterface {
 public:
  TtsLocalEngine() = default;
  ~TtsLocalEngine() override;
  TtsLocalEngine(const TtsLocalEngine&) = delete;
  TtsLocalEngine& operator=(const TtsLocalEngine&) = delete;

  int StartSession(const ConfigMap& config, const CapInnerItem* item) override;
  int StopSession() override;
  int SynthesizeText(const ConfigMap& config, const char* text, TtsSynthCallback callback, void* user);

 private:
  struct ResourcePaths {
    std::string chinese, english, domain;
  };
  int GetTtsEngineLocalResInfo(const CapInnerItem* item, ResourcePaths& paths);
  void CloseEngine();

  // The parameter family, in the order it runs.
  int SetTtsEngineParam(const ConfigMap& config);
  int SetTtsEngineParamCodepage(const ConfigMap& config);
  int SetTtsEngineParamVolume(const ConfigMap& config);
  int SetTtsEngineParamPunc(const ConfigMap& config);
  int SetTtsEngineParamDigit(const ConfigMap& config);
  int SetTtsEngineParamEng(const ConfigMap& config);
  int SetTtsEngineParamTag(const ConfigMap& config);
  int SetTtsEngineParamAudioFormat(const ConfigMap& config);
  int SetTtsEngineParamPitch(const ConfigMap& config);
  int SetTtsEngineParamSpeed(const ConfigMap& config);
  int SetTtsEngineParamVoiceStyle(const ConfigMap& config);
  int SetTtsEngineParamEngineSpeedup(const ConfigMap& config);
  int SetTtsEngineParamNamepolyphone(const ConfigMap& config);
  int SetTtsEngineParamSymbolFilter(const ConfigMap& config);
  int SetTtsEngineParamSpecialNumber(const ConfigMap& config);
  int SetTtsEngineParamSpeedMode(const ConfigMap& config);
  int SetTtsEngineParamSilenceMode(const ConfigMap& config);
  int SetTtsEngineParamSoundEffect(const ConfigMap& config);
  int SetTtsEngineParamMixSound(const ConfigMap& config, const char* operation);
  int SetTtsEngineParamGainFactor(const ConfigMap& config);
  // Passes one number; a refusal is logged under "TtsLocalEngine::<step>".
  int PassParam(const char* step, int32_t id, long number, bool log_refusal = true);
  int PassMappedParam(const ConfigMap& config, const char* key, const char* step, int32_t id);
  int PassScaledParam(const ConfigMap& config, const char* key, const char* step, int32_t id);

  // Engine callbacks; user_data is this object.
  static int InputTextProc(void* user_data, char* buffer, int32_t* length);
  static int QvExamProgressProc(void* user_data, int32_t begin, int32_t length);
  static int QvExamOutputVoiceProc(void* user_data, int32_t kind, const void* data, int32_t bytes);
  // Calls the application and stops the engine when it asks to.
  void Deliver(const TtsSynthResult& result);
  void DeliverLastCall();

  std::unique_ptr<uint8_t[]> engine_block_;
  qvTTS_HANDLE engine_ = nullptr;
  int processed_pos_ = 0;
  const char* text_ = nullptr;
  int text_length_ = 0;
  int input_pos_ = 0;
  TtsSynthCallback callback_ = nullptr;
  bool continue_ = true;
  void* user_ = nullptr;
  std::string name_;
  bool last_call_made_ = false;
};

#endif
