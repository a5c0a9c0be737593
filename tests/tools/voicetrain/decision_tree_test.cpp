// The tree builder on synthetic data with a known structure, and the
// question file reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cluster/decision_tree.h"

namespace {

using voicetrain::ClusterSample;
using voicetrain::ContextQuestion;
using voicetrain::GrowTree;
using voicetrain::ParseQuestions;

std::vector<ContextQuestion> Questions(const std::string& text) {
  std::vector<ContextQuestion> q;
  std::string error;
  EXPECT_TRUE(ParseQuestions(text, &q, &error)) << error;
  return q;
}

// Labels whose byte 2 takes values 0 ... 9 and byte 9 tones 1 ... 5; the
// value depends only on whether byte 2 is in {3, 4, 5}, plus a small
// deterministic wobble. The best first split must be exactly that set.
struct Synthetic {
  std::vector<std::vector<int8_t>> labels;
  std::vector<ClusterSample> samples;
};

Synthetic MakeData(double lowMean, double highMean) {
  Synthetic d;
  for (int i = 0; i < 500; ++i) {
    std::vector<int8_t> label(64, -1);
    label[2] = static_cast<int8_t>(i % 10);
    label[9] = static_cast<int8_t>(1 + (i / 10) % 5);
    d.labels.push_back(label);
  }
  for (size_t i = 0; i < d.labels.size(); ++i) {
    const bool high = d.labels[i][2] >= 3 && d.labels[i][2] <= 5;
    ClusterSample s;
    s.label = d.labels[i].data();
    const double wobble = (static_cast<int>(i * 37 % 11) - 5) * 0.1;
    s.count = {1.0};
    s.sum = {(high ? highMean : lowMean) + wobble};
    d.samples.push_back(s);
  }
  return d;
}

const char* kQuestions =
    "# decoys first, the right one in the middle\n"
    "question tone-1 eq 9 1\n"
    "question low-phones le 2 2\n"
    "question mid-phones in 2 3 4 5\n"
    "question tone-high in 9 1 2\n"
    "question phone-ge-4 ge 2 4\n";

TEST(VoicetrainTree, FindsTheKnownBestSplit) {
  const Synthetic d = MakeData(0.0, 5.0);
  const auto questions = Questions(kQuestions);
  voicetrain::TreeSettings settings;
  settings.maxLeaves = 2;
  settings.minCount = 5;
  const auto tree = GrowTree(d.samples, questions, {1.0}, settings);
  ASSERT_EQ(tree.leaves, 2);
  EXPECT_EQ(questions[tree.nodes[0].question].name, "mid-phones");
  // Every sample of the set lands in the same leaf, all others in the other.
  for (size_t i = 0; i < d.samples.size(); ++i) {
    const bool high = d.labels[i][2] >= 3 && d.labels[i][2] <= 5;
    EXPECT_EQ(tree.leafOf[i], high ? tree.leafOf[3] : tree.leafOf[0]) << i;
  }
}

TEST(VoicetrainTree, StopsWhereNothingIsExplained) {
  // Constant data: no split beats the threshold; one leaf.
  const Synthetic d = MakeData(2.0, 2.0);
  voicetrain::TreeSettings settings;
  settings.thresholdPerDim = 1.0;
  const auto tree = GrowTree(d.samples, Questions(kQuestions), {1.0}, settings);
  EXPECT_EQ(tree.leaves, 1);
  EXPECT_EQ(tree.nodes.size(), 1u);
}

TEST(VoicetrainTree, SizeControlAndOccupancy) {
  const Synthetic d = MakeData(0.0, 5.0);
  const auto questions = Questions(kQuestions);
  for (int most : {1, 3, 6}) {
    voicetrain::TreeSettings settings;
    settings.maxLeaves = most;
    settings.minCount = 60;
    settings.thresholdPerDim = 0.0;
    const auto tree = GrowTree(d.samples, questions, {1.0}, settings);
    EXPECT_LE(tree.leaves, most);
    std::vector<int> members(static_cast<size_t>(tree.leaves), 0);
    for (int leaf : tree.leafOf) ++members[static_cast<size_t>(leaf)];
    for (int m : members) EXPECT_GE(m, 60);
    // A label descends to the leaf its sample was clustered into.
    for (size_t i = 0; i < d.samples.size(); ++i)
      EXPECT_EQ(voicetrain::LeafOfLabel(tree, questions, d.labels[i].data()), tree.leafOf[i]) << most << " " << i;
  }
}

TEST(VoicetrainTree, SamplesWithoutADimensionDoNotCount) {
  // Dimension 1 is present only for tones 1 (value 10) and 2 (value 0);
  // dimension 0 is constant. Only "tone-1" explains anything: the absent
  // values of the other tones must not count as zeros (which would make
  // "tone-high" look as good).
  Synthetic d = MakeData(1.0, 1.0);
  for (size_t i = 0; i < d.samples.size(); ++i) {
    const int tone = d.labels[i][9];
    d.samples[i].count.push_back(tone <= 2 ? 1.0 : 0.0);
    d.samples[i].sum.push_back(tone == 1 ? 10.0 : 0.0);
  }
  voicetrain::TreeSettings settings;
  settings.maxLeaves = 2;
  settings.minCount = 5;
  const auto questions = Questions(kQuestions);
  const auto tree = GrowTree(d.samples, questions, {1.0, 1.0}, settings);
  ASSERT_EQ(tree.leaves, 2);
  EXPECT_EQ(questions[tree.nodes[0].question].name, "tone-1");
}

TEST(VoicetrainQuestions, MalformedLinesAreRefusedWithTheirNumber) {
  const struct {
    const char* text;
    const char* where;
  } cases[] = {
      {"question a in 2\n", "line 1"},         // no values
      {"\nquestion a eq 64 1\n", "line 2"},    // byte outside the label
      {"question a between 2 1\n", "line 1"},  // unknown test
      {"question a le 2 1 2\n", "line 1"},     // le takes one value
      {"question a eq 2 300\n", "line 1"},     // not a signed byte
      {"frage a eq 2 1\n", "line 1"},         {"# only a comment\n", "no questions"},
  };
  for (const auto& c : cases) {
    std::vector<ContextQuestion> q;
    std::string error;
    EXPECT_FALSE(ParseQuestions(c.text, &q, &error)) << c.text;
    EXPECT_NE(error.find(c.where), std::string::npos) << c.text << " -> " << error;
  }
}

TEST(VoicetrainQuestions, TestsMatchTheModelSemantics) {
  const auto q = Questions("question a in 0 5 -1 3\nquestion b le 0 3\nquestion c ge 0 3\nquestion d eq 0 -1\n");
  ASSERT_EQ(q.size(), 4u);
  const struct {
    int8_t value;
    bool in, le, ge, eq;
  } cases[] = {{-1, true, true, false, true},
               {3, true, true, true, false},
               {4, false, false, true, false},
               {5, true, false, true, false},
               {-128, false, true, false, false}};
  for (const auto& c : cases) {
    int8_t label[64] = {};
    label[0] = c.value;
    EXPECT_EQ(q[0].Matches(label), c.in) << int(c.value);
    EXPECT_EQ(q[1].Matches(label), c.le) << int(c.value);
    EXPECT_EQ(q[2].Matches(label), c.ge) << int(c.value);
    EXPECT_EQ(q[3].Matches(label), c.eq) << int(c.value);
  }
}

}  // namespace
