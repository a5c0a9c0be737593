// A synthesis session: SessionInterface holds what every session has,
// TtsSession binds it to one module session of an engine module.
#ifndef KVO_SDK_SESSION_H
#define KVO_SDK_SESSION_H

#include <atomic>

#include "config_map.h"
#include "dll_interface.h"
#include "kvo_sys.h"
#include "kvo_tts.h"

namespace kvo_tts {

class SessionInterface {
 public:
  SessionInterface() = default;
  SessionInterface(const SessionInterface&) = delete;
  SessionInterface& operator=(const SessionInterface&) = delete;
  // Does not stop the module session.
  virtual ~SessionInterface();

  virtual void SetDll(IDllInterface* dll) { dll_ = dll; }
  virtual void SetCapConfig(const ConfigMap& config) { capkey_config_ = config; }
  virtual int Start(const ConfigMap& config, const CapInnerItem* item) = 0;
  virtual int Stop() = 0;
  // 0 when no synthesis runs on the session, 502 otherwise.
  virtual int CheckIdle() { return 0; }
  virtual bool IsCounted() { return counted_; }
  // The configuration a synthesis hands to the module: the session's, then
  // the synthesis' (without capkey and appkey), then the capability's own;
  // later entries win.
  virtual void BuildSynthConfig(const ConfigMap& config, ConfigMap& out);
  // The configuration the module session starts with: the checked session
  // map, the capability's own configuration and "sessionid".
  virtual void BuildStartConfig(const ConfigMap& config);
  virtual void StripSynthKeys(ConfigMap& config);
  virtual void SetCounted(bool counted) { counted_ = counted; }
  // Claims the session for one synthesis or a stop: 0 if it was idle (it
  // is busy from now on), 502 if it already was busy. Atomic, so a stop
  // and a synthesis on different threads never both get it.
  virtual int TryEnterBusy() { return 0; }
  // Makes a claimed session idle again.
  virtual void LeaveBusy() {}

  void SetId(int id) { session_id_ = id; }
  int Id() const { return session_id_; }
  const ConfigMap& SessionConfig() const { return session_config_; }

 protected:
  ConfigMap session_config_;
  ConfigMap capkey_config_;
  int session_id_ = -1;
  IDllInterface* dll_ = nullptr;  // not owned
  bool counted_ = true;
};

class TtsSession : public SessionInterface {
 public:
  TtsSession() = default;

  int Start(const ConfigMap& config, const CapInnerItem* item) override;
  int Stop() override;
  int CheckIdle() override { return idle_.load(std::memory_order_acquire) ? 0 : 502; }
  int TryEnterBusy() override;
  void LeaveBusy() override { idle_.store(true, std::memory_order_release); }

  // One synthesis through the module, on the calling thread. 502 while the
  // session is busy.
  int Synth(const ConfigMap& config, const char* text, TtsSynthCallback callback, void* user);

 private:
  const TtsDllInterface* Module() const;

  ModuleHandle handle_ = nullptr;
  std::atomic<bool> idle_{true};
};

}  // namespace kvo_tts

#endif
