// The player through its public API on the null device: states, refusals,
// event order and counts, progress, pause/resume/stop, errors, release.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "kvo_sys.h"
#include "kvo_tts.h"
#include "kvo_tts_player.h"
#include "player_test_support.h"

namespace kvo_player_test {
namespace {

// The state follows an event once its callback has returned.
bool StateBecomes(int state) {
  for (int i = 0; i < 500; ++i) {
    if (kvo_tts_player_get_state() == state) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

int CountIn(const std::vector<Event>& events, int event) {
  int n = 0;
  for (const Event& e : events) n += e.event == event ? 1 : 0;
  return n;
}

// A finished playback: BEGIN first, END last, one of each; progress spans
// adjacent from 0 to the end of the text, then (0, 0), after which only
// BUFFERING may come before END.
::testing::AssertionResult CompletePlayback(const std::vector<Event>& events, int text_len) {
  if (events.empty() || events.front().event != PLAYER_EVENT_BEGIN)
    return ::testing::AssertionFailure() << "does not begin with BEGIN";
  if (events.back().event != PLAYER_EVENT_END) return ::testing::AssertionFailure() << "does not end with END";
  if (CountIn(events, PLAYER_EVENT_BEGIN) != 1 || CountIn(events, PLAYER_EVENT_END) != 1)
    return ::testing::AssertionFailure() << "BEGIN or END more than once";
  int expected_begin = 0;
  bool final_seen = false;
  for (const Event& e : events) {
    if (e.event == PLAYER_EVENT_ENGINE_ERROR || e.event == PLAYER_EVENT_DEVICE_ERROR)
      return ::testing::AssertionFailure() << "error event " << e.event << " code " << e.a;
    if (final_seen && e.event != PLAYER_EVENT_BUFFERING && e.event != PLAYER_EVENT_END)
      return ::testing::AssertionFailure() << "event " << e.event << " after the final progress";
    if (e.event != PLAYER_EVENT_PROGRESS) continue;
    if (e.a == 0 && e.b == 0) {
      final_seen = true;
      continue;
    }
    if (e.a != expected_begin || e.b <= e.a || e.b > text_len)
      return ::testing::AssertionFailure() << "span (" << e.a << ", " << e.b << ") after " << expected_begin;
    expected_begin = e.b;
  }
  if (!final_seen) return ::testing::AssertionFailure() << "no final (0, 0)";
  if (expected_begin != text_len)
    return ::testing::AssertionFailure() << "spans end at " << expected_begin << " of " << text_len;
  return ::testing::AssertionSuccess();
}

TEST_F(PlayerTest, LifecycleStatesAndRefusals) {
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_NOT_INIT);
  EXPECT_EQ(kvo_tts_player_can_stop(), 0);
  EXPECT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_NOT_INIT);
  EXPECT_EQ(kvo_tts_player_pause(), PLAYER_ERR_NOT_INIT);
  EXPECT_EQ(kvo_tts_player_resume(), PLAYER_ERR_NOT_INIT);
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NOT_INIT);
  EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NOT_INIT);

  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  EXPECT_EQ(InitPlayer(), PLAYER_ERR_ALREADY_INIT);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  EXPECT_EQ(kvo_tts_player_pause(), PLAYER_ERR_NOT_STARTED);
  EXPECT_EQ(kvo_tts_player_resume(), PLAYER_ERR_NOT_STARTED);
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NOT_STARTED);
  EXPECT_EQ(kvo_tts_player_can_stop(), 0);
  // The refusals leave the player startable; a second start during the set-up is refused.
  ASSERT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_NONE);
  EXPECT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_ALREADY_STARTED);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1));
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_END), 1);

  EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NONE);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_NOT_INIT);
  EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NOT_INIT);
  // Released, the player initialises and plays again.
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  EXPECT_TRUE(CompletePlayback(PlayToEnd(kText, kConfig), static_cast<int>(std::strlen(kText))));
}

