// Helpers for driving one engine instance in tests: an owned, aligned
// block, paths of the generated test libraries, and a callback recorder.
#ifndef KVO_TESTS_ENGINE_API_ENGINE_FIXTURE_H
#define KVO_TESTS_ENGINE_API_ENGINE_FIXTURE_H

#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/engine_instance.h"
#include "core/qvtts.h"

inline std::string TestLibrary(const char* name) {
  return name == nullptr ? std::string() : std::string(KVO_ENGINE_TEST_LIBRARIES) + "/" + name;
}

// One engine instance in a block sized by qvTTS_GetExtBufSize.
class EngineBlock {
 public:
  EngineBlock() = default;
  EngineBlock(const EngineBlock&) = delete;
  EngineBlock& operator=(const EngineBlock&) = delete;
  ~EngineBlock() {
    if (handle_ != nullptr && instance()->initialised == 1) qvTTS_End(handle_);
    std::free(block_);
  }

  // Library names are those written by make_test_libraries; null for none.
  int Init(const char* chinese, const char* english = nullptr, const char* domain = nullptr) {
    return InitPaths(Path(chinese), Path(english), Path(domain));
  }
  int InitPaths(const std::string* chinese, const std::string* english, const std::string* domain) {
    const char* cn = chinese ? chinese->c_str() : nullptr;
    const char* en = english ? english->c_str() : nullptr;
    const char* dm = domain ? domain->c_str() : nullptr;
    int32_t size = 0;
    int rc = qvTTS_GetExtBufSize(cn, en, dm, &size);
    // Even a refused size gets a block, so that Init's own checks run.
    if (rc != QVTTS_ERR_OK || size <= 0) size = 2 * 1024 * 1024;
    block_size_ = static_cast<size_t>(size);
    block_ = std::aligned_alloc(64, (block_size_ + 63) / 64 * 64);
    std::memset(block_, 0, block_size_);
    return qvTTS_Init(cn, en, dm, &handle_, block_);
  }

  qvTTS_HANDLE handle() const { return handle_; }
  qvInstance* instance() const { return static_cast<qvInstance*>(block_); }
  size_t block_size() const { return block_size_; }

 private:
  const std::string* Path(const char* name) {
    if (name == nullptr) return nullptr;
    paths_.push_back(TestLibrary(name));
    return &paths_.back();
  }
  std::deque<std::string> paths_;  // stable addresses
  void* block_ = nullptr;
  size_t block_size_ = 0;
  qvTTS_HANDLE handle_ = nullptr;
};

// Serves a text in chunks of a fixed size and records every callback.
struct CallbackRecorder {
  enum Kind { kInput, kProgress, kOutput, kSyllable, kWord };
  struct Event {
    Kind kind;
    int32_t a;
    int32_t b;
  };

  std::string text;
  size_t chunk_bytes = 1024;
  size_t served = 0;
  std::vector<Event> events;
  std::vector<std::string> spellings;
  size_t output_bytes = 0;
  int final_output_calls = 0;
  bool output_after_final = false;
  // Runs inside the callback of that kind, after recording it.
  std::function<void(Kind)> hook;

  void Install(qvTTS_HANDLE handle) {
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this));
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Input));
    qvTTS_SetParam(handle, QVTTS_PARAM_PROGRESS_PROC, reinterpret_cast<intptr_t>(&Progress));
    qvTTS_SetParam(handle, QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Output));
    qvTTS_SetParam(handle, QVTTS_PARAM_SYLLABLE_PROC, reinterpret_cast<intptr_t>(&Syllable));
  }

  int Count(Kind kind) const {
    int n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
  }

  static int Input(void* user, char* buffer, int32_t* length) {
    auto* self = static_cast<CallbackRecorder*>(user);
    size_t n = self->text.size() - self->served;
    if (n > self->chunk_bytes) n = self->chunk_bytes;
    if (n > static_cast<size_t>(*length)) n = static_cast<size_t>(*length);
    std::memcpy(buffer, self->text.data() + self->served, n);
    self->served += n;
    *length = static_cast<int32_t>(n);
    self->events.push_back({kInput, static_cast<int32_t>(n), 0});
    if (self->hook) self->hook(kInput);
    return 0;
  }
  static int Progress(void* user, int32_t begin, int32_t length) {
    auto* self = static_cast<CallbackRecorder*>(user);
    self->events.push_back({kProgress, begin, length});
    if (self->hook) self->hook(kProgress);
    return 0;
  }
  static int Output(void* user, int32_t, const void* data, int32_t bytes) {
    auto* self = static_cast<CallbackRecorder*>(user);
    if (self->final_output_calls > 0) self->output_after_final = true;
    if (data == nullptr && bytes == 0) {
      ++self->final_output_calls;
      return 0;
    }
    self->output_bytes += static_cast<size_t>(bytes);
    self->events.push_back({kOutput, bytes, 0});
    if (self->hook) self->hook(kOutput);
    return 0;
  }
  static int Syllable(void* user, int32_t, const char*, int32_t, const char* spelling, int32_t length) {
    auto* self = static_cast<CallbackRecorder*>(user);
    self->spellings.emplace_back(spelling, static_cast<size_t>(length));
    self->events.push_back({kSyllable, length, 0});
    if (self->hook) self->hook(kSyllable);
    return 0;
  }
};

#endif
