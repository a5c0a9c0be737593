#include "sdk_test_support.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvo_sdk_test {

namespace {

// Capabilities of the test data folder. The module each key selects is in
// the comment; the test modules are described in modules/CMakeLists.txt.
const char kCatalogue[] = R"(# Voice catalogue of the speech API tests.
[tts.local.synth]
# kvo_tts_local_synth
type = local
config = speed=8,cap=first
resource = cnlib:voice_cn.kvl
resource = enlib:voice_en.kvl

[tts.local.second]
# kvo_tts_local_synth, the same file as tts.local.synth
type = local
config = cap=second
resource = cnlib:voice_cn.kvl

[tts.local.synth.N6]
# kvo_tts_local_synth: ".N6" is not ".n6"
type = local
resource = cnlib:voice_cn.kvl

[TTS.local.upper]
# kvo_tts_local_synth
type = local
resource = cnlib:voice_cn.kvl

[tts.cloud.local.x]
# kvo_tts_local_synth: ".local." wins over ".cloud."
type = local
resource = cnlib:voice_cn.kvl

[tts.local.synth.n6]
# kvo_tts_local_n6_synth (counting)
type = local
resource = cnlib:voice_cn.kvl

[tts.local.n6.v6]
# kvo_tts_local_n6_synth (counting): ".n6" is tested before ".v6"
type = local
resource = cnlib:voice_cn.kvl

[tts.local.v6]
# kvo_tts_local_v6_synth, which lacks KvoTtsSynth
type = local
resource = cnlib:voice_cn.kvl

[tts.local.n4]
# kvo_tts_local_n4_synth, whose KvoTtsInit fails with 77
type = local
resource = cnlib:voice_cn.kvl

[tts.local.missing]
# a resource file that is not there
type = local
resource = cnlib:voice_cn.kvl
resource = enlib:not_there.kvl

[tts.local.bare]
# no resource files at all
type = local

[tts.cloud.synth]
# kvo_tts_cloud_synth with its own service address
type = cloud
service_url = http://127.0.0.1:9/tts

[tts.cloud.cfg]
# kvo_tts_cloud_synth with ServiceUrl in its configuration
type = cloud
config = ServiceUrl=http://127.0.0.1:9/cfg

[tts.cloud.none]
# kvo_tts_cloud_synth without any address
type = cloud

[tts.cloud.res]
# a cloud key with a resource file: checked even without a data path
type = cloud
service_url = http://127.0.0.1:9/tts
resource = cnlib:voice_cn.kvl

[tts.asr.x]
# neither ".local." nor ".cloud."
type = local
resource = cnlib:voice_cn.kvl

[tts.]
type = cloud
)";

std::mutex g_events_mutex;
std::vector<ModuleEvent>& EventStore() {
  static std::vector<ModuleEvent> events;
  return events;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void* OpenLoaded(const std::string& module) {
  const std::string file = "lib" + module + ".so";
  return dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

}  // namespace

}  // namespace kvo_sdk_test

// Called by the test engine modules (found with dlsym, so exported).
extern "C" __attribute__((visibility("default"))) void KvoTestModuleEvent(const char* module, const char* event,
                                                                          const char* detail) {
  std::lock_guard<std::mutex> lock(kvo_sdk_test::g_events_mutex);
  kvo_sdk_test::EventStore().push_back({module, event, detail});
}

namespace kvo_sdk_test {

DataFolder::DataFolder() {
  char pattern[] = "/tmp/kvo_sdk_test_XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) {
    ADD_FAILURE() << "mkdtemp failed";
    return;
  }
  path_ = made;
  WriteFile("catalogue.ini", kCatalogue);
  WriteFile("voice_cn.kvl", "cn");
  WriteFile("voice_en.kvl", "en");
}

DataFolder::~DataFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string DataFolder::LogText() const { return ReadWhole(path_ + "/logs/kvo_tts.log"); }

