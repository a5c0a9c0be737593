#include "backend/acoustic/param_generator.h"

#include <gtest/gtest.h>

#include <vector>

#include "backend/acoustic/level_tables.h"
#include "backend/labels/phone_list.h"
#include "core/unit_code.h"
#include "test_voice.h"

namespace kvo {
namespace backend {
namespace {

using testvoice::English;
using testvoice::Pause;
using testvoice::Syllable;
using testvoice::Voice;

class AcousticGenerator : public ::testing::Test {
 protected:
  explicit AcousticGenerator(int windows = 3) : voice(windows) {}

  Voice voice;
  AcousticSettings settings;
  ModelHistory history;
  ChunkState chunk;
  std::vector<AnalysisItem> items;
  std::vector<SpeechItem> speech;

  uint16_t B(int offset) const { return static_cast<uint16_t>(2 * voice.G() + offset); }
  int FrameValues() const { return voice.voice.order + 2; }

  void StartChunk() {
    ResetChunk(chunk, voice.arena);
    speech.assign(items.size() + 1, SpeechItem());
  }
  AcousticStatus Next(GroupResult* r) {
    return GenerateGroup(voice.voice, settings, history, items.data(), static_cast<int>(items.size()), speech.data(),
                         chunk, voice.arena, r);
  }
  // Pretends the previous group used the Chinese model.
  void AfterChineseGroup() {
    history.previous = &voice.chinese;
    history.any = true;
  }
  int StateFrames(int phone, int state) const { return chunk.stateFrames[phone * 5 + state]; }
  int PhoneFrames(int phone) const {
    int n = 0;
    for (int s = 0; s < 5; ++s) n += StateFrames(phone, s);
    return n;
  }
  const int16_t* Frame(int index) const { return chunk.frames + index * FrameValues(); }
  int Gain(int index) const { return Frame(index)[voice.voice.order + 1]; }
  int F0(int index) const { return Frame(index)[voice.voice.order]; }
};

TEST_F(AcousticGenerator, SentenceBecomesFramesWithPlausibleValues) {
  items = {Syllable(voice.Code("zhong", 1), 0, 2), Syllable(voice.Code("guo", 2), 1, 2),
           Pause(B(kUnitPunctuationFirst + 1))};
  StartChunk();
  const size_t level = voice.arena.Mark();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 3);
  EXPECT_EQ(r.first, 0);
  ASSERT_GT(r.frames, 0);
  // pau zh ong | g uo pau: every frame belongs to exactly one item, in order.
  EXPECT_EQ(speech[0].frames, chunk.frames);
  EXPECT_EQ(speech[1].frames, speech[0].frames + speech[0].frameBytes / 2);
  EXPECT_EQ((speech[0].frameBytes + speech[1].frameBytes) / (2 * FrameValues()), r.frames);
  EXPECT_EQ(speech[2].frameBytes, 0);
  int voiced = 0;
  for (int t = 0; t < r.frames; ++t) {
    const int16_t* f = Frame(t);
    int f0 = F0(t);
    EXPECT_TRUE(f0 == 0 || (f0 >= 85 && f0 <= 403)) << t;
    if (f0 > 0) ++voiced;
    // Line spectral frequencies rise and stay near the modelled means.
    for (int j = 0; j < voice.voice.order; ++j) {
      int lsf = static_cast<uint16_t>(f[j]);
      EXPECT_NEAR(lsf, (j + 1) * testvoice::kLsfStep, 600) << "frame " << t << " dim " << j;
      if (j > 0) {
        EXPECT_GT(lsf, static_cast<uint16_t>(f[j - 1]));
      }
    }
    EXPECT_GE(Gain(t), 0);
    EXPECT_LE(Gain(t), 255);
  }
  EXPECT_GT(voiced, r.frames / 3);
  // The chunk is done after one group; releasing gives the arena back.
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 0);
  ReleaseGroup(chunk, voice.arena);
  EXPECT_EQ(voice.arena.Mark(), level);
}

TEST_F(AcousticGenerator, MixedChunkRunsGroupByGroupToItsEnd) {
  // Two phrases of Chinese with a letter, a Greek letter, punctuation, a
  // domain phrase and an English word; every item is taken exactly once
  // and every owned frame lies inside its group's frames.
  for (int k = 0; k < 12; ++k)
    items.push_back(Syllable(voice.Code(k % 2 ? "guo" : "zhong", 1 + k % 4), k % 2, 2, 0, 2));
  items.push_back(Pause(B(kUnitPunctuationFirst)));
  items.push_back(Pause(B(kUnitLetterFirst + 1)));
  items.push_back(Pause(B(kUnitGreekFirst)));
  items.push_back(Pause(B(kUnitPhraseFirst + 2)));
  for (int k = 0; k < 3; ++k) items.push_back(English(testvoice::kEnAa));
  for (int k = 0; k < 6; ++k) items.push_back(Syllable(voice.Code("wen", 2), k % 3, 3, 1, 2));
  items.push_back(Pause(kUnitSilence));
  StartChunk();
  const size_t level = voice.arena.Mark();
  int expectFirst = 0, groups = 0;
  GroupResult r;
  for (;;) {
    ASSERT_EQ(Next(&r), AcousticStatus::kOk);
    if (r.taken == 0) break;
    ++groups;
    EXPECT_EQ(r.first, expectFirst);
    const int16_t* begin = chunk.frames;
    const int16_t* end = chunk.frames + r.frames * FrameValues();
    for (int i = r.first; i < r.first + r.taken; ++i) {
      if (speech[i].frameBytes == 0) continue;
      EXPECT_GE(speech[i].frames, begin) << i;
      EXPECT_LE(speech[i].frames + speech[i].frameBytes / 2, end) << i;
    }
    EXPECT_LE(chunk.groupPhones, 30);
    expectFirst += r.taken;
    ReleaseGroup(chunk, voice.arena);
    EXPECT_EQ(voice.arena.Mark(), level);
  }
  EXPECT_EQ(expectFirst, static_cast<int>(items.size()));
  EXPECT_GE(groups, 3);
  EXPECT_EQ(speech[15].frameBytes, 0);  // the domain phrase is silent for now
  EXPECT_GT(speech[13].frameBytes, 0);  // letter B keeps its inner states
  EXPECT_GT(speech[16].frameBytes, 0);  // English phone
  ResetChunk(chunk, voice.arena);
  EXPECT_EQ(voice.arena.Mark(), level);
}

TEST_F(AcousticGenerator, UnvoicedStatesHaveNoF0AndVoicedStatesSoundNear200Hz) {
  items = {Syllable(voice.Code("ba", 1), 0, 1)};
  StartChunk();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  // pau b a pau: the pauses (class 3) and "b" (class 0, unvoiced leaf) give 0.
  int frame = 0;
  for (int p = 0; p < 4; ++p) {
    for (int s = 0; s < 5; ++s)
      for (int k = 0; k < StateFrames(p, s); ++k, ++frame) {
        if (p == 2) {
          EXPECT_GE(F0(frame), 150) << frame;
          EXPECT_LE(F0(frame), 270) << frame;
        } else {
          EXPECT_EQ(F0(frame), 0) << "phone " << p << " state " << s;
        }
      }
  }
}

struct ExtremeF0Case {
  const char* name;
  int logF0;
  int expectF0;
};

// Means far outside the table still give F0 within 85 ... 403.
const ExtremeF0Case kExtremeF0[] = {{"very_low", 2000, 85}, {"very_high", 32000, 403}, {"negative", -20000, 85}};

class AcousticExtremeF0 : public ::testing::TestWithParam<ExtremeF0Case> {};

int g_extremeLogF0 = 0;

TEST_P(AcousticExtremeF0, ClampsToTableRange) {
  g_extremeLogF0 = GetParam().logF0;
  Voice voice(3, 16000, [](modelwriter::VoiceModelDescription& m) {
    for (auto& state : m.logF0Leaves)
      for (auto& leaf : state) leaf.mean[0] = g_extremeLogF0;
  });
  std::vector<AnalysisItem> items = {Syllable(voice.Code("a", 1), 0, 1)};
  std::vector<SpeechItem> speech(2);
  AcousticSettings settings;
  ModelHistory history;
  ChunkState chunk;
  GroupResult r;
  ASSERT_EQ(GenerateGroup(voice.voice, settings, history, items.data(), 1, speech.data(), chunk, voice.arena, &r),
            AcousticStatus::kOk);
  int voiced = 0;
  for (int t = 0; t < r.frames; ++t) {
    int f0 = chunk.frames[t * (voice.voice.order + 2) + voice.voice.order];
    if (f0 == 0) continue;
    ++voiced;
    EXPECT_EQ(f0, GetParam().expectF0);
  }
  EXPECT_GT(voiced, 0);
}

INSTANTIATE_TEST_SUITE_P(Acoustic, AcousticExtremeF0, ::testing::ValuesIn(kExtremeF0),
                         [](const ::testing::TestParamInfo<ExtremeF0Case>& i) { return std::string(i.param.name); });

TEST(AcousticLevelTables, F0AndGainTablesCoverTheirRanges) {
  EXPECT_EQ(F0FromLog(0), 85);
  EXPECT_EQ(F0FromLog(kF0LogMax), 403);
  EXPECT_EQ(F0FromLog(10850), 200);  // e^(10850/2048) = 200.0
  EXPECT_EQ(GainFromLog(0), 255);
  EXPECT_EQ(GainFromLog(-4025), 150);
  EXPECT_EQ(GainFromLog(-8192), 0);
  EXPECT_EQ(GainFromLog(-100000), 0);
  EXPECT_EQ(GainFromLog(5000), 255);
}

struct StyleCase {
  const char* name;
  int style;
  int minFrames, maxFrames;  // frames of the final "a" (model: 13)
};

// Voice style stretches a phone towards its phone-duration mean: style 0
// about twice, style 1 as modelled, style 2 about half.
const StyleCase kStyles[] = {{"none", -1, 13, 13}, {"slow", 0, 25, 27}, {"as_modelled", 1, 13, 13}, {"fast", 2, 6, 8}};

class AcousticVoiceStyle : public AcousticGenerator, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(AcousticVoiceStyle, ScalesPhoneDurations) {
  items = {Syllable(voice.Code("ba", 1), 0, 1)};
  StartChunk();
  AfterChineseGroup();
  settings.voiceStyle = GetParam().style;
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_GE(PhoneFrames(2), GetParam().minFrames);
  EXPECT_LE(PhoneFrames(2), GetParam().maxFrames);
  for (int p = 0; p < 4; ++p)
    for (int s = 0; s < 5; ++s) EXPECT_GE(StateFrames(p, s), 1);
  if (GetParam().style < 0) {
    for (int s = 0; s < 5; ++s) EXPECT_EQ(StateFrames(2, s), testvoice::kPhoneStateFrames[s]) << s;
    for (int s = 0; s < 5; ++s) EXPECT_EQ(StateFrames(0, s), testvoice::kPauseStateFrames) << s;
  }
}

INSTANTIATE_TEST_SUITE_P(Acoustic, AcousticVoiceStyle, ::testing::ValuesIn(kStyles),
                         [](const ::testing::TestParamInfo<StyleCase>& i) { return std::string(i.param.name); });

// The state carry moves the rounding (and the one-frame minimum) of
// quartered phones on to the next phones, so whole-group sums are checked.
TEST_F(AcousticGenerator, ModelChangeQuartersEdgePhones) {
  // A Chinese group, then English phones: the model changes.
  items = {Syllable(voice.Code("ba", 1), 0, 1)};
  for (int k = 0; k < 3; ++k) items.push_back(English(testvoice::kEnAa));
  StartChunk();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 1);
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 3);
  // Edge phones of 13 frames shrink to about 3, never below 1 per state.
  EXPECT_EQ(PhoneFrames(0), 5);
  EXPECT_EQ(PhoneFrames(2), 5);
  EXPECT_LE(r.frames, 3 * 13 - 15);
  for (int p = 0; p < 3; ++p)
    for (int s = 0; s < 5; ++s) EXPECT_GE(StateFrames(p, s), 1);

  // Another chunk with the same (English) model keeps the full durations.
  items = {English(testvoice::kEnAa), English(testvoice::kEnAa)};
  StartChunk();
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(PhoneFrames(0), 13);
  EXPECT_EQ(PhoneFrames(1), 13);
}

