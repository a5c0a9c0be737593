// Sessions: start, synthesis and stop with their argument checks, the
// configurations that reach the module, the session limit and the slots.
#include <string>

#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

class SessionTest : public SdkTest {
 protected:
  void SetUp() override {
    SdkTest::SetUp();
    ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  }
};

TEST_F(SessionTest, StartSynthStopWithLogLines) {
  int id = -1;
  ASSERT_EQ(kvo_tts_session_start("capKey=tts.local.synth", &id), KVO_TTS_OK);
  EXPECT_EQ(id, 0);
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(id, "hello"), KVO_TTS_OK);
  EXPECT_TRUE(recorder.HoldsContract("hello", true));
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);

  std::vector<std::string> lines;
  for (const LogLine& line : Log()) {
    const std::string& m = line.message;
    if (m.find("[kvo_tts]") == 0 || m.find("[qvcommon][TtsSdk::") == 0 ||
        m.find("[qvcommon][SessionInterface::") == 0 || m.find("[qvcommon][IDllInterface::") == 0) {
      lines.push_back(std::to_string(line.level) + " " + m);
    }
  }
  const std::vector<std::string> expected = {
      // kvo_tts_init of SetUp
      "5 [kvo_tts][kvo_tts_init]Enter",
      "5 [kvo_tts][TtsSdk::Init]Enter",
      "3 [qvcommon][TtsSdk::Init] SUCCESS",
      "5 [kvo_tts][TtsSdk::Init]Leave",
      "5 [kvo_tts][kvo_tts_init]Leave",
      // the first session loads the module
      "5 [kvo_tts][kvo_tts_session_start]Enter",
      "5 [qvcommon][IDllInterface::Load]Enter",
      "5 [kvo_tts][TtsDllInterface::Init]Enter",
      "5 [kvo_tts][TtsDllInterface::Init]Leave",
      "5 [qvcommon][IDllInterface::Load]Leave",
      "5 [kvo_tts][TtsSession::Start]Enter",
      "5 [kvo_tts][TtsSession::Start]Leave",
      "3 [qvcommon][TtsSdk::StartSession] SUCCESS",
      "5 [kvo_tts][kvo_tts_session_start]Leave",
      "5 [kvo_tts][kvo_tts_synth]Enter",
      "5 [kvo_tts][TtsSdk::Synth]Enter",
      "5 [kvo_tts][TtsSession::Synth]Enter",
      "5 [kvo_tts][TtsSession::Synth]Leave",
      "3 [qvcommon][TtsSdk::Synth] SUCCESS",
      "5 [kvo_tts][TtsSdk::Synth]Leave",
      "5 [kvo_tts][kvo_tts_synth]Leave",
      "5 [kvo_tts][kvo_tts_session_stop]Enter",
      "5 [kvo_tts][TtsSession::Stop]Enter",
      "5 [kvo_tts][TtsSession::Stop]Leave",
      "5 [qvcommon][SessionInterface::~SessionInterface]Enter",
      "5 [qvcommon][SessionInterface::~SessionInterface]Leave",
      "3 [qvcommon][TtsSdk::StopSession] SUCCESS",
      "5 [kvo_tts][kvo_tts_session_stop]Leave",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(SessionTest, CapkeyNameIsCaseInsensitive) {
  for (const char* config : {"capkey=tts.local.synth", "CAPKEY=tts.local.synth", " CapKey = tts.local.synth "}) {
    int id = -1;
    ASSERT_EQ(kvo_tts_session_start(config, &id), KVO_TTS_OK) << config;
    EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  }
}

struct StartCase {
  const char* config;  // null: a null config
  int expected;
  bool logged_failed;  // a FAILED line of TtsSdk::StartSession
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << (c.config ? c.config : "(null)"); }

class StartSessionCaseTest : public SessionTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartSessionCaseTest, Result) {
  const StartCase& c = GetParam();
  int id = 12345;
  EXPECT_EQ(kvo_tts_session_start(c.config, &id), c.expected) << (c.config ? c.config : "(null)");
  EXPECT_EQ(id, 12345) << "the id is written only on success";
  EXPECT_EQ(HasLog(1, FailedLine("TtsSdk::StartSession", c.expected)), c.logged_failed);
  // Nothing of the failed start is left: the next session gets id 0.
  int next = -1;
  ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &next), KVO_TTS_OK);
  EXPECT_EQ(next, 0);
  EXPECT_EQ(kvo_tts_session_stop(next), KVO_TTS_OK);
  EXPECT_EQ(ModuleCounts(kContractModule).live_sessions, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartSessionCaseTest,
    ::testing::Values(
        StartCase{nullptr, KVO_TTS_ERR_INVALID_ARG, true}, StartCase{"", KVO_TTS_ERR_CAPKEY_MISSING, true},
        StartCase{" , ", KVO_TTS_ERR_CAPKEY_MISSING, true}, StartCase{"speed=5", KVO_TTS_ERR_CAPKEY_MISSING, true},
        StartCase{"capkey", KVO_TTS_ERR_CONFIG, true}, StartCase{"capkey=", KVO_TTS_ERR_CONFIG, true},
        StartCase{"capkey= ", KVO_TTS_ERR_CONFIG, true}, StartCase{"=tts.local.synth", KVO_TTS_ERR_CONFIG, true},
        StartCase{"capkey=asr.x", KVO_TTS_ERR_CAPKEY_INVALID, true},
        StartCase{"capkey=tts", KVO_TTS_ERR_CAPKEY_INVALID, true},
        StartCase{"capkey=ttsx.local", KVO_TTS_ERR_CAPKEY_INVALID, true},
        StartCase{"capkey=.tts.local.synth", KVO_TTS_ERR_CAPKEY_INVALID, true},
        StartCase{"capkey=tts.nowhere", KVO_SYS_CAPKEY_UNKNOWN, true},
        StartCase{"capkey=tts.", KVO_TTS_ERR_NO_MODULE, true},
        StartCase{"capkey=tts.asr.x", KVO_TTS_ERR_NO_MODULE, true},
        StartCase{"capkey=tts.local.missing", KVO_TTS_ERR_RESOURCE_MISSING, true},
        StartCase{"capkey=tts.local.v6", KVO_TTS_ERR_MODULE_LOAD, true},
        StartCase{"capkey=tts.local.n4", kInitFailsModuleResult, true},
        StartCase{"capkey=tts.cloud.none", KVO_SYS_NO_SERVICE, true},
        StartCase{"capkey=tts.local.synth,puncmode=ON", KVO_TTS_ERR_CONFIG, true},
        StartCase{"capkey=tts.local.synth,voicestyle=loud", KVO_TTS_ERR_CONFIG, true},
        StartCase{"capkey=tts.local.synth,speed=10", KVO_TTS_ERR_CONFIG, false},
        StartCase{"capkey=tts.local.synth,volume=.5", KVO_TTS_ERR_CONFIG, false},
        StartCase{"capkey=tts.local.synth,pitch=1e1", KVO_TTS_ERR_CONFIG, false},
        StartCase{"capkey=tts.local.synth,startresult=9", 9, true}));

