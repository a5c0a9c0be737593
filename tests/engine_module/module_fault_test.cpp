// Faults from outside the SDK, through the public API on the real engine
// module: memory requests that fail at each allocation of a call, a log
// folder that cannot be written or is full, a library file that shrinks
// under an open session, and a stop from another thread at the moment the
// callback stops the synthesis itself. After each fault the SDK must still
// work.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "kvo_sys.h"
#include "kvo_tts.h"
#include "module_test_support.h"

// A failing allocator for the whole program (the SDK libraries and the
// engine module bind to these): when armed on a thread, the allocation
// numbered fail_at of that thread fails and every later one succeeds.
namespace {

thread_local bool t_armed = false;
thread_local long t_count = 0;
thread_local long t_fail_at = -1;

void* Allocate(size_t size) {
  if (t_armed && ++t_count == t_fail_at) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using module_test::CallRecorder;

// Counts the allocations of the calling thread inside a scope, failing one.
class AllocationFault {
 public:
  explicit AllocationFault(long fail_at) {
    t_count = 0;
    t_fail_at = fail_at;
    t_armed = true;
  }
  ~AllocationFault() { t_armed = false; }
  long Count() const { return t_count; }
};

// The recorder's own allocations are the test's, not the SDK's: not counted.
bool UncountedCallback(void* user, const TtsSynthResult* result, int error_code) {
  const bool armed = t_armed;
  t_armed = false;
  const bool go_on = CallRecorder::Callback(user, result, error_code);
  t_armed = armed;
  return go_on;
}

const char kText[] = "银行行长很好。123 ABC.";

std::string Scratch() {
  char pattern[] = "/tmp/kvo_fault_test_XXXXXX";
  if (mkdtemp(pattern) == nullptr) return "";
  return pattern;
}

// A data folder of its own: the test voice copied, so that it can be damaged.
class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = Scratch();
    ASSERT_FALSE(scratch_.empty());
    data_ = scratch_ + "/data";
    std::filesystem::create_directory(data_);
    for (const char* name : {"catalogue.ini", "cn16k.lib", "en16k.lib"}) {
      std::filesystem::copy_file(module_test::DataFolder() + "/" + name, data_ + "/" + name);
    }
  }
  void TearDown() override {
    // Whatever a failed test left open.
    for (int id = 0; id < 256; ++id) kvo_tts_session_stop(id);
    kvo_tts_release();
    kvo_release();
    std::filesystem::remove_all(scratch_);
  }

  void StartSystem(const std::string& log_folder = "") {
    std::string sys = "logLevel=5,dataPath=" + data_;
    if (!log_folder.empty()) sys += ",logFilePath=" + log_folder;
    ASSERT_EQ(kvo_init(sys.c_str()), KVO_SYS_OK);
    ASSERT_EQ(kvo_tts_init(("datapath=" + data_).c_str()), KVO_TTS_OK);
  }

  // A full synthesis on a fresh session: the contract holds and audio comes.
  void ExpectWorkingSession() {
    int id = -1;
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_OK);
    CallRecorder recorder;
    recorder.text = kText;
    EXPECT_EQ(kvo_tts_synth(id, kText, "speed=6", &CallRecorder::Callback, &recorder), KVO_TTS_OK);
    recorder.ExpectContract();
    EXPECT_FALSE(recorder.audio.empty());
    EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  }

  std::string scratch_;
  std::string data_;
};

// --- allocation failures -------------------------------------------------

enum class Call { kInit, kStart, kSynth, kStop, kRelease };

struct AllocationCase {
  const char* name;
  Call call;
};

void PrintTo(const AllocationCase& c, std::ostream* os) { *os << c.name; }

class AllocationFailure : public FaultTest, public ::testing::WithParamInterface<AllocationCase> {
 protected:
  // Brings the SDK to the state before the call, runs it with allocation
  // fail_at failing, and returns its result; *allocations gets the count.
  int RunCall(long fail_at, long* allocations, int* session) {
    const Call call = GetParam().call;
    if (call != Call::kInit) {
      EXPECT_EQ(kvo_tts_init(("datapath=" + data_ + ",initcapkeys=tts.local.synth").c_str()), KVO_TTS_OK);
    }
    if (call == Call::kSynth || call == Call::kStop) {
      EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", session), KVO_TTS_OK);
    }
    int code = 0;
    CallRecorder recorder;
    recorder.text = kText;
    recorder.calls.reserve(4096);
    const std::string init = "datapath=" + data_ + ",initcapkeys=tts.local.synth";
    {
      AllocationFault fault(fail_at);
      switch (call) {
        case Call::kInit:
          code = kvo_tts_init(init.c_str());
          break;
        case Call::kStart:
          code = kvo_tts_session_start("capkey=tts.local.synth,audioformat=pcm8k16bit,speed=7", session);
          break;
        case Call::kSynth:
          code = kvo_tts_synth(*session, kText, "volume=6", &UncountedCallback, &recorder);
          break;
        case Call::kStop:
          code = kvo_tts_session_stop(*session);
          break;
        case Call::kRelease:
          code = kvo_tts_release();
          break;
      }
      *allocations = fault.Count();
    }
    if (!recorder.calls.empty()) recorder.ExpectContract();
    if (call == Call::kSynth && code == KVO_TTS_OK) {
      EXPECT_FALSE(recorder.calls.empty());
    }
    return code;
  }

