// The exported C functions of libkvo_tts.
#include <new>

#include "kvo_tts.h"
#include "sdk.h"
#include "sdk_log.h"

using kvo_tts::ScopedTrace;
using kvo_tts::TtsSdk;

namespace {

// Runs one SDK operation for an export: Enter/Leave lines, the singleton,
// and no exception across the library boundary.
template <typename Operation>
int RunExport(const char* name, Operation operation) {
  ScopedTrace trace(kvo_tts::kTagTts, name);
  try {
    TtsSdk* sdk = TtsSdk::GetInstance();
    if (sdk == nullptr) return KVO_TTS_ERR_NO_MEMORY;
    return operation(*sdk);
  } catch (const std::bad_alloc&) {
    return KVO_TTS_ERR_NO_MEMORY;
  } catch (...) {
    return KVO_TTS_ERR_NO_MEMORY;
  }
}

}  // namespace

extern "C" {

KVO_TTS_API int kvo_tts_init(const char* config) {
  return RunExport("kvo_tts_init", [&](TtsSdk& sdk) { return sdk.Init(config); });
}

KVO_TTS_API int kvo_tts_release(void) {
  return RunExport("kvo_tts_release", [&](TtsSdk& sdk) { return sdk.Release(); });
}

KVO_TTS_API int kvo_tts_session_start(const char* config, int* session_id) {
  return RunExport("kvo_tts_session_start", [&](TtsSdk& sdk) { return sdk.StartSession(config, session_id); });
}

KVO_TTS_API int kvo_tts_synth(int session_id, const char* text, const char* config, TtsSynthCallback callback,
                              void* user) {
  return RunExport("kvo_tts_synth", [&](TtsSdk& sdk) { return sdk.Synth(session_id, text, config, callback, user); });
}

KVO_TTS_API int kvo_tts_session_stop(int session_id) {
  return RunExport("kvo_tts_session_stop", [&](TtsSdk& sdk) { return sdk.StopSession(session_id); });
}

}  // extern "C"
