#include "log_writer.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>

namespace kvo_sys {

namespace {

const char kLogFileName[] = "kvo_tts.log";

bool MakeFolders(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (i < path.size()) partial += path[i];
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

const char* LevelName(int level) {
  switch (level) {
    case 1:
      return "ERROR";
    case 2:
      return "WARN ";
    case 3:
      return "INFO ";
    default:
      return "TRACE";
  }
}

}  // namespace

LogWriter& LogWriter::Instance() {
  static LogWriter writer;
  return writer;
}

std::string LogWriter::FilePath(int index) const {
  std::string path = settings_.folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += kLogFileName;
  if (index > 0) path += "." + std::to_string(index);
  return path;
}

std::string LogWriter::CurrentFilePath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ ? FilePath(0) : std::string();
}

bool LogWriter::Open(const LogSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = nullptr;
  level_ = 0;
  settings_ = settings;
  if (settings_.level <= 0 || settings_.folder.empty()) return true;
  if (!MakeFolders(settings_.folder)) return false;
  file_ = std::fopen(FilePath(0).c_str(), "ab");
  if (!file_) return false;
  std::fseek(file_, 0, SEEK_END);
  written_ = std::ftell(file_);
  level_ = settings_.level;
  return true;
}

void LogWriter::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  level_ = 0;
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

bool LogWriter::Enabled(int level) const {
  const int current = level_.load(std::memory_order_relaxed);
  return current > 0 && level >= 1 && level <= current;
}

void LogWriter::RotateLocked() {
  std::fclose(file_);
  file_ = nullptr;
  if (settings_.file_count <= 1) {
    std::remove(FilePath(0).c_str());
  } else {
    std::remove(FilePath(settings_.file_count - 1).c_str());
    for (int i = settings_.file_count - 2; i >= 0; --i) std::rename(FilePath(i).c_str(), FilePath(i + 1).c_str());
  }
  file_ = std::fopen(FilePath(0).c_str(), "wb");
  written_ = 0;
  if (!file_) level_ = 0;  // the folder went away: logging stops rather than failing callers
}

void LogWriter::Write(int level, const char* format, va_list args) {
  if (!Enabled(level) || format == nullptr) return;
  // Format outside the lock; one line per call.
  char message[4096];
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(message, sizeof message, format, copy);
  va_end(copy);
  if (length < 0) return;
  if (static_cast<size_t>(length) >= sizeof message) length = sizeof message - 1;
  while (length > 0 && (message[length - 1] == '\n' || message[length - 1] == '\r')) --length;
  message[length] = '\0';

  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const long millis =
      static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  const unsigned long thread_id =
      static_cast<unsigned long>(std::hash<std::thread::id>()(std::this_thread::get_id()) & 0xFFFFFFFFul);

  char line[4200];
  const int line_length =
      std::snprintf(line, sizeof line, "%s.%03ld [%08lx] %s %s\n", stamp, millis, thread_id, LevelName(level), message);
  if (line_length <= 0) return;
  const size_t bytes = std::min(static_cast<size_t>(line_length), sizeof line - 1);

  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  if (written_ > 0 && written_ + static_cast<long>(bytes) > settings_.max_file_bytes) {
    RotateLocked();
    if (!file_) return;
  }
  std::fwrite(line, 1, bytes, file_);
  std::fflush(file_);
  written_ += static_cast<long>(bytes);
}

}  // namespace kvo_sys
