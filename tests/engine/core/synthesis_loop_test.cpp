// The synthesis loop seen from its callbacks: progress over chunk
// boundaries, the final output call, stops, re-entry and the arena guard.
#include <algorithm>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "test_voice.h"

namespace {

// 你好。好你。 in GBK: two sentences the test voice speaks (it has no letters).
const char* const kTwoSentences = "\xC4\xE3\xBA\xC3\xA1\xA3\xBA\xC3\xC4\xE3\xA1\xA3";

// Mixed ASCII, GBK and line ends; more than three 1024-byte chunks.
std::string GbkText() {
  std::string sentence = "Hello there. \xC4\xE3\xBA\xC3\xA3\xA1\xCA\xC0\xBD\xE7\xA1\xA3 line two!\n";
  std::string text;
  while (text.size() < 3500) text += sentence;
  return text + "tail without end";
}

class EngineSynthesis : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(engine.Init("cn16k.lib"), QVTTS_ERR_OK);
    recorder.Install(engine.handle());
    arena_mark = engine.instance()->arena_used;
  }
  void ExpectCleanEnd() {
    EXPECT_EQ(recorder.final_output_calls, 1);
    EXPECT_FALSE(recorder.output_after_final);
    EXPECT_EQ(engine.instance()->arena_used, arena_mark);
    EXPECT_EQ(engine.instance()->arena_discipline_faults, 0);
    EXPECT_EQ(engine.instance()->busy_state, 0);
  }
  EngineBlock engine;
  CallbackRecorder recorder;
  int32_t arena_mark = 0;
};

struct ChunkCase {
  size_t chunk_bytes;
  int32_t codepage;
};

class EngineChunkedSynthesis : public EngineSynthesis, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(EngineChunkedSynthesis, ProgressSpansTileTheTextWhateverTheChunkSize) {
  const ChunkCase& c = GetParam();
  ASSERT_EQ(qvTTS_SetParam(engine.handle(), QVTTS_PARAM_CODEPAGE, c.codepage), QVTTS_ERR_OK);
  recorder.text = GbkText();
  if (c.codepage == 65001) {
    // The same text with its Chinese in UTF-8.
    std::string sentence =
        "Hello there. \xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x81\xE4\xB8\x96\xE7\x95\x8C\xE3\x80\x82 line two!\n";
    recorder.text.clear();
    while (recorder.text.size() < 3500) recorder.text += sentence;
    recorder.text += "tail without end";
  }
  recorder.chunk_bytes = c.chunk_bytes;

  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);

  int32_t expected_begin = 0;
  for (const auto& e : recorder.events) {
    if (e.kind != CallbackRecorder::kProgress) continue;
    ASSERT_EQ(e.a, expected_begin) << "gap or overlap before byte " << expected_begin;
    ASSERT_GT(e.b, 0);
    expected_begin = e.a + e.b;
  }
  EXPECT_EQ(expected_begin, static_cast<int32_t>(recorder.text.size()));
  // The test voice's Unicode table is filler, so only its GBK text speaks.
  if (c.codepage == 936) {
    EXPECT_GT(recorder.output_bytes, 0u);
  }
  ExpectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(EngineChunks, EngineChunkedSynthesis,
                         ::testing::Values(ChunkCase{1, 936}, ChunkCase{7, 936}, ChunkCase{1024, 936},
                                           ChunkCase{1, 65001}, ChunkCase{7, 65001}, ChunkCase{1024, 65001}),
                         [](const auto& test_case) {
                           return "Chunk" + std::to_string(test_case.param.chunk_bytes) + "Codepage" +
                                  std::to_string(test_case.param.codepage);
                         });

TEST_F(EngineSynthesis, OutputDoesNotDependOnTheChunkSize) {
  recorder.text = GbkText();
  recorder.chunk_bytes = 1024;
  // The first group after init shortens its edge phones (a model change), so compare later syntheses.
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  recorder = CallbackRecorder();
  recorder.text = GbkText();
  recorder.chunk_bytes = 1024;
  recorder.Install(engine.handle());
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  const size_t whole = recorder.output_bytes;
  const size_t syllables = recorder.spellings.size();

  CallbackRecorder bytewise;
  bytewise.text = GbkText();
  bytewise.chunk_bytes = 1;
  bytewise.Install(engine.handle());
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  EXPECT_EQ(bytewise.output_bytes, whole);
  EXPECT_EQ(bytewise.spellings.size(), syllables);
}