// Silence mode quarters the states of the voice's own pause phone ("pau",
// whatever its id), and no other phone.
TEST_F(AcousticGenerator, SilenceModeQuartersThePausePhone) {
  const int pau = PhoneId(voice.symbols, "pau");
  ASSERT_NE(pau, kNoPhone);
  struct Case {
    int phone;
    bool shortened;
  } cases[] = {{pau, true}, {testvoice::kEnAa, false}, {94, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phone);
    items = {English(testvoice::kEnAa), English(c.phone), English(testvoice::kEnAa), English(testvoice::kEnAa)};
    StartChunk();
    history.previous = &voice.english;
    history.any = true;
    settings.silenceMode = 0;
    GroupResult r;
    ASSERT_EQ(Next(&r), AcousticStatus::kOk);
    const int normal = PhoneFrames(1);
    const int32_t normalTotal = r.frames;
    StartChunk();
    settings.silenceMode = 1;
    ASSERT_EQ(Next(&r), AcousticStatus::kOk);
    EXPECT_EQ(PhoneFrames(0), 13);
    if (c.shortened) {
      EXPECT_LT(PhoneFrames(1), normal);
      EXPECT_LT(r.frames, normalTotal);
    } else {
      EXPECT_EQ(PhoneFrames(1), normal);
      EXPECT_EQ(r.frames, normalTotal);
    }
    for (int s = 0; s < 5; ++s) EXPECT_GE(StateFrames(1, s), 1);
  }
}