TEST_F(SessionTest, NullIdPointerIs1) {
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", nullptr), KVO_TTS_ERR_INVALID_ARG);
  EXPECT_FALSE(ModuleLoaded(kContractModule)) << "nothing is prepared for a call that cannot succeed";
}

TEST_F(SessionTest, StartLogsTheReasonOfEachFailure) {
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=asr.x", &id), KVO_TTS_ERR_CAPKEY_INVALID);
  EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] capkey(asr.x) not matched"));
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.nowhere", &id), KVO_SYS_CAPKEY_UNKNOWN);
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][SdkInterface::StartSession] KVO_GetCapabilityInternalItemByKey(tts.nowhere) "
                     "return 605"));
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.missing", &id), KVO_TTS_ERR_RESOURCE_MISSING);
  EXPECT_TRUE(HasLog(5, "[qvcommon][SdkInterface::AccessValidRes] file " + data_.path() + "/not_there.kvl not exist!"));
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][SdkInterface::PrepareForCapkeyByCapInnerItem] AccessValidRes for "
                     "tts.local.missing failed"));
  EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] PrepareForCapkey(tts.local.missing) return 14"));
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,speed=10", &id), KVO_TTS_ERR_CONFIG);
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][TtsSdk::CheckDoubleConfig] speed(must be number and x>=0 AND x<=9.990000 and "
                     "decimals > 2):10"));
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,puncmode=ON", &id), KVO_TTS_ERR_CONFIG);
  EXPECT_TRUE(HasLog(1, "[qvcommon][ConfigAssistant::CheckAndRebuild] key:puncmode,value:ON invalid"));
  EXPECT_EQ(kvo_tts_session_start("speed=1", &id), KVO_TTS_ERR_CAPKEY_MISSING);
  EXPECT_TRUE(HasLog(1, "[qvcommon][ConfigAssistant::CheckAndRebuild] capkey missing."));
}

