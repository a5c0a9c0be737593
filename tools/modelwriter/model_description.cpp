#include "model_description.h"

#include <map>
#include <sstream>
#include <vector>

namespace kvo {
namespace modelwriter {

namespace {

bool ToInt(const std::string& s, long* v) {
  if (s.empty()) return false;
  size_t used = 0;
  try {
    *v = std::stol(s, &used, 0);
  } catch (...) {
    return false;
  }
  return used == s.size();
}

struct PendingNode {
  Tree* tree;
  std::string question;
  Child yes, no;
  int line;
};

bool ParseChild(const std::string& s, Child* c) {
  long v = 0;
  if (s.size() < 2 || (s[0] != 'n' && s[0] != 'l') || !ToInt(s.substr(1), &v)) return false;
  *c = s[0] == 'n' ? Child::Node(static_cast<int>(v)) : Child::Leaf(static_cast<int>(v));
  return true;
}

}  // namespace

bool ParseModelDescription(const std::string& text, VoiceModelDescription* m, std::string* error) {
  *m = VoiceModelDescription();
  std::map<std::string, int> questionIds;
  std::vector<PendingNode> pending;
  Tree* current = nullptr;
  std::istringstream lines(text);
  std::string raw;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    if (error != nullptr) *error = "line " + std::to_string(lineNo) + ": " + what;
    return false;
  };
  while (std::getline(lines, raw)) {
    ++lineNo;
    size_t hash = raw.find('#');
    if (hash != std::string::npos) raw.resize(hash);
    std::istringstream words(raw);
    std::vector<std::string> w;
    for (std::string t; words >> t;) w.push_back(t);
    if (w.empty()) continue;
    std::vector<long> n;  // numeric arguments after the keyword (where numeric)
    auto numbers = [&](size_t from, size_t count) {
      n.clear();
      if (w.size() != from + count) return false;
      for (size_t k = from; k < w.size(); ++k) {
        long v = 0;
        if (!ToInt(w[k], &v)) return false;
        n.push_back(v);
      }
      return true;
    };
    auto inRange = [](long v, long lo, long hi) { return v >= lo && v <= hi; };
    const std::string& key = w[0];
    if (key == "windows") {
      if (!numbers(1, 1) || (n[0] != 2 && n[0] != 3)) return fail("windows must be 2 or 3");
      m->windows = static_cast<int>(n[0]);
    } else if (key == "order") {
      if (!numbers(1, 1) || !inRange(n[0], 1, 40)) return fail("order must be 1 ... 40");
      m->order = static_cast<int>(n[0]);
    } else if (key == "bits") {
      if (!numbers(1, 7) || !inRange(n[0], 0, kStreams - 1)) return fail("bits <stream> and six counts");
      for (int k = 0; k < 3; ++k) {
        m->bits[n[0]].mean[k] = static_cast<int>(n[1 + k]);
        m->bits[n[0]].precision[k] = static_cast<int>(n[4 + k]);
      }
    } else if (key == "question") {
      static const std::map<std::string, int> tests = {{"in", 0}, {"le", 1}, {"ge", 2}, {"eq", 3}};
      if (w.size() < 5 || tests.count(w[2]) == 0) return fail("question <name> in|le|ge|eq <byte> <values>");
      Question q;
      q.test = tests.at(w[2]);
      long v = 0;
      if (!ToInt(w[3], &v) || !inRange(v, 0, 63)) return fail("label byte must be 0 ... 63");
      q.labelByte = static_cast<int>(v);
      for (size_t k = 4; k < w.size(); ++k) {
        if (!ToInt(w[k], &v) || !inRange(v, -128, 255)) return fail("question values are bytes");
        q.values.push_back(static_cast<int>(v > 127 ? v - 256 : v));
      }
      if (questionIds.count(w[1]) != 0) return fail("question " + w[1] + " defined twice");
      questionIds[w[1]] = static_cast<int>(m->questions.size());
      m->questions.push_back(q);
    } else if (key == "tree") {
      long k = 0;
      if (w.size() == 2 && w[1] == "duration") {
        current = &m->duration;
      } else if (w.size() == 3 && ToInt(w[2], &k)) {
        if (w[1] == "phone-duration" && inRange(k, 0, 2))
          current = &m->phoneDuration[k];
        else if (w[1] == "spectrum" && inRange(k, 0, kStates - 1))
          current = &m->spectrum[k];
        else if (w[1] == "logf0" && inRange(k, 0, kStates - 1))
          current = &m->logF0[k];
        else
          return fail("unknown tree");
      } else {
        return fail("unknown tree");
      }
      if (!current->nodes.empty()) return fail("tree given twice");
    } else if (key == "node") {
      PendingNode p{current, w.size() == 4 ? w[1] : "", {}, {}, lineNo};
      if (current == nullptr) return fail("node before any tree");
      if (w.size() != 4 || !ParseChild(w[2], &p.yes) || !ParseChild(w[3], &p.no))
        return fail("node <question> <n|l><k> <n|l><k>");
      current->nodes.push_back(TreeNode{0, p.yes, p.no});
      pending.push_back(p);
    } else if (key == "duration") {
      if (!numbers(1, 10)) return fail("duration needs 5 means and 5 variances");
      std::array<int16_t, 10> leaf{};
      for (int k = 0; k < 10; ++k) {
        if (!inRange(n[k], -32768, 32767)) return fail("duration values are 16-bit");
        leaf[k] = static_cast<int16_t>(n[k]);
      }
      m->durations.push_back(leaf);
    } else if (key == "phone-duration") {
      if (!numbers(1, 3) || !inRange(n[0], 0, 2) || !inRange(n[1], -32768, 32767) || !inRange(n[2], -32768, 32767))
        return fail("phone-duration <style> <mean> <variance>");
      m->phoneDurations[n[0]].push_back({static_cast<int16_t>(n[1]), static_cast<int16_t>(n[2])});
    } else if (key == "logf0") {
      const size_t wn = static_cast<size_t>(m->windows);
      if (w.size() != 3 + 2 * wn || (w[2] != "voiced" && w[2] != "unvoiced"))
        return fail("logf0 <state> voiced|unvoiced <means> <precisions>");
      long s = 0;
      if (!ToInt(w[1], &s) || !inRange(s, 0, kStates - 1)) return fail("state must be 0 ... 4");
      LogF0Leaf leaf;
      leaf.unvoiced = w[2] == "unvoiced";
      for (size_t k = 0; k < 2 * wn; ++k) {
        long v = 0;
        if (!ToInt(w[3 + k], &v) || !inRange(v, -32768, 65535)) return fail("log-F0 values are 16-bit");
        (k < wn ? leaf.mean[k] : leaf.precision[k - wn]) = static_cast<int>(v);
      }
      m->logF0Leaves[s].push_back(leaf);
    } else if (key == "spectrum") {
      const size_t per = m->windows == 3 ? 6 : 4;
      long s = 0;
      if (w.size() != 2 + per * (m->order + 1) || !ToInt(w[1], &s) || !inRange(s, 0, kStates - 1))
        return fail("spectrum <state> and order + 1 dimensions");
      std::vector<SpectrumDim> leaf;
      for (int d = 0; d <= m->order; ++d) {
        long v[6] = {0, 0, 0, 0, 0, 0};
        for (size_t k = 0; k < per; ++k)
          if (!ToInt(w[2 + d * per + k], &v[k])) return fail("spectrum values must be numbers");
        SpectrumDim dim;
        size_t k = 0;
        dim.mean = static_cast<uint16_t>(v[k++]);
        dim.delta = static_cast<int8_t>(v[k++]);
        if (per == 6) dim.deltaDelta = static_cast<int8_t>(v[k++]);
        dim.precision = static_cast<uint16_t>(v[k++]);
        dim.deltaPrecision = static_cast<uint8_t>(v[k++]);
        if (per == 6) dim.deltaDeltaPrecision = static_cast<uint8_t>(v[k++]);
        leaf.push_back(dim);
      }
      m->spectrumLeaves[s].push_back(leaf);
    } else {
      return fail("unknown statement " + key);
    }
  }
  // Questions may be defined after the nodes that use them.
  std::map<Tree*, size_t> filled;
  for (const PendingNode& p : pending) {
    auto it = questionIds.find(p.question);
    if (it == questionIds.end()) {
      lineNo = p.line;
      return fail("unknown question " + p.question);
    }
    p.tree->nodes[filled[p.tree]++].question = it->second;
  }
  return true;
}

}  // namespace modelwriter
}  // namespace kvo