struct PauseCase {
  const char* name;
  bool punctuationAfter;  // the syllable with the trailing pause is not the group's last item
  bool trailingSilenced;
};

const PauseCase kPauses[] = {{"last_item_keeps_gain", false, false}, {"inner_item_silenced", true, true}};

class AcousticSilencedPauses : public AcousticGenerator, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(AcousticSilencedPauses, FollowStateRules) {
  items = {Syllable(voice.Code("ba", 1), 0, 2), Syllable(voice.Code("ma", 1), 1, 2)};
  if (GetParam().punctuationAfter) items.push_back(Pause(B(kUnitPunctuationFirst)));
  StartChunk();
  AfterChineseGroup();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  // Phones: pau b a | m a pau. Leading pause: states 0-3 silent, 4 sounds.
  auto stateGains = [&](int phone, int state, bool* allZero, bool* anyZero) {
    int start = 0;
    for (int k = 0; k < phone * 5 + state; ++k) start += chunk.stateFrames[k];
    *allZero = true;
    *anyZero = false;
    for (int k = 0; k < StateFrames(phone, state); ++k) {
      bool z = Gain(start + k) == 0;
      *allZero = *allZero && z;
      *anyZero = *anyZero || z;
    }
  };
  bool all = false, any = false;
  for (int s = 0; s < 4; ++s) {
    stateGains(0, s, &all, &any);
    EXPECT_TRUE(all) << "leading pause state " << s;
  }
  stateGains(0, 4, &all, &any);
  EXPECT_FALSE(any);
  stateGains(5, 0, &all, &any);
  EXPECT_FALSE(any);
  for (int s = 1; s < 5; ++s) {
    stateGains(5, s, &all, &any);
    if (GetParam().trailingSilenced) {
      EXPECT_TRUE(all) << "trailing pause state " << s;
    } else {
      EXPECT_FALSE(any) << "trailing pause state " << s;
    }
  }
  for (int p = 1; p < 5; ++p)
    for (int s = 0; s < 5; ++s) {
      stateGains(p, s, &all, &any);
      EXPECT_FALSE(any) << "phone " << p << " state " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(Acoustic, AcousticSilencedPauses, ::testing::ValuesIn(kPauses),
                         [](const ::testing::TestParamInfo<PauseCase>& i) { return std::string(i.param.name); });

TEST_F(AcousticGenerator, LetterUnitsGiveUpTheirEdgeStates) {
  items = {Pause(B(kUnitLetterFirst + 1)), Pause(B(kUnitLetterFirst))};  // "B" (b i), "A" (ei)
  StartChunk();
  AfterChineseGroup();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  ASSERT_EQ(r.taken, 2);
  const int fb = 2 * FrameValues();
  const int head = StateFrames(0, 0) + StateFrames(0, 1) + StateFrames(0, 2) + StateFrames(0, 3);
  const int tail = StateFrames(1, 1) + StateFrames(1, 2) + StateFrames(1, 3) + StateFrames(1, 4);
  EXPECT_EQ(speech[0].frames, chunk.frames + head * FrameValues());
  EXPECT_EQ(speech[0].frameBytes, (PhoneFrames(0) + PhoneFrames(1) - head - tail) * fb);
  // A one-phone unit gives up more than it has: nothing is played.
  EXPECT_EQ(speech[1].frameBytes, 0);
}

TEST_F(AcousticGenerator, GroupsHoldAtMost30Phones) {
  for (int k = 0; k < 31; ++k) items.push_back(English(testvoice::kEnAa));
  StartChunk();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 30);
  EXPECT_EQ(chunk.groupPhones, 30);
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 1);
  EXPECT_EQ(r.first, 30);
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 0);
}

