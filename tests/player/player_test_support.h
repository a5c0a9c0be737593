// Shared helpers of the player tests: the system library started on the
// default voice with a log in a scratch folder, and a recorder of the
// player's events.
#ifndef KVO_TESTS_PLAYER_PLAYER_TEST_SUPPORT_H
#define KVO_TESTS_PLAYER_PLAYER_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "kvo_tts_player.h"

namespace kvo_player_test {

// One delivered event: a, b are (begin, end) of PROGRESS and (code, 0) of
// the error events.
struct Event {
  int event;
  int a;
  int b;
};

class Recorder {
 public:
  PlayerCallbacks Callbacks();

  std::vector<Event> Events() const;
  int Count(int event) const;
  void Clear();
  // Waits until pred holds for the events so far; false after the timeout.
  bool WaitFor(const std::function<bool(const std::vector<Event>&)>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));
  bool WaitForCount(int event, int count, std::chrono::milliseconds timeout = std::chrono::seconds(60));

  // Runs on the delivering thread for every event, after it is recorded.
  void SetOnEvent(std::function<void(const Event&)> on_event);

 private:
  void Add(const Event& event);
  static void OnState(int event, void* user);
  static void OnProgress(int event, int begin, int end, void* user);
  static void OnError(int event, int code, void* user);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event> events_;
  std::function<void(const Event&)> on_event_;
};

// The system library on the repository's data folder (the default voice),
// logging into a scratch folder; the null device unless a test chooses
// another before InitPlayer. TearDown releases whatever is left.
class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // kvo_tts_player_init with datapath=<data folder> and the recorder.
  int InitPlayer();
  std::string LogText() const;
  // Starts and waits for END (or an error event); the events of that playback.
  std::vector<Event> PlayToEnd(const char* text, const char* config);

  std::string folder_;
  Recorder recorder_;
};

// For a player that no longer answers (a start that does not return, a
// token never given back): fails the test and ends the program at once,
// since release would wait for the stuck threads as well.
[[noreturn]] void FailWedged(const std::string& what);
// kvo_tts_player_start on a thread of its own; FailWedged when it has not
// returned within the timeout.
int StartWithin(const char* text, const char* config, std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The repository's data folder, or KVO_PLAYER_TEST_DATA.
std::string DataFolder();
constexpr const char kConfig[] = "capKey=tts.local.synth,audioFormat=pcm16k16bit";
// A text of a few sentences of the default voice, in UTF-8.
extern const char kText[];

}  // namespace kvo_player_test

#endif
