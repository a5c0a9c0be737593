// kvo_tts_init / kvo_tts_release: checks of the init string, preparation of
// initcapkeys, release, and the log lines of both.
#include <string>

#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

using LifecycleTest = SdkTest;

TEST(LifecycleWithoutSystem, InitBeforeSystemLibraryIs100) {
    ASSERT_FALSE(KVO_IsInited());
    EXPECT_EQ(kvo_tts_init(nullptr), 100);
    EXPECT_EQ(kvo_tts_init("datapath=/tmp"), 100);
    EXPECT_EQ(kvo_tts_release(), 500);
}

TEST_F(LifecycleTest, NullAndEmptyInitSucceedWithoutCapability) {
    EXPECT_EQ(kvo_tts_init(nullptr), 0);
    EXPECT_TRUE(ModuleEvents().empty());
    EXPECT_EQ(kvo_tts_release(), 0);
    EXPECT_EQ(kvo_tts_init(""), 0);
    EXPECT_EQ(kvo_tts_init(" , "), 501);
    EXPECT_EQ(kvo_tts_release(), 0);
    EXPECT_TRUE(ModuleEvents().empty());
}

TEST_F(LifecycleTest, InitLogsEnterSuccessLeave) {
    ASSERT_EQ(InitSdk(), 0);
    const std::vector<LogLine> log = Log();
    std::vector<std::string> sdk_lines;
    for (const LogLine& line : log) {
        if (line.message.find("[kvo_tts_init]") != std::string::npos ||
            line.message.find("[TtsSdk::Init]") != std::string::npos) {
            sdk_lines.push_back(std::to_string(line.level) + " " + line.message);
        }
    }
    const std::vector<std::string> expected = {
        "5 [kvo_tts][kvo_tts_init]Enter", "5 [kvo_tts][TtsSdk::Init]Enter", "3 [qvcommon][TtsSdk::Init] SUCCESS",
        "5 [kvo_tts][TtsSdk::Init]Leave", "5 [kvo_tts][kvo_tts_init]Leave"};
    EXPECT_EQ(sdk_lines, expected);
}

TEST_F(LifecycleTest, SecondInitIs501AndChangesNothing) {
    ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth"), 0);
    EXPECT_EQ(kvo_tts_init("datapath=/nonexistent,initcapkeys=tts.local.synth.n6"), 501);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Init", 501)));
    EXPECT_FALSE(ModuleLoaded(kCountingModule));
    // The first init's data path is still in force.
    int id = StartSessionOk("capkey=tts.local.synth");
    EXPECT_EQ(id, 0);
}

struct InitCase {
    const char* config;
    int expected;
};

void PrintTo(const InitCase& c, std::ostream* os) { *os << (c.config ? c.config : "(null)"); }