TEST_F(EngineSynthesis, CallbacksFollowTheLoopOrder) {
  recorder.text = kTwoSentences;
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  using K = CallbackRecorder::Kind;
  const auto& events = recorder.events;
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front().kind, K::kInput);
  // The call that found the end of the text is the last before the final output.
  EXPECT_EQ(events.back().kind, K::kInput);
  EXPECT_EQ(events.back().a, 0);
  bool progress_seen = false;
  bool output_seen = false;
  for (const auto& e : events) {
    if (e.kind == K::kProgress) progress_seen = true;
    if (e.kind == K::kOutput) {
      EXPECT_TRUE(progress_seen) << "sound before its progress report";
      output_seen = true;
    }
    if (e.kind == K::kSyllable) {
      EXPECT_TRUE(output_seen) << "syllable reported before its sound";
    }
  }
  EXPECT_EQ(recorder.Count(K::kProgress), 2);
  ExpectCleanEnd();
}

TEST_F(EngineSynthesis, SyllableSpellingsComeFromTheVoiceWithATone) {
  recorder.text = "\xC4\xE3\xBA\xC3 x y.";
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  ASSERT_FALSE(recorder.spellings.empty());
  bool any_syllable = false;
  for (const std::string& s : recorder.spellings) {
    if (s.empty()) continue;
    any_syllable = true;
    const char tone = s.back();
    EXPECT_TRUE(tone >= '1' && tone <= '5') << s;
    const auto& names = test_voice::SyllableNames();
    EXPECT_NE(std::find(names.begin(), names.end(), s.substr(0, s.size() - 1)), names.end()) << s;
  }
  EXPECT_TRUE(any_syllable);
}

TEST_F(EngineSynthesis, OutputChunkSizeBoundsEveryPiece) {
  recorder.text = "\xC4\xE3\xBA\xC3\xA1\xA3";
  ASSERT_EQ(qvTTS_SetParam(engine.handle(), QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 2), QVTTS_ERR_OK);
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  ASSERT_GT(recorder.Count(CallbackRecorder::kOutput), 0);
  for (const auto& e : recorder.events) {
    if (e.kind == CallbackRecorder::kOutput) {
      ASSERT_EQ(e.a, 2);
    }
  }
  ExpectCleanEnd();
}

struct InputCase {
  const char* name;
  int32_t count;  // what the callback claims to deliver
  int return_value;
  int expected;
};

class EngineBadInput : public EngineSynthesis, public ::testing::WithParamInterface<InputCase> {};

TEST_P(EngineBadInput, EndsWithTheSpecifiedCodeAndOneFinalOutput) {
  static InputCase current;
  current = GetParam();
  auto input = [](void*, char*, int32_t* length) -> int {
    *length = current.count;
    return current.return_value;
  };
  qvTTS_SetParam(engine.handle(), QVTTS_PARAM_INPUT_TEXT_PROC,
                 reinterpret_cast<intptr_t>(static_cast<qvTTS_InputTextProc>(input)));
  EXPECT_EQ(qvTTS_SynthesizeText(engine.handle()), current.expected);
  ExpectCleanEnd();
  // The instance stays usable.
  recorder.Install(engine.handle());
  recorder.final_output_calls = 0;
  recorder.text = "ok.";
  EXPECT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
}

