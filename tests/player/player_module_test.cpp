// The player over the speech API's test engine module, which can be told to
// fail: a synthesis error after audio, a session that will not stop, audio
// before the first text, a session that will not start.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kvo_tts_player.h"
#include "player_test_support.h"

namespace kvo_player_test {
namespace {

constexpr const char kModuleText[] = "Hello, world. One more sentence.";

int CountIn(const std::vector<Event>& events, int event) {
  int n = 0;
  for (const Event& e : events) n += e.event == event ? 1 : 0;
  return n;
}

std::vector<Event> WaitForEnd(Recorder& recorder) {
  EXPECT_TRUE(recorder.WaitForCount(PLAYER_EVENT_END, 1));
  return recorder.Events();
}

// Audio before the first progress call: the pieces before any text are not
// taken for the last one, the whole text is reported.
TEST_F(PlayerTest, AudioBeforeTheFirstTextPlaysToTheEnd) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  for (const char* config : {"capKey=tts.local.synth", "capKey=tts.local.synth,audiofirst=1,piece=7"}) {
    SCOPED_TRACE(config);
    recorder_.Clear();
    ASSERT_EQ(kvo_tts_player_start(kModuleText, config), PLAYER_ERR_NONE);
    const std::vector<Event> events = WaitForEnd(recorder_);
    EXPECT_EQ(events.front().event, PLAYER_EVENT_BEGIN);
    EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
    int end = 0;
    for (const Event& e : events) {
      if (e.event == PLAYER_EVENT_PROGRESS && e.b != 0) {
        EXPECT_EQ(e.a, end);
        end = e.b;
      }
    }
    EXPECT_EQ(end, static_cast<int>(std::strlen(kModuleText)));
  }
}

// kvo_tts_synth fails after its audio: ENGINE_ERROR with the code, END last.
TEST_F(PlayerTest, SynthesisErrorAfterAudio) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  ASSERT_EQ(kvo_tts_player_start(kModuleText, "capKey=tts.local.synth,synthresult=504"), PLAYER_ERR_NONE);
  const std::vector<Event> events = WaitForEnd(recorder_);
  EXPECT_EQ(events.front().event, PLAYER_EVENT_BEGIN);
  EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_END), 1);
  ASSERT_EQ(CountIn(events, PLAYER_EVENT_ENGINE_ERROR), 1);
  for (const Event& e : events) {
    if (e.event == PLAYER_EVENT_ENGINE_ERROR) {
      EXPECT_EQ(e.a, 504);
    }
  }
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

// The session will not stop once: ENGINE_ERROR with the code, the playback
// still plays to its END, and the next playback stops the old session first.
TEST_F(PlayerTest, SessionThatWillNotStop) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  ASSERT_EQ(kvo_tts_player_start(kModuleText, "capKey=tts.local.synth,stopfail=33"), PLAYER_ERR_NONE);
  std::vector<Event> events = WaitForEnd(recorder_);
  ASSERT_EQ(CountIn(events, PLAYER_EVENT_ENGINE_ERROR), 1);
  for (const Event& e : events) {
    if (e.event == PLAYER_EVENT_ENGINE_ERROR) {
      EXPECT_EQ(e.a, 33);
    }
  }
  EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
  EXPECT_NE(LogText().find("kvo_tts_session_stop failed"), std::string::npos);

  recorder_.Clear();
  ASSERT_EQ(kvo_tts_player_start(kModuleText, "capKey=tts.local.synth"), PLAYER_ERR_NONE);
  events = WaitForEnd(recorder_);
  EXPECT_EQ(CountIn(events, PLAYER_EVENT_ENGINE_ERROR), 0);
  EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NONE);
  EXPECT_EQ(LogText().find("kvo_tts_release failed"), std::string::npos);
}

TEST_F(PlayerTest, SessionThatWillNotStart) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  const std::vector<Event> events = PlayToEnd(kModuleText, "capKey=tts.local.synth,startresult=41");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, PLAYER_EVENT_ENGINE_ERROR);
  EXPECT_EQ(events[0].a, 41);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

}  // namespace
}  // namespace kvo_player_test