  // Whatever the failed call left behind is cleaned up through the API, and
  // then everything works from the start.
  void ExpectRecovered(Call call, int code, int session) {
    const bool session_open = (call == Call::kStart && code == KVO_TTS_OK) || call == Call::kSynth ||
                              (call == Call::kStop && code != KVO_TTS_OK);
    if (session_open) {
      EXPECT_EQ(kvo_tts_session_stop(session), KVO_TTS_OK);
    }
    const bool initialised = call != Call::kInit || code == KVO_TTS_OK;
    const bool released = call == Call::kRelease && code == KVO_TTS_OK;
    if (initialised && !released) {
      EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK) << "a session or the SDK state leaked";
    }
    EXPECT_EQ(kvo_tts_init(("datapath=" + data_).c_str()), KVO_TTS_OK);
    ExpectWorkingSession();
    EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  }
};

TEST_P(AllocationFailure, EachAllocationFailsCleanly) {
  // With the log and the usage records on, so that their allocations fail too.
  ASSERT_EQ(
      kvo_init(("logLevel=5,logFilePath=" + scratch_ + ",historyFile=" + scratch_ + "/history.txt,dataPath=" + data_)
                   .c_str()),
      KVO_SYS_OK);
  const Call call = GetParam().call;
  // The allocations of an undisturbed call.
  long total = 0;
  int session = -1;
  ASSERT_EQ(RunCall(-1, &total, &session), KVO_TTS_OK);
  ExpectRecovered(call, KVO_TTS_OK, session);
  if (total == 0) {
    // Nothing to fail: the call takes no memory on its thread.
    EXPECT_TRUE(call == Call::kStop || call == Call::kRelease);
    return;
  }

  int failures = 0;
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total));
    long count = 0;
    session = -1;
    const int code = RunCall(n, &count, &session);
    // Out of memory is 2; a failed request the call could do without (a log
    // line) leaves it succeeding.
    EXPECT_TRUE(code == KVO_TTS_OK || code == KVO_TTS_ERR_NO_MEMORY) << "code " << code;
    if (code == KVO_TTS_OK && call == Call::kStart) {
      EXPECT_GE(session, 0);
    }
    if (code != KVO_TTS_OK) ++failures;
    ExpectRecovered(call, code, session);
    if (HasFailure()) break;
  }
  // The call's own allocations, at least, report the failure.
  EXPECT_GT(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(Calls, AllocationFailure,
                         ::testing::Values(AllocationCase{"Init", Call::kInit},
                                           AllocationCase{"SessionStart", Call::kStart},
                                           AllocationCase{"Synth", Call::kSynth},
                                           AllocationCase{"SessionStop", Call::kStop},
                                           AllocationCase{"Release", Call::kRelease}),
                         [](const ::testing::TestParamInfo<AllocationCase>& p) { return std::string(p.param.name); });

// --- the log folder ------------------------------------------------------

struct LogCase {
  const char* name;
  // Makes the log folder in scratch and returns its path.
  std::string (*prepare)(const std::string& scratch);
};

void PrintTo(const LogCase& c, std::ostream* os) { *os << c.name; }

class LogFolderFault : public FaultTest, public ::testing::WithParamInterface<LogCase> {};

TEST_P(LogFolderFault, SpeechGoesOnWithoutTheLog) {
  const std::string folder = GetParam().prepare(scratch_);
  StartSystem(folder);
  ExpectWorkingSession();
  ExpectWorkingSession();
}

INSTANTIATE_TEST_SUITE_P(Folders, LogFolderFault,
                         ::testing::Values(
                             // Below a regular file: the folder can never be made.
                             LogCase{"BelowAFile",
                                     [](const std::string& scratch) {
                                       std::ofstream(scratch + "/file") << "x";
                                       return scratch + "/file/log";
                                     }},
                             // The log file is the full device: every write fails with ENOSPC.
                             LogCase{"DeviceFull",
                                     [](const std::string& scratch) {
                                       std::filesystem::create_directory(scratch + "/full");
                                       std::filesystem::create_symlink("/dev/full", scratch + "/full/kvo_tts.log");
                                       return scratch + "/full";
                                     }},
                             // The folder is a dangling link.
                             LogCase{"DanglingLink",
                                     [](const std::string& scratch) {
                                       std::filesystem::create_symlink(scratch + "/gone/deeper", scratch + "/dangling");
                                       return scratch + "/dangling";
                                     }},
                             // The log file's name is taken by a folder.
                             LogCase{"LogNameIsAFolder",
                                     [](const std::string& scratch) {
                                       std::filesystem::create_directories(scratch + "/taken/kvo_tts.log");
                                       return scratch + "/taken";
                                     }}),
                         [](const ::testing::TestParamInfo<LogCase>& p) { return std::string(p.param.name); });

// --- a library that shrinks under a session ------------------------------

struct ShrinkCase {
  const char* name;
  double keep;  // fraction of the file kept
  bool zero;    // the whole file overwritten with zeros instead
};

void PrintTo(const ShrinkCase& c, std::ostream* os) { *os << c.name; }

class ShrinkingLibrary : public FaultTest, public ::testing::WithParamInterface<ShrinkCase> {};

TEST_P(ShrinkingLibrary, SynthesisFailsOrEndsCleanlyAndRecovers) {
  StartSystem();
  int id = -1;
  ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_OK);
  const std::string library = data_ + "/cn16k.lib";
  const std::string saved = scratch_ + "/cn16k.saved";
  std::filesystem::copy_file(library, saved);
  const auto size = std::filesystem::file_size(library);
  if (GetParam().zero) {
    std::ofstream(library, std::ios::binary | std::ios::in) << std::string(size, '\0');
  } else {
    ASSERT_EQ(truncate(library.c_str(), static_cast<off_t>(size * GetParam().keep)), 0);
  }
  for (int round = 0; round < 2; ++round) {
    CallRecorder recorder;
    recorder.text = kText;
    const int code = kvo_tts_synth(id, kText, nullptr, &CallRecorder::Callback, &recorder);
    EXPECT_TRUE(code == KVO_TTS_OK || code == KVO_TTS_ERR_ENGINE_SYNTH) << "code " << code;
    recorder.ExpectContract();
  }
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  // A new session on the damaged file is refused; on the restored one it works.
  EXPECT_NE(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_OK);
  std::filesystem::copy_file(saved, library, std::filesystem::copy_options::overwrite_existing);
  ExpectWorkingSession();
}

