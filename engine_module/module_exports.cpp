// The five entry points of the engine-module function table.
#include <new>
#include <string>

#include "config_assistant.h"
#include "kvo_tts_module.h"
#include "module_log.h"
#include "tts_local_engine.h"

std::string g_module_data_path;

namespace {

struct TraceScope {
  explicit TraceScope(const char* operation) : operation_(operation) {
    KVO_LOG(KVO_LOG_TRACE, "[%s][%s]Enter", kModuleTag, operation_);
  }
  ~TraceScope() { KVO_LOG(KVO_LOG_TRACE, "[%s][%s]Leave", kModuleTag, operation_); }
  const char* operation_;
};

}  // namespace

extern "C" {

KVO_TTS_MODULE_EXPORT int KvoTtsInit(const ConfigMap* init_config, const CapInnerItem* /*item*/) {
  TraceScope trace("KvoTtsInit");
  std::string path;
  if (init_config != nullptr) ConfigAssistant::GetValue("datapath", *init_config, path);
  // The same rule as the API's, so both name the same files.
  g_module_data_path = KvoTtsNormaliseDataPath(path);
  return 0;
}

KVO_TTS_MODULE_EXPORT int KvoTtsStartSession(const ConfigMap* session_config, const CapInnerItem* item,
                                             ModuleHandle* handle) {
  TraceScope trace("KvoTtsStartSession");
  if (session_config == nullptr || handle == nullptr) return 1;
  TtsLocalEngine* engine = new (std::nothrow) TtsLocalEngine();
  if (engine == nullptr) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] create engine failed", kModuleTag, "KvoTtsStartSession");
    return 2;
  }
  int result = 0;
  try {
    result = engine->StartSession(*session_config, item);
  } catch (const std::bad_alloc&) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] create engine failed", kModuleTag, "KvoTtsStartSession");
    result = 2;
  }
  if (result != 0) {
    delete engine;
    return result;
  }
  *handle = engine;
  return 0;
}

KVO_TTS_MODULE_EXPORT int KvoTtsSynth(ModuleHandle handle, const ConfigMap* synth_config, const char* text,
                                      TtsSynthCallback callback, void* user) {
  TraceScope trace("KvoTtsSynth");
  if (handle == nullptr) return 1;
  // Nothing is thrown across the module boundary.
  try {
    const ConfigMap empty;
    return static_cast<TtsLocalEngine*>(handle)->SynthesizeText(synth_config ? *synth_config : empty, text, callback,
                                                                user);
  } catch (const std::bad_alloc&) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] out of memory", kModuleTag, "KvoTtsSynth");
    return 2;
  }
}

KVO_TTS_MODULE_EXPORT int KvoTtsStopSession(ModuleHandle* handle) {
  TraceScope trace("KvoTtsStopSession");
  if (handle == nullptr || *handle == nullptr) return 1;
  TtsLocalEngine* engine = static_cast<TtsLocalEngine*>(*handle);
  const int result = engine->StopSession();
  if (result != 0) return result;
  delete engine;
  *handle = nullptr;
  return 0;
}

KVO_TTS_MODULE_EXPORT int KvoTtsRelease(void) {
  TraceScope trace("KvoTtsRelease");
  return 0;
}

}  // extern "C"
