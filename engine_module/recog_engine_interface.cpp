#include "recog_engine_interface.h"

#include "config_assistant.h"

// An open record is dropped here on purpose: only a stopped session has
// finished the synthesis it describes.
RecogEngineInterface::~RecogEngineInterface() = default;

int RecogEngineInterface::StartSession(const ConfigMap& config, const CapInnerItem* /*item*/) {
  session_config_.clear();
  ConfigAssistant::Merge(session_config_, config);
  app_key_.clear();
  cap_key_.clear();
  ConfigAssistant::GetValue("capkey", session_config_, cap_key_);
  ConfigAssistant::GetValue("appkey", session_config_, app_key_);
  ConfigAssistant::GetUInt("sessionid", session_config_, session_id_);
  ConfigAssistant::GetUInt("calltype", session_config_, call_type_);
  if (app_key_.empty()) {
    const char* fallback = KVO_GetDefaultAppKey();
    if (fallback != nullptr) app_key_ = fallback;
  }
  return 0;
}

int RecogEngineInterface::StopSession() {
  FinishHistoryItem();
  return 0;
}

ConfigMap RecogEngineInterface::MergeConfig(const ConfigMap& config) const {
  ConfigMap merged = session_config_;
  ConfigAssistant::Merge(merged, config);
  return merged;
}

void RecogEngineInterface::BeginHistoryItem(const ConfigMap& config) {
  FinishHistoryItem();
  history_.reset(new HistoryItem(OpenHistoryItem(config)));
}

void RecogEngineInterface::AddHistoryRequest(const void* data, size_t length, int kind) {
  if (history_) AddHistoryChunk(*history_, data, length, kind);
}

void RecogEngineInterface::SetHistoryResult(const void* data, size_t length) {
  if (!history_) return;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  history_->result_data.assign(bytes, bytes + length);
}

void RecogEngineInterface::FinishHistoryItem() {
  if (!history_) return;
  HandOverHistoryItem(*history_);
  history_.reset();
}