TEST_F(SessionTest, ModuleGetsSessionConfigurationWithDefaultsCapabilityConfigAndId) {
  int first = StartSessionOk("capkey=tts.local.synth.N6");
  int id = StartSessionOk("capKey=tts.local.synth,Speed=3,Extra=Kept,appkey=mine");
  EXPECT_EQ(first, 0);
  EXPECT_EQ(id, 1);
  const std::vector<ModuleEvent> starts = ModuleEvents(kContractModule, "start");
  ASSERT_EQ(starts.size(), 2u);
  // The capability's own configuration (speed=8,cap=first) wins over the
  // application's; sessionid is the id returned to the caller.
  EXPECT_EQ(starts[1].detail,
            "appkey=mine,cap=first,capkey=tts.local.synth,digitmode=auto_number,engmode=auto,extra=Kept,pitch=5,"
            "puncmode=off,sessionid=1,speed=8,voicestyle=normal,volume=5|is_cloud=0;speed=8;cap=first");
  EXPECT_NE(starts[0].detail.find("sessionid=0"), std::string::npos);
}

TEST_F(SessionTest, SynthConfigurationMergesSessionSynthAndCapability) {
  int id = StartSessionOk("capkey=tts.local.synth,pitch=2,appkey=mine");
  ContractRecorder recorder;
  ClearModuleEvents();
  ASSERT_EQ(recorder.Synth(id, "abc", "capkey=tts.other,appkey=theirs,pitch=7,speed=6,puncmode=on,mode=x"), KVO_TTS_OK);
  const std::vector<ModuleEvent> synths = ModuleEvents(kContractModule, "synth");
  ASSERT_EQ(synths.size(), 1u);
  // Synthesis entries win over the session's, capability entries over both;
  // capkey and appkey of the synthesis are ignored.
  EXPECT_EQ(synths[0].detail,
            "appkey=mine,cap=first,capkey=tts.local.synth,digitmode=auto_number,engmode=auto,mode=x,pitch=7,"
            "puncmode=on,sessionid=0,speed=8,voicestyle=normal,volume=5");
}

struct SynthCase {
  const char* name;
  int id;  // kValidId: the open session
  const char* text;
  const char* config;
  bool callback;
  int expected;
};

void PrintTo(const SynthCase& c, std::ostream* os) { *os << c.name; }
constexpr int kValidId = -1000;

class SynthCaseTest : public SessionTest, public ::testing::WithParamInterface<SynthCase> {};

