// Every parameter id: accepted and refused values, and what is stored.
#include <climits>
#include <functional>

#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

struct ParamCase {
  int32_t id;
  intptr_t value;
  int expected;
};

class EngineParameters : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(engine.Init("cn16k.lib"), QVTTS_ERR_OK); }
  int Set(int32_t id, intptr_t value) { return qvTTS_SetParam(engine.handle(), id, value); }
  const qvParameters& params() const { return engine.instance()->params; }
  EngineBlock engine;
};

int Dummy(void*) { return 0; }

// Boundaries of every id's accepted set.
const ParamCase kRanges[] = {
    {QVTTS_PARAM_VOLUME, -32768, 0},
    {QVTTS_PARAM_VOLUME, 32767, 0},
    {QVTTS_PARAM_VOLUME, 32768, 3},
    {QVTTS_PARAM_VOLUME, -32769, 3},
    {QVTTS_PARAM_SPEED, -32768, 0},
    {QVTTS_PARAM_SPEED, 32768, 3},
    {QVTTS_PARAM_PITCH, 32767, 0},
    {QVTTS_PARAM_PITCH, -32769, 3},
    {QVTTS_PARAM_CODEPAGE, 936, 0},
    {QVTTS_PARAM_CODEPAGE, 437, 0},
    {QVTTS_PARAM_CODEPAGE, 950, 0},
    {QVTTS_PARAM_CODEPAGE, 1200, 0},
    {QVTTS_PARAM_CODEPAGE, 1201, 0},
    {QVTTS_PARAM_CODEPAGE, 65000, 0},
    {QVTTS_PARAM_CODEPAGE, 65001, 0},
    {QVTTS_PARAM_CODEPAGE, 1252, 3},
    {QVTTS_PARAM_CODEPAGE, 0, 3},
    {QVTTS_PARAM_DIGIT_MODE, 0, 0},
    {QVTTS_PARAM_DIGIT_MODE, 3, 0},
    {QVTTS_PARAM_DIGIT_MODE, 4, 3},
    {QVTTS_PARAM_DIGIT_MODE, -1, 3},
    {QVTTS_PARAM_PUNC_MODE, 3, 0},
    {QVTTS_PARAM_PUNC_MODE, 4, 3},
    {QVTTS_PARAM_TAG_MODE, 1, 0},
    {QVTTS_PARAM_TAG_MODE, 2, 3},
    {QVTTS_PARAM_AUDIO_FORMAT, 15, 0},
    {QVTTS_PARAM_AUDIO_FORMAT, 16, 3},
    {QVTTS_PARAM_ENG_MODE, 2, 0},
    {QVTTS_PARAM_ENG_MODE, 3, 3},
    {QVTTS_PARAM_INPUT_MODE, 1, 0},
    {QVTTS_PARAM_INPUT_MODE, 2, 3},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 2, 0},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 4096, 0},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 0, 3},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 3, 3},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 4095, 3},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 4098, 3},
    {QVTTS_PARAM_OUTPUT_CHUNK_SIZE, -2, 3},
    {QVTTS_PARAM_PROGRESS_PROC, 0, 0},
    {QVTTS_PARAM_INPUT_TEXT_PROC, 0, 0},
    {QVTTS_PARAM_SPARE_PROC, 0, 0},
    {QVTTS_PARAM_OUTPUT_VOICE_PROC, 0, 0},
    {QVTTS_PARAM_SYLLABLE_PROC, 0, 0},
    {QVTTS_PARAM_SPARE_PROC, reinterpret_cast<intptr_t>(&Dummy), 0},
    {16, 0, 3},
    {16, 1, 3},
    {QVTTS_PARAM_USER_DATA, -1, 0},
    {QVTTS_PARAM_USER_DATA, INTPTR_MAX, 0},
    {QVTTS_PARAM_VOICE_STYLE, -1, 0},
    {QVTTS_PARAM_VOICE_STYLE, 2, 0},
    {QVTTS_PARAM_VOICE_STYLE, -2, 3},
    {QVTTS_PARAM_VOICE_STYLE, 3, 3},
    {QVTTS_PARAM_BACKGROUND_FILE, 0, 0},
    {QVTTS_PARAM_BACKGROUND_VOLUME, -32768, 0},
    {QVTTS_PARAM_BACKGROUND_VOLUME, 32768, 3},
    {QVTTS_PARAM_BACKGROUND_PLAY_ONCE, 7, 0},
    {QVTTS_PARAM_BACKGROUND_LENGTH, 123456, 0},
    {QVTTS_PARAM_SOUND_EFFECT, 0, 0},
    {QVTTS_PARAM_SOUND_EFFECT, 5, 0},
    {QVTTS_PARAM_SOUND_EFFECT, 6, 3},
    {QVTTS_PARAM_SOUND_EFFECT, -1, 3},
    {QVTTS_PARAM_MIX_SOUND, -32768, 0},
    {QVTTS_PARAM_MIX_SOUND, 32767, 0},
    {QVTTS_PARAM_MIX_SOUND, 32768, 3},
    {QVTTS_PARAM_WORD_SEGMENT_PROC, 0, 0},
    {QVTTS_PARAM_SPEED_MODE, 5, 0},
    {QVTTS_PARAM_SILENCE_MODE, -9, 0},
    {QVTTS_PARAM_NAME_POLYPHONE, 1, 0},
    {QVTTS_PARAM_NAME_POLYPHONE, -5, 0},
    {QVTTS_PARAM_NAME_POLYPHONE, 2, 3},
    // Ids of other engine variants and beyond.
    {QVTTS_PARAM_SPEEDUP, 0, 3},
    {30, 0, 3},
    {QVTTS_PARAM_SYMBOL_FILTER, 0, 3},
    {QVTTS_PARAM_SPECIAL_NUMBERS, 0, 3},
    {QVTTS_PARAM_GAIN_FACTOR, 2, 3},
    {-1, 0, 3},
    {1000, 0, 3},
};

