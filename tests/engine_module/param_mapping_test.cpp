// The numbers the modules pass to the engine for configuration entries,
// seen through the test build of the modules that records every
// qvTTS_SetParam call (recording_param_call.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/qvtts.h"
#include "module_test_support.h"

namespace {

struct ParamCall {
  int32_t id;
  intptr_t value;
  int result;
};
std::vector<ParamCall> g_calls;

}  // namespace

extern "C" __attribute__((visibility("default"))) void KvoTestRecordEngineParam(int32_t id, intptr_t value,
                                                                                int result) {
  g_calls.push_back({id, value, result});
}

namespace module_test {
namespace {

using Pairs = std::vector<std::pair<int32_t, intptr_t>>;

// The parameter ids of the family only (the callbacks' pointers left out).
Pairs FamilyCalls() {
  Pairs out;
  for (const ParamCall& call : g_calls) {
    if (call.id == QVTTS_PARAM_INPUT_MODE || call.id == QVTTS_PARAM_OUTPUT_VOICE_PROC ||
        call.id == QVTTS_PARAM_PROGRESS_PROC || call.id == QVTTS_PARAM_USER_DATA ||
        call.id == QVTTS_PARAM_INPUT_TEXT_PROC) {
      continue;
    }
    out.emplace_back(call.id, call.value);
  }
  return out;
}

bool Contains(const Pairs& calls, const Pairs& expected_run) {
  for (size_t i = 0; i + expected_run.size() <= calls.size(); ++i) {
    if (Pairs(calls.begin() + static_cast<long>(i), calls.begin() + static_cast<long>(i + expected_run.size())) ==
        expected_run) {
      return true;
    }
  }
  return false;
}

bool Passes(const Pairs& calls, int32_t id) {
  for (const auto& call : calls) {
    if (call.first == id) return true;
  }
  return false;
}

std::string Describe(const Pairs& calls) {
  std::string out;
  for (const auto& call : calls) out += std::to_string(call.first) + "=" + std::to_string(call.second) + " ";
  return out;
}

bool Ignore(void*, const TtsSynthResult*, int) { return true; }

struct MappingCase {
  const char* session;  // session configuration
  const char* synth;    // null: check the calls of session start
  Pairs expected_run;   // must appear in this order, one after the other
  int32_t absent_id;    // -1, or an id that must not be passed
};
std::ostream& operator<<(std::ostream& out, const MappingCase& c) {
  return out << c.session << " / " << (c.synth ? c.synth : "(start)");
}

class ParamMapping : public ModuleApiTest, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(ParamMapping, PassesTheseNumbers) {
  const MappingCase& c = GetParam();
  g_calls.clear();
  ASSERT_EQ(Start(c.session), KVO_TTS_OK) << c.session;
  if (c.synth != nullptr) {
    g_calls.clear();
    ASSERT_EQ(kvo_tts_synth(sessions_[0], "你好。", c.synth, Ignore, nullptr), KVO_TTS_OK);
  }
  const Pairs calls = FamilyCalls();
  EXPECT_TRUE(Contains(calls, c.expected_run))
      << c.session << " / " << (c.synth ? c.synth : "") << ": " << Describe(calls);
  if (c.absent_id >= 0) {
    EXPECT_FALSE(Passes(calls, c.absent_id)) << Describe(calls);
  }
  for (const ParamCall& call : g_calls) EXPECT_EQ(call.result, QVTTS_ERR_OK) << call.id << "=" << call.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamMapping,
    ::testing::Values(
        // The whole family at start, in order, with the API's session defaults.
        MappingCase{"capkey=tts.local.synth",
                    nullptr,
                    {{3, 65001}, {0, 0}, {5, 0}, {4, 0}, {8, 0}, {2, 0}, {1, 0}, {18, 0}},
                    -1},
        MappingCase{"capkey=tts.local.synth,codepage=utf8", nullptr, {{3, 65001}}, -1},
        MappingCase{"capkey=tts.local.synth,codepage=936", nullptr, {{3, 936}}, -1},
        MappingCase{"capkey=tts.local.synth,volume=0", nullptr, {{0, -32767}}, -1},
        MappingCase{"capkey=tts.local.synth,volume=9.99", nullptr, {{0, 32701}}, -1},
        MappingCase{"capkey=tts.local.synth,pitch=6.5", nullptr, {{2, 9830}}, -1},
        MappingCase{"capkey=tts.local.synth,speed=6.5", nullptr, {{1, 9830}}, -1},
        MappingCase{"capkey=tts.local.synth", "speed=9.99", {{1, 32701}}, -1},
        MappingCase{"capkey=tts.local.synth,puncmode=on_rtn", nullptr, {{5, 3}}, -1},
        MappingCase{"capkey=tts.local.synth,digitmode=number", nullptr, {{4, 3}}, -1},
        MappingCase{"capkey=tts.local.synth,engmode=letter", nullptr, {{8, 1}}, -1},
        MappingCase{"capkey=tts.local.synth,voicestyle=clear", nullptr, {{18, -1}}, -1},
        // Not in any rule table, so it passes through as its number.
        MappingCase{"capkey=tts.local.synth,tagmode=1", nullptr, {{6, 1}}, -1},
        MappingCase{"capkey=tts.local.synth,audioformat=ulaw8k8bit", nullptr, {{7, 14}}, -1},
        MappingCase{"capkey=tts.local.synth,soundeffect=echo,mixsound=9", nullptr, {{23, 2}, {24, 26214}}, -1},
        MappingCase{"capkey=tts.local.synth,soundeffect=echo,mixsound=1", nullptr, {{23, 2}, {24, -26214}}, -1},
        MappingCase{"capkey=tts.local.synth,soundeffect=reverb,mixsound=9", nullptr, {{23, 1}}, 24},
        // At synthesis the module's own defaults are in the configuration.
        MappingCase{"capkey=tts.local.synth", "", {{7, 4}}, -1},
        MappingCase{"capkey=tts.local.synth", "", {{28, 0}, {26, 0}, {27, 0}, {23, 0}}, 24},
        MappingCase{"capkey=tts.local.synth", "speedmode=double,silencemode=short", {{26, 1}, {27, 1}}, -1},
        // The n6 module: special numbers are always passed at start.
        MappingCase{"capkey=tts.local.synth.n6", nullptr, {{32, 0}}, 26},
        MappingCase{"capkey=tts.local.synth.n6,specialone=yi1,specialtwo=liang3", nullptr, {{32, 544}}, -1},
        MappingCase{"capkey=tts.local.synth.n6,specialone=yao1,specialtwo=er4", nullptr, {{32, 272}}, -1},
        MappingCase{"capkey=tts.local.synth.n6", "", {{29, -1}, {28, 0}, {31, 0}, {32, 0}}, 27},
        MappingCase{"capkey=tts.local.synth.n6", "", {{33, 2}}, -1},
        MappingCase{
            "capkey=tts.local.synth.n6", "speedup=3,symbolfilter=off,gainfactor=7", {{29, 3}, {28, 0}, {31, 1}}, -1},
        MappingCase{"capkey=tts.local.synth.n6", "gainfactor=7", {{33, 7}}, -1}));

TEST_F(ModuleApiTest, EngineRefusalFailsTheStartWithSeven) {
  // The standard engine knows no code page 1252.
  g_calls.clear();
  EXPECT_EQ(Start("capkey=tts.local.synth,codepage=1252"), KVO_TTS_ERR_ENGINE_PARAM);
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().id, QVTTS_PARAM_CODEPAGE);
  EXPECT_EQ(g_calls.back().result, QVTTS_ERR_INVALID_ARG);
}

}  // namespace
}  // namespace module_test