INSTANTIATE_TEST_SUITE_P(EngineInput, EngineBadInput,
                         ::testing::Values(InputCase{"NoTextAtAll", 0, 0, QVTTS_ERR_INVALID_ARG},
                                           InputCase{"NegativeCount", -1, 0, QVTTS_ERR_INVALID_ARG},
                                           InputCase{"CountAboveChunk", 1025, 0, QVTTS_ERR_INVALID_ARG},
                                           InputCase{"CallbackError", 5, 77, 77},
                                           InputCase{"NegativeCallbackError", 0, -2, -2}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(EngineSynthesis, RefusedWithoutCallbackInputMode) {
  ASSERT_EQ(qvTTS_SetParam(engine.handle(), QVTTS_PARAM_INPUT_MODE, 0), QVTTS_ERR_OK);
  EXPECT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_INPUT_MODE);
  EXPECT_EQ(recorder.final_output_calls, 0);
}

TEST_F(EngineSynthesis, NullAndUninitialisedHandlesAreRefused) {
  EXPECT_EQ(qvTTS_SynthesizeText(nullptr), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(qvTTS_SynthStop(nullptr), QVTTS_ERR_INVALID_ARG);
  alignas(16) static qvInstance zeroed{};
  EXPECT_EQ(qvTTS_SynthesizeText(&zeroed), QVTTS_ERR_NOT_INIT);
  EXPECT_EQ(qvTTS_SynthStop(&zeroed), QVTTS_ERR_NOT_INIT);
}

std::string CallbackName(const ::testing::TestParamInfo<CallbackRecorder::Kind>& test_case) {
  static const char* const kNames[] = {"Input", "Progress", "Output", "Syllable", "Word"};
  return kNames[test_case.param];
}

class EngineStopInside : public EngineSynthesis, public ::testing::WithParamInterface<CallbackRecorder::Kind> {};

TEST_P(EngineStopInside, EndsWithZeroAndOneFinalOutput) {
  recorder.text = GbkText();
  recorder.chunk_bytes = 7;
  const CallbackRecorder::Kind where = GetParam();
  size_t events_at_stop = 0;
  recorder.hook = [&](CallbackRecorder::Kind kind) {
    if (kind == where && events_at_stop == 0) {
      EXPECT_EQ(qvTTS_SynthStop(engine.handle()), QVTTS_ERR_OK);
      events_at_stop = recorder.events.size();
    }
  };
  EXPECT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  ASSERT_GT(events_at_stop, 0u);
  // At most the rest of the current frame follows the stop: one frame of
  // 320 bytes in pieces of at most 4096, and its syllable report.
  EXPECT_LE(recorder.events.size() - events_at_stop, 2u);
  for (size_t i = events_at_stop; i < recorder.events.size(); ++i) {
    EXPECT_NE(recorder.events[i].kind, CallbackRecorder::kInput);
    EXPECT_NE(recorder.events[i].kind, CallbackRecorder::kProgress);
  }
  EXPECT_LT(recorder.served, recorder.text.size());
  ExpectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(EngineCallbacks, EngineStopInside,
                         ::testing::Values(CallbackRecorder::kInput, CallbackRecorder::kProgress,
                                           CallbackRecorder::kOutput, CallbackRecorder::kSyllable),
                         CallbackName);

TEST_F(EngineSynthesis, StopBeforeSynthesisHasNoEffect) {
  recorder.text = "one. two.";
  ASSERT_EQ(qvTTS_SynthStop(engine.handle()), QVTTS_ERR_OK);
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  EXPECT_EQ(recorder.served, recorder.text.size());
  EXPECT_EQ(recorder.Count(CallbackRecorder::kProgress), 2);
}

TEST_F(EngineSynthesis, EndAndSecondSynthesisInsideACallbackAreRefusedAsBusy) {
  recorder.text = kTwoSentences;
  int end_result = -1;
  int synth_result = -1;
  recorder.hook = [&](CallbackRecorder::Kind kind) {
    if (kind != CallbackRecorder::kOutput || end_result != -1) return;
    end_result = qvTTS_End(engine.handle());
    synth_result = qvTTS_SynthesizeText(engine.handle());
  };
  ASSERT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  EXPECT_EQ(end_result, QVTTS_ERR_BUSY);
  EXPECT_EQ(synth_result, QVTTS_ERR_BUSY);
  EXPECT_EQ(recorder.served, recorder.text.size());
  EXPECT_EQ(engine.instance()->initialised, 1u);
  ExpectCleanEnd();
}

TEST_F(EngineSynthesis, StopFromAnotherThreadEndsAnEndlessText) {
  std::atomic<bool> sounding{false};
  auto endless = [](void*, char* buffer, int32_t* length) -> int {
    // 你好 again and again, then a full stop: text the test voice speaks.
    for (int i = 0; i < 96; i += 4) std::memcpy(buffer + i, "\xC4\xE3\xBA\xC3", 4);
    std::memcpy(buffer + 96, "\xA1\xA3", 2);
    *length = 98;
    return 0;
  };
  qvTTS_SetParam(engine.handle(), QVTTS_PARAM_INPUT_TEXT_PROC,
                 reinterpret_cast<intptr_t>(static_cast<qvTTS_InputTextProc>(endless)));
  recorder.hook = [&](CallbackRecorder::Kind kind) {
    if (kind == CallbackRecorder::kOutput) sounding = true;
  };
  std::thread stopper([&] {
    while (!sounding) std::this_thread::yield();
    qvTTS_SynthStop(engine.handle());
  });
  const int result = qvTTS_SynthesizeText(engine.handle());
  stopper.join();
  EXPECT_EQ(result, QVTTS_ERR_OK);
  ExpectCleanEnd();
}

TEST_F(EngineSynthesis, ArenaThatRunsOutEndsWithInvalidArgumentAndStaysUsable) {
  recorder.text = "abc. def.";
  qvInstance* instance = engine.instance();
  const int32_t full_free = instance->arena_free;
  instance->arena_free = 4000;  // less than one item batch
  EXPECT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_INVALID_ARG);
  EXPECT_EQ(instance->arena_used, arena_mark);
  EXPECT_EQ(instance->arena_free, 4000);
  EXPECT_EQ(recorder.final_output_calls, 1);

  instance->arena_free = full_free;
  CallbackRecorder again;
  again.text = "abc. def.";
  again.Install(engine.handle());
  EXPECT_EQ(qvTTS_SynthesizeText(engine.handle()), QVTTS_ERR_OK);
  EXPECT_EQ(again.Count(CallbackRecorder::kProgress), 2);
}

}  // namespace
