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
        ASSERT_EQ(InitSdk(), 0);
    }
};

TEST_F(SessionTest, StartSynthStopWithLogLines) {
    int id = -1;
    ASSERT_EQ(kvo_tts_session_start("capKey=tts.local.synth", &id), 0);
    EXPECT_EQ(id, 0);
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(id, "hello"), 0);
    EXPECT_TRUE(recorder.HoldsContract("hello", true));
    EXPECT_EQ(kvo_tts_session_stop(id), 0);

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
        ASSERT_EQ(kvo_tts_session_start(config, &id), 0) << config;
        EXPECT_EQ(kvo_tts_session_stop(id), 0);
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
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &next), 0);
    EXPECT_EQ(next, 0);
    EXPECT_EQ(kvo_tts_session_stop(next), 0);
    EXPECT_EQ(ModuleCounts(kContractModule).live_sessions, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartSessionCaseTest,
    ::testing::Values(
        StartCase{nullptr, 1, true}, StartCase{"", 4, true}, StartCase{" , ", 4, true},
        StartCase{"speed=5", 4, true}, StartCase{"capkey", 3, true}, StartCase{"capkey=", 3, true},
        StartCase{"capkey= ", 3, true}, StartCase{"=tts.local.synth", 3, true},
        StartCase{"capkey=asr.x", 5, true}, StartCase{"capkey=tts", 5, true}, StartCase{"capkey=ttsx.local", 5, true},
        StartCase{"capkey=.tts.local.synth", 5, true}, StartCase{"capkey=tts.nowhere", 605, true},
        StartCase{"capkey=tts.", 22, true}, StartCase{"capkey=tts.asr.x", 22, true},
        StartCase{"capkey=tts.local.missing", 14, true}, StartCase{"capkey=tts.local.v6", 23, true},
        StartCase{"capkey=tts.local.n4", 77, true}, StartCase{"capkey=tts.cloud.none", 606, true},
        StartCase{"capkey=tts.local.synth,puncmode=ON", 3, true},
        StartCase{"capkey=tts.local.synth,voicestyle=loud", 3, true},
        StartCase{"capkey=tts.local.synth,speed=10", 3, false},
        StartCase{"capkey=tts.local.synth,volume=.5", 3, false},
        StartCase{"capkey=tts.local.synth,pitch=1e1", 3, false},
        StartCase{"capkey=tts.local.synth,startresult=9", 9, true}));

TEST_F(SessionTest, NullIdPointerIs1) {
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", nullptr), 1);
    EXPECT_FALSE(ModuleLoaded(kContractModule)) << "nothing is prepared for a call that cannot succeed";
}

TEST_F(SessionTest, StartLogsTheReasonOfEachFailure) {
    int id = -1;
    EXPECT_EQ(kvo_tts_session_start("capkey=asr.x", &id), 5);
    EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] capkey(asr.x) not matched"));
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.nowhere", &id), 605);
    EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] KVO_GetCapabilityInternalItemByKey(tts.nowhere) "
                          "return 605"));
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.missing", &id), 14);
    EXPECT_TRUE(HasLog(5, "[qvcommon][SdkInterface::AccessValidRes] file " + data_.path() + "/not_there.kvl not exist!"));
    EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::PrepareForCapkeyByCapInnerItem] AccessValidRes for "
                          "tts.local.missing failed"));
    EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] PrepareForCapkey(tts.local.missing) return 14"));
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,speed=10", &id), 3);
    EXPECT_TRUE(HasLog(1, "[qvcommon][TtsSdk::CheckDoubleConfig] speed(must be number and x>=0 AND x<=9.990000 and "
                          "decimals > 2):10"));
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,puncmode=ON", &id), 3);
    EXPECT_TRUE(HasLog(1, "[qvcommon][ConfigAssistant::CheckAndRebuild] key:puncmode,value:ON invalid"));
    EXPECT_EQ(kvo_tts_session_start("speed=1", &id), 4);
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
    ASSERT_EQ(recorder.Synth(id, "abc", "capkey=tts.other,appkey=theirs,pitch=7,speed=6,puncmode=on,mode=x"), 0);
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
    int id;              // kValidId: the open session
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
    if (c.expected != 0) {
        EXPECT_TRUE(recorder.calls.empty()) << "nothing is synthesised after a refusal";
        EXPECT_EQ(ModuleCounts(kContractModule).synths, 0);
    } else {
        EXPECT_TRUE(recorder.HoldsContract(c.text, true));
    }
    // The session stays usable.
    ContractRecorder after;
    EXPECT_EQ(after.Synth(id, "ok"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SynthCaseTest,
    ::testing::Values(SynthCase{"Plain", kValidId, "text", nullptr, true, 0},
                      SynthCase{"EmptyConfig", kValidId, "text", "", true, 0},
                      SynthCase{"Id256", 256, "text", nullptr, true, 16},
                      SynthCase{"IdMinus1", -1, "text", nullptr, true, 16},
                      SynthCase{"IdIntMin", -2147483647 - 1, "text", nullptr, true, 16},
                      SynthCase{"IdNeverOpened", 7, "text", nullptr, true, 16},
                      SynthCase{"NullText", kValidId, nullptr, nullptr, true, 1},
                      SynthCase{"EmptyText", kValidId, "", nullptr, true, 1},
                      SynthCase{"NullCallback", kValidId, "text", nullptr, false, 1},
                      SynthCase{"Speed12", kValidId, "text", "Speed=12", true, 3},
                      SynthCase{"Volume999", kValidId, "text", "volume=9.999", true, 3},
                      SynthCase{"PitchBlank", kValidId, "text", "pitch= 5.5.5", true, 3},
                      SynthCase{"PuncmodeUpper", kValidId, "text", "puncmode=ON", true, 3},
                      SynthCase{"EngmodeBad", kValidId, "text", "engmode=chinese", true, 3},
                      SynthCase{"Unparsable", kValidId, "text", "speed", true, 3},
                      SynthCase{"BadConfigBeatsBadId", 256, "text", "speed=10", true, 3},
                      SynthCase{"EmptyTextBeatsBadId", 256, "", nullptr, true, 1},
                      SynthCase{"CapkeyIgnored", kValidId, "text", "capkey=asr.x", true, 0},
                      SynthCase{"SpeedEdges", kValidId, "text", "speed=9.99,volume=0,pitch=009", true, 0}),
    [](const ::testing::TestParamInfo<SynthCase>& param_info) { return std::string(param_info.param.name); });

TEST_F(SessionTest, SynthOfStoppedSessionIs16) {
    int id = StartSessionOk("capkey=tts.local.synth");
    ASSERT_EQ(kvo_tts_session_stop(id), 0);
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(id, "text"), 16);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Synth", 16)));
}