INSTANTIATE_TEST_SUITE_P(Cuts, ShrinkingLibrary,
                         ::testing::Values(ShrinkCase{"ToNothing", 0.0, false},
                                           ShrinkCase{"ToTheHeader", 0.0001, false}, ShrinkCase{"ToHalf", 0.5, false},
                                           ShrinkCase{"LastBytes", 0.999, false}, ShrinkCase{"Zeroed", 1.0, true}),
                         [](const ::testing::TestParamInfo<ShrinkCase>& p) { return std::string(p.param.name); });

// --- stop from inside the callback and from another thread at once -------

struct StopCase {
  const char* name;
  int stop_at;  // the callback answers false from this call on
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopRace : public FaultTest, public ::testing::WithParamInterface<StopCase> {};

struct RaceState {
  CallRecorder recorder;
  std::atomic<bool> go{false};
  std::atomic<bool> returned{false};
  std::atomic<int> calls_after_return{0};
};

bool RacingCallback(void* user, const TtsSynthResult* result, int error_code) {
  RaceState* state = static_cast<RaceState*>(user);
  if (state->returned.load()) state->calls_after_return.fetch_add(1);
  const bool go_on = CallRecorder::Callback(&state->recorder, result, error_code);
  // The other thread's stop starts the moment this call says stop.
  if (!go_on) state->go.store(true);
  return go_on;
}

TEST_P(StopRace, BothStopsEndTheSynthesisOnce) {
  StartSystem();
  for (int round = 0; round < 5; ++round) {
    int id = -1;
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_OK);
    RaceState state;
    state.recorder.text = kText;
    state.recorder.stop_at = GetParam().stop_at;
    std::vector<int> stop_codes;
    std::thread stopper([&] {
      while (!state.go.load()) std::this_thread::yield();
      // Busy (502) while the synthesis winds down, then stopped (0).
      for (int tries = 0; tries < 1000000; ++tries) {
        const int code = kvo_tts_session_stop(id);
        stop_codes.push_back(code);
        if (code != 502) break;
        std::this_thread::yield();
      }
    });
    const int code = kvo_tts_synth(id, kText, nullptr, &RacingCallback, &state);
    state.returned.store(true);
    if (!state.go.load()) state.go.store(true);  // the synthesis ended before the stop call
    stopper.join();
    EXPECT_EQ(code, KVO_TTS_OK);
    state.recorder.ExpectContract();
    EXPECT_EQ(state.calls_after_return.load(), 0);
    ASSERT_FALSE(stop_codes.empty());
    EXPECT_EQ(stop_codes.back(), KVO_TTS_OK);
    for (size_t i = 0; i + 1 < stop_codes.size(); ++i) EXPECT_EQ(stop_codes[i], 502);
    // The id is free again.
    EXPECT_EQ(kvo_tts_synth(id, kText, nullptr, &CallRecorder::Callback, &state.recorder), KVO_TTS_ERR_SESSION_ID);
  }
  ExpectWorkingSession();
}

INSTANTIATE_TEST_SUITE_P(Moments, StopRace,
                         ::testing::Values(StopCase{"FirstCall", 0}, StopCase{"SecondCall", 1},
                                           StopCase{"LaterCall", 6}),
                         [](const ::testing::TestParamInfo<StopCase>& p) { return std::string(p.param.name); });

}  // namespace
