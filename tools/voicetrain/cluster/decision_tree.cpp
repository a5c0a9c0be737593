#include "cluster/decision_tree.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <sstream>

namespace voicetrain {

bool ContextQuestion::Matches(const int8_t* label) const {
  const int v = label[labelByte];
  switch (test) {
    case 0:
      return std::binary_search(values.begin(), values.end(), v);
    case 1:
      return v <= values[0];
    case 2:
      return v >= values[0];
    default:
      return v == values[0];
  }
}

bool ParseQuestions(const std::string& text, std::vector<ContextQuestion>* out, std::string* error) {
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream w(line);
    std::string keyword, test;
    if (!(w >> keyword)) continue;
    ContextQuestion q;
    int byte = -1;
    if (keyword != "question" || !(w >> q.name >> test >> byte) || byte < 0 || byte > 63) {
      *error = "line " + std::to_string(number) + ": expected question <name> in|le|ge|eq <byte> <values>";
      return false;
    }
    q.labelByte = byte;
    q.test = test == "in" ? 0 : test == "le" ? 1 : test == "ge" ? 2 : test == "eq" ? 3 : -1;
    for (int v; w >> v;) q.values.push_back(v);
    const bool valuesOk = std::all_of(q.values.begin(), q.values.end(), [](int v) { return v >= -128 && v <= 127; });
    if (q.test < 0 || q.values.empty() || !valuesOk || (q.test != 0 && q.values.size() != 1)) {
      *error = "line " + std::to_string(number) + ": bad test or values in question " + q.name;
      return false;
    }
    std::sort(q.values.begin(), q.values.end());
    out->push_back(q);
  }
  if (out->empty()) {
    *error = "no questions";
    return false;
  }
  return true;
}

namespace {

struct Stats {
  std::vector<double> count, sum;
  explicit Stats(size_t dims = 0) : count(dims, 0.0), sum(dims, 0.0) {}
  void Add(const ClusterSample& s) {
    for (size_t d = 0; d < count.size(); ++d) {
      count[d] += s.count[d];
      sum[d] += s.sum[d];
    }
  }
};

// Sum over dimensions of S^2 / n / variance: the larger, the smaller the
// squared error around the cluster means.
double Fit(const Stats& s, const std::vector<double>& variance) {
  double f = 0.0;
  for (size_t d = 0; d < s.count.size(); ++d)
    if (s.count[d] > 0) f += s.sum[d] * s.sum[d] / s.count[d] / variance[d];
  return f;
}

struct Candidate {
  double gain = -1.0;
  int question = -1;
};

Candidate BestSplit(const std::vector<const ClusterSample*>& members, const std::vector<ContextQuestion>& questions,
                    const std::vector<double>& variance, const std::vector<int>& bytes, double minCount) {
  const size_t dims = variance.size();
  Stats total(dims);
  for (const ClusterSample* s : members) total.Add(*s);
  const double base = Fit(total, variance);
  // Statistics per value of every questioned byte, then each question
  // adds up the values it accepts.
  std::vector<std::vector<Stats>> byValue(64);
  for (int b : bytes) {
    byValue[b].assign(256, Stats(dims));
    for (const ClusterSample* s : members) byValue[b][static_cast<uint8_t>(s->label[b])].Add(*s);
  }
  Candidate best;
  for (size_t q = 0; q < questions.size(); ++q) {
    const ContextQuestion& cq = questions[q];
    Stats yes(dims);
    for (int v = -128; v <= 127; ++v) {
      bool match;
      switch (cq.test) {
        case 0:
          match = std::binary_search(cq.values.begin(), cq.values.end(), v);
          break;
        case 1:
          match = v <= cq.values[0];
          break;
        case 2:
          match = v >= cq.values[0];
          break;
        default:
          match = v == cq.values[0];
          break;
      }
      if (!match) continue;
      const Stats& part = byValue[cq.labelByte][static_cast<uint8_t>(static_cast<int8_t>(v))];
      for (size_t d = 0; d < dims; ++d) {
        yes.count[d] += part.count[d];
        yes.sum[d] += part.sum[d];
      }
    }
    Stats no(dims);
    for (size_t d = 0; d < dims; ++d) {
      no.count[d] = total.count[d] - yes.count[d];
      no.sum[d] = total.sum[d] - yes.sum[d];
    }
    if (yes.count[0] < minCount || no.count[0] < minCount) continue;
    const double gain = Fit(yes, variance) + Fit(no, variance) - base;
    if (gain > best.gain) {
      best.gain = gain;
      best.question = static_cast<int>(q);
    }
  }
  return best;
}

}  // namespace

