// Process-wide state of the system library, set by kvo_init.
#ifndef KVO_SYS_SYS_STATE_H
#define KVO_SYS_SYS_STATE_H

#include <mutex>
#include <string>

namespace kvo_sys {

struct SysSettings {
  std::string appkey;
  std::string developer_key;
  std::string cloud_url;
  std::string data_path;     // always ends in '/'
  std::string history_file;  // empty: usage texts are never written
  int max_session_count = 16;
  double latitude = 0.0;
  double longitude = 0.0;
};

struct SysState {
  std::mutex mutex;
  bool inited = false;
  SysSettings settings;
  int usage_records = 0;
};

SysState& State();

// The installed data folder, found relative to this library's own file.
std::string DefaultDataPath();

}  // namespace kvo_sys

#endif