TEST_P(SynthCaseTest, Result) {
  const SynthCase& c = GetParam();
  int id = StartSessionOk("capkey=tts.local.synth");
  ContractRecorder recorder;
  recorder.synth_thread = std::this_thread::get_id();
  const int result = kvo_tts_synth(c.id == kValidId ? id : c.id, c.text, c.config,
                                   c.callback ? &ContractRecorder::Callback : nullptr, &recorder);
  EXPECT_EQ(result, c.expected);
  if (c.expected != KVO_TTS_OK) {
    EXPECT_TRUE(recorder.calls.empty()) << "nothing is synthesised after a refusal";
    EXPECT_EQ(ModuleCounts(kContractModule).synths, 0);
  } else {
    EXPECT_TRUE(recorder.HoldsContract(c.text, true));
  }
  // The session stays usable.
  ContractRecorder after;
  EXPECT_EQ(after.Synth(id, "ok"), KVO_TTS_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SynthCaseTest,
    ::testing::Values(SynthCase{"Plain", kValidId, "text", nullptr, true, KVO_TTS_OK},
                      SynthCase{"EmptyConfig", kValidId, "text", "", true, KVO_TTS_OK},
                      SynthCase{"Id256", 256, "text", nullptr, true, KVO_TTS_ERR_SESSION_ID},
                      SynthCase{"IdMinus1", -1, "text", nullptr, true, KVO_TTS_ERR_SESSION_ID},
                      SynthCase{"IdIntMin", -2147483647 - 1, "text", nullptr, true, KVO_TTS_ERR_SESSION_ID},
                      SynthCase{"IdNeverOpened", 7, "text", nullptr, true, KVO_TTS_ERR_SESSION_ID},
                      SynthCase{"NullText", kValidId, nullptr, nullptr, true, KVO_TTS_ERR_INVALID_ARG},
                      SynthCase{"EmptyText", kValidId, "", nullptr, true, KVO_TTS_ERR_INVALID_ARG},
                      SynthCase{"NullCallback", kValidId, "text", nullptr, false, KVO_TTS_ERR_INVALID_ARG},
                      SynthCase{"Speed12", kValidId, "text", "Speed=12", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"Volume999", kValidId, "text", "volume=9.999", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"PitchBlank", kValidId, "text", "pitch= 5.5.5", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"PuncmodeUpper", kValidId, "text", "puncmode=ON", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"EngmodeBad", kValidId, "text", "engmode=chinese", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"Unparsable", kValidId, "text", "speed", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"BadConfigBeatsBadId", 256, "text", "speed=10", true, KVO_TTS_ERR_CONFIG},
                      SynthCase{"EmptyTextBeatsBadId", 256, "", nullptr, true, KVO_TTS_ERR_INVALID_ARG},
                      SynthCase{"CapkeyIgnored", kValidId, "text", "capkey=asr.x", true, KVO_TTS_OK},
                      SynthCase{"SpeedEdges", kValidId, "text", "speed=9.99,volume=0,pitch=009", true, KVO_TTS_OK}),
    [](const ::testing::TestParamInfo<SynthCase>& param_info) { return std::string(param_info.param.name); });

TEST_F(SessionTest, SynthOfStoppedSessionIs16) {
  int id = StartSessionOk("capkey=tts.local.synth");
  ASSERT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(id, "text"), KVO_TTS_ERR_SESSION_ID);
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Synth", KVO_TTS_ERR_SESSION_ID)));
}

TEST_F(SessionTest, StopOfBadIdsIs16) {
  for (int id : {-1, 256, 3, 1000000}) {
    EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_ERR_SESSION_ID) << id;
  }
  int id = StartSessionOk("capkey=tts.local.synth");
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_ERR_SESSION_ID);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", KVO_TTS_ERR_SESSION_ID)));
}

TEST_F(SessionTest, ModuleSynthesisErrorIsReturnedAfterTheLastCall) {
  int id = StartSessionOk("capkey=tts.local.synth");
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(id, "some text", "synthresult=504"), KVO_TTS_ERR_ENGINE_SYNTH);
  EXPECT_TRUE(recorder.HoldsContract("some text", true));
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Synth", KVO_TTS_ERR_ENGINE_SYNTH)));
  // Errors reach the application only as the result: the callback saw 0.
  for (const CallbackCall& call : recorder.calls) EXPECT_EQ(call.error_code, KVO_TTS_OK);
}