TEST_F(AcousticGenerator, GroupEndsAfterInnerTrailingPause) {
  // ba ma | shi: "ma" ends its phrase (trailing pause) and closes the group,
  // the comma after it is taken along.
  items = {Syllable(voice.Code("ba", 1), 0, 2, 0, 2), Syllable(voice.Code("ma", 1), 1, 2, 0, 2),
           Pause(B(kUnitPunctuationFirst)), Syllable(voice.Code("shi", 4), 0, 1, 1, 2)};
  StartChunk();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 3);
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.first, 3);
  EXPECT_EQ(r.taken, 1);
}

// A group that starts on a voiced phone (the pause before it closed the
// previous group) has no frame before its first one: the delta windows of
// that frame reach outside the group and must not pull the track down.
TEST_F(AcousticGenerator, GroupStartingVoicedKeepsItsPitch) {
  items = {Syllable(voice.Code("ba", 1), 0, 2, 0, 2), Syllable(voice.Code("ma", 1), 1, 2, 0, 2),
           Pause(B(kUnitPunctuationFirst)), Syllable(voice.Code("ma", 1), 0, 2, 1, 2),
           Syllable(voice.Code("ma", 1), 1, 2, 1, 2)};
  StartChunk();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  ASSERT_EQ(r.taken, 3);
  ReleaseGroup(chunk, voice.arena);
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  ASSERT_EQ(r.first, 3);
  ASSERT_GT(r.frames, 0);
  ASSERT_GT(F0(0), 0) << "the second group should start on a voiced frame";
  for (int t = 0; t < r.frames; ++t) {
    if (F0(t) == 0) continue;
    EXPECT_GE(F0(t), 150) << t;
    EXPECT_LE(F0(t), 270) << t;
  }
}

