// Threads: a stop meeting a running synthesis, several sessions
// synthesising at once, and a stress run of session loops on 8 threads.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

// A one-shot gate threads wait on.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  bool Wait(std::chrono::seconds timeout = std::chrono::seconds(30)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

class ConcurrencyTest : public SdkTest {
 protected:
  void SetUp() override {
    SdkTest::SetUp();
    ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth;tts.local.synth.n6"), KVO_TTS_OK);
  }
};

TEST_F(ConcurrencyTest, StopFromAnotherThreadDuringSynthesisIs502) {
  const int id = StartSessionOk("capkey=tts.local.synth");
  Gate inside;
  Gate stop_tried;
  int stop_result = -100;
  int synth_result = -100;
  ContractRecorder recorder;
  recorder.on_call = [&](int index) {
    if (index != 0) return;
    inside.Open();
    stop_tried.Wait();
  };
  std::thread synth([&] { synth_result = recorder.Synth(id, "a text that takes a while"); });
  ASSERT_TRUE(inside.Wait());
  stop_result = kvo_tts_session_stop(id);
  ContractRecorder second;
  const int second_synth = second.Synth(id, "second");
  stop_tried.Open();
  synth.join();
  EXPECT_EQ(stop_result, KVO_TTS_ERR_SESSION_BUSY);
  EXPECT_EQ(second_synth, KVO_TTS_ERR_SESSION_BUSY);
  EXPECT_TRUE(second.calls.empty());
  EXPECT_EQ(synth_result, KVO_TTS_OK);
  EXPECT_TRUE(recorder.HoldsContract("a text that takes a while", true));
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK) << "idle again once the synthesis has returned";
}

TEST_F(ConcurrencyTest, StopAndSynthRaceOnOneSession) {
  // One thread synthesises on a session as fast as it can while another
  // keeps trying to stop it: every stop before the last is refused with
  // 502, no synthesis runs while the module stops the session (the module
  // takes its time stopping to widen that window), and after the stop the
  // id is gone (16).
  for (int round = 0; round < 20; ++round) {
    const int id = StartSessionOk("capkey=tts.local.synth,stopdelayus=3000");
    std::atomic<bool> stopped{false};
    std::atomic<int> bad_results{0};
    std::atomic<int> refusals{0};
    std::thread synth([&] {
      while (!stopped.load()) {
        ContractRecorder recorder;
        const int result = recorder.Synth(id, "racing text", "piece=2");
        if (result == KVO_TTS_OK) {
          if (!recorder.HoldsContract("racing text", true)) ++bad_results;
        } else if (result != KVO_TTS_ERR_SESSION_ID && result != KVO_TTS_ERR_SESSION_BUSY) {
          ++bad_results;
        }
      }
    });
    int result = KVO_TTS_ERR_SESSION_BUSY;
    while (result == KVO_TTS_ERR_SESSION_BUSY) {
      result = kvo_tts_session_stop(id);
      if (result == KVO_TTS_ERR_SESSION_BUSY) ++refusals;
      std::this_thread::yield();
    }
    stopped = true;
    synth.join();
    EXPECT_EQ(result, KVO_TTS_OK);
    EXPECT_EQ(bad_results.load(), 0);
    ContractRecorder after;
    EXPECT_EQ(after.Synth(id, "x"), KVO_TTS_ERR_SESSION_ID);
    open_sessions_.clear();
  }
  const KvoTestModuleCounts counts = ModuleCounts(kContractModule);
  EXPECT_EQ(counts.overlapping_synths, 0);
  EXPECT_EQ(counts.stale_handles, 0);
  EXPECT_EQ(counts.live_sessions, 0);
}