TEST_F(SessionTest, StopOfBadIdsIs16) {
    for (int id : {-1, 256, 3, 1000000}) {
        EXPECT_EQ(kvo_tts_session_stop(id), 16) << id;
    }
    int id = StartSessionOk("capkey=tts.local.synth");
    EXPECT_EQ(kvo_tts_session_stop(id), 0);
    EXPECT_EQ(kvo_tts_session_stop(id), 16);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", 16)));
}

TEST_F(SessionTest, ModuleSynthesisErrorIsReturnedAfterTheLastCall) {
    int id = StartSessionOk("capkey=tts.local.synth");
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(id, "some text", "synthresult=504"), 504);
    EXPECT_TRUE(recorder.HoldsContract("some text", true));
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Synth", 504)));
    // Errors reach the application only as the result: the callback saw 0.
    for (const CallbackCall& call : recorder.calls) EXPECT_EQ(call.error_code, 0);
}

TEST_F(SessionTest, FailedStopLeavesTheSessionUsable) {
    int id = StartSessionOk("capkey=tts.local.synth,stopfail=61");
    EXPECT_EQ(kvo_tts_session_stop(id), 61);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", 61)));
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(id, "after a failed stop"), 0);
    EXPECT_TRUE(recorder.HoldsContract("after a failed stop", true));
    EXPECT_EQ(kvo_tts_release(), 18);
    EXPECT_EQ(kvo_tts_session_stop(id), 0);
    EXPECT_EQ(ModuleCounts(kContractModule).live_sessions, 0);
}

TEST_F(SessionTest, FailedStartLeavesNoTrace) {
    int id = -1;
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,startresult=42", &id), 42);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StartSession", 42)));
    EXPECT_EQ(kvo_tts_release(), 0) << "no session is registered";
    EXPECT_EQ(InitSdk(), 0);
}

TEST_F(SessionTest, SessionsTakeTheLowestFreeSlot) {
    int a = StartSessionOk("capkey=tts.local.synth");
    int b = StartSessionOk("capkey=tts.local.synth");
    int c = StartSessionOk("capkey=tts.local.second");
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 2);
    ASSERT_EQ(kvo_tts_session_stop(b), 0);
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
        ASSERT_EQ(InitSdk(), 0);
    }
};

TEST_F(SessionLimitTest, SecondStartIs17AndLeavesTheFirstUntouched) {
    int first = -1;
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &first), 0);
    EXPECT_EQ(first, 0);
    int second = -1;
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &second), 17);
    EXPECT_EQ(second, -1);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StartSession", 17)));
    EXPECT_EQ(ModuleCounts(kContractModule).starts, 1) << "the module never saw the refused session";
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(first, "first still works"), 0);
    EXPECT_TRUE(recorder.HoldsContract("first still works", true));
    ASSERT_EQ(kvo_tts_session_stop(first), 0);
    int again = -1;
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &again), 0);
    EXPECT_EQ(again, 0);
    EXPECT_EQ(kvo_tts_session_stop(again), 0);
}

TEST_F(SessionLimitTest, FailedStartsDoNotUseUpTheLimit) {
    int id = -1;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth,startresult=8", &id), 8);
    }
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), 0);
    EXPECT_EQ(kvo_tts_session_stop(id), 0);
}

class FullTableTest : public SdkTest {
protected:
    void SetUp() override {
        max_sessions_ = 256;
        SdkTest::SetUp();
        ASSERT_EQ(InitSdk(), 0);
    }
};

TEST_F(FullTableTest, All256SlotsThenTheLimit) {
    std::vector<int> ids;
    for (int i = 0; i < 256; ++i) {
        int id = -1;
        ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth.n6", &id), 0) << i;
        EXPECT_EQ(id, i);
        ids.push_back(id);
    }
    int id = -1;
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth.n6", &id), 17);
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(255, "last slot"), 0);
    for (int open : ids) EXPECT_EQ(kvo_tts_session_stop(open), 0);
    EXPECT_EQ(ModuleCounts(kCountingModule).live_sessions, 0);
    EXPECT_EQ(ModuleCounts(kCountingModule).max_live_sessions, 256);
}

}  // namespace
}  // namespace kvo_sdk_test
