// Shared helpers of the speech API tests: a data folder with a voice
// catalogue, the system library started on it, the log it writes, the
// events and counters of the test engine modules, and a recorder that checks
// every synthesis callback against the callback contract.
#ifndef KVO_TESTS_SDK_SDK_TEST_SUPPORT_H
#define KVO_TESTS_SDK_SDK_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kvo_sys.h"
#include "kvo_tts.h"
#include "modules/test_module_probe.h"

namespace kvo_sdk_test {

// Module names of the test engine modules.
constexpr const char kContractModule[] = "kvo_tts_local_synth";
constexpr const char kCloudModule[] = "kvo_tts_cloud_synth";
constexpr const char kCountingModule[] = "kvo_tts_local_n6_synth";
constexpr const char kNoSynthModule[] = "kvo_tts_local_v6_synth";
constexpr const char kInitFailsModule[] = "kvo_tts_local_n4_synth";
// What KvoTtsInit of that module returns (KVO_TEST_MODULE_INIT_RESULT in
// modules/CMakeLists.txt); the speech API passes it on.
constexpr int kInitFailsModuleResult = 77;

// A fresh folder with catalogue.ini and the resource files its local
// capabilities name (see the .cpp for the capabilities). Removed at the end.
class DataFolder {
 public:
  DataFolder();
  ~DataFolder();
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  const std::string& path() const { return path_; }  // without a trailing '/'
  std::string LogText() const;
  void WriteFile(const std::string& name, const std::string& content) const;
  void RemoveFile(const std::string& name) const;

 private:
  std::string path_;
};

// One line of the system library's log.
struct LogLine {
  int level;
  std::string message;
};
std::vector<LogLine> ParseLog(const std::string& text);

// The FAILED line of an SDK operation for a code, as the log holds it.
std::string FailedLine(const char* operation, int code);

// One event of a test module (see test_module_probe.h).
struct ModuleEvent {
  std::string module;
  std::string event;
  std::string detail;
};
std::vector<ModuleEvent> ModuleEvents();
std::vector<ModuleEvent> ModuleEvents(const std::string& module, const std::string& event);
void ClearModuleEvents();

// True while lib<module>.so is loaded in this process.
bool ModuleLoaded(const std::string& module);
// The counters of a loaded test module (all zero when it is not loaded).
KvoTestModuleCounts ModuleCounts(const std::string& module);

// Base fixture: system library started on a fresh data folder with full
// logging; everything released again at the end of the test.
class SdkTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // kvo_init with the fixture's folders plus extra entries.
  int StartSystem(const std::string& extra = "");
  // kvo_tts_init with datapath=<data folder> plus extra entries.
  int InitSdk(const std::string& extra = "");
  // Starts a session; fails the test if it does not start.
  int StartSessionOk(const std::string& config);

  std::vector<LogLine> Log() const { return ParseLog(data_.LogText()); }
  bool HasLog(int level, const std::string& message) const;
  int CountLog(int level, const std::string& message) const;

  DataFolder data_;
  std::vector<int> open_sessions_;
  int max_sessions_ = 16;
};

// One call of the synthesis callback as seen by the application.
struct CallbackCall {
  bool has_audio;
  bool has_text;
  uint32_t voice_size;
  uint32_t text_len;
  const char* text;
  bool has_more;
  int error_code;
  std::thread::id thread;
  bool after_return;
  std::string audio;
};

// Records the calls of one or more syntheses and checks them against the
// callback contract.
class ContractRecorder {
 public:
  static bool Callback(void* user, const TtsSynthResult* result, int error_code);

  // Runs kvo_tts_synth on the calling thread with this recorder.
  int Synth(int session_id, const char* text, const char* config = nullptr);

  // Returns false on the call with this index (0-based); -1 never.
  int stop_at = -1;
  // Runs inside the callback before it returns, with the call's index.
  std::function<void(int)> on_call;

  std::vector<CallbackCall> calls;
  std::thread::id synth_thread;
  std::atomic<bool> returned{false};

  // The checks of the contract for the last synthesis: every call on the
  // synthesising thread and before the return; progress, audio and last
  // calls well formed; spans adjacent from the start of text; exactly one
  // last call, at the end; after a false return only the last call. When
  // complete, the spans cover the whole text.
  ::testing::AssertionResult HoldsContract(const char* text, bool complete) const;
  int ProgressCalls() const;
  int AudioCalls() const;
  std::string SpokenText() const;
};

}  // namespace kvo_sdk_test

#endif