TEST_F(PlayerTest, InitFailsWhenTheSpeechApiDoes) {
  kvo_release();  // kvo_tts_init then fails with 100
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_CONFIG);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_NOT_INIT);
  ASSERT_EQ(recorder_.Events().size(), 1u);
  EXPECT_EQ(recorder_.Events()[0].event, PLAYER_EVENT_ENGINE_ERROR);
  EXPECT_EQ(recorder_.Events()[0].a, KVO_TTS_ERR_SYS_NOT_INITED);
  EXPECT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_NOT_INIT);
  const std::string config = "dataPath=" + DataFolder() + ",logFilePath=" + folder_ + ",logLevel=3";
  ASSERT_EQ(kvo_init(config.c_str()), 0);
  EXPECT_EQ(InitPlayer(), PLAYER_ERR_NONE);
}

TEST_F(PlayerTest, NullCallbackRecordIsAccepted) {
  const std::string config = "datapath=" + DataFolder();
  ASSERT_EQ(kvo_tts_player_init(config.c_str(), nullptr), PLAYER_ERR_NONE);
  ASSERT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_NONE);
  EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NONE);
}

TEST_F(PlayerTest, FinishedPlaybackReportsEveryStretchOfText) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  const std::vector<Event> events = PlayToEnd(kText, kConfig);
  EXPECT_TRUE(CompletePlayback(events, static_cast<int>(std::strlen(kText))));
  EXPECT_GE(CountIn(events, PLAYER_EVENT_PROGRESS), 3);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  // Twice in a row: the offsets start again at 0.
  EXPECT_TRUE(CompletePlayback(PlayToEnd(kText, kConfig), static_cast<int>(std::strlen(kText))));
}

// Configurations that do not parse are refused at once with DEVICE_ERROR
// (-1); the player stays startable.
TEST_F(PlayerTest, InvalidStartConfigurations) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  for (const char* config : {"capKey=tts.local.synth,volume", "capKey=", "=5", "capKey=tts.local.synth, =x"}) {
    SCOPED_TRACE(config);
    recorder_.Clear();
    EXPECT_EQ(kvo_tts_player_start(kText, config), PLAYER_ERR_CONFIG);
    ASSERT_EQ(recorder_.Events().size(), 1u);
    EXPECT_EQ(recorder_.Events()[0].event, PLAYER_EVENT_DEVICE_ERROR);
    EXPECT_EQ(recorder_.Events()[0].a, -1);
    EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NOT_STARTED);
  }
  EXPECT_TRUE(CompletePlayback(PlayToEnd(kText, kConfig), static_cast<int>(std::strlen(kText))));
}

struct FormatCase {
  const char* config;
  const char* log;  // the device format, as logged; null: cannot be played
};

TEST_F(PlayerTest, AudioFormatsOfTheDevice) {
  const FormatCase cases[] = {
      {"capKey=tts.local.synth,audioFormat=pcm8k16bit", "8000 Hz, 16 bits"},
      {"capKey=tts.local.synth,AUDIOFORMAT=pcm8k8bit", "8000 Hz, 8 bits"},
      {"capKey=tts.local.synth, audioFormat = pcm11k16bit ", "11025 Hz, 16 bits"},
      {"capKey=tts.local.synth,audioFormat=pcm16k8bit", "16000 Hz, 8 bits"},
      {"capKey=tts.local.synth", "16000 Hz, 16 bits"},
      {"capKey=tts.local.synth,audioFormat=alaw8k8bit", nullptr},
      {"capKey=tts.local.synth,audioFormat=ulaw8k8bit", nullptr},
      {"capKey=tts.local.synth,audioFormat=auto", nullptr},
  };
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.config);
    const std::vector<Event> events = PlayToEnd(kText, c.config);
    if (c.log != nullptr) {
      EXPECT_TRUE(CompletePlayback(events, static_cast<int>(std::strlen(kText))));
      EXPECT_NE(LogText().find(c.log), std::string::npos);
    } else {
      // Refused when the device is opened: the one event of the playback.
      ASSERT_EQ(events.size(), 1u);
      EXPECT_EQ(events[0].event, PLAYER_EVENT_DEVICE_ERROR);
      EXPECT_EQ(events[0].a, -1);
      EXPECT_NE(LogText().find("nonsupport fromat"), std::string::npos);
    }
  }
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

