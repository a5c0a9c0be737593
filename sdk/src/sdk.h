// The SDK state behind the exports: SdkInterface keeps the session table,
// the configuration and the engine-module registry; TtsSdk is the process-wide
// speech API object.
#ifndef KVO_SDK_SDK_H
#define KVO_SDK_SDK_H

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "config_map.h"
#include "cq_thread_mutex.h"
#include "dll_interface.h"
#include "kvo_sys.h"
#include "kvo_tts.h"
#include "session.h"

namespace kvo_tts {

constexpr int kSessionSlots = 256;

class SdkInterface {
 public:
  SdkInterface();
  SdkInterface(const SdkInterface&) = delete;
  SdkInterface& operator=(const SdkInterface&) = delete;
  virtual ~SdkInterface();

  // Takes the checked, serialised init string.
  virtual int Init(const char* config);
  virtual int Release();
  // Registers and starts a session for the checked session map.
  virtual int StartSession(const ConfigMap& config, int* session_id);
  virtual int StopSession(int session_id);
  virtual bool IsInited() { return initialised_.load(std::memory_order_acquire); }
  // Not initialised, every module unloaded and destroyed, registry, data
  // path, file flag and init configuration emptied.
  virtual void Clear();
  virtual SessionInterface* CreateSession() = 0;
  // 0 and the module file name for a capability key, or 22.
  virtual int ModuleNameForCapkey(const std::string& capkey, std::string& file_name) = 0;
  virtual IDllInterface* CreateDllInterface() = 0;
  virtual bool CapkeyMatched(const std::string& capkey) = 0;
  virtual IDllInterface* FindModule(const std::string& file_name);
  virtual int PrepareForCapkey(const std::string& capkey);
  virtual int PrepareForCapkeyByCapInnerItem(const std::string& capkey, const CapInnerItem* item);
  virtual int BuildCapkeyConfig(const std::string& capkey, const CapInnerItem* item, ConfigMap& out);

  // The cloud service address for a capability key.
  int ApplyServiceUrl(std::string& address, const std::string& capkey);
  // The type announced to the system library at init and release.
  virtual int SdkType() const = 0;

 protected:
  // Every resource file of the item exists under the data path.
  bool AccessValidRes(const std::string& capkey, const CapInnerItem* item);
  // The module registered for a capability key, or null.
  IDllInterface* ModuleForCapkey(const std::string& capkey);

  // Session table, guarded by session_mutex_. A slot shares ownership of
  // its session with a synthesis that is using it, so a session removed
  // by a stop stays alive until that call has left it.
  std::shared_ptr<SessionInterface> slots_[kSessionSlots];
  int active_count_ = 0;
  CQThreadMutex session_mutex_;
  int session_limit_ = 1;
  std::atomic<bool> initialised_{false};
  std::string data_path_;
  std::string file_flag_;
  ConfigMap init_config_;
  // The module registry, guarded by registry_mutex_ so that sessions may be
  // started on several threads at once.
  std::map<std::string, IDllInterface*> modules_by_name_;
  std::map<std::string, IDllInterface*> modules_by_capkey_;
  CQThreadMutex registry_mutex_;
};

class TtsSdk : public SdkInterface {
 public:
  // The process-wide object, created on first use.
  static TtsSdk* GetInstance();

  TtsSdk() = default;
  ~TtsSdk() override;

  int Init(const char* config) override;
  int Release() override;
  int StopSession(int session_id) override;
  void Clear() override;
  SessionInterface* CreateSession() override;
  int ModuleNameForCapkey(const std::string& capkey, std::string& file_name) override;
  IDllInterface* CreateDllInterface() override;
  bool CapkeyMatched(const std::string& capkey) override;
  virtual int CheckDoubleConfig(const ConfigMap& config);
  int SdkType() const override { return sdk_type_; }

  int StartSession(const char* config, int* session_id);
  int Synth(int session_id, const char* text, const char* config, TtsSynthCallback callback, void* user);

 private:
  int InitChecked(const char* config);
  int StartSessionChecked(const char* config, int* session_id, bool& report);
  int SynthChecked(int session_id, const char* text, const char* config, TtsSynthCallback callback, void* user);

  int sdk_type_ = 1;
};

}  // namespace kvo_tts

#endif
