#include "backend/acoustic/voice_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "backend/acoustic/param_generator.h"
#include "backend/acoustic/voice_model_layout.h"
#include "test_voice.h"

namespace kvo {
namespace backend {
namespace {

namespace ml = model_layout;
using testvoice::Syllable;
using testvoice::Voice;

// A payload under test: its bytes, with helpers that address the layout.
struct Payload {
  std::vector<uint8_t> bytes;
  uint32_t position;  // file position of bytes[0]

  int32_t I32(uint32_t at) const { return ReadI32(&bytes[at]); }
  void PutI32(uint32_t at, int64_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<uint8_t>((v >> (8 * k)) & 0xFF);
  }
  void PutI16(uint32_t at, int v) {
    bytes[at] = static_cast<uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  uint32_t TreeBlock() const { return static_cast<uint32_t>(I32(0) + I32(4) - position); }
  uint32_t Descriptor(int stream) const { return ml::kDescriptorsOffset + stream * ml::kDescriptorBytes; }
  uint32_t NodeStart() const { return static_cast<uint32_t>(I32(TreeBlock() + ml::kTreeNodeStart) - position); }
  uint32_t QuestionOffset(int q) const { return TreeBlock() + ml::kTreeQuestionOffsets + 2 * q; }
};

class AcousticCorruptModel : public ::testing::Test {
 protected:
  Voice voice;
  std::vector<uint8_t> block = std::vector<uint8_t>(1 << 20);

  Payload Original() const {
    Payload p;
    p.bytes.assign(voice.file.begin() + voice.modelPosition, voice.file.end());
    p.position = voice.modelPosition;
    return p;
  }

