// Both engine modules through the public API with the generated test voice:
// session start and synthesis results, the callback contract, stopping, and
// usage records.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "module_test_support.h"

namespace module_test {
namespace {

const char kChineseText[] = "今天天气很好。我们去公园散步吧！明天也许会下雨。";

struct StartCase {
  const char* config;
  int expected;
};
std::ostream& operator<<(std::ostream& out, const StartCase& c) { return out << c.config; }

class ModuleSessionStart : public ModuleApiTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(ModuleSessionStart, ReturnsTheExpectedCode) {
  EXPECT_EQ(Start(GetParam().config), GetParam().expected) << GetParam().config;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleSessionStart,
    ::testing::Values(StartCase{"capkey=tts.local.synth", 0},
                      // Allowed values are case-sensitive.
                      StartCase{"capkey=tts.local.synth,soundeffect=Echo", 3},
                      StartCase{"capkey=tts.local.synth,soundeffect=echo,mixsound=9", 0},
                      StartCase{"capkey=tts.local.synth,audioformat=pcm8k16bit", 0},
                      // Keys only the n6 engine knows.
                      StartCase{"capkey=tts.local.synth,speedup=on", 7},
                      StartCase{"capkey=tts.local.synth,symbolfilter=on", 7},
                      StartCase{"capkey=tts.local.synth,specialtwo=er4", 7},
                      StartCase{"capkey=tts.local.synth,gainfactor=2", 7}, StartCase{"capkey=tts.local.synth.n6", 0},
                      StartCase{"capkey=tts.local.synth.n6,speedup=2,symbolfilter=off,specialone=yi1,gainfactor=8", 0},
                      StartCase{"capkey=tts.local.synth.n6,gainfactor=9", 3},
                      StartCase{"capkey=tts.local.synth.n6,speedmode=double", 7},
                      StartCase{"capkey=tts.local.synth.n6,silencemode=short", 7},
                      // The n6 engine has no line-end punctuation modes.
                      StartCase{"capkey=tts.local.synth.n6,puncmode=on_rtn", 7},
                      StartCase{"capkey=tts.local.synth,puncmode=on_rtn", 0},
                      // An English library alone is not a voice.
                      StartCase{"capkey=tts.local.nocn", -1}, StartCase{"capkey=tts.local.broken", 503},
                      StartCase{"capkey=tts.local.synth.n6.broken", 503}));

class ModuleSynthesis : public ModuleApiTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ModuleSynthesis, DeliversSpansAudioAndOneLastCall) {
  ASSERT_EQ(Start(std::string("capkey=") + GetParam()), KVO_TTS_OK);
  for (const char* text : {kChineseText, "好", "Hello, 世界. 123"}) {
    CallRecorder recorder;
    recorder.text = text;
    ASSERT_EQ(kvo_tts_synth(sessions_[0], text, nullptr, CallRecorder::Callback, &recorder), KVO_TTS_OK) << text;
    recorder.ExpectContract();
    EXPECT_GE(recorder.ProgressCalls(), 1u) << text;
    EXPECT_FALSE(recorder.audio.empty()) << text;
  }
}

TEST_P(ModuleSynthesis, FalseFromTheFirstCallGivesOnlyTheLastCall) {
  ASSERT_EQ(Start(std::string("capkey=") + GetParam()), KVO_TTS_OK);
  CallRecorder recorder;
  recorder.text = kChineseText;
  recorder.stop_at = 0;
  ASSERT_EQ(kvo_tts_synth(sessions_[0], kChineseText, nullptr, CallRecorder::Callback, &recorder), KVO_TTS_OK);
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_TRUE(recorder.calls[0].has_more);
  recorder.ExpectContract();
  // The session stays usable.
  CallRecorder again;
  again.text = kChineseText;
  ASSERT_EQ(kvo_tts_synth(sessions_[0], kChineseText, nullptr, CallRecorder::Callback, &again), KVO_TTS_OK);
  again.ExpectContract();
  EXPECT_GT(again.calls.size(), 2u);
}

TEST_P(ModuleSynthesis, StoppingAfterAudioEndsEarly) {
  ASSERT_EQ(Start(std::string("capkey=") + GetParam()), KVO_TTS_OK);
  CallRecorder full;
  full.text = kChineseText;
  ASSERT_EQ(kvo_tts_synth(sessions_[0], kChineseText, nullptr, CallRecorder::Callback, &full), KVO_TTS_OK);
  CallRecorder stopped;
  stopped.text = kChineseText;
  stopped.stop_at = 3;
  ASSERT_EQ(kvo_tts_synth(sessions_[0], kChineseText, nullptr, CallRecorder::Callback, &stopped), KVO_TTS_OK);
  stopped.ExpectContract();
  EXPECT_EQ(stopped.calls.size(), 5u);
  EXPECT_LT(stopped.audio.size(), full.audio.size());
}

INSTANTIATE_TEST_SUITE_P(Modules, ModuleSynthesis, ::testing::Values("tts.local.synth", "tts.local.synth.n6"));

struct SynthConfigCase {
  const char* capkey;
  const char* config;
  int expected;
};
std::ostream& operator<<(std::ostream& out, const SynthConfigCase& c) { return out << c.capkey << " " << c.config; }

class ModuleSynthConfig : public ModuleApiTest, public ::testing::WithParamInterface<SynthConfigCase> {};

TEST_P(ModuleSynthConfig, IsCheckedBeforeAnyCallback) {
  ASSERT_EQ(Start(std::string("capkey=") + GetParam().capkey), KVO_TTS_OK);
  CallRecorder recorder;
  recorder.text = kChineseText;
  EXPECT_EQ(kvo_tts_synth(sessions_[0], kChineseText, GetParam().config, CallRecorder::Callback, &recorder),
            GetParam().expected);
  if (GetParam().expected != KVO_TTS_OK) {
    EXPECT_TRUE(recorder.calls.empty());
  } else {
    recorder.ExpectContract();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleSynthConfig,
    ::testing::Values(SynthConfigCase{"tts.local.synth", "speedup=on", KVO_TTS_ERR_ENGINE_PARAM},
                      SynthConfigCase{"tts.local.synth", "soundeffect=ECHO", KVO_TTS_ERR_CONFIG},
                      SynthConfigCase{"tts.local.synth", "soundeffect=robot,audioformat=alaw8k8bit", KVO_TTS_OK},
                      SynthConfigCase{"tts.local.synth.n6", "speedup=3,specialtwo=liang3", KVO_TTS_OK},
                      SynthConfigCase{"tts.local.synth.n6", "gainfactor=1", KVO_TTS_ERR_CONFIG},
                      SynthConfigCase{"tts.local.synth.n6", "speedmode=single", KVO_TTS_ERR_ENGINE_PARAM}));

TEST_F(ModuleApiTest, EachSynthesisLeavesOneUsageRecord) {
  ASSERT_EQ(Start("capkey=tts.local.synth,appkey=session-app-key"), KVO_TTS_OK);
  const int before = KVO_GetUsageRecordCount();
  for (int i = 0; i < 2; ++i) {
    CallRecorder recorder;
    recorder.text = kChineseText;
    ASSERT_EQ(kvo_tts_synth(sessions_[0], kChineseText, "speed=7", CallRecorder::Callback, &recorder), KVO_TTS_OK);
  }
  // The first record is handed over when the second synthesis begins,
  // the second when the session stops.
  EXPECT_EQ(KVO_GetUsageRecordCount(), before + 1);
  ASSERT_EQ(kvo_tts_session_stop(sessions_[0]), KVO_TTS_OK);
  sessions_.clear();
  EXPECT_EQ(KVO_GetUsageRecordCount(), before + 2);

  const std::string history = ReadFile(history_file_);
  size_t records = 0;
  for (size_t at = history.find("config="); at != std::string::npos; at = history.find("config=", at + 1)) {
    ++records;
    const std::string config = history.substr(at, history.find('\t', at) - at);
    EXPECT_NE(config.find("capkey=tts.local.synth"), std::string::npos) << config;
    EXPECT_NE(config.find("sessionid=0"), std::string::npos) << config;
    EXPECT_NE(config.find("speed=7"), std::string::npos) << config;
    EXPECT_NE(config.find(",ReqTime="), std::string::npos) << config;
    EXPECT_EQ(config.find("appkey"), std::string::npos) << config;
    EXPECT_EQ(config.find("app-key"), std::string::npos) << config;
  }
  EXPECT_EQ(records, 2u);
  // The request data is the text itself.
  EXPECT_NE(history.find(kChineseText), std::string::npos);
}

TEST_F(ModuleApiTest, BothModulesServeSessionsSideBySide) {
  ASSERT_EQ(Start("capkey=tts.local.synth"), KVO_TTS_OK);
  ASSERT_EQ(Start("capkey=tts.local.synth.n6"), KVO_TTS_OK);
  for (int id : sessions_) {
    CallRecorder recorder;
    recorder.text = kChineseText;
    ASSERT_EQ(kvo_tts_synth(id, kChineseText, nullptr, CallRecorder::Callback, &recorder), KVO_TTS_OK);
    recorder.ExpectContract();
  }
}

}  // namespace
}  // namespace module_test
