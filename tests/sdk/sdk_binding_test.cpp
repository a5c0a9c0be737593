// Capability keys: the module each one selects, resource checks, module
// loading failures and the capability's own configuration (cloud addresses).
#include <string>

#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

using BindingTest = SdkTest;

struct MappingCase {
  const char* capkey;
  const char* module;  // the module loaded for it
  int expected;        // result of preparing the key
};

void PrintTo(const MappingCase& c, std::ostream* os) { *os << c.capkey; }

class ModuleMappingTest : public SdkTest, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(ModuleMappingTest, KeySelectsModule) {
  const MappingCase& c = GetParam();
  EXPECT_EQ(InitSdk(std::string("initcapkeys=") + c.capkey), c.expected) << c.capkey;
  if (c.expected == KVO_TTS_OK) {
    EXPECT_TRUE(ModuleLoaded(c.module)) << c.capkey;
    const std::vector<ModuleEvent> inits = ModuleEvents(c.module, "init");
    EXPECT_EQ(inits.size(), 1u);
    // Nothing else was loaded.
    for (const ModuleEvent& e : ModuleEvents()) EXPECT_EQ(e.module, c.module) << c.capkey;
  } else if (c.module != nullptr) {
    // It was tried, and is gone again.
    EXPECT_EQ(ModuleEvents(c.module, "load").size(), 1u) << c.capkey;
    EXPECT_EQ(ModuleEvents(c.module, "unload").size(), 1u) << c.capkey;
    EXPECT_FALSE(ModuleLoaded(c.module));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ModuleMappingTest,
                         ::testing::Values(MappingCase{"tts.local.synth", kContractModule, KVO_TTS_OK},
                                           MappingCase{"tts.local.synth.N6", kContractModule, KVO_TTS_OK},
                                           MappingCase{"TTS.local.upper", kContractModule, KVO_TTS_OK},
                                           MappingCase{"tts.cloud.local.x", kContractModule, KVO_TTS_OK},
                                           MappingCase{"tts.local.synth.n6", kCountingModule, KVO_TTS_OK},
                                           MappingCase{"tts.local.n6.v6", kCountingModule, KVO_TTS_OK},
                                           MappingCase{"tts.local.v6", kNoSynthModule, KVO_TTS_ERR_MODULE_LOAD},
                                           MappingCase{"tts.local.n4", kInitFailsModule, kInitFailsModuleResult},
                                           MappingCase{"tts.cloud.synth", kCloudModule, KVO_TTS_OK},
                                           MappingCase{"tts.asr.x", nullptr, KVO_TTS_ERR_NO_MODULE},
                                           MappingCase{"tts.", nullptr, KVO_TTS_ERR_NO_MODULE}));

TEST_F(BindingTest, ModuleWithoutSynthIs23ReleasedOnceAndUnloaded) {
  EXPECT_EQ(InitSdk("initcapkeys=tts.local.v6"), KVO_TTS_ERR_MODULE_LOAD);
  EXPECT_TRUE(ModuleEvents(kNoSynthModule, "init").empty()) << "KvoTtsInit is not called on a partial table";
  EXPECT_EQ(ModuleEvents(kNoSynthModule, "release").size(), 1u);
  EXPECT_FALSE(ModuleLoaded(kNoSynthModule));
  const std::vector<LogLine> log = Log();
  bool table_line = false;
  for (const LogLine& line : log) {
    if (line.level == 1 &&
        line.message.find("[kvo_tts][TtsDllInterface::Init] Load function from lib failed KvoTtsInit[") == 0 &&
        line.message.find(" KvoTtsSynth[0] ") != std::string::npos &&
        line.message.find("KvoTtsInit[0]") == std::string::npos) {
      table_line = true;
    }
  }
  EXPECT_TRUE(table_line);
  EXPECT_TRUE(HasLog(1, "[qvcommon][IDllInterface::Load] Init dll libkvo_tts_local_v6_synth.so failed."));
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][SdkInterface::PrepareForCapkeyByCapInnerItem] "
                     "KVO_GetCapabilityInternalItemByKey(tts.local.v6) return 23"));
  // The second unload has nothing left to release.
  EXPECT_TRUE(HasLog(2, "[qvcommon][IDllInterface::UnLoad] relase dll libkvo_tts_local_v6_synth.so failed."));
}