// The null device has one output, number 0; -1 and anything that is not
// plain digits mean the default.
TEST_F(PlayerTest, DeviceIdChoosesTheOutput) {
  const struct {
    const char* config;
    bool opens;
  } cases[] = {
      {"capKey=tts.local.synth,deviceId=0", true},     {"capKey=tts.local.synth,deviceId=1a", true},
      {"capKey=tts.local.synth,deviceId=-1", true},    {"capKey=tts.local.synth,deviceId=1", false},
      {"capKey=tts.local.synth,deviceId=4711", false}, {"capKey=tts.local.synth,deviceId=99999999999", true},
  };
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    const std::vector<Event> events = PlayToEnd(kText, c.config);
    if (c.opens) {
      EXPECT_TRUE(CompletePlayback(events, static_cast<int>(std::strlen(kText))));
    } else {
      ASSERT_EQ(events.size(), 1u);
      EXPECT_EQ(events[0].event, PLAYER_EVENT_DEVICE_ERROR);
    }
  }
}

TEST_F(PlayerTest, SessionThatCannotStartEndsWithEngineErrorAndNoEnd) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  const std::vector<Event> events = PlayToEnd(kText, "capKey=tts.local.nosuchvoice");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, PLAYER_EVENT_ENGINE_ERROR);
  EXPECT_NE(events[0].a, 0);
  // The token is back before the error is delivered: a new start is taken at once.
  EXPECT_TRUE(CompletePlayback(PlayToEnd(kText, kConfig), static_cast<int>(std::strlen(kText))));
}

// The synthesis fails after the device is open (an empty text is refused by
// the speech API): ENGINE_ERROR with its code, then END.
TEST_F(PlayerTest, SynthesisErrorEndsThePlayback) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  ASSERT_EQ(kvo_tts_player_start("", kConfig), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1));
  const std::vector<Event> events = recorder_.Events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front().event, PLAYER_EVENT_BEGIN);
  EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_ENGINE_ERROR), 1);
  for (const Event& e : events) {
    if (e.event == PLAYER_EVENT_ENGINE_ERROR) {
      EXPECT_EQ(e.a, KVO_TTS_ERR_INVALID_ARG);
    }
  }
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_PROGRESS), 0);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  EXPECT_NE(LogText().find("synth failed"), std::string::npos);
}

// Pause from BEGIN is carried out before the first buffer: no progress and
// no BUFFERING while paused; resume plays on; stop ends with one END and no
// progress after it.
TEST_F(PlayerTest, PauseResumeStop) {
  recorder_.SetOnEvent([](const Event& e) {
    if (e.event == PLAYER_EVENT_BEGIN) {
      EXPECT_EQ(kvo_tts_player_pause(), PLAYER_ERR_NONE);
    }
  });
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  std::string text;
  for (int i = 0; i < 20; ++i) text += kText;
  ASSERT_EQ(kvo_tts_player_start(text.c_str(), kConfig), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_PAUSED, 1));
  EXPECT_TRUE(StateBecomes(PLAYER_STATE_PAUSED));
  EXPECT_EQ(kvo_tts_player_can_stop(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // audio queues up meanwhile
  std::vector<Event> events = recorder_.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event, PLAYER_EVENT_BEGIN);
  EXPECT_EQ(events[1].event, PLAYER_EVENT_PAUSED);

  EXPECT_EQ(kvo_tts_player_resume(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_PROGRESS, 2));
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_RESUMED), 1);
  EXPECT_TRUE(StateBecomes(PLAYER_STATE_PLAYING));
  // Resume while playing does nothing.
  EXPECT_EQ(kvo_tts_player_resume(), PLAYER_ERR_NONE);

  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NONE);
  const size_t at_stop = recorder_.Events().size();
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  events = recorder_.Events();
  EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_END), 1);
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_RESUMED), 1);
  // A progress event being delivered at the moment of the stop may still
  // arrive, but none later than that.
  int late_progress = 0;
  for (size_t i = at_stop; i < events.size(); ++i) late_progress += events[i].event == PLAYER_EVENT_PROGRESS;
  EXPECT_LE(late_progress, 1);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NOT_STARTED);

  recorder_.SetOnEvent(nullptr);
  EXPECT_TRUE(CompletePlayback(PlayToEnd(kText, kConfig), static_cast<int>(std::strlen(kText))));
}

