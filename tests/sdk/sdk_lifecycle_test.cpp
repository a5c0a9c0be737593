// kvo_tts_init / kvo_tts_release: checks of the init string, preparation of
// initcapkeys, release, and the log lines of both.
#include <string>

#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

using LifecycleTest = SdkTest;

TEST(LifecycleWithoutSystem, InitBeforeSystemLibraryIs100) {
  ASSERT_FALSE(KVO_IsInited());
  EXPECT_EQ(kvo_tts_init(nullptr), KVO_TTS_ERR_SYS_NOT_INITED);
  EXPECT_EQ(kvo_tts_init("datapath=/tmp"), KVO_TTS_ERR_SYS_NOT_INITED);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_NOT_INITED);
}

TEST_F(LifecycleTest, NullAndEmptyInitSucceedWithoutCapability) {
  EXPECT_EQ(kvo_tts_init(nullptr), KVO_TTS_OK);
  EXPECT_TRUE(ModuleEvents().empty());
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_init(""), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_init(" , "), KVO_TTS_ERR_ALREADY_INITED);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  EXPECT_TRUE(ModuleEvents().empty());
}

TEST_F(LifecycleTest, InitLogsEnterSuccessLeave) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  const std::vector<LogLine> log = Log();
  std::vector<std::string> sdk_lines;
  for (const LogLine& line : log) {
    if (line.message.find("[kvo_tts_init]") != std::string::npos ||
        line.message.find("[TtsSdk::Init]") != std::string::npos) {
      sdk_lines.push_back(std::to_string(line.level) + " " + line.message);
    }
  }
  const std::vector<std::string> expected = {"5 [kvo_tts][kvo_tts_init]Enter", "5 [kvo_tts][TtsSdk::Init]Enter",
                                             "3 [qvcommon][TtsSdk::Init] SUCCESS", "5 [kvo_tts][TtsSdk::Init]Leave",
                                             "5 [kvo_tts][kvo_tts_init]Leave"};
  EXPECT_EQ(sdk_lines, expected);
}

TEST_F(LifecycleTest, SecondInitIs501AndChangesNothing) {
  ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth"), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_init("datapath=/nonexistent,initcapkeys=tts.local.synth.n6"), KVO_TTS_ERR_ALREADY_INITED);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Init", KVO_TTS_ERR_ALREADY_INITED)));
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
  if (c.expected != KVO_TTS_OK) {
    EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Init", c.expected))) << c.config;
    EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_NOT_INITED) << "a failed init leaves the SDK not initialised";
  } else {
    EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, InitConfigTest,
    ::testing::Values(InitCase{"fileflag=None", KVO_TTS_ERR_CONFIG}, InitCase{"fileflag=android_so", KVO_TTS_OK},
                      InitCase{"fileflag=none", KVO_TTS_OK}, InitCase{"fileflag=", KVO_TTS_ERR_CONFIG},
                      InitCase{"datapath", KVO_TTS_ERR_CONFIG}, InitCase{"=x", KVO_TTS_ERR_CONFIG},
                      InitCase{"a=1,,b=2", KVO_TTS_OK}, InitCase{"initcapkeys=asr.x", KVO_TTS_ERR_CAPKEY_INVALID},
                      InitCase{"initcapkeys=tts", KVO_TTS_ERR_CAPKEY_INVALID}, InitCase{"initcapkeys=;;;", KVO_TTS_OK},
                      InitCase{"initcapkeys=tts.local.synth", KVO_TTS_ERR_NO_DATAPATH},
                      InitCase{"initcapkeys=tts.cloud.synth", KVO_TTS_OK},
                      InitCase{"initcapkeys=tts.nowhere", KVO_SYS_CAPKEY_UNKNOWN},
                      InitCase{"initcapkeys=tts.asr.x", KVO_TTS_ERR_NO_DATAPATH},
                      InitCase{"initcapkeys=tts.", KVO_TTS_ERR_NO_MODULE}));

TEST_F(LifecycleTest, InitCapkeyFailureAfterAPreparedKeyUnloadsIt) {
  EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth;;asr.x"), KVO_TTS_ERR_CAPKEY_INVALID);
  EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::Init] capkey(asr.x) not matched"));
  EXPECT_EQ(ModuleEvents(kContractModule, "init").size(), 1u);
  EXPECT_EQ(ModuleEvents(kContractModule, "release").size(), 1u);
  EXPECT_EQ(ModuleEvents(kContractModule, "unload").size(), 1u);
  EXPECT_FALSE(ModuleLoaded(kContractModule));
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_NOT_INITED);
  // Nothing was left behind: a new init prepares the key again.
  ClearModuleEvents();
  EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth"), KVO_TTS_OK);
  EXPECT_EQ(ModuleEvents(kContractModule, "init").size(), 1u);
}

