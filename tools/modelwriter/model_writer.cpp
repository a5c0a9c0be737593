#include "model_writer.h"

#include <algorithm>
#include <cstring>

#include "backend/acoustic/voice_model_layout.h"
#include "core/library_format.h"

namespace kvo {
namespace modelwriter {

namespace ml = backend::model_layout;

namespace {

class Bytes {
 public:
  explicit Bytes(std::vector<uint8_t>* out) : out_(out) {}
  void U8(int v) { out_->push_back(static_cast<uint8_t>(v)); }
  void I16(int v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void I32(int64_t v) {
    for (int k = 0; k < 4; ++k) U8(static_cast<int>((v >> (8 * k)) & 0xFF));
  }
  void PutI16(size_t at, int v) {
    (*out_)[at] = static_cast<uint8_t>(v & 0xFF);
    (*out_)[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  void PutI32(size_t at, int64_t v) {
    for (int k = 0; k < 4; ++k) (*out_)[at + k] = static_cast<uint8_t>((v >> (8 * k)) & 0xFF);
  }
  size_t Size() const { return out_->size(); }

 private:
  std::vector<uint8_t>* out_;
};

bool Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
  return false;
}

// Writes one tree's nodes; children become offsets from the tree's root.
bool WriteTree(const Tree& tree, const char* name, size_t questionCount, int leafCount,
               const std::vector<uint32_t>& questionOffsets, Bytes& out, std::string* error) {
  std::vector<TreeNode> nodes = tree.nodes;
  if (nodes.empty()) nodes.push_back(TreeNode{0, Child::Leaf(1), Child::Leaf(1)});
  for (const TreeNode& n : nodes) {
    if (n.question < 0 || static_cast<size_t>(n.question) >= questionCount)
      return Fail(error, std::string(name) + ": node names an unknown question");
    uint16_t child[2];
    const Child* c[2] = {&n.yes, &n.no};
    for (int k = 0; k < 2; ++k) {
      if (c[k]->leaf) {
        if (c[k]->index < 1 || c[k]->index > leafCount)
          return Fail(error, std::string(name) + ": leaf " + std::to_string(c[k]->index) + " has no distribution");
        if (c[k]->index > 65535 - static_cast<int>(ml::kLeafBase))
          return Fail(error, std::string(name) + ": too many leaves");
        child[k] = static_cast<uint16_t>(ml::kLeafBase + c[k]->index);
      } else {
        if (c[k]->index < 0 || static_cast<size_t>(c[k]->index) >= nodes.size())
          return Fail(error, std::string(name) + ": child names an unknown node");
        uint32_t offset = static_cast<uint32_t>(c[k]->index) * ml::kNodeBytes;
        if (offset > ml::kLeafBase) return Fail(error, std::string(name) + ": tree too large");
        child[k] = static_cast<uint16_t>(offset);
      }
    }
    out.I16(0);
    out.I16(static_cast<int>(questionOffsets[n.question]));
    out.I16(child[0]);
    out.I16(child[1]);
  }
  return true;
}

}  // namespace

std::vector<uint8_t> WriteVoiceModel(const VoiceModelDescription& m, uint32_t payloadPosition, std::string* error) {
  std::vector<uint8_t> data;
  Bytes out(&data);
  const int w = m.windows;
  if (w != 2 && w != 3) return Fail(error, "windows must be 2 or 3"), std::vector<uint8_t>();
  if (m.questions.empty()) return Fail(error, "at least one question is needed"), std::vector<uint8_t>();
  if (m.durations.empty()) return Fail(error, "no duration leaves"), std::vector<uint8_t>();
  for (int s = 0; s < kStates; ++s) {
    if (m.logF0Leaves[s].empty() || m.spectrumLeaves[s].empty())
      return Fail(error, "every state needs log-F0 and spectrum leaves"), std::vector<uint8_t>();
    for (const auto& leaf : m.spectrumLeaves[s])
      if (leaf.size() != static_cast<size_t>(m.order + 1))
        return Fail(error, "a spectrum leaf needs order + 1 dimensions"), std::vector<uint8_t>();
  }

  const int64_t base = payloadPosition;
  out.I32(base);
  out.I32(0);  // tree block offset, patched below
  const size_t descriptors = out.Size();
  for (uint32_t k = 0; k < ml::kStreamCount * ml::kDescriptorBytes; ++k) out.U8(0);

  // Tree block: fixed part, question offsets, questions, nodes.
  const size_t treeBlock = out.Size();
  out.PutI32(ml::kTreeBlockDeltaOffset, static_cast<int64_t>(treeBlock));
  for (uint32_t k = 0; k < ml::kTreeFixedBytes; ++k) out.U8(0);
  const size_t questionCount = m.questions.size();
  out.PutI16(treeBlock + ml::kTreeQuestionCount, static_cast<int>(questionCount));
  const size_t offsetsAt = out.Size();
  for (size_t q = 0; q < questionCount; ++q) out.I16(0);
  std::vector<uint32_t> questionOffsets;
  for (size_t q = 0; q < questionCount; ++q) {
    const Question& question = m.questions[q];
    uint32_t rel = static_cast<uint32_t>(out.Size() - treeBlock);
    if (rel > 32767) return Fail(error, "question area too large"), std::vector<uint8_t>();
    if (question.values.empty() || question.values.size() > 127 || question.test < 0 || question.test > 3 ||
        question.labelByte < 0 || question.labelByte > 63)
      return Fail(error, "question " + std::to_string(q) + " is malformed"), std::vector<uint8_t>();
    std::vector<int> values = question.values;
    if (question.test == ml::kTestMember) std::sort(values.begin(), values.end());
    questionOffsets.push_back(rel);
    out.PutI16(offsetsAt + 2 * q, static_cast<int>(rel));
    out.U8(static_cast<int>(values.size()));
    out.U8((question.test << 6) | question.labelByte);
    for (int v : values) out.U8(v);
  }
  const size_t nodeStart = out.Size();
  struct Root {
    const Tree* tree;
    uint32_t field;  // tree block field of its start (0: the duration tree)
    int leaves;
    const char* name;
  };
  std::vector<Root> roots;
  roots.push_back({&m.duration, 0, static_cast<int>(m.durations.size()), "duration tree"});
  for (int k = 0; k < 3; ++k)
    roots.push_back({&m.phoneDuration[k], ml::kTreePhoneDuration + 4 * k, static_cast<int>(m.phoneDurations[k].size()),
                     "phone-duration tree"});
  for (int s = 0; s < kStates; ++s)
    roots.push_back(
        {&m.spectrum[s], ml::kTreeSpectrum + 4 * s, static_cast<int>(m.spectrumLeaves[s].size()), "spectrum tree"});
  for (int s = 0; s < kStates; ++s)
    roots.push_back({&m.logF0[s], ml::kTreeLogF0 + 4 * s, static_cast<int>(m.logF0Leaves[s].size()), "log-F0 tree"});
  for (const Root& r : roots) {
    if (r.field != 0) out.PutI32(treeBlock + r.field, base + static_cast<int64_t>(out.Size()));
    // A style without phone durations still needs a walkable tree.
    int leaves = r.leaves == 0 && r.tree->nodes.empty() ? 1 : r.leaves;
    if (!WriteTree(*r.tree, r.name, questionCount, leaves, questionOffsets, out, error)) return {};
  }
  out.PutI32(treeBlock + ml::kTreeNodeStart, base + static_cast<int64_t>(nodeStart));
  out.PutI32(treeBlock + ml::kTreeNodeEnd, base + static_cast<int64_t>(out.Size()));

  // Tables, in the order the reader's "runs up to" rules expect.
  int64_t positions[kStreams];
  positions[ml::kStreamDuration] = base + static_cast<int64_t>(out.Size());
  for (const auto& leaf : m.durations)
    for (int16_t v : leaf) out.I16(v);
  positions[ml::kStreamSpectrum] = base + static_cast<int64_t>(out.Size());
  for (int s = 0; s < kStates; ++s)
    for (const auto& leaf : m.spectrumLeaves[s])
      for (const SpectrumDim& d : leaf) {
        out.I16(d.mean);
        out.U8(static_cast<uint8_t>(d.delta));
        if (w == 3) out.U8(static_cast<uint8_t>(d.deltaDelta));
        out.I16(d.precision);
        out.U8(d.deltaPrecision);
        if (w == 3) out.U8(d.deltaDeltaPrecision);
      }
  positions[ml::kStreamLogF0] = base + static_cast<int64_t>(out.Size());
  for (int s = 0; s < kStates; ++s)
    for (const LogF0Leaf& leaf : m.logF0Leaves[s]) {
      for (int k = 0; k < w; ++k) out.I16(leaf.mean[k]);
      out.I16((leaf.unvoiced ? ml::kLogF0UnvoicedFlag : 0) | ((leaf.precision[0] & 0xFFF) << 3));
      for (int k = 1; k < w; ++k) out.I16(leaf.precision[k]);
    }
  positions[ml::kStreamGain] = base + static_cast<int64_t>(out.Size());
  for (int k = 0; k < 3; ++k) {
    positions[ml::kStreamPhoneDuration + k] = base + static_cast<int64_t>(out.Size());
    for (const auto& leaf : m.phoneDurations[k]) {
      out.I16(leaf[0]);
      out.I16(leaf[1]);
    }
  }

  for (int s = 0; s < kStreams; ++s) {
    size_t d = descriptors + s * ml::kDescriptorBytes;
    out.PutI32(d + ml::kDescPosition, positions[s]);
    for (int k = 0; k < 3; ++k) {
      out.PutI16(d + ml::kDescMeanBits + 2 * k, m.bits[s].mean[k]);
      out.PutI16(d + ml::kDescPrecisionBits + 2 * k, m.bits[s].precision[k]);
    }
    int count = 1;
    int leafCounts[kStates] = {0, 0, 0, 0, 0};
    if (s == ml::kStreamDuration) {
      count = kStates;
      leafCounts[0] = static_cast<int>(m.durations.size());
    } else if (s == ml::kStreamSpectrum) {
      count = m.order;
      for (int k = 0; k < kStates; ++k) leafCounts[k] = static_cast<int>(m.spectrumLeaves[k].size());
    } else if (s == ml::kStreamLogF0) {
      count = w;
      for (int k = 0; k < kStates; ++k) leafCounts[k] = static_cast<int>(m.logF0Leaves[k].size());
    } else if (s >= ml::kStreamPhoneDuration) {
      count = static_cast<int>(m.phoneDurations[s - ml::kStreamPhoneDuration].size());
    }
    out.PutI16(d + ml::kDescCount, count);
    for (int k = 0; k < kStates; ++k) out.PutI16(d + ml::kDescLeafCounts + 2 * k, leafCounts[k]);
  }
  return data;
}

std::vector<uint8_t> WriteNameTable(const std::vector<std::string>& names) {
  std::vector<uint8_t> data;
  Bytes out(&data);
  out.I32(static_cast<int64_t>(names.size()));
  for (const std::string& n : names) {
    data.insert(data.end(), n.begin(), n.end());
    data.push_back(0);
  }
  return data;
}

void WriteUnitTable(const std::vector<std::vector<PhoneContext>>& units, std::vector<uint8_t>* index,
                    std::vector<uint8_t>* contexts) {
  index->clear();
  contexts->clear();
  Bytes out(index);
  int next = 0;
  for (const auto& unit : units) {
    // An empty unit is written as an inverted range: no phones.
    out.I16(unit.empty() ? 1 : next);
    out.I16(unit.empty() ? 0 : next + static_cast<int>(unit.size()) - 1);
    for (const PhoneContext& c : unit) contexts->insert(contexts->end(), c.begin(), c.end());
    next += static_cast<int>(unit.size());
  }
}

std::vector<uint8_t> WriteLibrary(const LibraryHeader& header, const std::vector<std::vector<uint8_t>>& sections,
                                  const VoiceModelDescription& model, uint32_t* modelPayloadPosition,
                                  std::string* error) {
  namespace lf = kvo_library;
  std::vector<uint8_t> file(lf::kHeaderBytes, 0);
  std::memcpy(file.data(), lf::kMagic, lf::kMagicBytes);
  Bytes out(&file);
  out.PutI32(lf::kSampleRateOffset, header.sampleRate);
  file[lf::kLanguageOffset] = header.language;
  file[lf::kWindowsOffset] = header.twoWindows;
  file[lf::kVoiceKindOffset] = header.voiceKind;
  for (const auto& payload : sections) {
    size_t at = file.size();
    out.I32(static_cast<int64_t>(at));
    out.I32(static_cast<int64_t>(payload.size() + lf::kSectionHeaderBytes));
    file.insert(file.end(), payload.begin(), payload.end());
  }
  size_t at = file.size();
  uint32_t payloadPosition = static_cast<uint32_t>(at + lf::kSectionHeaderBytes);
  std::vector<uint8_t> payload = WriteVoiceModel(model, payloadPosition, error);
  if (payload.empty()) return {};
  out.I32(static_cast<int64_t>(at));
  out.I32(static_cast<int64_t>(payload.size() + lf::kSectionHeaderBytes));
  file.insert(file.end(), payload.begin(), payload.end());
  if (modelPayloadPosition != nullptr) *modelPayloadPosition = payloadPosition;
  return file;
}

}  // namespace modelwriter
}  // namespace kvo
