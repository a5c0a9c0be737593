// Start-up, release and the simple getters of the system library.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config_assistant.h"
#include "kvo_sys.h"
#include "log_writer.h"
#include "sys_state.h"

namespace kvo_sys {

SysState& State() {
  static SysState state;
  return state;
}

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

bool ReadInt(const ConfigMap& map, const char* key, long min, long max, long& out) {
  std::string value;
  if (!ConfigAssistant::GetValue(key, map, value)) return true;
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(value.c_str(), &end, 10);
  if (errno != 0 || end == value.c_str() || *end != '\0' || number < min || number > max) return false;
  out = number;
  return true;
}

bool ReadDouble(const ConfigMap& map, const char* key, double min, double max, double& out) {
  std::string value;
  if (!ConfigAssistant::GetValue(key, map, value)) return true;
  char* end = nullptr;
  const double number = std::strtod(value.c_str(), &end);
  if (end == value.c_str() || *end != '\0' || !(number >= min && number <= max)) return false;
  out = number;
  return true;
}

const char* const kKnownKeys[] = {"appkey",          "developerkey", "cloudurl",     "logfilesize",
                                  "loglevel",        "logfilepath",  "logfilecount", "datapath",
                                  "maxsessioncount", "historyfile",  "latitude",     "longitude"};

}  // namespace

std::string DefaultDataPath() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&DefaultDataPath), &info) != 0 && info.dli_fname != nullptr) {
    std::string library = info.dli_fname;
    const size_t slash = library.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : library.substr(0, slash);
    const std::string installed = folder + "/../share/kvo_tts/data";
    if (IsFolder(installed)) return WithSlash(installed);
  }
#ifdef KVO_SOURCE_DATA_DIR
  // Running from the build tree: the voices are in the source checkout.
  if (IsFolder(KVO_SOURCE_DATA_DIR)) return WithSlash(KVO_SOURCE_DATA_DIR);
#endif
  return std::string();
}

}  // namespace kvo_sys

using kvo_sys::LogSettings;
using kvo_sys::LogWriter;
using kvo_sys::State;

extern "C" {

KVO_SYS_API int KVO_LOG(int level, const char* format, ...) {
  if (!LogWriter::Instance().Enabled(level)) return 0;
  va_list args;
  va_start(args, format);
  LogWriter::Instance().Write(level, format, args);
  va_end(args);
  return 0;
}

KVO_SYS_API int kvo_init(const char* config) {
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.inited) return KVO_SYS_ALREADY_INITED;

  ConfigMap map;
  if (!ConfigAssistant::Parse(config, map)) return KVO_SYS_BAD_CONFIG;

  kvo_sys::SysSettings settings;
  LogSettings log;
  long log_level = 0, log_kb = 1024, log_count = 5, sessions = 16;
  if (!kvo_sys::ReadInt(map, "loglevel", 0, 5, log_level) ||
      !kvo_sys::ReadInt(map, "logfilesize", 1, 1024L * 1024L, log_kb) ||
      !kvo_sys::ReadInt(map, "logfilecount", 1, 100, log_count) ||
      !kvo_sys::ReadInt(map, "maxsessioncount", 1, 256, sessions) ||
      !kvo_sys::ReadDouble(map, "latitude", -90.0, 90.0, settings.latitude) ||
      !kvo_sys::ReadDouble(map, "longitude", -180.0, 180.0, settings.longitude)) {
    return KVO_SYS_BAD_CONFIG;
  }
  ConfigAssistant::GetValue("appkey", map, settings.appkey);
  ConfigAssistant::GetValue("developerkey", map, settings.developer_key);
  ConfigAssistant::GetValue("cloudurl", map, settings.cloud_url);
  ConfigAssistant::GetValue("historyfile", map, settings.history_file);
  std::string data_path;
  if (ConfigAssistant::GetValue("datapath", map, data_path)) {
    if (!kvo_sys::IsFolder(data_path)) return KVO_SYS_BAD_CONFIG;
    settings.data_path = kvo_sys::WithSlash(data_path);
  } else {
    settings.data_path = kvo_sys::DefaultDataPath();
  }
  settings.max_session_count = static_cast<int>(sessions);

  log.level = static_cast<int>(log_level);
  ConfigAssistant::GetValue("logfilepath", map, log.folder);
  log.max_file_bytes = log_kb * 1024L;
  log.file_count = static_cast<int>(log_count);
  // A log folder that cannot be written turns logging off; the SDK still works.
  const bool log_ok = LogWriter::Instance().Open(log);

  state.settings = settings;
  state.usage_records = 0;
  state.inited = true;

  if (!log_ok) {
    std::fprintf(stderr, "kvo_sys: log folder %s cannot be written; logging is off\n", log.folder.c_str());
  }
  for (const auto& entry : map) {
    bool known = false;
    for (const char* key : kvo_sys::kKnownKeys) known = known || entry.first == key;
    if (!known) KVO_LOG(KVO_LOG_WARNING, "[%s][%s] unknown key %s ignored", "kvo_sys", "kvo_init", entry.first.c_str());
  }
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] data path %s", "kvo_sys", "kvo_init", settings.data_path.c_str());
  return 0;
}

