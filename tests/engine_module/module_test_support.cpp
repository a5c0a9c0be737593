#include "module_test_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace module_test {

std::string DataFolder() { return KVO_MODULE_TEST_DATA; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ModuleApiTest::SetUp() {
  char pattern[] = "/tmp/kvo_module_test_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  scratch_ = pattern;
  history_file_ = scratch_ + "/history.txt";
  const std::string sys = "appkey=secret-app-key,logLevel=5,logFilePath=" + scratch_ + ",historyFile=" + history_file_ +
                          ",dataPath=" + DataFolder();
  ASSERT_EQ(kvo_init(sys.c_str()), KVO_SYS_OK);
  ASSERT_EQ(kvo_tts_init(("datapath=" + DataFolder()).c_str()), KVO_TTS_OK);
}

void ModuleApiTest::TearDown() {
  for (int id : sessions_) kvo_tts_session_stop(id);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  EXPECT_EQ(kvo_release(), KVO_SYS_OK);
  std::system(("rm -rf '" + scratch_ + "'").c_str());
}

int ModuleApiTest::Start(const std::string& config) {
  int id = -1;
  const int code = kvo_tts_session_start(config.c_str(), &id);
  if (code == KVO_TTS_OK) sessions_.push_back(id);
  return code;
}

bool CallRecorder::Callback(void* user, const TtsSynthResult* result, int error_code) {
  CallRecorder& self = *static_cast<CallRecorder*>(user);
  EXPECT_EQ(error_code, KVO_TTS_OK);
  Delivery call;
  call.has_audio = result->voice_data != nullptr;
  call.audio_bytes = result->voice_size;
  if (result->text != nullptr) {
    call.text_begin = static_cast<size_t>(result->text - self.text);
    call.text_len = result->text_len;
  }
  call.has_more = result->has_more;
  if (result->voice_data != nullptr) {
    self.audio.insert(self.audio.end(), result->voice_data, result->voice_data + result->voice_size);
  }
  self.calls.push_back(call);
  return self.stop_at < 0 || static_cast<int>(self.calls.size()) <= self.stop_at;
}

void CallRecorder::ExpectContract() const {
  ASSERT_FALSE(calls.empty());
  size_t next_text = 0;
  const size_t text_bytes = std::strlen(text);
  for (size_t i = 0; i + 1 < calls.size(); ++i) {
    const Delivery& call = calls[i];
    EXPECT_TRUE(call.has_more) << "call " << i;
    if (call.text_len > 0) {
      EXPECT_FALSE(call.has_audio) << "call " << i;
      EXPECT_EQ(call.text_begin, next_text) << "call " << i;
      next_text = call.text_begin + call.text_len;
      EXPECT_LE(next_text, text_bytes);
    } else {
      EXPECT_TRUE(call.has_audio && call.audio_bytes > 0) << "call " << i << " carries nothing";
    }
  }
  const Delivery& last = calls.back();
  EXPECT_FALSE(last.has_more);
  EXPECT_FALSE(last.has_audio);
  EXPECT_EQ(last.text_len, 0u);
  EXPECT_EQ(last.audio_bytes, 0u);
}

size_t CallRecorder::ProgressCalls() const {
  size_t count = 0;
  for (const Delivery& call : calls) count += call.text_len > 0 ? 1 : 0;
  return count;
}

}  // namespace module_test
