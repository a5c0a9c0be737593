// The part of a module session that every engine shares: the session's
// configuration, its keys and ids, and the open usage record.
#ifndef KVO_ENGINE_MODULE_RECOG_ENGINE_INTERFACE_H
#define KVO_ENGINE_MODULE_RECOG_ENGINE_INTERFACE_H

#include <memory>
#include <string>

#include "config_map.h"
#include "history_item.h"
#include "kvo_sys.h"

class RecogEngineInterface {
 public:
  virtual ~RecogEngineInterface();

  // Stores config and reads capkey, appkey (else the default application
  // key), sessionid and calltype from it.
  virtual int StartSession(const ConfigMap& config, const CapInnerItem* item);
  // Hands over the open usage record.
  virtual int StopSession();
  // The stored session configuration with config merged over it.
  virtual ConfigMap MergeConfig(const ConfigMap& config) const;
  virtual const std::string& GetAppKey() const { return app_key_; }
  virtual const std::string& GetCapKey() const { return cap_key_; }
  virtual unsigned GetCallType() const { return call_type_; }
  virtual unsigned GetSessionId() const { return session_id_; }
  // Opens the usage record of a synthesis, handing over the previous one.
  virtual void BeginHistoryItem(const ConfigMap& config);
  virtual void AddHistoryRequest(const void* data, size_t length, int kind);
  virtual void SetHistoryResult(const void* data, size_t length);

 protected:
  void FinishHistoryItem();

  ConfigMap session_config_;
  std::string app_key_;
  std::string cap_key_;
  unsigned session_id_ = 0;
  std::unique_ptr<HistoryItem> history_;
  unsigned call_type_ = 0;
};

#endif
