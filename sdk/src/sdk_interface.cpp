#include <sys/stat.h>

#include <memory>
#include <new>
#include <string>

#include "config_assistant.h"
#include "sdk.h"
#include "sdk_log.h"

namespace kvo_tts {

namespace {

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

// Releases a capability record when the scope ends.
class ItemGuard {
 public:
  explicit ItemGuard(CapInnerItem* item) : item_(item) {}
  ItemGuard(const ItemGuard&) = delete;
  ItemGuard& operator=(const ItemGuard&) = delete;
  ~ItemGuard() { KVO_ReleaseCapabilityInternalItem(item_); }

 private:
  CapInnerItem* item_;
};

}  // namespace

SdkInterface::SdkInterface() = default;

SdkInterface::~SdkInterface() = default;

int SdkInterface::Init(const char* config) {
  {
    CQThreadLock lock(session_mutex_);
    session_limit_ = KVO_GetMaxSessionCount();
    active_count_ = 0;
    for (auto& slot : slots_) slot.reset();
  }
  init_config_.clear();
  ConfigAssistant::Parse(config, init_config_);

  std::string file_flag;
  std::string init_capkeys;
  std::string data_path;
  ConfigAssistant::GetValue("fileflag", init_config_, file_flag);
  ConfigAssistant::GetValue("initcapkeys", init_config_, init_capkeys);
  ConfigAssistant::GetValue("datapath", init_config_, data_path);
  data_path_ = KvoTtsNormaliseDataPath(data_path);
  file_flag_ = file_flag;

  size_t start = 0;
  while (start < init_capkeys.size()) {
    size_t end = init_capkeys.find(';', start);
    if (end == std::string::npos) end = init_capkeys.size();
    const std::string capkey = init_capkeys.substr(start, end - start);
    start = end + 1;
    if (capkey.empty()) continue;
    if (!CapkeyMatched(capkey)) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] capkey(%s) not matched", kTagCommon, "SdkInterface::Init", capkey.c_str());
      Clear();
      return 5;
    }
    const int result = PrepareForCapkey(capkey);
    if (result != 0) {
      Clear();
      return result;
    }
  }
  initialised_.store(true, std::memory_order_release);
  KVO_SDKLogIn(SdkType());
  return 0;
}

int SdkInterface::Release() {
  CQThreadLock lock(session_mutex_);
  for (const auto& slot : slots_) {
    if (slot) return 18;
  }
  active_count_ = 0;
  Clear();
  KVO_SDKLogOut(SdkType());
  return 0;
}

void SdkInterface::Clear() {
  initialised_.store(false, std::memory_order_release);
  CQThreadLock lock(registry_mutex_);
  for (auto& entry : modules_by_name_) {
    entry.second->UnLoad();
    delete entry.second;
  }
  modules_by_name_.clear();
  modules_by_capkey_.clear();
  data_path_.clear();
  file_flag_.clear();
  init_config_.clear();
}

IDllInterface* SdkInterface::FindModule(const std::string& file_name) {
  const auto it = modules_by_name_.find(file_name);
  return it == modules_by_name_.end() ? nullptr : it->second;
}

IDllInterface* SdkInterface::ModuleForCapkey(const std::string& capkey) {
  CQThreadLock lock(registry_mutex_);
  const auto it = modules_by_capkey_.find(capkey);
  return it == modules_by_capkey_.end() ? nullptr : it->second;
}

int SdkInterface::PrepareForCapkey(const std::string& capkey) {
  CapInnerItem item{};
  const int result = KVO_GetCapabilityInternalItemByKey(capkey.c_str(), &item, file_flag_.c_str());
  if (result != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] KVO_GetCapabilityInternalItemByKey(%s) return %d", kTagCommon,
            "SdkInterface::PrepareForCapkey", capkey.c_str(), result);
    return result;
  }
  ItemGuard guard(&item);
  return PrepareForCapkeyByCapInnerItem(capkey, &item);
}

