// A capability key whose module file is nowhere on the library search path.
// This program runs with a module folder that holds only
// libkvo_tts_local_synth.so, so tts.cloud.* names a file that does not exist.
#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

using MissingModuleTest = SdkTest;

TEST_F(MissingModuleTest, ModuleFileThatDoesNotLoadIs23) {
  EXPECT_EQ(InitSdk("initcapkeys=tts.cloud.synth"), KVO_TTS_ERR_MODULE_LOAD);
  EXPECT_TRUE(HasLog(1, "[qvcommon][IDllInterface::Load] Load dll libkvo_tts_cloud_synth.so failed."));
  EXPECT_TRUE(HasLog(1,
                     "[qvcommon][SdkInterface::PrepareForCapkeyByCapInnerItem] "
                     "KVO_GetCapabilityInternalItemByKey(tts.cloud.synth) return 23"));
  EXPECT_EQ(kvo_tts_release(), KVO_TTS_ERR_NOT_INITED);
}

TEST_F(MissingModuleTest, SessionOnAMissingModuleIs23AndOthersStillWork) {
  ASSERT_EQ(InitSdk(), KVO_TTS_OK);
  int id = -1;
  EXPECT_EQ(kvo_tts_session_start("capkey=tts.cloud.synth", &id), KVO_TTS_ERR_MODULE_LOAD);
  EXPECT_TRUE(HasLog(1, "[qvcommon][SdkInterface::StartSession] PrepareForCapkey(tts.cloud.synth) return 23"));
  id = StartSessionOk("capkey=tts.local.synth");
  ContractRecorder recorder;
  EXPECT_EQ(recorder.Synth(id, "works"), KVO_TTS_OK);
  EXPECT_TRUE(recorder.HoldsContract("works", true));
}

}  // namespace
}  // namespace kvo_sdk_test
