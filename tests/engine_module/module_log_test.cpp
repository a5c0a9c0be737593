// The log lines the modules write for refused configurations, missing or
// unreadable resources and the synthesis callbacks.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "module_test_support.h"

namespace module_test {
namespace {

struct LogCase {
  const char* session;
  const char* synth;  // null: start only
  const char* expected;
  const char* absent;  // null, or a text no line may hold
};
std::ostream& operator<<(std::ostream& out, const LogCase& c) { return out << c.session << ": " << c.expected; }

class ModuleLog : public ModuleApiTest, public ::testing::WithParamInterface<LogCase> {};

bool StopAtOnce(void*, const TtsSynthResult*, int) { return false; }

TEST_P(ModuleLog, HoldsTheLine) {
  const LogCase& c = GetParam();
  const int code = Start(c.session);
  if (c.synth != nullptr) {
    ASSERT_EQ(code, KVO_TTS_OK);
    kvo_tts_synth(sessions_[0], "你好。", c.synth, StopAtOnce, nullptr);
  }
  const std::string log = ReadFile(scratch_ + "/kvo_tts.log");
  EXPECT_NE(log.find(c.expected), std::string::npos) << c.expected;
  if (c.absent != nullptr) {
    EXPECT_EQ(log.find(c.absent), std::string::npos) << c.absent;
  }
}

#define KVO_OP "[kvo_tts_local][TtsLocalEngine::"
INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleLog,
    ::testing::Values(
        LogCase{"capkey=tts.local.synth,speedup=on", nullptr,
                KVO_OP "SetTtsEngineParamEngineSpeedup]  can not support config(speedup)", nullptr},
        LogCase{"capkey=tts.local.synth,symbolfilter=off", nullptr,
                KVO_OP "SetTtsEngineParamSymbolFilter] config unsupport:symbolfilter off", nullptr},
        LogCase{"capkey=tts.local.synth,gainfactor=3", nullptr,
                KVO_OP "SetTtsEngineParamGainFactor] config unsupport:gainfactor 3", nullptr},
        LogCase{"capkey=tts.local.synth,specialtwo=er4", nullptr,
                KVO_OP "SetTtsEngineParamSpecialNumber]  engine param config unsupport:specialone specialtwo", nullptr},
        LogCase{"capkey=tts.local.synth.n6,speedmode=double", nullptr,
                KVO_OP "SetTtsEngineParamSpeedMode]  engine param config error:speedmode double", nullptr},
        LogCase{"capkey=tts.local.synth.n6,silencemode=long", nullptr,
                KVO_OP "SetTtsEngineParamSilenceMode]  can not support config(silencemode)", nullptr},
        LogCase{"capkey=tts.local.synth.n6,puncmode=off_rtn", nullptr,
                KVO_OP "SetTtsEngineParamPunc] qvTTS_SetParam(5,2) ret:3", nullptr},
        LogCase{"capkey=tts.local.synth.n6,puncmode=off_rtn", nullptr, KVO_OP "StartSession] SetTtsEngineParam failed.",
                nullptr},
        // A refused code page fails without a line of its own.
        LogCase{"capkey=tts.local.synth,codepage=1252", nullptr, KVO_OP "StartSession] SetTtsEngineParam failed.",
                "qvTTS_SetParam(3,"},
        LogCase{"capkey=tts.local.nocn", nullptr, KVO_OP "GetTtsEngineLocalResInfo]  cnlib not config", nullptr},
        LogCase{"capkey=tts.local.nocn", nullptr, KVO_OP "StartSession] get_tts_engine_local_res_info failed:-1",
                nullptr},
        LogCase{"capkey=tts.local.broken", nullptr, KVO_OP "StartSession] qvTTS_GetExtBufSize failed:", nullptr},
        LogCase{"capkey=tts.local.synth", nullptr, "cn16k.lib, ", nullptr},
        LogCase{"capkey=tts.local.synth", "", "] qvExam_ProgressProc iProcBegin(0)iProcLen(", nullptr},
        LogCase{"capkey=tts.local.synth", "", "] qvTTS_SynthStop return 0", nullptr},
        LogCase{"capkey=tts.local.synth", "", "[kvo_tts_local][KvoTtsSynth]Leave", nullptr}));
#undef KVO_OP

}  // namespace
}  // namespace module_test