TEST_F(SessionTest, FailedStopLeavesTheSessionUsable) {
  int id = StartSessionOk("capkey=tts.local.synth,stopfail=61");
  EXPECT_EQ(kvo_tts_session_stop(id), 61);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", 61)));
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(id, "after a failed stop"), KVO_TTS_OK);
  EXPECT_TRUE(recorder.HoldsContract("after a failed stop", true));
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_SESSIONS_OPEN);
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  EXPECT_EQ(ModuleCounts(kContractModule).live_sessions, 0);
}

TEST_F(SessionTest, FailedStartLeavesNoTrace) {
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,startresult=42", &id), 42);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StartSession", 42)));
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK) << "no session is registered";
  EXPECT_EQ(InitSdk(), KVO_TTS_OK);
}

TEST_F(SessionTest, SessionsTakeTheLowestFreeSlot) {
  int a = StartSessionOk("capkey=tts.local.synth");
  int b = StartSessionOk("capkey=tts.local.synth");
  int c = StartSessionOk("capkey=tts.local.second");
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 2);
  ASSERT_EQ(kvo_tts_session_stop(b), KVO_TTS_OK);
  int d = StartSessionOk("capkey=tts.local.synth");
  EXPECT_EQ(d, 1);
  // Two keys of one file: loaded once, initialised once with the first key's item.
  const std::vector<ModuleEvent> inits = ModuleEvents(kContractModule, "init");
  ASSERT_EQ(inits.size(), 1u);
  EXPECT_NE(inits[0].detail.find("cap=first"), std::string::npos);
  EXPECT_EQ(ModuleEvents(kContractModule, "load").size(), 1u);
}

class SessionLimitTest : public SdkTest {
 protected:
  void SetUp() override {
    max_sessions_ = 1;
    SdkTest::SetUp();
    ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  }
};

TEST_F(SessionLimitTest, SecondStartIs17AndLeavesTheFirstUntouched) {
  int first = -1;
  ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &first), KVO_TTS_OK);
  EXPECT_EQ(first, 0);
  int second = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &second), KVO_TTS_ERR_SESSION_LIMIT);
  EXPECT_EQ(second, -1);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StartSession", KVO_TTS_ERR_SESSION_LIMIT)));
  EXPECT_EQ(ModuleCounts(kContractModule).starts, 1) << "the module never saw the refused session";
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(first, "first still works"), KVO_TTS_OK);
  EXPECT_TRUE(recorder.HoldsContract("first still works", true));
  ASSERT_EQ(kvo_tts_session_stop(first), KVO_TTS_OK);
  int again = -1;
  ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &again), KVO_TTS_OK);
  EXPECT_EQ(again, 0);
  EXPECT_EQ(kvo_tts_session_stop(again), KVO_TTS_OK);
}

TEST_F(SessionLimitTest, FailedStartsDoNotUseUpTheLimit) {
  int id = -1;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,startresult=8", &id), 8);
  }
  ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
}

class FullTableTest : public SdkTest {
 protected:
  void SetUp() override {
    max_sessions_ = 256;
    SdkTest::SetUp();
    ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  }
};

TEST_F(FullTableTest, All256SlotsThenTheLimit) {
  std::vector<int> ids;
  for (int i = 0; i < 256; ++i) {
    int id = -1;
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth.n6", &id), KVO_TTS_OK) << i;
    EXPECT_EQ(id, i);
    ids.push_back(id);
  }
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth.n6", &id), KVO_TTS_ERR_SESSION_LIMIT);
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(255, "last slot"), KVO_TTS_OK);
  for (int open : ids) EXPECT_EQ(kvo_tts_session_stop(open), KVO_TTS_OK);
  EXPECT_EQ(ModuleCounts(kCountingModule).live_sessions, 0);
  EXPECT_EQ(ModuleCounts(kCountingModule).max_live_sessions, 256);
}

}  // namespace
}  // namespace kvo_sdk_test