TEST_F(EngineParameters, AcceptedAndRefusedValues) {
  for (const ParamCase& c : kRanges) {
    EXPECT_EQ(Set(c.id, c.value), c.expected) << "id " << c.id << " value " << c.value;
  }
}

TEST_F(EngineParameters, DefaultsAfterInit) {
  EXPECT_EQ(params().codepage, 936);
  EXPECT_EQ(params().voice_style, -1);
  EXPECT_EQ(params().output_chunk_size, 4096);
  EXPECT_EQ(params().input_mode, 0);
  EXPECT_EQ(params().speed_mode, 1);  // set as 0, stored as the plain multiplier
  EXPECT_EQ(params().silence_mode, 0);
  EXPECT_EQ(engine.instance()->effect.kind, 0);
  EXPECT_EQ(params().word_segment_proc, nullptr);
  EXPECT_NE(params().output_proc, nullptr);
  EXPECT_NE(params().input_proc, nullptr);
  EXPECT_EQ(params().sample_rate, 16000);
}

// Values that are stored differently from how they are given.
struct StoredCase {
  int32_t id;
  intptr_t value;
  std::function<int64_t(const qvInstance&)> read;
  int64_t stored;
};

TEST_F(EngineParameters, StoredForms) {
  const auto speed_mode = [](const qvInstance& in) -> int64_t { return in.params.speed_mode; };
  const auto silence_mode = [](const qvInstance& in) -> int64_t { return in.params.silence_mode; };
  const auto effect_kind = [](const qvInstance& in) -> int64_t { return in.effect.kind; };
  const auto effect_level = [](const qvInstance& in) -> int64_t { return in.effect.level; };
  const auto codepage = [](const qvInstance& in) -> int64_t { return in.params.codepage; };
  const StoredCase cases[] = {
      {QVTTS_PARAM_SPEED_MODE, 1, speed_mode, 3},         {QVTTS_PARAM_SPEED_MODE, 5, speed_mode, 1},
      {QVTTS_PARAM_SPEED_MODE, 0, speed_mode, 1},         {QVTTS_PARAM_SILENCE_MODE, 1, silence_mode, 1},
      {QVTTS_PARAM_SILENCE_MODE, 2, silence_mode, 0},     {QVTTS_PARAM_SOUND_EFFECT, 4, effect_kind, 4},
      {QVTTS_PARAM_SOUND_EFFECT, 4, effect_level, 32767}, {QVTTS_PARAM_MIX_SOUND, 1200, effect_kind, 2},
      {QVTTS_PARAM_MIX_SOUND, 1200, effect_level, 1200},  {QVTTS_PARAM_MIX_SOUND, -32768, effect_kind, 0},
      {QVTTS_PARAM_CODEPAGE, 65001, codepage, 65001},
  };
  for (const StoredCase& c : cases) {
    ASSERT_EQ(Set(c.id, c.value), QVTTS_ERR_OK) << "id " << c.id;
    EXPECT_EQ(c.read(*engine.instance()), c.stored) << "id " << c.id << " value " << c.value;
  }
}