void DataFolder::WriteFile(const std::string& name, const std::string& content) const {
  std::ofstream out(path_ + "/" + name, std::ios::binary | std::ios::trunc);
  out << content;
}

void DataFolder::RemoveFile(const std::string& name) const { std::remove((path_ + "/" + name).c_str()); }

std::vector<LogLine> ParseLog(const std::string& text) {
  // "2026-12-09 23:42:52.690 [dc46de5b] INFO  message"
  std::vector<LogLine> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t tid_end = line.find("] ");
    if (tid_end == std::string::npos || line.size() < tid_end + 8) continue;
    const std::string level = line.substr(tid_end + 2, 5);
    int value = 0;
    if (level == "ERROR") value = 1;
    if (level == "WARN ") value = 2;
    if (level == "INFO ") value = 3;
    if (level == "TRACE") value = 5;
    lines.push_back({value, line.substr(tid_end + 8)});
  }
  return lines;
}

std::string FailedLine(const char* operation, int code) {
  return std::string("[qvcommon][") + operation + "] FAILED(" + std::to_string(code) + ":" + kvo_get_error_info(code) +
         ")";
}

std::vector<ModuleEvent> ModuleEvents() {
  std::lock_guard<std::mutex> lock(g_events_mutex);
  return EventStore();
}

std::vector<ModuleEvent> ModuleEvents(const std::string& module, const std::string& event) {
  std::vector<ModuleEvent> matching;
  for (const ModuleEvent& e : ModuleEvents()) {
    if (e.module == module && e.event == event) matching.push_back(e);
  }
  return matching;
}

void ClearModuleEvents() {
  std::lock_guard<std::mutex> lock(g_events_mutex);
  EventStore().clear();
}