KVO_SYS_API int kvo_release(void) {
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.inited) return KVO_SYS_NOT_INITED;
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] released", "kvo_sys", "kvo_release");
  LogWriter::Instance().Close();
  state.inited = false;
  state.settings = kvo_sys::SysSettings();
  return 0;
}

KVO_SYS_API int KVO_IsInited(void) {
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.inited ? 1 : 0;
}

KVO_SYS_API int KVO_GetMaxSessionCount(void) {
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.settings.max_session_count;
}

KVO_SYS_API int KVO_SDKLogIn(int module_type) {
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] module type %d started", "kvo_sys", "KVO_SDKLogIn", module_type);
  return 0;
}

KVO_SYS_API int KVO_SDKLogOut(int module_type) {
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] module type %d ended", "kvo_sys", "KVO_SDKLogOut", module_type);
  return 0;
}

KVO_SYS_API const char* KVO_GetDataPath(void) {
  // The text lives in a per-thread copy so that a concurrent release cannot free it under the caller.
  thread_local std::string copy;
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  copy = state.inited ? state.settings.data_path : std::string();
  return copy.c_str();
}

KVO_SYS_API const char* KVO_GetDefaultAppKey(void) {
  thread_local std::string copy;
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  copy = state.settings.appkey;
  return copy.c_str();
}

KVO_SYS_API int KVO_GetLocation(KvoLocation* location) {
  if (location == nullptr) return KVO_SYS_INVALID_ARG;
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  location->latitude = state.settings.latitude;
  location->longitude = state.settings.longitude;
  return 0;
}

KVO_SYS_API int KVO_ApplyServiceUrlSynch(void) {
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.inited) return KVO_SYS_NOT_INITED;
  // There is no address service: a configured cloudUrl is the only address there is.
  return state.settings.cloud_url.empty() ? KVO_SYS_NO_SERVICE : 0;
}

KVO_SYS_API int KVO_StartApplyServiceUrlThread(void) { return 0; }

KVO_SYS_API int kvo_append_user_his_item(const UserHistoryItem* item) {
  if (item == nullptr) return KVO_SYS_INVALID_ARG;
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.inited) return KVO_SYS_NOT_INITED;
  ++state.usage_records;
  if (state.settings.history_file.empty()) return 0;
  // Only an explicit historyFile makes texts reach the disk.
  FILE* file = std::fopen(state.settings.history_file.c_str(), "ab");
  if (!file) return 0;
  std::fprintf(file, "capkey=%s\tappkey=%s\tconfig=%s\trequest_len=%d\t", item->capkey ? item->capkey : "",
               item->appkey ? item->appkey : "", item->config_text ? item->config_text : "", item->request_len);
  if (item->request_data != nullptr && item->request_len > 0)
    std::fwrite(item->request_data, 1, static_cast<size_t>(item->request_len), file);
  std::fputc('\n', file);
  std::fclose(file);
  return 0;
}

KVO_SYS_API int KVO_GetUsageRecordCount(void) {
  kvo_sys::SysState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.usage_records;
}

}  // extern "C"