TEST_F(EngineParameters, SoundEffectChoiceClearsItsHistory) {
  engine.instance()->effect.history[10] = 1234;
  ASSERT_EQ(Set(QVTTS_PARAM_MIX_SOUND, 500), QVTTS_ERR_OK);
  EXPECT_EQ(engine.instance()->effect.history[10], 0);
  engine.instance()->effect.history[10] = 1234;
  ASSERT_EQ(Set(QVTTS_PARAM_SOUND_EFFECT, 1), QVTTS_ERR_OK);
  EXPECT_EQ(engine.instance()->effect.history[10], 0);
}

TEST_F(EngineParameters, RefusedValueLeavesThePreviousOneInForce) {
  ASSERT_EQ(Set(QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 100), QVTTS_ERR_OK);
  EXPECT_EQ(Set(QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 101), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(params().output_chunk_size, 100);
  ASSERT_EQ(Set(QVTTS_PARAM_CODEPAGE, 65001), QVTTS_ERR_OK);
  EXPECT_EQ(Set(QVTTS_PARAM_CODEPAGE, 1252), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(params().codepage, 65001);
}

TEST_F(EngineParameters, NullCallbackRestoresTheDefault) {
  const auto before = params().output_proc;
  ASSERT_EQ(Set(QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Dummy)), QVTTS_ERR_OK);
  ASSERT_EQ(Set(QVTTS_PARAM_OUTPUT_VOICE_PROC, 0), QVTTS_ERR_OK);
  EXPECT_EQ(params().output_proc, before);
}

TEST_F(EngineParameters, BackgroundFileSkipsItsWaveHeaderAndMissingFilesAreSilent) {
  const std::string missing = TestLibrary("no_such_background.wav");
  EXPECT_EQ(Set(QVTTS_PARAM_BACKGROUND_FILE, reinterpret_cast<intptr_t>(missing.c_str())), QVTTS_ERR_OK);
  EXPECT_EQ(engine.instance()->background.file, nullptr);
  const std::string present = TestLibrary("domain.lib");
  EXPECT_EQ(Set(QVTTS_PARAM_BACKGROUND_FILE, reinterpret_cast<intptr_t>(present.c_str())), QVTTS_ERR_OK);
  ASSERT_NE(engine.instance()->background.file, nullptr);
  EXPECT_EQ(engine.instance()->background.position, 44);
  EXPECT_EQ(Set(QVTTS_PARAM_BACKGROUND_FILE, 0), QVTTS_ERR_OK);
  EXPECT_EQ(engine.instance()->background.file, nullptr);
}

TEST(EngineParametersWithoutBig5, Big5IsRefusedWhenTheLibraryLacksIt) {
  EngineBlock engine;
  ASSERT_EQ(engine.Init("cn_no_big5.lib"), QVTTS_ERR_OK);
  EXPECT_EQ(qvTTS_SetParam(engine.handle(), QVTTS_PARAM_CODEPAGE, 950), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(engine.instance()->params.codepage, 936);
}

TEST(EngineParametersOnBadHandles, NullIsInvalidAndUninitialisedIsNotInit) {
  EXPECT_EQ(qvTTS_SetParam(nullptr, QVTTS_PARAM_VOLUME, 0), QVTTS_ERR_INVALID_ARG);
  alignas(16) static qvInstance zeroed{};
  EXPECT_EQ(qvTTS_SetParam(&zeroed, QVTTS_PARAM_VOLUME, 0), QVTTS_ERR_NOT_INIT);
  EXPECT_EQ(qvTTS_SetParam(&zeroed, 16, 0), QVTTS_ERR_NOT_INIT);
}

}  // namespace
