// A second engine core built from the same code with its own rules: the
// seam the n6 variant uses.
#include <gtest/gtest.h>

#include "core/engine_variant.h"
#include "engine_fixture.h"

namespace {

const qvParamRule kRules[] = {
    {QVTTS_PARAM_INPUT_MODE, 0, 1, qvParam_InputMode},
    {QVTTS_PARAM_PUNC_MODE, 0, 1, qvParam_PuncMode},
    {QVTTS_PARAM_SPEEDUP, -1, 3, qvParam_Speedup},
    {QVTTS_PARAM_GAIN_FACTOR, 2, 8, qvParam_GainFactor},
};

int32_t FixedArena(const qvVoiceFacts& facts) { return facts.domain_open ? 1623040 : 1561600; }

const qvEngineVariant kVariant = {
    kRules, 4, FixedArena, 41400, {20, false, false}, {7, false, false},
};

TEST(EngineVariant, OwnRulesSizesAndContainerCounts) {
  const std::string chinese = TestLibrary("cn16k.lib");
  int32_t size = 0;
  ASSERT_EQ(qvEngine_GetExtBufSize(&kVariant, chinese.c_str(), nullptr, nullptr, &size), QVTTS_ERR_OK);
  EXPECT_EQ(size, 41400 + 1561600);

  // The test voice has 19 sections: a variant expecting 20 refuses it.
  void* block = std::aligned_alloc(64, (static_cast<size_t>(size) + 63) / 64 * 64);
  qvTTS_HANDLE handle = nullptr;
  EXPECT_EQ(qvEngine_Init(&kVariant, chinese.c_str(), nullptr, nullptr, &handle, block), QVTTS_ERR_RESOURCE);

  qvEngineVariant nineteen = kVariant;
  nineteen.chinese_library.section_count = 19;
  ASSERT_EQ(qvEngine_Init(&nineteen, chinese.c_str(), nullptr, nullptr, &handle, block), QVTTS_ERR_OK);
  const qvInstance* instance = static_cast<qvInstance*>(handle);
  EXPECT_EQ(instance->arena_base, static_cast<uint8_t*>(block) + 41400);
  EXPECT_EQ(qvTTS_SetParam(handle, QVTTS_PARAM_SPEEDUP, -1), QVTTS_ERR_OK);
  EXPECT_EQ(instance->params.speedup, 0);
  EXPECT_EQ(qvTTS_SetParam(handle, QVTTS_PARAM_GAIN_FACTOR, 9), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(qvTTS_SetParam(handle, QVTTS_PARAM_PUNC_MODE, 2), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(qvTTS_SetParam(handle, QVTTS_PARAM_VOLUME, 0), QVTTS_ERR_INVALID_ARG);
  // Callbacks have working defaults even though the variant accepts none.
  EXPECT_EQ(qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, 1), QVTTS_ERR_OK);
  EXPECT_EQ(qvTTS_SynthesizeText(handle), QVTTS_ERR_INVALID_ARG);  // the default input delivers no text
  EXPECT_EQ(qvTTS_End(handle), QVTTS_ERR_OK);
  std::free(block);
}

}  // namespace