TEST_F(BindingTest, ModuleWhoseInitFailsIsReleasedAndUnloaded) {
  EXPECT_EQ(InitSdk("initcapkeys=tts.local.n4"), kInitFailsModuleResult);
  EXPECT_EQ(ModuleEvents(kInitFailsModule, "init").size(), 1u);
  EXPECT_EQ(ModuleEvents(kInitFailsModule, "release").size(), 1u);
  EXPECT_FALSE(ModuleLoaded(kInitFailsModule));
  EXPECT_TRUE(HasLog(1, "[qvcommon][IDllInterface::Load] Init dll libkvo_tts_local_n4_synth.so failed."));
}

TEST_F(BindingTest, ModuleFailureAtSessionStartIsRetriedAtTheNext) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.n4", &id), kInitFailsModuleResult);
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.n4", &id), kInitFailsModuleResult);
  EXPECT_EQ(ModuleEvents(kInitFailsModule, "init").size(), 2u);
  EXPECT_FALSE(ModuleLoaded(kInitFailsModule));
}

TEST_F(BindingTest, LocalKeyWithoutDataPathIs6WithoutTouchingFiles) {
  ASSERT_EQ(kvo_tts_init("initcapkeys=tts.cloud.synth"), KVO_TTS_OK);
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.missing", &id), KVO_TTS_ERR_NO_DATAPATH);
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][SdkInterface::PrepareForCapkeyByCapInnerItem] capkey(tts.local.missing) "
                     "datapath can't be empty"));
  EXPECT_FALSE(HasLog(5, "[qvcommon][SdkInterface::AccessValidRes] file not_there.kvl not exist!"));
  // A cloud key passes the data path test; its resource files are still checked.
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.cloud.res", &id), KVO_TTS_ERR_RESOURCE_MISSING);
  EXPECT_TRUE(HasLog(5, "[qvcommon][SdkInterface::AccessValidRes] file voice_cn.kvl not exist!"));
}

TEST_F(BindingTest, ResourceRemovedAfterInitIsFoundMissingAtTheNextStart) {
  ASSERT_EQ(InitSdk("initcapkeys=tts.local.synth"), KVO_TTS_OK);
  data_.RemoveFile("voice_en.kvl");
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.synth", &id), KVO_TTS_ERR_RESOURCE_MISSING);
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.local.second", &id), KVO_TTS_OK) << "needs only voice_cn.kvl";
  open_sessions_.push_back(id);
}

TEST_F(BindingTest, KeyWithoutResourcesNeedsOnlyTheDataPath) {
  ASSERT_EQ(InitSdk("initcapkeys=tts.local.bare"), KVO_TTS_OK);
  EXPECT_TRUE(ModuleLoaded(kContractModule));
}

TEST_F(BindingTest, CloudServiceAddressFromTheItem) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  StartSessionOk("capkey=tts.cloud.synth");
  const std::vector<ModuleEvent> starts = ModuleEvents(kCloudModule, "start");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].detail.find("requesturl=http://127.0.0.1:9/tts"), std::string::npos) << starts[0].detail;
}

TEST_F(BindingTest, CloudServiceAddressFromTheCapabilityConfiguration) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  StartSessionOk("capkey=tts.cloud.cfg");
  const std::vector<ModuleEvent> starts = ModuleEvents(kCloudModule, "start");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].detail.find("requesturl=http://127.0.0.1:9/cfg"), std::string::npos) << starts[0].detail;
  EXPECT_NE(starts[0].detail.find("serviceurl=http://127.0.0.1:9/cfg"), std::string::npos);
  EXPECT_TRUE(HasLog(5, "[qvcommon][SdkInterface::ApplyServiceUrl]Enter"));
}

TEST_F(BindingTest, CloudWithoutAnyAddressPassesTheFetchError) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.cloud.none", &id), KVO_SYS_NO_SERVICE);
  EXPECT_TRUE(HasLog(3, "[qvcommon][SdkInterface::ApplyServiceUrl] UpdateAbilityMapFunc 606"));
  EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] PrepareForCapkey(tts.cloud.none) return 606"));
}

TEST_F(BindingTest, CloudWithFetchButNoAddressIs15) {
  kvo_release();
  ASSERT_EQ(StartSystem("cloudUrl=http://127.0.0.1:9/svc"), KVO_SYS_OK);
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.cloud.none", &id), KVO_TTS_ERR_NO_SERVICE_URL);
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][SdkInterface::ApplyServiceUrl] get capkey[tts.cloud.none]'s serviceUrl "
                     "failed,the reson is you have no access for this cakey"));
}

TEST_F(BindingTest, FileFlagReachesTheCapabilityStore) {
  ASSERT_EQ(InitSdk("fileflag=android_so,initcapkeys=tts.local.synth"), KVO_TTS_OK);
  EXPECT_TRUE(ModuleLoaded(kContractModule));
}

}  // namespace
}  // namespace kvo_sdk_test
