// The synthesis callback contract as the application sees it through
// kvo_tts_synth, with a module that keeps it.
#include <cstring>
#include <string>

#include "sdk_test_support.h"

namespace kvo_sdk_test {
namespace {

class ContractTest : public SdkTest {
 protected:
  void SetUp() override {
    SdkTest::SetUp();
    ASSERT_EQ(InitSdk(), KVO_TTS_OK);
    id_ = StartSessionOk("capkey=tts.local.synth");
  }
  int id_ = -1;
};

struct PieceCase {
  const char* text;
  const char* config;
};

void PrintTo(const PieceCase& c, std::ostream* os) {
  *os << std::char_traits<char>::length(c.text) << " bytes [" << (c.config ? c.config : "") << "]";
}

class ContractShapeTest : public ContractTest, public ::testing::WithParamInterface<PieceCase> {};

TEST_P(ContractShapeTest, EveryCallIsWellFormedAndTheSpansCoverTheText) {
  const PieceCase& c = GetParam();
  ContractRecorder recorder;
  ASSERT_EQ(recorder.Synth(id_, c.text, c.config), KVO_TTS_OK);
  EXPECT_TRUE(recorder.HoldsContract(c.text, true));
  EXPECT_EQ(recorder.SpokenText(), c.text);
  EXPECT_GE(recorder.ProgressCalls(), 1);
  EXPECT_GE(recorder.AudioCalls(), 1);
  EXPECT_FALSE(recorder.calls.back().has_more);
}

INSTANTIATE_TEST_SUITE_P(Table, ContractShapeTest,
                         ::testing::Values(PieceCase{"a", nullptr}, PieceCase{"hello world", nullptr},
                                           PieceCase{"hello world", "piece=1"}, PieceCase{"hello world", "piece=100"},
                                           PieceCase{"\xe4\xbb\x8a\xe5\xa4\xa9\xe5\xa4\xa9\xe6\xb0\x94", "piece=3"},
                                           PieceCase{"audio before text", "audiofirst=1"},
                                           PieceCase{"odd pieces", "piece=3,audiofirst=1"}));

TEST_F(ContractTest, AudioIsDeliveredIntact) {
  ContractRecorder recorder;
  ASSERT_EQ(recorder.Synth(id_, "abcdefgh", "piece=4"), KVO_TTS_OK);
  ASSERT_EQ(recorder.AudioCalls(), 2);
  // The test module's audio: 2 bytes per text byte, counting up from the
  // text position of the piece.
  std::string expected_second;
  for (int i = 0; i < 8; ++i) expected_second.push_back(static_cast<char>(4 + i));
  EXPECT_EQ(recorder.calls[3].audio, expected_second);
}

class StopAtTest : public ContractTest, public ::testing::WithParamInterface<int> {};

TEST_P(StopAtTest, FalseAsksForStopAndOnlyTheLastCallFollows) {
  const int stop_at = GetParam();
  const char* text = "twelve bytes";
  ContractRecorder recorder;
  recorder.stop_at = stop_at;
  ASSERT_EQ(recorder.Synth(id_, text, "piece=4"), KVO_TTS_OK) << "a stop asked for by the callback is a success";
  EXPECT_TRUE(recorder.HoldsContract(text, false));
  ASSERT_EQ(static_cast<int>(recorder.calls.size()), stop_at + 2);
  EXPECT_FALSE(recorder.calls.back().has_more);
  // The session is ready for the next synthesis.
  ContractRecorder next;
  ASSERT_EQ(next.Synth(id_, text, "piece=4"), KVO_TTS_OK);
  EXPECT_TRUE(next.HoldsContract(text, true));
}

// Calls 0..5 are progress/audio pairs of three pieces.
INSTANTIATE_TEST_SUITE_P(Table, StopAtTest, ::testing::Values(0, 1, 2, 3, 4, 5));

TEST_F(ContractTest, FalseOnTheLastCallChangesNothing) {
  ContractRecorder recorder;
  recorder.stop_at = 6;  // the last call of "twelve bytes" in pieces of 4
  ASSERT_EQ(recorder.Synth(id_, "twelve bytes", "piece=4"), KVO_TTS_OK);
  EXPECT_EQ(recorder.calls.size(), 7u);
  EXPECT_TRUE(recorder.HoldsContract("twelve bytes", true));
}

TEST_F(ContractTest, StopAndSynthFromInsideTheCallbackAreBusy) {
  ContractRecorder recorder;
  std::vector<int> results;
  recorder.on_call = [&](int index) {
    if (index != 0) return;
    results.push_back(kvo_tts_session_stop(id_));
    ContractRecorder nested;
    results.push_back(nested.Synth(id_, "nested"));
    results.push_back(static_cast<int>(nested.calls.size()));
    results.push_back(kvo_tts_release());
  };
  ASSERT_EQ(recorder.Synth(id_, "outer text"), KVO_TTS_OK);
  EXPECT_EQ(results, (std::vector<int>{502, 502, 0, 18}));
  EXPECT_TRUE(recorder.HoldsContract("outer text", true));
  EXPECT_TRUE(HasLog(1, FailedLine("TtsSdk::StopSession", KVO_TTS_ERR_SESSION_BUSY)));
  EXPECT_EQ(ModuleCounts(kContractModule).overlapping_synths, 0);
  // After the synthesis the session is idle again.
  EXPECT_EQ(kvo_tts_session_stop(id_), KVO_TTS_OK);
}

TEST_F(ContractTest, AnotherSessionMaySynthesiseInsideACallback) {
  int other = StartSessionOk("capkey=tts.local.second");
  ContractRecorder outer;
  ContractRecorder inner;
  int inner_result = -1;
  outer.on_call = [&](int index) {
    if (index == 1) inner_result = inner.Synth(other, "inner");
  };
  ASSERT_EQ(outer.Synth(id_, "outer"), KVO_TTS_OK);
  EXPECT_EQ(inner_result, KVO_TTS_OK);
  EXPECT_TRUE(inner.HoldsContract("inner", true));
  EXPECT_TRUE(outer.HoldsContract("outer", true));
}

TEST_F(ContractTest, ManySynthesesOnOneSession) {
  for (int i = 0; i < 50; ++i) {
    const std::string text = "text number " + std::to_string(i);
    ContractRecorder recorder;
    recorder.stop_at = i % 7 == 3 ? 2 : -1;
    ASSERT_EQ(recorder.Synth(id_, text.c_str()), KVO_TTS_OK);
    ASSERT_TRUE(recorder.HoldsContract(text.c_str(), recorder.stop_at < 0)) << i;
  }
}

}  // namespace
}  // namespace kvo_sdk_test
