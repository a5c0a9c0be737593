// Sizing, init and end of an instance.
#include <gtest/gtest.h>

#include "core/engine_variant.h"
#include "engine_fixture.h"
#include "temp_library.h"
#include "test_voice.h"

namespace {

const int32_t kRecord = qvEngine_InstanceBytes(&kqvStandardVariant);

struct SizeCase {
  const char* chinese;
  const char* english;
  const char* domain;
  int expected;
  int32_t arena;
};

TEST(EngineGetExtBufSize, ArenaByLibrariesAndSampleRate) {
  const SizeCase cases[] = {
      {"cn16k.lib", nullptr, nullptr, 0, 819200},
      {"cn8k.lib", nullptr, nullptr, 0, 409600},
      {"cn8k.lib", "en16k.lib", nullptr, 0, 819200},
      {"cn16k.lib", "en16k.lib", "domain.lib", 0, 819200 + 61440},
      {"cn8k.lib", nullptr, "domain.lib", 0, 409600 + 61440},
      {"cn8k.lib", nullptr, "missing.lib", 0, 409600},
      {nullptr, "en16k.lib", nullptr, 0, 819200},
      {"missing.lib", "en16k.lib", nullptr, 0, 819200},
  };
  for (const SizeCase& c : cases) {
    const std::string cn = TestLibrary(c.chinese);
    const std::string en = TestLibrary(c.english);
    const std::string dm = TestLibrary(c.domain);
    int32_t size = -1;
    EXPECT_EQ(qvTTS_GetExtBufSize(c.chinese ? cn.c_str() : nullptr, c.english ? en.c_str() : nullptr,
                                  c.domain ? dm.c_str() : nullptr, &size),
              c.expected);
    EXPECT_EQ(size, kRecord + c.arena) << (c.chinese ? c.chinese : "-") << " " << (c.english ? c.english : "-");
  }
}

TEST(EngineGetExtBufSize, SixToneVoiceAloneCountsAsBothLanguages) {
  kvo_libtool::VoiceHeader header;
  header.sample_rate = 8000;
  header.voice_kind = 1;
  kvo_libtool::Bytes bytes;
  std::string error;
  ASSERT_TRUE(kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kEnglish, header, {}, &bytes, &error));
  TempLibrary english(bytes);
  int32_t size = 0;
  ASSERT_EQ(qvTTS_GetExtBufSize(nullptr, english.path().c_str(), nullptr, &size), QVTTS_ERR_OK);
  EXPECT_EQ(size, kRecord + 819200);
}

