#include <new>
#include <string>

#include "config_assistant.h"
#include "config_rules.h"
#include "sdk.h"
#include "sdk_log.h"

namespace kvo_tts {

namespace {

template <size_t N>
int RuleCount(const ConfigRule (&)[N]) {
  return static_cast<int>(N);
}

CQThreadMutex g_instance_mutex;
std::atomic<TtsSdk*> g_instance{nullptr};

// When the library is unloaded (dlclose, or the end of the process) after the
// application released the SDK, the singleton goes with it. A still
// initialised SDK is left alone: unloading engine modules from a static
// destructor is not safe.
struct SingletonReaper {
  ~SingletonReaper() {
    TtsSdk* sdk = g_instance.exchange(nullptr);
    if (sdk != nullptr && !sdk->IsInited()) delete sdk;
  }
} g_singleton_reaper;

}  // namespace

TtsSdk* TtsSdk::GetInstance() {
  TtsSdk* sdk = g_instance.load(std::memory_order_acquire);
  if (sdk != nullptr) return sdk;
  CQThreadLock lock(g_instance_mutex);
  sdk = g_instance.load(std::memory_order_relaxed);
  if (sdk == nullptr) {
    // Lives until the process ends.
    sdk = new (std::nothrow) TtsSdk();
    g_instance.store(sdk, std::memory_order_release);
  }
  return sdk;
}

TtsSdk::~TtsSdk() { Clear(); }

int TtsSdk::Init(const char* config) {
  ScopedTrace trace(kTagTts, "TtsSdk::Init");
  const int result = InitChecked(config);
  LogResult("TtsSdk::Init", result);
  return result;
}

int TtsSdk::InitChecked(const char* config) {
  if (!KVO_IsInited()) return 100;
  if (IsInited()) return 501;
  ConfigMap map;
  if (!ConfigAssistant::Parse(config, map)) return 3;
  const int result = ConfigAssistant::CheckAndRebuild(kInitRules, RuleCount(kInitRules), map);
  if (result != 0) return result;
  return SdkInterface::Init(ConfigAssistant::Serialize(map).c_str());
}

int TtsSdk::Release() {
  const int result = IsInited() ? SdkInterface::Release() : 500;
  LogResult("TtsSdk::Release", result);
  return result;
}

int TtsSdk::StopSession(int session_id) {
  const int result = IsInited() ? SdkInterface::StopSession(session_id) : 500;
  LogResult("TtsSdk::StopSession", result);
  return result;
}

void TtsSdk::Clear() { SdkInterface::Clear(); }

SessionInterface* TtsSdk::CreateSession() { return new (std::nothrow) TtsSession(); }

int TtsSdk::ModuleNameForCapkey(const std::string& capkey, std::string& file_name) {
  const auto has = [&capkey](const char* part) { return capkey.find(part) != std::string::npos; };
  const bool local = has(".local.");
  const char* module = nullptr;
  if (local && has(".n6")) {
    module = "kvo_tts_local_n6_synth";
  } else if (local && has(".v6")) {
    module = "kvo_tts_local_v6_synth";
  } else if (local && has(".n4")) {
    module = "kvo_tts_local_n4_synth";
  } else if (local) {
    module = "kvo_tts_local_synth";
  } else if (has(".cloud.")) {
    module = "kvo_tts_cloud_synth";
  } else {
    return 22;
  }
  file_name = ModuleFileName(module);
  return 0;
}

IDllInterface* TtsSdk::CreateDllInterface() { return new (std::nothrow) TtsDllInterface(); }

bool TtsSdk::CapkeyMatched(const std::string& capkey) {
  return capkey.size() >= 4 && ConfigAssistant::ToLower(capkey.substr(0, 4)) == "tts.";
}

int TtsSdk::CheckDoubleConfig(const ConfigMap& config) {
  return ConfigAssistant::CheckNumericValues(config, "TtsSdk::CheckDoubleConfig");
}

int TtsSdk::StartSession(const char* config, int* session_id) {
  bool report = true;
  const int result = StartSessionChecked(config, session_id, report);
  if (report) LogResult("TtsSdk::StartSession", result);
  return result;
}

int TtsSdk::StartSessionChecked(const char* config, int* session_id, bool& report) {
  if (!IsInited()) return 500;
  if (config == nullptr || session_id == nullptr) return 1;
  ConfigMap map;
  if (!ConfigAssistant::Parse(config, map)) return 3;
  int result = ConfigAssistant::CheckAndRebuild(kSessionRules, RuleCount(kSessionRules), map);
  if (result != 0) return result;
  result = CheckDoubleConfig(map);
  if (result != 0) {
    // The numeric check has logged its own line.
    report = false;
    return result;
  }
  return SdkInterface::StartSession(map, session_id);
}

int TtsSdk::Synth(int session_id, const char* text, const char* config, TtsSynthCallback callback, void* user) {
  ScopedTrace trace(kTagTts, "TtsSdk::Synth");
  const int result = SynthChecked(session_id, text, config, callback, user);
  LogResult("TtsSdk::Synth", result);
  return result;
}

int TtsSdk::SynthChecked(int session_id, const char* text, const char* config, TtsSynthCallback callback, void* user) {
  if (!IsInited()) return 500;
  if (text == nullptr || text[0] == '\0' || callback == nullptr) return 1;
  ConfigMap map;
  if (!ConfigAssistant::Parse(config, map)) return 3;
  int result = ConfigAssistant::CheckAndRebuild(kSynthRules, RuleCount(kSynthRules), map);
  if (result != 0) return result;
  result = CheckDoubleConfig(map);
  if (result != 0) return result;
  ConfigAssistant::RemoveKey("capkey", map);

  const unsigned int id = static_cast<unsigned int>(session_id);
  std::shared_ptr<SessionInterface> session;
  {
    CQThreadLock lock(session_mutex_);
    if (id >= kSessionSlots || !slots_[id]) return 16;
    session = slots_[id];
  }
  TtsSession* tts_session = dynamic_cast<TtsSession*>(session.get());
  if (tts_session == nullptr) return 16;
  return tts_session->Synth(map, text, callback, user);
}

}  // namespace kvo_tts
