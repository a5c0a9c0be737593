// Decision-tree clustering of context-dependent statistics: greedy
// best-first splitting by the largest drop in squared error (each
// dimension scaled by its global variance), over questions on the
// context label bytes.
#ifndef KVO_VOICETRAIN_DECISION_TREE_H
#define KVO_VOICETRAIN_DECISION_TREE_H

#include <cstdint>
#include <string>
#include <vector>

namespace voicetrain {

// Same semantics as the model's questions: 0 member of values, 1 <=,
// 2 >=, 3 ==, on one signed label byte.
struct ContextQuestion {
  std::string name;
  int test = 3;
  int labelByte = 0;
  std::vector<int> values;
  bool Matches(const int8_t* label) const;
};

// Reads "question <name> in|le|ge|eq <byte> <values...>" lines ('#'
// comments). False with "line N: ..." on a malformed one.
bool ParseQuestions(const std::string& text, std::vector<ContextQuestion>* out, std::string* error);

// One sample to cluster: its context label and, per dimension, a count
// and a sum (a sample may lack a dimension: count 0).
struct ClusterSample {
  const int8_t* label = nullptr;
  std::vector<double> count;
  std::vector<double> sum;
};

struct TreeSettings {
  int maxLeaves = 200;
  double minCount = 20;          // of dimension 0, per leaf
  double thresholdPerDim = 1.0;  // times ln(total count): least error drop for a split
};

struct GrownNode {
  int question = -1;      // -1: leaf
  int yes = -1, no = -1;  // node indices
  int leaf = -1;          // leaf number from 0 (leaves only)
};

struct GrownTree {
  std::vector<GrownNode> nodes;  // node 0 is the root
  int leaves = 0;
  std::vector<int> leafOf;  // per sample
};

// `variance` per dimension scales the error; samples are not modified.
GrownTree GrowTree(const std::vector<ClusterSample>& samples, const std::vector<ContextQuestion>& questions,
                   const std::vector<double>& variance, const TreeSettings& settings);

// The leaf a label reaches (as a sample with that label was clustered).
int LeafOfLabel(const GrownTree& tree, const std::vector<ContextQuestion>& questions, const int8_t* label);

}  // namespace voicetrain

#endif