  // Loads the payload and, when that works, generates a short chunk with
  // it. Returns the first failure; the arena must be back at its level.
  AcousticStatus LoadAndGenerate(const Payload& p, uint32_t size, int style = -1) {
    ScratchArena arena(block.data(), block.size());
    ModelSource source = MakeMemorySource(p.bytes.data(), size, p.position);
    VoiceModel model;
    AcousticStatus status = LoadVoiceModel(source, 3, 20, arena, &model);
    if (status != AcousticStatus::kOk) {
      EXPECT_EQ(arena.Mark(), 0u);
      return status;
    }
    const size_t level = arena.Mark();
    AcousticVoice av = voice.voice;
    av.chinese = av.english = &model;
    AcousticSettings settings;
    settings.voiceStyle = style;
    ModelHistory history;
    ChunkState chunk;
    std::vector<AnalysisItem> items = {Syllable(voice.Code("zhong", 1), 0, 2), Syllable(voice.Code("guo", 2), 1, 2)};
    std::vector<SpeechItem> speech(items.size());
    GroupResult r;
    status = GenerateGroup(av, settings, history, items.data(), 2, speech.data(), chunk, arena, &r);
    if (status != AcousticStatus::kOk) {
      EXPECT_EQ(arena.Mark(), level);
      EXPECT_EQ(r.taken, 2);
      EXPECT_EQ(speech[0].frameBytes, 0);
    }
    ResetChunk(chunk, arena);
    EXPECT_EQ(arena.Mark(), level);
    return status;
  }
  AcousticStatus LoadAndGenerate(const Payload& p, int style = -1) {
    return LoadAndGenerate(p, static_cast<uint32_t>(p.bytes.size()), style);
  }
};

TEST_F(AcousticCorruptModel, IntactModelWorks) {
  for (int style = -1; style <= 2; ++style) EXPECT_EQ(LoadAndGenerate(Original(), style), AcousticStatus::kOk);
}

struct Corruption {
  const char* name;
  std::function<void(Payload&)> apply;
  int style;
};

const Corruption kCorruptions[] = {
    {"tree_block_outside", [](Payload& p) { p.PutI32(4, 0x7000000); }, -1},
    {"node_end_before_start",
     [](Payload& p) { p.PutI32(p.TreeBlock() + ml::kTreeNodeEnd, p.I32(p.TreeBlock() + ml::kTreeNodeStart) - 8); }, -1},
    {"spectrum_root_outside",
     [](Payload& p) { p.PutI32(p.TreeBlock() + ml::kTreeSpectrum + 8, p.I32(p.TreeBlock() + ml::kTreeNodeEnd) + 64); },
     -1},
    {"logf0_root_before_nodes",
     [](Payload& p) { p.PutI32(p.TreeBlock() + ml::kTreeLogF0, p.I32(p.TreeBlock() + ml::kTreeNodeStart) - 8); }, -1},
    {"question_count_zero", [](Payload& p) { p.PutI16(p.TreeBlock() + ml::kTreeQuestionCount, 0); }, -1},
    {"first_question_offset_wrong",
     [](Payload& p) { p.PutI16(p.QuestionOffset(0), ReadI16(&p.bytes[p.QuestionOffset(0)]) + 1); }, -1},
    {"question_offsets_descending",
     [](Payload& p) { p.PutI16(p.QuestionOffset(2), ReadI16(&p.bytes[p.QuestionOffset(1)]) - 1); }, -1},
    {"question_offset_past_area", [](Payload& p) { p.PutI16(p.QuestionOffset(2), 0x7000); }, -1},
    {"question_operands_past_area",
     [](Payload& p) { p.bytes[p.TreeBlock() + ReadI16(&p.bytes[p.QuestionOffset(2)])] = 120; }, -1},
    {"spectral_order_mismatch", [](Payload& p) { p.PutI16(p.Descriptor(1) + ml::kDescCount, 19); }, -1},
    {"duration_table_short", [](Payload& p) { p.PutI32(p.Descriptor(1), p.I32(p.Descriptor(0)) + 10); }, -1},
    {"logf0_leaves_past_table", [](Payload& p) { p.PutI16(p.Descriptor(2) + ml::kDescLeafCounts, 1000); }, -1},
    {"spectrum_leaves_past_end", [](Payload& p) { p.PutI16(p.Descriptor(1) + ml::kDescLeafCounts + 8, 30000); }, -1},
    {"fraction_bits_huge", [](Payload& p) { p.PutI16(p.Descriptor(1) + ml::kDescMeanBits, 100); }, -1},
    {"duration_bits_negative", [](Payload& p) { p.PutI16(p.Descriptor(0) + ml::kDescPrecisionBits, -3); }, -1},
    {"phone_duration_table_past_end", [](Payload& p) { p.PutI16(p.Descriptor(4) + ml::kDescCount, 30000); }, -1},
    // Found only while generating.
    {"node_child_outside_area", [](Payload& p) { p.PutI16(p.NodeStart() + 4, 0x4000); }, -1},
    {"node_question_outside_area", [](Payload& p) { p.PutI16(p.NodeStart() + 2, 0x7FFF); }, -1},
    {"node_question_before_area", [](Payload& p) { p.PutI16(p.NodeStart() + 2, 3); }, -1},
    {"tree_cycle",
     [](Payload& p) {
       p.PutI16(p.NodeStart() + 4, 0);
       p.PutI16(p.NodeStart() + 6, 0);
     },
     -1},
    {"duration_leaf_past_table", [](Payload& p) { p.PutI16(p.NodeStart() + 6, ml::kLeafBase + 9); }, -1},
    {"phone_duration_leaf_past_table",
     [](Payload& p) {
       uint32_t root = static_cast<uint32_t>(p.I32(p.TreeBlock() + ml::kTreePhoneDuration) - p.position);
       p.PutI16(root + 6, ml::kLeafBase + 7);
     },
     0},
    {"logf0_leaf_past_table",
     [](Payload& p) {
       uint32_t root = static_cast<uint32_t>(p.I32(p.TreeBlock() + ml::kTreeLogF0 + 12) - p.position);
       p.PutI16(root + 4, ml::kLeafBase + 3);
       p.PutI16(root + 6, ml::kLeafBase + 3);
     },
     -1},
    {"spectrum_leaf_zero",
     [](Payload& p) {
       uint32_t root = static_cast<uint32_t>(p.I32(p.TreeBlock() + ml::kTreeSpectrum) - p.position);
       p.PutI16(root + 6, ml::kLeafBase);
     },
     -1},
};

class AcousticCorruptModelCase : public AcousticCorruptModel, public ::testing::WithParamInterface<Corruption> {};

TEST_P(AcousticCorruptModelCase, IsRefusedWithoutCrash) {
  Payload p = Original();
  GetParam().apply(p);
  EXPECT_EQ(LoadAndGenerate(p, GetParam().style), AcousticStatus::kBadModel);
}

INSTANTIATE_TEST_SUITE_P(Acoustic, AcousticCorruptModelCase, ::testing::ValuesIn(kCorruptions),
                         [](const ::testing::TestParamInfo<Corruption>& i) { return std::string(i.param.name); });

TEST_F(AcousticCorruptModel, TruncatedPayloadsAreRefused) {
  Payload p = Original();
  const uint32_t full = static_cast<uint32_t>(p.bytes.size());
  for (uint32_t size : {0u, 4u, 100u, 204u, full / 2, full - 4, full - 1})
    EXPECT_EQ(LoadAndGenerate(p, size), AcousticStatus::kBadModel) << size;
}

TEST_F(AcousticCorruptModel, SmallArenaIsToldApartFromBadModel) {
  Payload p = Original();
  ModelSource source = MakeMemorySource(p.bytes.data(), static_cast<uint32_t>(p.bytes.size()), p.position);
  ScratchArena arena(block.data(), 100);  // the tables need about 290 bytes
  VoiceModel model;
  EXPECT_EQ(LoadVoiceModel(source, 3, 20, arena, &model), AcousticStatus::kOutOfScratch);
  EXPECT_EQ(arena.Mark(), 0u);
}

TEST_F(AcousticCorruptModel, RandomDamageNeverCrashes) {
  std::mt19937 rng(99);
  const Payload original = Original();
  int refused = 0;
  for (int round = 0; round < 300; ++round) {
    Payload p = original;
    std::uniform_int_distribution<size_t> at(0, p.bytes.size() - 1);
    std::uniform_int_distribution<int> value(0, 255), count(1, 8);
    for (int k = count(rng); k > 0; --k) p.bytes[at(rng)] = static_cast<uint8_t>(value(rng));
    if (LoadAndGenerate(p, round % 4 - 1) != AcousticStatus::kOk) ++refused;
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace backend
}  // namespace kvo
