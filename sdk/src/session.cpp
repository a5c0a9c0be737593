#include "session.h"

#include <string>

#include "config_assistant.h"
#include "sdk_log.h"

namespace kvo_tts {

SessionInterface::~SessionInterface() { ScopedTrace trace(kTagCommon, "SessionInterface::~SessionInterface"); }

void SessionInterface::BuildSynthConfig(const ConfigMap& config, ConfigMap& out) {
  out.clear();
  ConfigAssistant::Merge(out, session_config_);
  ConfigMap synth = config;
  StripSynthKeys(synth);
  ConfigAssistant::Merge(out, synth);
  ConfigAssistant::Merge(out, capkey_config_);
}

void SessionInterface::BuildStartConfig(const ConfigMap& config) {
  session_config_.clear();
  ConfigAssistant::Merge(session_config_, config);
  ConfigAssistant::Merge(session_config_, capkey_config_);
  ConfigAssistant::SetValue("sessionid", std::to_string(session_id_), session_config_);
}

void SessionInterface::StripSynthKeys(ConfigMap& config) {
  ConfigAssistant::RemoveKey("capkey", config);
  ConfigAssistant::RemoveKey("appkey", config);
}

const TtsDllInterface* TtsSession::Module() const { return dynamic_cast<const TtsDllInterface*>(dll_); }

int TtsSession::Start(const ConfigMap& config, const CapInnerItem* item) {
  ScopedTrace trace(kTagTts, "TtsSession::Start");
  BuildStartConfig(config);
  const TtsDllInterface* module = Module();
  if (module == nullptr) return 23;
  return module->StartSession(&session_config_, item, &handle_);
}

int TtsSession::Stop() {
  ScopedTrace trace(kTagTts, "TtsSession::Stop");
  const TtsDllInterface* module = Module();
  if (module == nullptr) return 23;
  return module->StopSession(&handle_);
}

int TtsSession::TryEnterBusy() {
  bool expected = true;
  return idle_.compare_exchange_strong(expected, false, std::memory_order_acq_rel) ? 0 : 502;
}

int TtsSession::Synth(const ConfigMap& config, const char* text, TtsSynthCallback callback, void* user) {
  ScopedTrace trace(kTagTts, "TtsSession::Synth");
  if (TryEnterBusy() != 0) return 502;
  // Idle again however the call ends: an allocation failure that escapes as
  // bad_alloc must not leave a session that can never be stopped.
  struct IdleOnExit {
    TtsSession* session;
    ~IdleOnExit() { session->LeaveBusy(); }
  } idle_on_exit{this};
  ConfigMap synth_config;
  BuildSynthConfig(config, synth_config);
  const TtsDllInterface* module = Module();
  return module != nullptr ? module->Synth(handle_, &synth_config, text, callback, user) : 23;
}

}  // namespace kvo_tts