bool ModuleLoaded(const std::string& module) {
  void* handle = OpenLoaded(module);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

KvoTestModuleCounts ModuleCounts(const std::string& module) {
  KvoTestModuleCounts counts{};
  void* handle = OpenLoaded(module);
  if (handle == nullptr) return counts;
  auto read = reinterpret_cast<KvoTestModuleCountsFunc>(dlsym(handle, KVO_TEST_MODULE_COUNTS_SYMBOL));
  if (read != nullptr) read(&counts);
  dlclose(handle);
  return counts;
}

void SdkTest::SetUp() {
  ClearModuleEvents();
  ASSERT_EQ(StartSystem(), KVO_SYS_OK);
}

void SdkTest::TearDown() {
  for (int id : open_sessions_) kvo_tts_session_stop(id);
  kvo_tts_release();
  if (KVO_IsInited()) kvo_release();
  // Nothing of a test may stay loaded for the next one.
  for (const char* module : {kContractModule, kCloudModule, kCountingModule, kNoSynthModule, kInitFailsModule}) {
    EXPECT_FALSE(ModuleLoaded(module)) << module << " is still loaded after release";
  }
}

int SdkTest::StartSystem(const std::string& extra) {
  std::string config = "dataPath=" + data_.path() + ",logFilePath=" + data_.path() +
                       "/logs,logLevel=5,logFileSize=1048576,maxSessionCount=" + std::to_string(max_sessions_);
  if (!extra.empty()) config += "," + extra;
  return kvo_init(config.c_str());
}

int SdkTest::InitSdk(const std::string& extra) {
  std::string config = "datapath=" + data_.path();
  if (!extra.empty()) config += "," + extra;
  return kvo_tts_init(config.c_str());
}

int SdkTest::StartSessionOk(const std::string& config) {
  int id = -1;
  const int result = kvo_tts_session_start(config.c_str(), &id);
  EXPECT_EQ(result, KVO_TTS_OK) << config;
  if (result == KVO_TTS_OK) open_sessions_.push_back(id);
  return id;
}

bool SdkTest::HasLog(int level, const std::string& message) const { return CountLog(level, message) > 0; }

int SdkTest::CountLog(int level, const std::string& message) const {
  int count = 0;
  for (const LogLine& line : Log()) count += line.level == level && line.message == message;
  return count;
}

bool ContractRecorder::Callback(void* user, const TtsSynthResult* result, int error_code) {
  ContractRecorder* self = static_cast<ContractRecorder*>(user);
  CallbackCall call;
  call.has_audio = result->voice_data != nullptr;
  call.has_text = result->text != nullptr;
  call.voice_size = result->voice_size;
  call.text_len = result->text_len;
  call.text = result->text;
  call.has_more = result->has_more;
  call.error_code = error_code;
  call.thread = std::this_thread::get_id();
  call.after_return = self->returned.load();
  if (result->voice_data != nullptr) {
    call.audio.assign(reinterpret_cast<const char*>(result->voice_data), result->voice_size);
  }
  const int index = static_cast<int>(self->calls.size());
  self->calls.push_back(call);
  if (self->on_call) self->on_call(index);
  return index != self->stop_at;
}

int ContractRecorder::Synth(int session_id, const char* text, const char* config) {
  calls.clear();
  returned = false;
  synth_thread = std::this_thread::get_id();
  const int result = kvo_tts_synth(session_id, text, config, &ContractRecorder::Callback, this);
  returned = true;
  return result;
}

int ContractRecorder::ProgressCalls() const {
  int count = 0;
  for (const CallbackCall& c : calls) count += c.has_text;
  return count;
}

int ContractRecorder::AudioCalls() const {
  int count = 0;
  for (const CallbackCall& c : calls) count += c.has_audio;
  return count;
}

std::string ContractRecorder::SpokenText() const {
  std::string spoken;
  for (const CallbackCall& c : calls) {
    if (c.has_text) spoken.append(c.text, c.text_len);
  }
  return spoken;
}

::testing::AssertionResult ContractRecorder::HoldsContract(const char* text, bool complete) const {
  if (calls.empty()) return ::testing::AssertionFailure() << "no callback call at all";
  const char* expected_span = text;
  int last_calls = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    const CallbackCall& c = calls[i];
    const std::string where = "call " + std::to_string(i) + ": ";
    if (c.thread != synth_thread) return ::testing::AssertionFailure() << where << "on another thread";
    if (c.after_return) return ::testing::AssertionFailure() << where << "after kvo_tts_synth returned";
    if (c.error_code != KVO_TTS_OK) return ::testing::AssertionFailure() << where << "error code " << c.error_code;
    if (!c.has_more) {
      ++last_calls;
      if (c.has_audio || c.has_text || c.voice_size != 0 || c.text_len != 0) {
        return ::testing::AssertionFailure() << where << "last call carries audio or text";
      }
      if (i + 1 != calls.size()) return ::testing::AssertionFailure() << where << "a call after the last call";
      continue;
    }
    if (stop_at >= 0 && static_cast<int>(i) > stop_at) {
      return ::testing::AssertionFailure() << where << "a call other than the last after a false return";
    }
    if (c.has_text) {
      if (c.text_len == 0) return ::testing::AssertionFailure() << where << "a span of length 0";
      if (c.has_audio || c.voice_size != 0) {
        return ::testing::AssertionFailure() << where << "progress call with audio";
      }
      if (c.text != expected_span) {
        return ::testing::AssertionFailure()
               << where << "span starts at offset " << (c.text - text) << ", expected " << (expected_span - text);
      }
      expected_span = c.text + c.text_len;
    } else if (c.has_audio) {
      if (c.voice_size == 0) return ::testing::AssertionFailure() << where << "audio of size 0";
      if (c.text_len != 0) return ::testing::AssertionFailure() << where << "audio call with text length";
    } else {
      return ::testing::AssertionFailure() << where << "has_more but neither text nor audio";
    }
  }
  if (last_calls != 1) return ::testing::AssertionFailure() << last_calls << " last calls";
  if (complete && static_cast<size_t>(expected_span - text) != std::char_traits<char>::length(text)) {
    return ::testing::AssertionFailure() << "spans end at " << (expected_span - text) << " of "
                                         << std::char_traits<char>::length(text);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kvo_sdk_test
