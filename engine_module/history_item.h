// The usage record of one synthesis, handed to the system library when the
// next synthesis begins or the session stops.
#ifndef KVO_ENGINE_MODULE_HISTORY_ITEM_H
#define KVO_ENGINE_MODULE_HISTORY_ITEM_H

#include <cstdint>
#include <string>
#include <vector>

#include "config_map.h"

struct HistoryChunk {
  std::vector<unsigned char> data;
  int kind = 0;
};

struct HistoryItem {
  std::vector<unsigned char> result_data;
  std::string config_text;
  int64_t request_time_ms = 0;
  int64_t process_time_ms = 0;
  std::vector<HistoryChunk> chunks;
  std::string capkey;
  std::string appkey;
  int64_t request_length = 0;
  std::vector<unsigned char> request_data;
};

// A record for a synthesis configuration: keys from it, config_text its
// serialised form without appkey.
HistoryItem OpenHistoryItem(const ConfigMap& config);
// Adds request data; the first chunk stamps the request time.
void AddHistoryChunk(HistoryItem& item, const void* data, size_t length, int kind);
// Completes the record and hands it to kvo_append_user_his_item.
void HandOverHistoryItem(HistoryItem& item);

#endif