TEST(EngineGetExtBufSize, BadArguments) {
  const std::string cn = TestLibrary("cn16k.lib");
  const std::string missing = TestLibrary("missing.lib");
  int32_t size = 99;
  EXPECT_EQ(qvTTS_GetExtBufSize(nullptr, nullptr, cn.c_str(), &size), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(qvTTS_GetExtBufSize(cn.c_str(), nullptr, nullptr, nullptr), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(qvTTS_GetExtBufSize(missing.c_str(), missing.c_str(), nullptr, &size), QVTTS_ERR_RESOURCE);
  EXPECT_EQ(size, 0);
}

TEST(EngineInit, BadArguments) {
  const std::string cn = TestLibrary("cn16k.lib");
  alignas(16) static uint8_t block[64];
  qvTTS_HANDLE handle = reinterpret_cast<qvTTS_HANDLE>(1);
  EXPECT_EQ(qvTTS_Init(nullptr, nullptr, nullptr, &handle, block), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(handle, block);  // the handle is the block, even when refused
  EXPECT_EQ(qvTTS_Init(cn.c_str(), nullptr, nullptr, nullptr, block), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(qvTTS_Init(cn.c_str(), nullptr, nullptr, &handle, nullptr), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(qvTTS_Init(cn.c_str(), nullptr, nullptr, &handle, block + 1), QVTTS_ERR_INVALID_ARG);
}

TEST(EngineInit, LibrariesThatDoNotMakeAnInstance) {
  struct Case {
    const char* chinese;
    const char* english;
    const char* domain;
    int expected;
  };
  const Case cases[] = {
      {"missing.lib", nullptr, nullptr, QVTTS_ERR_RESOURCE},
      {nullptr, "en16k.lib", nullptr, QVTTS_ERR_RESOURCE},       // the tables live in the Chinese library
      {nullptr, "en16k.lib", "domain.lib", QVTTS_ERR_RESOURCE},  // a domain library does not stand in for it
      {"en16k.lib", nullptr, nullptr, QVTTS_ERR_RESOURCE},       // language byte 1
      {"domain.lib", "en16k.lib", nullptr, QVTTS_ERR_RESOURCE},  // no magic
      {"cn16k.lib", "cn16k.lib", nullptr, QVTTS_ERR_OK},         // the English side does not check the language
  };
  for (const Case& c : cases) {
    EngineBlock engine;
    EXPECT_EQ(engine.Init(c.chinese, c.english, c.domain), c.expected)
        << (c.chinese ? c.chinese : "-") << " " << (c.english ? c.english : "-") << " " << (c.domain ? c.domain : "-");
    if (c.expected != QVTTS_ERR_OK) {
      EXPECT_EQ(engine.instance()->initialised, 0u);
      EXPECT_EQ(engine.instance()->chinese.file, nullptr);
      EXPECT_EQ(engine.instance()->english.file, nullptr);
      EXPECT_EQ(engine.instance()->domain.file, nullptr);
    }
  }
}

TEST(EngineInit, NoSupportedCodepageInTheChineseLibrary) {
  test_voice::Options options;
  options.gbk = options.big5 = options.unicode = false;
  TempLibrary library(test_voice::ChineseLibrary(options));
  EngineBlock engine;
  EXPECT_EQ(engine.InitPaths(&library.path(), nullptr, nullptr), QVTTS_ERR_RESOURCE);
  EXPECT_EQ(engine.instance()->initialised, 0u);
  EXPECT_EQ(engine.instance()->arena_used, 0);
}

TEST(EngineInit, FirstSupportedCodepageIsTheDefault) {
  struct Case {
    bool gbk, big5, unicode;
    int32_t codepage;
  };
  for (const Case c : {Case{true, true, true, 936}, Case{false, true, true, 1200}, Case{false, true, false, 950}}) {
    test_voice::Options options;
    options.gbk = c.gbk;
    options.big5 = c.big5;
    options.unicode = c.unicode;
    TempLibrary library(test_voice::ChineseLibrary(options));
    EngineBlock engine;
    ASSERT_EQ(engine.InitPaths(&library.path(), nullptr, nullptr), QVTTS_ERR_OK);
    EXPECT_EQ(engine.instance()->params.codepage, c.codepage);
  }
}

TEST(EngineInit, ResidentTablesAndUnitBase) {
  EngineBlock engine;
  ASSERT_EQ(engine.Init("cn16k.lib", "en16k.lib", "domain.lib"), QVTTS_ERR_OK);
  const qvSyllableTables& t = engine.instance()->tables;
  ASSERT_EQ(t.syllables.count, static_cast<int32_t>(test_voice::SyllableNames().size()));
  EXPECT_STREQ(t.syllables.names[5], "hao");
  EXPECT_EQ(t.tones, 5);
  EXPECT_EQ(t.unit_base, 5 * t.syllables.count);
  EXPECT_STREQ(t.phones.names[0], "sil");
  EXPECT_EQ(t.voicing.bytes, t.phones.count);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(t.syllables.names) % alignof(const char*), 0u);
  // The domain library counts for the arena, but its 8 kHz recordings do
  // not fit a 16 kHz voice: it is set aside at init.
  EXPECT_FALSE(qvLibrary_IsOpen(&engine.instance()->domain));
  EXPECT_EQ(engine.instance()->arena_size, 819200 + 61440);
}

TEST(EngineInit, SixToneVoice) {
  test_voice::Options options;
  options.voice_kind = 1;
  TempLibrary library(test_voice::ChineseLibrary(options));
  EngineBlock engine;
  ASSERT_EQ(engine.InitPaths(&library.path(), nullptr, nullptr), QVTTS_ERR_OK);
  EXPECT_EQ(engine.instance()->tables.tones, 6);
}

TEST(EngineEnd, ReleasesEverythingAndOnlyOnce) {
  EngineBlock engine;
  ASSERT_EQ(engine.Init("cn16k.lib", "en16k.lib", "domain.lib"), QVTTS_ERR_OK);
  const std::string background = TestLibrary("domain.lib");
  ASSERT_EQ(
      qvTTS_SetParam(engine.handle(), QVTTS_PARAM_BACKGROUND_FILE, reinterpret_cast<intptr_t>(background.c_str())),
      QVTTS_ERR_OK);
  ASSERT_EQ(qvTTS_End(engine.handle()), QVTTS_ERR_OK);
  const qvInstance* in = engine.instance();
  EXPECT_EQ(in->arena_used, 0);
  EXPECT_EQ(in->arena_free, in->arena_size);
  EXPECT_EQ(in->chinese.file, nullptr);
  EXPECT_EQ(in->english.file, nullptr);
  EXPECT_EQ(in->domain.file, nullptr);
  EXPECT_EQ(in->background.file, nullptr);
  EXPECT_EQ(qvTTS_End(engine.handle()), QVTTS_ERR_NOT_INIT);
  EXPECT_EQ(qvTTS_SetParam(engine.handle(), QVTTS_PARAM_VOLUME, 1), QVTTS_ERR_NOT_INIT);
  EXPECT_EQ(qvTTS_End(nullptr), QVTTS_ERR_INVALID_ARG);
}

TEST(EngineInstances, TwoOnTheSameFilesWorkIndependently) {
  EngineBlock first;
  EngineBlock second;
  ASSERT_EQ(first.Init("cn16k.lib"), QVTTS_ERR_OK);
  ASSERT_EQ(second.Init("cn16k.lib"), QVTTS_ERR_OK);
  EXPECT_NE(first.instance()->chinese.file, second.instance()->chinese.file);
  ASSERT_EQ(qvTTS_SetParam(first.handle(), QVTTS_PARAM_CODEPAGE, 65001), QVTTS_ERR_OK);
  EXPECT_EQ(second.instance()->params.codepage, 936);
  ASSERT_EQ(qvTTS_End(first.handle()), QVTTS_ERR_OK);

  CallbackRecorder recorder;
  recorder.text = "\xC4\xE3\xBA\xC3\xA1\xA3";  // 你好。 in GBK, spoken by the test voice
  recorder.Install(second.handle());
  EXPECT_EQ(qvTTS_SynthesizeText(second.handle()), QVTTS_ERR_OK);
  EXPECT_GT(recorder.output_bytes, 0u);
}

}  // namespace