GrownTree GrowTree(const std::vector<ClusterSample>& samples, const std::vector<ContextQuestion>& questions,
                   const std::vector<double>& variance, const TreeSettings& settings) {
  GrownTree tree;
  tree.leafOf.assign(samples.size(), 0);
  std::vector<int> bytes;
  for (const ContextQuestion& q : questions)
    if (std::find(bytes.begin(), bytes.end(), q.labelByte) == bytes.end()) bytes.push_back(q.labelByte);
  double totalCount = 0.0;
  for (const ClusterSample& s : samples) totalCount += s.count[0];
  const double threshold =
      settings.thresholdPerDim * static_cast<double>(variance.size()) * std::log(std::max(totalCount, 2.0));

  // Members of the current leaves (by node), split best-first.
  std::vector<std::vector<const ClusterSample*>> members(1);
  for (const ClusterSample& s : samples) members[0].push_back(&s);
  tree.nodes.push_back(GrownNode());
  struct Pending {
    double gain;
    int node;
    int question;
    bool operator<(const Pending& o) const { return gain < o.gain || (gain == o.gain && node > o.node); }
  };
  std::priority_queue<Pending> queue;
  auto consider = [&](int node) {
    const Candidate c = BestSplit(members[node], questions, variance, bytes, settings.minCount);
    if (c.question >= 0 && c.gain > threshold) queue.push({c.gain, node, c.question});
  };
  consider(0);
  int leaves = 1;
  while (!queue.empty() && leaves < settings.maxLeaves) {
    const Pending p = queue.top();
    queue.pop();
    const int yes = static_cast<int>(tree.nodes.size());
    const int no = yes + 1;
    tree.nodes.push_back(GrownNode());
    tree.nodes.push_back(GrownNode());
    tree.nodes[p.node].question = p.question;
    tree.nodes[p.node].yes = yes;
    tree.nodes[p.node].no = no;
    members.resize(tree.nodes.size());
    for (const ClusterSample* s : members[p.node])
      (questions[p.question].Matches(s->label) ? members[yes] : members[no]).push_back(s);
    members[p.node].clear();
    members[p.node].shrink_to_fit();
    ++leaves;
    consider(yes);
    consider(no);
  }
  // Number the leaves depth-first (yes before no) and record each sample's.
  std::vector<int> stack{0};
  while (!stack.empty()) {
    const int n = stack.back();
    stack.pop_back();
    GrownNode& node = tree.nodes[n];
    if (node.question < 0) {
      node.leaf = tree.leaves++;
      for (const ClusterSample* s : members[n]) tree.leafOf[static_cast<size_t>(s - samples.data())] = node.leaf;
    } else {
      stack.push_back(node.no);
      stack.push_back(node.yes);
    }
  }
  return tree;
}

int LeafOfLabel(const GrownTree& tree, const std::vector<ContextQuestion>& questions, const int8_t* label) {
  int n = 0;
  while (tree.nodes[n].question >= 0)
    n = questions[tree.nodes[n].question].Matches(label) ? tree.nodes[n].yes : tree.nodes[n].no;
  return tree.nodes[n].leaf;
}

}  // namespace voicetrain
