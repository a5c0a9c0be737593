// The player built into the test program, so that a test can stand in for a
// caller of start that is not scheduled between creating the playback's
// synthesis thread and handing it over: start is held there until the
// playback is over (at most a few seconds). Whatever the playback does
// meanwhile, it must end with its documented events and leave the player
// ready for the next start.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "kvo_tts_player.h"
#include "player_state.h"
#include "player_test_support.h"

namespace kvo_player_test {
namespace {

bool IsLast(const Event& e) {
  return e.event == PLAYER_EVENT_END || e.event == PLAYER_EVENT_ENGINE_ERROR || e.event == PLAYER_EVENT_DEVICE_ERROR;
}

bool Over(const std::vector<Event>& events) {
  for (const Event& e : events) {
    if (IsLast(e)) return true;
  }
  return false;
}

// The recorder of the running test, for the hook.
Recorder* held_recorder = nullptr;

// A player that hands over only after the playback has run ahead makes
// the playback wait for the hand-off instead; the hold then just times out.
void HoldUntilOver() { held_recorder->WaitFor(Over, std::chrono::seconds(2)); }

bool ReadyWithin(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (kvo_tts_player_get_state() != PLAYER_STATE_READY) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

struct HeldCase {
  const char* name;
  const char* config;
  int last_event;  // END after BEGIN, or the one error event of a failed set-up
};

const HeldCase kHeldCases[] = {
    {"last piece heard", kConfig, PLAYER_EVENT_END},
    {"session does not start", "capKey=tts.lokal.synth.n6", PLAYER_EVENT_ENGINE_ERROR},
    {"format cannot be played", "capKey=tts.local.synth,audioFormat=alaw8k8bit", PLAYER_EVENT_DEVICE_ERROR},
};

TEST_F(PlayerTest, PlaybackThatRunsAheadOfTheHandoverEndsAndTheNextStartWorks) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  held_recorder = &recorder_;
  for (const HeldCase& c : kHeldCases) {
    SCOPED_TRACE(c.name);
    recorder_.Clear();
    kvo_player::GetPlayer().before_handoff = &HoldUntilOver;
    const int code = kvo_tts_player_start("你好。", c.config);
    kvo_player::GetPlayer().before_handoff = nullptr;
    ASSERT_EQ(code, PLAYER_ERR_NONE);
    ASSERT_TRUE(recorder_.WaitFor(Over));
    ASSERT_TRUE(ReadyWithin(std::chrono::seconds(10)));
    const std::vector<Event> held = recorder_.Events();
    ASSERT_FALSE(held.empty());
    EXPECT_EQ(held.back().event, c.last_event);
    int begins = 0;
    int last_events = 0;
    for (const Event& e : held) {
      begins += e.event == PLAYER_EVENT_BEGIN ? 1 : 0;
      last_events += IsLast(e) ? 1 : 0;
    }
    EXPECT_EQ(begins, c.last_event == PLAYER_EVENT_END ? 1 : 0);
    EXPECT_EQ(last_events, 1);

    // The player takes the next playback as usual.
    recorder_.Clear();
    ASSERT_EQ(StartWithin("你好。", kConfig), PLAYER_ERR_NONE);
    ASSERT_TRUE(recorder_.WaitFor(Over));
    EXPECT_EQ(recorder_.Events().front().event, PLAYER_EVENT_BEGIN);
    EXPECT_EQ(recorder_.Events().back().event, PLAYER_EVENT_END);
    ASSERT_TRUE(ReadyWithin(std::chrono::seconds(10)));
  }
  held_recorder = nullptr;
}

}  // namespace
}  // namespace kvo_player_test