TEST_F(AcousticGenerator, ChunkWithoutPhonesGeneratesNothing) {
  items = {Pause(B(kUnitPunctuationFirst)), Pause(kUnitSilence), Pause(B(300)), Pause(B(kUnitPhraseFirst + 5))};
  StartChunk();
  const size_t level = voice.arena.Mark();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 4);
  EXPECT_EQ(r.frames, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(speech[i].frameBytes, 0);
  EXPECT_EQ(voice.arena.Mark(), level);
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.taken, 0);
}

TEST_F(AcousticGenerator, ArenaExhaustionSkipsTheGroupAndKeepsLevel) {
  for (int k = 0; k < 20; ++k) items.push_back(Syllable(voice.Code("zhong", 1), k % 2, 2));
  StartChunk();
  settings.voiceStyle = 0;
  const size_t level = voice.arena.Mark();
  const size_t capacity = voice.arena.capacity;
  voice.arena.capacity = level + 6000;  // room for labels, not for frames
  GroupResult r;
  EXPECT_EQ(Next(&r), AcousticStatus::kOutOfScratch);
  EXPECT_GT(r.taken, 0);
  EXPECT_EQ(voice.arena.Mark(), level);
  for (int i = 0; i < r.taken; ++i) EXPECT_EQ(speech[i].frameBytes, 0);
  // With room again the chunk goes on with the next group.
  voice.arena.capacity = capacity;
  const int first = r.taken;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_EQ(r.first, first);
  EXPECT_GT(r.frames, 0);
}

