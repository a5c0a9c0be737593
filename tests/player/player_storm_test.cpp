// Operations from several threads at once: the player ends READY, with
// exactly one END per playback whose device opened and one ending event
// per accepted start.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "kvo_tts_player.h"
#include "player_test_support.h"

namespace kvo_player_test {
namespace {

TEST_F(PlayerTest, RandomOperationStormFromSeveralThreads) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  constexpr int kThreads = 4;
  constexpr int kOperations = 1000;
  std::atomic<int> accepted{0};
  std::atomic<int> refused_config{0};
  std::atomic<int> unexpected{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(1234 + t);
      for (int i = 0; i < kOperations / kThreads; ++i) {
        const int pick = static_cast<int>(random() % 100);
        int code = PLAYER_ERR_NONE;
        if (pick < 25) {
          code = kvo_tts_player_start("你好。", kConfig);
          if (code == PLAYER_ERR_NONE) ++accepted;
          if (code != PLAYER_ERR_NONE && code != PLAYER_ERR_ALREADY_STARTED) ++unexpected;
        } else if (pick < 30) {
          code = kvo_tts_player_start("你好。", "capKey=tts.local.synth,volume");
          if (code == PLAYER_ERR_CONFIG) ++refused_config;
          if (code != PLAYER_ERR_CONFIG && code != PLAYER_ERR_ALREADY_STARTED) ++unexpected;
        } else if (pick < 50) {
          code = kvo_tts_player_stop();
        } else if (pick < 65) {
          code = kvo_tts_player_pause();
        } else if (pick < 80) {
          code = kvo_tts_player_resume();
        } else if (pick < 90) {
          const int state = kvo_tts_player_get_state();
          if (state < PLAYER_STATE_READY || state > PLAYER_STATE_PAUSED) ++unexpected;
        } else {
          kvo_tts_player_can_stop();
        }
        if (pick >= 30 && pick < 80 && code != PLAYER_ERR_NONE && code != PLAYER_ERR_NOT_STARTED) ++unexpected;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(unexpected.load(), 0);
  EXPECT_GT(accepted.load(), 0);

  // Whatever is still playing (perhaps paused) is stopped; then every
  // accepted start has had its one ending event.
  const auto settled = [&](const std::vector<Event>& events) {
    int ends = 0, device_errors = 0, engine_errors = 0;
    for (const Event& e : events) {
      ends += e.event == PLAYER_EVENT_END;
      device_errors += e.event == PLAYER_EVENT_DEVICE_ERROR;
      engine_errors += e.event == PLAYER_EVENT_ENGINE_ERROR;
    }
    return ends + engine_errors + device_errors - refused_config.load() == accepted.load();
  };
  for (int i = 0; i < 3000 && !settled(recorder_.Events()); ++i) {
    kvo_tts_player_stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(recorder_.WaitFor(settled, std::chrono::seconds(30)));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_BEGIN), recorder_.Count(PLAYER_EVENT_END));
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_END), accepted.load());
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_ENGINE_ERROR), 0);
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_DEVICE_ERROR), refused_config.load());
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NOT_STARTED);
  // Still in working order.
  EXPECT_EQ(PlayToEnd("你好。", kConfig).back().event, PLAYER_EVENT_END);
}

// Start and stop from two threads as fast as they go, then release while a
// playback may be in any phase.
TEST_F(PlayerTest, StartStopRaceThenRelease) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  std::atomic<bool> done{false};
  std::atomic<int> accepted{0};
  std::thread stopper([&] {
    while (!done.load()) {
      kvo_tts_player_stop();
      kvo_tts_player_pause();
      kvo_tts_player_resume();
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < 100; ++i) {
    if (kvo_tts_player_start(kText, kConfig) == PLAYER_ERR_NONE) ++accepted;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  done.store(true);
  stopper.join();
  EXPECT_GT(accepted.load(), 0);
  EXPECT_EQ(kvo_tts_player_release(), PLAYER_ERR_NONE);
  const size_t after_release = recorder_.Events().size();
  EXPECT_LE(recorder_.Count(PLAYER_EVENT_END), accepted.load());
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_ENGINE_ERROR), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(recorder_.Events().size(), after_release);
}

// Playbacks whose session does not start, each started again the moment
// the token is back (while the failed one still hands its error over): every
// accepted start ends with its one error event and the token comes back.
TEST_F(PlayerTest, FailedSetUpsStartedAgainAsSoonAsTheTokenIsBack) {
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  constexpr int kPlaybacks = 300;
  for (int i = 0; i < kPlaybacks; ++i) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int code;
    while ((code = kvo_tts_player_start("你好。", "capKey=tts.lokal.synth")) == PLAYER_ERR_ALREADY_STARTED) {
      if (std::chrono::steady_clock::now() > until) FailWedged("the token of a failed set-up never came back");
      std::this_thread::yield();
    }
    ASSERT_EQ(code, PLAYER_ERR_NONE);
  }
  EXPECT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_ENGINE_ERROR, kPlaybacks, std::chrono::seconds(30)));
  EXPECT_EQ(StartWithin("你好。", "capKey=tts.lokal.synth"), PLAYER_ERR_NONE);
  EXPECT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_ENGINE_ERROR, kPlaybacks + 1, std::chrono::seconds(30)));
  EXPECT_EQ(recorder_.Events().size(), static_cast<size_t>(kPlaybacks + 1));
}

}  // namespace
}  // namespace kvo_player_test
