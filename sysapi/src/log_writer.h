// Thread-safe log lines written to a file that rotates by size:
// kvo_tts.log is the newest, kvo_tts.log.1 ... .N-1 are older.
#ifndef KVO_SYS_LOG_WRITER_H
#define KVO_SYS_LOG_WRITER_H

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace kvo_sys {

struct LogSettings {
  int level = 0;       // 0: off; otherwise the highest level written
  std::string folder;  // empty: off
  long max_file_bytes = 1024L * 1024L;
  int file_count = 5;  // current file plus file_count - 1 rotated ones
};

class LogWriter {
 public:
  static LogWriter& Instance();

  // Opens the log file; returns false (and stays off) when it cannot be written.
  bool Open(const LogSettings& settings);
  void Close();
  bool Enabled(int level) const;
  void Write(int level, const char* format, va_list args);
  std::string CurrentFilePath() const;

 private:
  LogWriter() = default;
  void RotateLocked();
  std::string FilePath(int index) const;

  mutable std::mutex mutex_;
  std::atomic<int> level_{0};
  LogSettings settings_;
  FILE* file_ = nullptr;
  long written_ = 0;
};

}  // namespace kvo_sys

#endif