bool SdkInterface::AccessValidRes(const std::string& capkey, const CapInnerItem* item) {
  for (int i = 0; i < item->resource_count; ++i) {
    const char* file_name = item->resources != nullptr ? item->resources[i].file_name : nullptr;
    const std::string path = data_path_ + OrEmpty(file_name);
    // An entry without a file name names no file, whatever the data path holds.
    if (file_name == nullptr || file_name[0] == '\0' || !FileExists(path)) {
      KVO_LOG(KVO_LOG_TRACE, "[%s][%s] file %s not exist!", kTagCommon, "SdkInterface::AccessValidRes", path.c_str());
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] AccessValidRes for %s failed", kTagCommon,
              "SdkInterface::PrepareForCapkeyByCapInnerItem", capkey.c_str());
      return false;
    }
  }
  return true;
}

int SdkInterface::PrepareForCapkeyByCapInnerItem(const std::string& capkey, const CapInnerItem* item) {
  static const char kOperation[] = "SdkInterface::PrepareForCapkeyByCapInnerItem";
  if (!item->is_cloud && data_path_.empty()) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] capkey(%s) datapath can't be empty", kTagCommon, kOperation, capkey.c_str());
    return 6;
  }
  if (!AccessValidRes(capkey, item)) return 14;

  CQThreadLock lock(registry_mutex_);
  if (modules_by_capkey_.count(capkey) != 0) return 0;
  std::string file_name;
  const int name_result = ModuleNameForCapkey(capkey, file_name);
  if (name_result != 0) return name_result;
  if (IDllInterface* loaded = FindModule(file_name)) {
    modules_by_capkey_[capkey] = loaded;
    return 0;
  }
  std::unique_ptr<IDllInterface> module(CreateDllInterface());
  if (!module) return 2;
  // Out of memory half way through loading or registering: the module is
  // released and unloaded again, so nothing is left half made.
  int result = 0;
  try {
    result = module->Load(file_name, item, init_config_);
  } catch (const std::bad_alloc&) {
    module->UnLoad();
    return 2;
  }
  if (result != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] KVO_GetCapabilityInternalItemByKey(%s) return %d", kTagCommon, kOperation,
            capkey.c_str(), result);
    return result;
  }
  try {
    modules_by_name_[file_name] = module.get();
    modules_by_capkey_[capkey] = module.get();
  } catch (const std::bad_alloc&) {
    modules_by_name_.erase(file_name);
    modules_by_capkey_.erase(capkey);
    module->UnLoad();
    return 2;
  }
  module.release();
  return 0;
}

int SdkInterface::BuildCapkeyConfig(const std::string& capkey, const CapInnerItem* item, ConfigMap& out) {
  for (int i = 0; i < item->config_count && item->configs != nullptr; ++i) {
    ConfigAssistant::SetValue(OrEmpty(item->configs[i].key), OrEmpty(item->configs[i].value), out);
  }
  if (item->is_cloud) {
    std::string address;
    if (item->service_url != nullptr && item->service_url[0] != '\0') {
      address = item->service_url;
    } else {
      ConfigAssistant::GetValue("ServiceUrl", out, address);
      const int result = ApplyServiceUrl(address, capkey);
      if (result != 0) return result;
    }
    ConfigAssistant::SetValue("requesturl", address, out);
  }
  return 0;
}

int SdkInterface::ApplyServiceUrl(std::string& address, const std::string& capkey) {
  static const char kOperation[] = "SdkInterface::ApplyServiceUrl";
  ScopedTrace trace(kTagCommon, kOperation);
  if (!address.empty()) {
    KVO_StartApplyServiceUrlThread();
    return 0;
  }
  const int fetched = KVO_ApplyServiceUrlSynch();
  if (fetched != 0) {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] UpdateAbilityMapFunc %d", kTagCommon, kOperation, fetched);
    return fetched;
  }
  CapInnerItem item{};
  const int result = KVO_GetCapabilityInternalItemByKey(capkey.c_str(), &item, "none");
  if (result != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] get capability(%s) failed (%d).", kTagCommon, kOperation, capkey.c_str(), result);
    return result;
  }
  ItemGuard guard(&item);
  if (item.service_url == nullptr || item.service_url[0] == '\0') {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] get capkey[%s]'s serviceUrl failed,the reson is you have no access for this cakey",
            kTagCommon, kOperation, capkey.c_str());
    return 15;
  }
  address = item.service_url;
  return 0;
}

