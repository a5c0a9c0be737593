// The system library and the speech API started on the generated test data
// folder (test voices written by the library writer at build time), and a
// recorder that checks every synthesis callback against the contract.
#ifndef KVO_TESTS_ENGINE_MODULE_MODULE_TEST_SUPPORT_H
#define KVO_TESTS_ENGINE_MODULE_MODULE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvo_sys.h"
#include "kvo_tts.h"

namespace module_test {

// Folder with catalogue.ini and the generated libraries (see CMakeLists.txt).
std::string DataFolder();
std::string ReadFile(const std::string& path);

class ModuleApiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts a session; the id is kept and stopped at the end of the test.
  int Start(const std::string& config);

  std::string scratch_;       // a fresh folder for logs and usage records
  std::string history_file_;  // the usage records written by the system library
  std::vector<int> sessions_;
};

// One call of the synthesis callback.
struct Delivery {
  bool has_audio = false;
  size_t audio_bytes = 0;
  size_t text_begin = 0;  // offset into the synthesised text
  size_t text_len = 0;
  bool has_more = true;
};

// Collects the calls of one synthesis; answers false from call stop_at on.
struct CallRecorder {
  const char* text = nullptr;
  int stop_at = -1;
  std::vector<Delivery> calls;
  std::vector<unsigned char> audio;

  static bool Callback(void* user, const TtsSynthResult* result, int error_code);
  // Adds a failure for every broken rule of the callback contract.
  void ExpectContract() const;
  size_t ProgressCalls() const;
};

}  // namespace module_test

#endif