// Stop while paused, and stop before the device is open: one END each.
TEST_F(PlayerTest, StopWhilePausedAndDuringSetUp) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  ASSERT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_NONE);
  EXPECT_EQ(kvo_tts_player_pause(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_PAUSED, 1));
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1));
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);

  recorder_.Clear();
  ASSERT_EQ(kvo_tts_player_start(kText, kConfig), PLAYER_ERR_NONE);
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_END), 1);
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_BEGIN), 1);
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_PROGRESS), 0);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

// A device that stops by itself mid-playback: DEVICE_ERROR, then END.
TEST_F(PlayerTest, DeviceLostMidPlayback) {
  setenv("KVO_AUDIO_DEVICE", "null:lose=3", 1);
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  std::string text;
  for (int i = 0; i < 5; ++i) text += kText;
  ASSERT_EQ(kvo_tts_player_start(text.c_str(), kConfig), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1));
  const std::vector<Event> events = recorder_.Events();
  EXPECT_EQ(events.front().event, PLAYER_EVENT_BEGIN);
  EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_DEVICE_ERROR), 1);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

TEST_F(PlayerTest, UnknownAudioDeviceFailsEveryOpening) {
  setenv("KVO_AUDIO_DEVICE", "loudspeaker", 1);
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  const std::vector<Event> events = PlayToEnd(kText, kConfig);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, PLAYER_EVENT_DEVICE_ERROR);
}

// Release with a playback in flight stops it first: no thread outlives the
// player, no callback comes after release, and the speech API is released
// with no session open.
TEST_F(PlayerTest, ReleaseDuringPlayback) {
  for (int wait_for_begin = 0; wait_for_begin < 2; ++wait_for_begin) {
    SCOPED_TRACE(wait_for_begin ? "playing" : "being set up");
    recorder_.Clear();
    ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
    std::string text;
    for (int i = 0; i < 20; ++i) text += kText;
    ASSERT_EQ(kvo_tts_player_start(text.c_str(), kConfig), PLAYER_ERR_NONE);
    if (wait_for_begin) {
      ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_BEGIN, 1));
    }
    EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NONE);
    EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_NOT_INIT);
    const size_t after_release = recorder_.Events().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(recorder_.Events().size(), after_release);
    EXPECT_EQ(LogText().find("kvo_tts_release failed"), std::string::npos);
  }
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  EXPECT_TRUE(CompletePlayback(PlayToEnd(kText, kConfig), static_cast<int>(std::strlen(kText))));
}

// A text of several megabytes: the queue stays bounded while the device is
// paused, a stop ends it promptly.
TEST_F(PlayerTest, TextOfSeveralMegabytes) {
  std::string text;
  while (text.size() < 3 * 1024 * 1024) text += kText;
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  ASSERT_EQ(kvo_tts_player_start(text.c_str(), kConfig), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_PROGRESS, 3));
  for (const Event& e : recorder_.Events()) {
    if (e.event == PLAYER_EVENT_PROGRESS) {
      EXPECT_LE(e.b, static_cast<int>(text.size()));
    }
  }
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1, std::chrono::seconds(20)));
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

}  // namespace
}  // namespace kvo_player_test
