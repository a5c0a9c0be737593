#include "model_description.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "backend/acoustic/model_tree.h"
#include "backend/acoustic/voice_model.h"

namespace kvo {
namespace modelwriter {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::string kTinyModel = std::string(KVO_TEST_SOURCE_DIR) + "/tests/engine/backend/acoustic/data/tiny_model.txt";

TEST(AcousticModelDescription, TextModelLoadsAndAnswersItsQuestion) {
  VoiceModelDescription m;
  std::string error;
  ASSERT_TRUE(ParseModelDescription(ReadText(kTinyModel), &m, &error)) << error;
  EXPECT_EQ(m.order, 2);
  ASSERT_EQ(m.spectrumLeaves[3].size(), 1u);
  EXPECT_EQ(m.spectrumLeaves[3][0][2].mean, 40000);
  EXPECT_TRUE(m.logF0Leaves[2][0].unvoiced);

  const uint32_t position = 1000;
  std::vector<uint8_t> payload = WriteVoiceModel(m, position, &error);
  ASSERT_FALSE(payload.empty()) << error;
  std::vector<uint8_t> block(1 << 16);
  backend::ScratchArena arena(block.data(), block.size());
  backend::ModelSource source =
      backend::MakeMemorySource(payload.data(), static_cast<uint32_t>(payload.size()), position);
  backend::VoiceModel model;
  ASSERT_EQ(backend::LoadVoiceModel(source, 3, 2, arena, &model), backend::AcousticStatus::kOk);
  int8_t label[64];
  std::fill(label, label + 64, static_cast<int8_t>(-1));
  label[2] = 51;
  EXPECT_EQ(backend::FindLeaf(model, model.durationTree, label), 1);
  label[2] = 7;
  EXPECT_EQ(backend::FindLeaf(model, model.durationTree, label), 2);
  EXPECT_EQ(backend::FindLeaf(model, model.phoneDurationTree[0], label), 2);
  EXPECT_EQ(model.durations[10 + 2], 2048);
  // The same description is written to the same bytes every time.
  EXPECT_EQ(WriteVoiceModel(m, position, &error), payload);
}

struct BadText {
  const char* name;
  const char* replace;  // appended to the tiny model
  const char* message;  // expected part of the error
};

const BadText kBadTexts[] = {
    {"unknown_statement", "frobnicate 3\n", "unknown statement"},
    {"node_before_tree_question", "tree logf0 0\nnode nowhere l1 l1\n", "unknown question nowhere"},
    {"bad_child", "tree logf0 1\nnode is-pause x1 l1\n", "node <question>"},
    {"short_spectrum", "spectrum 0 1 2 3\n", "order + 1 dimensions"},
    {"duration_values", "duration 1 2 3\n", "5 means and 5 variances"},
    {"tree_twice", "tree duration\n", "tree given twice"},
    {"bad_window_count", "windows 4\n", "windows must be 2 or 3"},
    {"label_byte", "question q2 eq 64 1\n", "label byte"},
};

class AcousticModelDescriptionError : public ::testing::TestWithParam<BadText> {};

TEST_P(AcousticModelDescriptionError, NamesTheLine) {
  std::string text = ReadText(kTinyModel);
  int lines = 0;
  for (char c : text) lines += c == '\n';
  text += GetParam().replace;
  VoiceModelDescription m;
  std::string error;
  ASSERT_FALSE(ParseModelDescription(text, &m, &error));
  EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
  EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  EXPECT_GT(std::stoi(error.substr(5)), lines) << error;
}

INSTANTIATE_TEST_SUITE_P(Acoustic, AcousticModelDescriptionError, ::testing::ValuesIn(kBadTexts),
                         [](const ::testing::TestParamInfo<BadText>& i) { return std::string(i.param.name); });

TEST(AcousticModelWriter, RefusesInconsistentModels) {
  VoiceModelDescription m;
  std::string error;
  ASSERT_TRUE(ParseModelDescription(ReadText(kTinyModel), &m, &error)) << error;
  struct Case {
    const char* name;
    void (*apply)(VoiceModelDescription&);
  };
  const Case cases[] = {
      {"leaf without distribution", [](VoiceModelDescription& d) { d.duration.nodes[0].no = Child::Leaf(3); }},
      {"unknown node", [](VoiceModelDescription& d) { d.duration.nodes[0].no = Child::Node(4); }},
      {"unknown question", [](VoiceModelDescription& d) { d.duration.nodes[0].question = 5; }},
      {"empty question", [](VoiceModelDescription& d) { d.questions[0].values.clear(); }},
      {"no spectrum leaves", [](VoiceModelDescription& d) { d.spectrumLeaves[4].clear(); }},
      {"no durations", [](VoiceModelDescription& d) { d.durations.clear(); }},
  };
  for (const Case& c : cases) {
    VoiceModelDescription broken = m;
    c.apply(broken);
    error.clear();
    EXPECT_TRUE(WriteVoiceModel(broken, 0, &error).empty()) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
}

}  // namespace
}  // namespace modelwriter
}  // namespace kvo