class InitConfigTest : public SdkTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(InitConfigTest, Result) {
    const InitCase& c = GetParam();
    EXPECT_EQ(kvo_tts_init(c.config), c.expected) << c.config;
    if (c.expected != 0) {
        EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Init", c.expected))) << c.config;
        EXPECT_EQ(kvo_tts_release(), 500) << "a failed init leaves the SDK not initialised";
    } else {
        EXPECT_EQ(kvo_tts_release(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, InitConfigTest,
    ::testing::Values(InitCase{"fileflag=None", 3}, InitCase{"fileflag=android_so", 0}, InitCase{"fileflag=none", 0},
                      InitCase{"fileflag=", 3}, InitCase{"datapath", 3}, InitCase{"=x", 3}, InitCase{"a=1,,b=2", 0},
                      InitCase{"initcapkeys=asr.x", 5}, InitCase{"initcapkeys=tts", 5},
                      InitCase{"initcapkeys=;;;", 0}, InitCase{"initcapkeys=tts.local.synth", 6},
                      InitCase{"initcapkeys=tts.cloud.synth", 0}, InitCase{"initcapkeys=tts.nowhere", 605},
                      InitCase{"initcapkeys=tts.asr.x", 6}, InitCase{"initcapkeys=tts.", 22}));

TEST_F(LifecycleTest, InitCapkeyFailureAfterAPreparedKeyUnloadsIt) {
    EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth;;asr.x"), 5);
    EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::Init] capkey(asr.x) not matched"));
    EXPECT_EQ(ModuleEvents(kContractModule, "init").size(), 1u);
    EXPECT_EQ(ModuleEvents(kContractModule, "release").size(), 1u);
    EXPECT_EQ(ModuleEvents(kContractModule, "unload").size(), 1u);
    EXPECT_FALSE(ModuleLoaded(kContractModule));
    EXPECT_EQ(kvo_tts_release(), 500);
    // Nothing was left behind: a new init prepares the key again.
    ClearModuleEvents();
    EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth"), 0);
    EXPECT_EQ(ModuleEvents(kContractModule, "init").size(), 1u);
}

TEST_F(LifecycleTest, InitCapkeysAreNotTrimmed) {
    EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth; tts.local.second"), 5);
    EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::Init] capkey( tts.local.second) not matched"));
    EXPECT_FALSE(ModuleLoaded(kContractModule));
}

TEST_F(LifecycleTest, FailedInitOfLaterKeyLeavesNoModuleLoaded) {
    EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth;tts.local.synth.n6;tts.local.missing"), 14);
    EXPECT_FALSE(ModuleLoaded(kContractModule));
    EXPECT_FALSE(ModuleLoaded(kCountingModule));
    EXPECT_EQ(ModuleEvents(kContractModule, "release").size(), 1u);
    EXPECT_EQ(ModuleEvents(kCountingModule, "release").size(), 1u);
}

TEST_F(LifecycleTest, InitCapkeysPrepareEveryListedKey) {
    ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth;tts.local.synth.n6"), 0);
    EXPECT_TRUE(ModuleLoaded(kContractModule));
    EXPECT_TRUE(ModuleLoaded(kCountingModule));
    EXPECT_EQ(ModuleCounts(kCountingModule).inits, 1);
    EXPECT_EQ(kvo_tts_release(), 0);
    EXPECT_FALSE(ModuleLoaded(kContractModule));
    EXPECT_FALSE(ModuleLoaded(kCountingModule));
    // Release unloads every module, so the next init loads them again.
    ClearModuleEvents();
    ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth"), 0);
    EXPECT_EQ(ModuleEvents(kContractModule, "load").size(), 1u);
    EXPECT_EQ(ModuleEvents(kContractModule, "init").size(), 1u);
}

TEST_F(LifecycleTest, ModuleReceivesTheCheckedInitConfiguration) {
    ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth,Vendor=Acme"), 0);
    const std::vector<ModuleEvent> inits = ModuleEvents(kContractModule, "init");
    ASSERT_EQ(inits.size(), 1u);
    EXPECT_EQ(inits[0].detail, "datapath=" + data_.path() +
                                   ",fileflag=none,initcapkeys=tts.local.synth,vendor=Acme|is_cloud=0;speed=8;cap=first");
}

struct DataPathCase {
    const char* label;
    const char* suffix;  // appended to the data folder
    int expected;        // result of preparing tts.local.synth
};

void PrintTo(const DataPathCase& c, std::ostream* os) { *os << c.label; }

class DataPathTest : public SdkTest, public ::testing::WithParamInterface<DataPathCase> {};

TEST_P(DataPathTest, ResourcesAreFoundUnderTheNormalisedPath) {
    const DataPathCase& c = GetParam();
    const std::string config = "datapath=" + data_.path() + c.suffix + ",initcapkeys=tts.local.synth";
    EXPECT_EQ(kvo_tts_init(config.c_str()), c.expected) << config;
}

// A path without a final separator gets "/"; one ending in "/" stays; one
// ending in "\" is kept as it is, which names no folder on Linux.
INSTANTIATE_TEST_SUITE_P(Table, DataPathTest,
                         ::testing::Values(DataPathCase{"NoSeparator", "", 0}, DataPathCase{"Slash", "/", 0},
                                           DataPathCase{"TrailingTab", "\t", 0},
                                           DataPathCase{"Backslash", "\\", 14},
                                           DataPathCase{"DotFolder", "/.", 0},
                                           DataPathCase{"DoubleSlash", "//", 0}));

TEST_F(LifecycleTest, ReleaseWithOpenSessionIs18ThenSucceedsThen500) {
    ASSERT_EQ(InitSdk(), 0);
    int id = -1;
    ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), 0);
    EXPECT_EQ(kvo_tts_release(), 18);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Release", 18)));
    EXPECT_TRUE(ModuleLoaded(kContractModule));
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(id, "still usable"), 0);
    EXPECT_EQ(kvo_tts_session_stop(id), 0);
    EXPECT_EQ(kvo_tts_release(), 0);
    EXPECT_TRUE(HasLog(3, "[qvcommon][TtsSdk::Release] SUCCESS"));
    EXPECT_EQ(kvo_tts_release(), 500);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Release", 500)));
    EXPECT_EQ(ModuleEvents(kContractModule, "release").size(), 1u);
    EXPECT_FALSE(ModuleLoaded(kContractModule));
}

TEST_F(LifecycleTest, CallsAfterReleaseAre500) {
    ASSERT_EQ(InitSdk(), 0);
    int id = StartSessionOk("capkey=tts.local.synth");
    ASSERT_EQ(kvo_tts_session_stop(id), 0);
    ASSERT_EQ(kvo_tts_release(), 0);
    int other = -1;
    EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &other), 500);
    ContractRecorder recorder;
    EXPECT_EQ(recorder.Synth(0, "x"), 500);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(kvo_tts_session_stop(0), 500);
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StartSession", 500)));
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Synth", 500)));
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", 500)));
}

}  // namespace
}  // namespace kvo_sdk_test