TEST_F(ConcurrencyTest, SessionsSynthesiseOnSeveralThreadsAtOnce) {
  // Each synthesis waits inside its callback until all of them are inside
  // one: this only finishes if they really run at the same time.
  constexpr int kThreads = 4;
  std::vector<int> ids;
  for (int i = 0; i < kThreads; ++i) ids.push_back(StartSessionOk("capkey=tts.local.synth"));
  std::mutex mutex;
  std::condition_variable all_inside;
  int inside = 0;
  std::vector<int> results(kThreads, -100);
  std::vector<ContractRecorder> recorders(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    recorders[t].on_call = [&](int index) {
      if (index != 0) return;
      std::unique_lock<std::mutex> lock(mutex);
      ++inside;
      all_inside.notify_all();
      all_inside.wait_for(lock, std::chrono::seconds(30), [&] { return inside == kThreads; });
    };
    threads.emplace_back([&, t] { results[t] = recorders[t].Synth(ids[t], "parallel text"); });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(inside, kThreads);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(results[t], KVO_TTS_OK);
    EXPECT_TRUE(recorders[t].HoldsContract("parallel text", true));
  }
}

TEST_F(ConcurrencyTest, EightThreadsRunSessionLoops) {
  constexpr int kThreads = 8;
  constexpr int kLoops = 150;
  std::atomic<int> failures{0};
  std::atomic<long long> callbacks{0};
  std::atomic<long long> synths{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLoops; ++i) {
        int id = -1;
        if (kvo_tts_session_start(i % 2 ? "capkey=tts.local.synth.n6" : "capkey=tts.local.n6.v6,speed=6", &id) !=
            KVO_TTS_OK) {
          ++failures;
          continue;
        }
        const std::string text = "thread " + std::to_string(t) + " loop " + std::to_string(i);
        for (int s = 0; s < 2; ++s) {
          ContractRecorder recorder;
          recorder.stop_at = (i + s) % 5 == 0 ? 1 : -1;
          const int result = recorder.Synth(id, text.c_str(), "piece=5");
          ++synths;
          callbacks += static_cast<long long>(recorder.calls.size());
          if (result != KVO_TTS_OK || !recorder.HoldsContract(text.c_str(), recorder.stop_at < 0)) ++failures;
        }
        if (kvo_tts_session_stop(id) != KVO_TTS_OK) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  const KvoTestModuleCounts counts = ModuleCounts(kCountingModule);
  EXPECT_EQ(counts.inits, 1);
  EXPECT_EQ(counts.starts, kThreads * kLoops);
  EXPECT_EQ(counts.stops, kThreads * kLoops);
  EXPECT_EQ(counts.synths, synths.load());
  EXPECT_EQ(counts.callbacks, callbacks.load());
  EXPECT_EQ(counts.live_sessions, 0);
  EXPECT_LE(counts.max_live_sessions, kThreads);
  EXPECT_EQ(counts.overlapping_synths, 0);
  EXPECT_EQ(counts.stale_handles, 0);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
}

class ContendedLimitTest : public SdkTest {
 protected:
  void SetUp() override {
    max_sessions_ = 3;
    SdkTest::SetUp();
    // Not prepared at init: the first starts race to load the module.
    ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  }
};

TEST_F(ContendedLimitTest, StartsBeyondTheLimitAre17AndTheLimitHolds) {
  constexpr int kThreads = 8;
  constexpr int kLoops = 100;
  std::atomic<int> started{0};
  std::atomic<int> refused{0};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kLoops; ++i) {
        int id = -1;
        const int result = kvo_tts_session_start("capkey=tts.local.synth.n6", &id);
        if (result == KVO_TTS_ERR_SESSION_LIMIT) {
          ++refused;
          continue;
        }
        if (result != KVO_TTS_OK || id < 0 || id >= 3) {
          ++failures;
          continue;
        }
        ++started;
        ContractRecorder recorder;
        if (recorder.Synth(id, "limited") != KVO_TTS_OK) ++failures;
        if (kvo_tts_session_stop(id) != KVO_TTS_OK) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(started.load() + refused.load(), kThreads * kLoops);
  const KvoTestModuleCounts counts = ModuleCounts(kCountingModule);
  EXPECT_EQ(counts.inits, 1) << "racing first starts load and initialise the module once";
  EXPECT_EQ(counts.starts, started.load());
  EXPECT_LE(counts.max_live_sessions, 3);
  EXPECT_EQ(counts.live_sessions, 0);
}

}  // namespace
}  // namespace kvo_sdk_test
