#include "history_item.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "config_assistant.h"
#include "kvo_sys.h"

HistoryItem OpenHistoryItem(const ConfigMap& config) {
  HistoryItem item;
  ConfigAssistant::GetValue("capkey", config, item.capkey);
  ConfigAssistant::GetValue("appkey", config, item.appkey);
  ConfigMap without_appkey = config;
  ConfigAssistant::RemoveKey("appkey", without_appkey);
  item.config_text = ConfigAssistant::Serialize(without_appkey);
  return item;
}

void AddHistoryChunk(HistoryItem& item, const void* data, size_t length, int kind) {
  if (item.chunks.empty()) {
    item.request_time_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
  }
  HistoryChunk chunk;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  if (bytes != nullptr) chunk.data.assign(bytes, bytes + length);
  chunk.kind = kind;
  item.request_length += static_cast<int64_t>(chunk.data.size());
  item.chunks.push_back(std::move(chunk));
}

void HandOverHistoryItem(HistoryItem& item) {
  KvoLocation location = {0.0, 0.0};
  KVO_GetLocation(&location);
  char tail[160];
  std::snprintf(tail, sizeof(tail), ",ReqTime=%lld,ProcTime=%lld,latitude=%lf,longitude=%lf",
                static_cast<long long>(item.request_time_ms / 1000), static_cast<long long>(item.process_time_ms),
                location.latitude, location.longitude);
  item.config_text += tail;
  item.request_data.clear();
  for (const HistoryChunk& chunk : item.chunks) {
    item.request_data.insert(item.request_data.end(), chunk.data.begin(), chunk.data.end());
  }
  UserHistoryItem record;
  record.appkey = item.appkey.c_str();
  record.capkey = item.capkey.c_str();
  record.config_len = static_cast<int>(item.config_text.size());
  record.request_len = static_cast<int>(item.request_data.size());
  record.result_len = static_cast<int>(item.result_data.size());
  record.config_text = item.config_text.c_str();
  record.request_data = item.request_data.empty() ? nullptr : item.request_data.data();
  record.result_data = item.result_data.empty() ? nullptr : item.result_data.data();
  kvo_append_user_his_item(&record);
}