int SdkInterface::StartSession(const ConfigMap& config, int* session_id) {
  static const char kOperation[] = "SdkInterface::StartSession";
  std::shared_ptr<SessionInterface> session(CreateSession());
  if (!session) return 2;

  const ConfigMap copy = config;
  std::string capkey;
  if (!ConfigAssistant::GetValue("capkey", copy, capkey)) return 4;
  if (!CapkeyMatched(capkey)) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] capkey(%s) not matched", kTagCommon, kOperation, capkey.c_str());
    return 5;
  }

  CapInnerItem item{};
  int result = KVO_GetCapabilityInternalItemByKey(capkey.c_str(), &item, file_flag_.c_str());
  if (result != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] KVO_GetCapabilityInternalItemByKey(%s) return %d", kTagCommon, kOperation,
            capkey.c_str(), result);
    return result;
  }
  ItemGuard guard(&item);

  ConfigMap capkey_config;
  result = PrepareForCapkeyByCapInnerItem(capkey, &item);
  if (result == 0) result = BuildCapkeyConfig(capkey, &item, capkey_config);
  if (result != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] PrepareForCapkey(%s) return %d", kTagCommon, kOperation, capkey.c_str(), result);
    return result;
  }
  IDllInterface* module = ModuleForCapkey(capkey);
  if (module == nullptr) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s can not found dll", kTagCommon, kOperation, capkey.c_str());
    return -1;
  }

  // Busy until started, so that a synthesis or stop with a guessed id
  // cannot reach a session that has no module session yet.
  session->TryEnterBusy();
  int id = -1;
  {
    CQThreadLock lock(session_mutex_);
    if (active_count_ >= session_limit_) {
      result = 17;
    } else {
      for (int i = 0; i < kSessionSlots; ++i) {
        if (!slots_[i]) {
          id = i;
          break;
        }
      }
      if (id < 0) {
        result = -1;
      } else {
        slots_[id] = session;
        session->SetId(id);
        if (session->IsCounted()) ++active_count_;
      }
    }
  }
  if (result != 0) return result;

  try {
    session->SetDll(module);
    session->SetCapConfig(capkey_config);
    result = session->Start(config, &item);
  } catch (const std::bad_alloc&) {
    // The slot is taken by now: give it back below instead of leaving a
    // busy session that can never be stopped.
    result = 2;
  }
  CQThreadLock lock(session_mutex_);
  if (result != 0) {
    slots_[id].reset();
    if (session->IsCounted()) --active_count_;
    return result;
  }
  session->LeaveBusy();
  *session_id = id;
  return 0;
}

int SdkInterface::StopSession(int session_id) {
  const unsigned int id = static_cast<unsigned int>(session_id);
  std::shared_ptr<SessionInterface> session;
  {
    CQThreadLock lock(session_mutex_);
    if (id >= kSessionSlots || !slots_[id]) return 16;
    session = slots_[id];
    // Claimed under the table lock: a synthesis or stop arriving now
    // finds the session busy.
    if (session->TryEnterBusy() != 0) return 502;
  }
  const bool counted = session->IsCounted();
  int result = 0;
  try {
    result = session->Stop();
  } catch (const std::bad_alloc&) {
    // Claimed above: made idle again below, so the stop can be repeated.
    result = 2;
  }
  CQThreadLock lock(session_mutex_);
  if (result != 0) {
    session->LeaveBusy();
    return result;
  }
  slots_[id].reset();
  if (counted) --active_count_;
  return 0;
}

}  // namespace kvo_tts
