// Writes voice model sections and the back-end tables of a voice library
// from a readable description. Shared by the voice trainer, the
// kvo-modelwriter program and the tests; the byte layout comes from the
// engine's voice_model_layout.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "backend/acoustic/voice_model_layout.h"

namespace kvo {
namespace modelwriter {

constexpr int kStates = backend::model_layout::kStateCount;
constexpr int kStreams = backend::model_layout::kStreamCount;

struct Question {
  int test = 3;             // 0 member of values, 1 <=, 2 >=, 3 ==
  int labelByte = 0;        // 0 ... 63
  std::vector<int> values;  // signed bytes; sorted for membership
};

// A child is either a node of the same tree or a leaf number (from 1).
struct Child {
  bool leaf = true;
  int index = 1;
  static Child Node(int i) { return Child{false, i}; }
  static Child Leaf(int n) { return Child{true, n}; }
};

struct TreeNode {
  int question = 0;  // index into VoiceModelDescription::questions
  Child yes;
  Child no;
};

// Node 0 is the root. A tree with no nodes is written as one node whose
// both answers are leaf 1.
struct Tree {
  std::vector<TreeNode> nodes;
};

struct StreamBits {
  int mean[3] = {0, 0, 0};  // static, delta, delta-delta
  int precision[3] = {0, 0, 0};
};

struct LogF0Leaf {
  bool unvoiced = false;
  int mean[3] = {0, 0, 0};
  int precision[3] = {0, 0, 0};  // precision[0] is 12 bits (0 ... 4095)
};

struct SpectrumDim {
  uint16_t mean = 0;
  int8_t delta = 0;
  int8_t deltaDelta = 0;
  uint16_t precision = 0;  // stored doubled, as in the file
  uint8_t deltaPrecision = 0;
  uint8_t deltaDeltaPrecision = 0;
};

struct VoiceModelDescription {
  int windows = 3;
  int order = 20;
  std::vector<Question> questions;
  Tree duration;
  Tree phoneDuration[3];
  Tree spectrum[kStates];
  Tree logF0[kStates];
  // Stream order: durations, spectrum, log-F0, gain, phone durations 0-2.
  StreamBits bits[kStreams];
  std::vector<std::array<int16_t, 10>> durations;  // 5 means, 5 variances
  std::vector<std::array<int16_t, 2>> phoneDurations[3];
  std::vector<LogF0Leaf> logF0Leaves[kStates];
  std::vector<std::vector<SpectrumDim>> spectrumLeaves[kStates];  // order + 1 dims each
};

// The model section payload for a payload that starts at file position
// `payloadPosition`. Empty with *error set when the description is
// inconsistent (unknown question, leaf without distribution, ...).
std::vector<uint8_t> WriteVoiceModel(const VoiceModelDescription& model, uint32_t payloadPosition, std::string* error);

// A name table section: u32 count, then NUL-terminated names.
std::vector<uint8_t> WriteNameTable(const std::vector<std::string>& names);

// A unit table: per unit its five-byte phone contexts. Produces the index
// section (u16 first, u16 last per unit) and the context section.
using PhoneContext = std::array<uint8_t, 5>;
void WriteUnitTable(const std::vector<std::vector<PhoneContext>>& units, std::vector<uint8_t>* index,
                    std::vector<uint8_t>* contexts);

// Section numbers of the tables this writer produces.
constexpr int kSectionVoicing = 12;
constexpr int kSectionLetterIndex = 14;
constexpr int kSectionLetterContexts = 15;
constexpr int kSectionGreekIndex = 16;
constexpr int kSectionGreekContexts = 17;
constexpr int kSectionChineseModel = 19;

struct LibraryHeader {
  int32_t sampleRate = 16000;
  uint8_t language = 0;    // header byte 28: 0 Chinese, 1 English
  uint8_t twoWindows = 0;  // header byte 29
  uint8_t voiceKind = 0;   // header byte 31: 1 for six-tone voices
};

// A whole library: header and the chained sections 1 ... count, section
// `modelSection` (the last) holding `model`. `sections[k]` is the payload
// of section k + 1 (empty for an absent one). Returns the file bytes and
// sets *modelPayloadPosition.
std::vector<uint8_t> WriteLibrary(const LibraryHeader& header, const std::vector<std::vector<uint8_t>>& sections,
                                  const VoiceModelDescription& model, uint32_t* modelPayloadPosition,
                                  std::string* error);

}  // namespace modelwriter
}  // namespace kvo