TEST_F(LifecycleTest, InitCapkeysAreNotTrimmed) {
  EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth; tts.local.second"), KVO_TTS_ERR_CAPKEY_INVALID);
  EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::Init] capkey( tts.local.second) not matched"));
  EXPECT_FALSE(ModuleLoaded(kContractModule));
}

TEST_F(LifecycleTest, FailedInitOfLaterKeyLeavesNoModuleLoaded) {
  EXPECT_EQ(InitSdk("initcapkeys=tts.local.synth;tts.local.synth.n6;tts.local.missing"), KVO_TTS_ERR_RESOURCE_MISSING);
  EXPECT_FALSE(ModuleLoaded(kContractModule));
  EXPECT_FALSE(ModuleLoaded(kCountingModule));
  EXPECT_EQ(ModuleEvents(kContractModule, "release").size(), 1u);
  EXPECT_EQ(ModuleEvents(kCountingModule, "release").size(), 1u);
}

TEST_F(LifecycleTest, InitCapkeysPrepareEveryListedKey) {
  ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth;tts.local.synth.n6"), KVO_TTS_OK);
  EXPECT_TRUE(ModuleLoaded(kContractModule));
  EXPECT_TRUE(ModuleLoaded(kCountingModule));
  EXPECT_EQ(ModuleCounts(kCountingModule).inits, 1);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  EXPECT_FALSE(ModuleLoaded(kContractModule));
  EXPECT_FALSE(ModuleLoaded(kCountingModule));
  // Release unloads every module, so the next init loads them again.
  ClearModuleEvents();
  ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth"), KVO_TTS_OK);
  EXPECT_EQ(ModuleEvents(kContractModule, "load").size(), 1u);
  EXPECT_EQ(ModuleEvents(kContractModule, "init").size(), 1u);
}

TEST_F(LifecycleTest, ModuleReceivesTheCheckedInitConfiguration) {
  ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth,Vendor=Acme"), KVO_TTS_OK);
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
                         ::testing::Values(DataPathCase{"NoSeparator", "", KVO_TTS_OK},
                                           DataPathCase{"Slash", "/", KVO_TTS_OK},
                                           DataPathCase{"TrailingTab", "\t", KVO_TTS_OK},
                                           DataPathCase{"Backslash", "\\", KVO_TTS_ERR_RESOURCE_MISSING},
                                           DataPathCase{"DotFolder", "/.", KVO_TTS_OK},
                                           DataPathCase{"DoubleSlash", "//", KVO_TTS_OK}));

TEST_F(LifecycleTest, ReleaseWithOpenSessionIs18ThenSucceedsThen500) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  int id = -1;
  ASSERT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_SESSIONS_OPEN);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Release", KVO_TTS_ERR_SESSIONS_OPEN)));
  EXPECT_TRUE(ModuleLoaded(kContractModule));
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(id, "still usable"), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_OK);
  EXPECT_TRUE(HasLog(3, "[qvcommon][TtsSdk::Release] SUCCESS"));
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_NOT_INITED);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Release", KVO_TTS_ERR_NOT_INITED)));
  EXPECT_EQ(ModuleEvents(kContractModule, "release").size(), 1u);
  EXPECT_FALSE(ModuleLoaded(kContractModule));
}

TEST_F(LifecycleTest, CallsAfterReleaseAre500) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  int id = StartSessionOk("capkey=tts.local.synth");
  ASSERT_EQ(kvo_tts_session_stop(id), KVO_TTS_OK);
  ASSERT_EQ(kvo_tts_release(), KVO_TTS_OK);
  int other = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &other), KVO_TTS_ERR_NOT_INITED);
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(0, "x"), KVO_TTS_ERR_NOT_INITED);
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(kvo_tts_session_stop(0), KVO_TTS_ERR_NOT_INITED);
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StartSession", KVO_TTS_ERR_NOT_INITED)));
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::Synth", KVO_TTS_ERR_NOT_INITED)));
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", KVO_TTS_ERR_NOT_INITED)));
}

}  // namespace
}  // namespace kvo_sdk_test
