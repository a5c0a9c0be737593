#include "player_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

#include "kvo_sys.h"

namespace kvo_player_test {

const char kText[] = "今天天气很好。我们去公园散步吧。";

std::string DataFolder() {
  const char* chosen = std::getenv("KVO_PLAYER_TEST_DATA");
  return chosen != nullptr ? chosen : std::string(KVO_TEST_SOURCE_DIR) + "/data";
}

void FailWedged(const std::string& what) {
  ADD_FAILURE() << what;
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(1);
}

int StartWithin(const char* text, const char* config, std::chrono::milliseconds timeout) {
  auto code = std::make_shared<std::promise<int>>();
  std::future<int> result = code->get_future();
  std::thread([code, text = std::string(text), config = std::string(config)] {
    code->set_value(kvo_tts_player_start(text.c_str(), config.c_str()));
  }).detach();
  if (result.wait_for(timeout) != std::future_status::ready) {
    FailWedged("kvo_tts_player_start has not returned within " + std::to_string(timeout.count()) + " ms");
  }
  return result.get();
}

PlayerCallbacks Recorder::Callbacks() {
  PlayerCallbacks callbacks;
  callbacks.state_cb = &Recorder::OnState;
  callbacks.state_user = this;
  callbacks.progress_cb = &Recorder::OnProgress;
  callbacks.progress_user = this;
  callbacks.error_cb = &Recorder::OnError;
  callbacks.error_user = this;
  return callbacks;
}

std::vector<Event> Recorder::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

int Recorder::Count(int event) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const Event& e : events_) n += e.event == event ? 1 : 0;
  return n;
}

void Recorder::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

bool Recorder::WaitFor(const std::function<bool(const std::vector<Event>&)>& pred, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return pred(events_); });
}

bool Recorder::WaitForCount(int event, int count, std::chrono::milliseconds timeout) {
  return WaitFor(
      [&](const std::vector<Event>& events) {
        int n = 0;
        for (const Event& e : events) n += e.event == event ? 1 : 0;
        return n >= count;
      },
      timeout);
}

void Recorder::SetOnEvent(std::function<void(const Event&)> on_event) {
  std::lock_guard<std::mutex> lock(mutex_);
  on_event_ = std::move(on_event);
}

void Recorder::Add(const Event& event) {
  std::function<void(const Event&)> on_event;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
    on_event = on_event_;
  }
  changed_.notify_all();
  if (on_event) on_event(event);
}

void Recorder::OnState(int event, void* user) { static_cast<Recorder*>(user)->Add({event, 0, 0}); }

void Recorder::OnProgress(int event, int begin, int end, void* user) {
  static_cast<Recorder*>(user)->Add({event, begin, end});
}

void Recorder::OnError(int event, int code, void* user) { static_cast<Recorder*>(user)->Add({event, code, 0}); }

void PlayerTest::SetUp() {
  char pattern[] = "/tmp/kvo_player_test_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  folder_ = pattern;
  setenv("KVO_AUDIO_DEVICE", "null", 1);
  const std::string config = "dataPath=" + DataFolder() + ",logFilePath=" + folder_ + ",logLevel=3";
  ASSERT_EQ(kvo_init(config.c_str()), 0);
}

void PlayerTest::TearDown() {
  if (kvo_tts_player_get_state() != PLAYER_STATE_NOT_INIT) {
    EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NONE);
  }
  kvo_release();
  unsetenv("KVO_AUDIO_DEVICE");
  const std::string command = "rm -rf '" + folder_ + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

int PlayerTest::InitPlayer() {
  const std::string config = "datapath=" + DataFolder();
  const PlayerCallbacks callbacks = recorder_.Callbacks();
  return kvo_tts_player_init(config.c_str(), &callbacks);
}

std::string PlayerTest::LogText() const {
  std::ifstream in(folder_ + "/kvo_tts.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<Event> PlayerTest::PlayToEnd(const char* text, const char* config) {
  recorder_.Clear();
  EXPECT_EQ(kvo_tts_player_start(text, config), PLAYER_ERR_NONE);
  EXPECT_TRUE(recorder_.WaitFor([](const std::vector<Event>& events) {
    for (const Event& e : events) {
      if (e.event == PLAYER_EVENT_END || e.event == PLAYER_EVENT_ENGINE_ERROR || e.event == PLAYER_EVENT_DEVICE_ERROR)
        return true;
    }
    return false;
  }));
  return recorder_.Events();
}

}  // namespace kvo_player_test
