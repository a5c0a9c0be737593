// Log helpers of the speech API: module tags and the Enter/Leave and
// SUCCESS/FAILED lines.
#ifndef KVO_SDK_SDK_LOG_H
#define KVO_SDK_SDK_LOG_H

#include "kvo_sys.h"

namespace kvo_tts {

constexpr const char kTagTts[] = "kvo_tts";
constexpr const char kTagCommon[] = "qvcommon";

// Logs "[tag][operation]Enter" on construction and "...Leave" on
// destruction, both at trace level.
class ScopedTrace {
 public:
  ScopedTrace(const char* tag, const char* operation) : tag_(tag), operation_(operation) {
    KVO_LOG(KVO_LOG_TRACE, "[%s][%s]Enter", tag_, operation_);
  }
  ScopedTrace(const ScopedTrace&) = delete;
  ScopedTrace& operator=(const ScopedTrace&) = delete;
  ~ScopedTrace() { KVO_LOG(KVO_LOG_TRACE, "[%s][%s]Leave", tag_, operation_); }

 private:
  const char* tag_;
  const char* operation_;
};

// The result line of an SDK operation: SUCCESS at information level, or
// FAILED with the code and its text at error level.
inline void LogResult(const char* operation, int code) {
  if (code == 0) {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] SUCCESS", kTagCommon, operation);
  } else {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] FAILED(%d:%s)", kTagCommon, operation, code, kvo_get_error_info(code));
  }
}

}  // namespace kvo_tts

#endif