TEST_F(AcousticGenerator, MissingModelForLanguageIsReported) {
  voice.voice.english = nullptr;
  items = {English(testvoice::kEnAa), Syllable(voice.Code("ba", 1), 0, 1)};
  StartChunk();
  GroupResult r;
  EXPECT_EQ(Next(&r), AcousticStatus::kBadModel);
  EXPECT_EQ(r.taken, 1);
  EXPECT_EQ(speech[0].frameBytes, 0);
  EXPECT_EQ(Next(&r), AcousticStatus::kOk);
  EXPECT_GT(speech[1].frameBytes, 0);
}

class AcousticTwoWindows : public AcousticGenerator {
 protected:
  AcousticTwoWindows() : AcousticGenerator(2) {}
};

TEST_F(AcousticTwoWindows, GeneratesTheSameShapeOfFrames) {
  items = {Syllable(voice.Code("zhong", 1), 0, 2), Syllable(voice.Code("guo", 2), 1, 2)};
  StartChunk();
  GroupResult r;
  ASSERT_EQ(Next(&r), AcousticStatus::kOk);
  ASSERT_GT(r.frames, 0);
  for (int t = 0; t < r.frames; ++t) {
    int f0 = F0(t);
    EXPECT_TRUE(f0 == 0 || (f0 >= 85 && f0 <= 403));
    EXPECT_NEAR(static_cast<uint16_t>(Frame(t)[0]), testvoice::kLsfStep, 600);
  }
}

TEST(AcousticSampleRates, OrderFollowsTheRate) {
  const int rates[][2] = {{8000, 12}, {11025, 14}, {16000, 20}, {22050, 24}, {0, 20}};
  for (const auto& rate : rates) {
    EXPECT_EQ(SpectralOrderForRate(rate[0]), rate[1]);
    if (rate[0] == 0) continue;
    Voice voice(3, rate[0]);
    std::vector<AnalysisItem> items = {Syllable(voice.Code("ma", 3), 0, 1)};
    std::vector<SpeechItem> speech(1);
    AcousticSettings settings;
    ModelHistory history;
    ChunkState chunk;
    GroupResult r;
    ASSERT_EQ(GenerateGroup(voice.voice, settings, history, items.data(), 1, speech.data(), chunk, voice.arena, &r),
              AcousticStatus::kOk);
    EXPECT_EQ(speech[0].frameBytes, r.frames * (rate[1] + 2) * 2);
  }
}

}  // namespace
}  // namespace backend
}  // namespace kvo
