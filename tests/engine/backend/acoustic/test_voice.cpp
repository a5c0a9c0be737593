#include "test_voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "backend/acoustic/voice_model.h"
#include "backend/labels/context_label.h"
#include "backend/labels/phone_list.h"
#include "core/library_format.h"

namespace kvo {
namespace testvoice {

namespace mw = modelwriter;
using backend::ReadI32;

const int kPhoneStateFrames[5] = {2, 3, 4, 3, 1};

namespace {

const std::vector<std::string> kSyllables = {"a",  "ba",  "ma",  "shi", "zhong", "guo",
                                             "yu", "wen", "jun", "si",  "yo",    "m"};
const std::vector<std::string> kInitials = {"zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l",
                                            "g",  "k",  "h",  "j", "q", "x", "r", "z", "c", "s"};
const std::vector<std::string> kFinals = {"a", "i", "ong", "uo", "v", "un", "vn", "iu", "ei"};
// Phone table: "0", "pau", the initials, then the finals.
std::vector<std::string> PhoneNames() {
  std::vector<std::string> p = {"0", "pau"};
  p.insert(p.end(), kInitials.begin(), kInitials.end());
  p.insert(p.end(), kFinals.begin(), kFinals.end());
  return p;
}

std::vector<uint8_t> Voicing(const std::vector<std::string>& phones) {
  std::vector<uint8_t> v;
  for (const std::string& p : phones) {
    if (p == "0" || p == "pau")
      v.push_back(3);
    else if (p == "m" || p == "n" || p == "l" || p == "r")
      v.push_back(1);
    else if (std::find(kInitials.begin(), kInitials.end(), p) != kInitials.end())
      v.push_back(0);
    else
      v.push_back(1);
  }
  return v;
}

int Index(const std::vector<std::string>& names, const std::string& n) {
  return static_cast<int>(std::find(names.begin(), names.end(), n) - names.begin());
}

struct Section {
  const uint8_t* data;
  uint32_t size;
  uint32_t position;
};

std::vector<Section> WalkChain(const std::vector<uint8_t>& file) {
  std::vector<Section> out;
  size_t at = 64;
  while (at + 8 <= file.size()) {
    uint32_t size = static_cast<uint32_t>(ReadI32(&file[at + 4]));
    out.push_back({&file[at + 8], size - 8, static_cast<uint32_t>(at + 8)});
    at += size;
  }
  return out;
}

}  // namespace

mw::VoiceModelDescription MakeModel(int windows, int order) {
  const std::vector<std::string> phones = PhoneNames();
  const int pau = Index(phones, "pau");
  mw::VoiceModelDescription m;
  m.windows = windows;
  m.order = order;
  // q0: centre phone is a pause (Chinese or English id); q1: centre phone
  // voiceless; q2: centre phone is the voiced final "a" (letter units).
  m.questions.push_back({backend::model_layout::kTestMember, 2, {pau, backend::kEnglishPau}});
  m.questions.push_back({backend::model_layout::kTestEqual, backend::kLabelVoicing, {0}});
  m.questions.push_back({backend::model_layout::kTestAtLeast, 2, {100}});
  m.bits[0] = {{9, 0, 0}, {0, 0, 0}};
  m.bits[1] = {{16, 8, 8}, {1, 0, 0}};
  m.bits[2] = {{12, 12, 12}, {3, 0, 0}};
  m.bits[3] = {{0, 0, 0}, {1, 0, 0}};
  for (int k = 0; k < 3; ++k) m.bits[4 + k] = {{9, 0, 0}, {0, 0, 0}};

  // Durations: leaf 1 pauses, leaf 2 other phones (means in 9 fractional bits).
  m.duration.nodes = {{0, mw::Child::Leaf(1), mw::Child::Leaf(2)}};
  std::array<int16_t, 10> pauseLeaf{}, phoneLeaf{};
  for (int s = 0; s < 5; ++s) {
    pauseLeaf[s] = static_cast<int16_t>(kPauseStateFrames * 512);
    phoneLeaf[s] = static_cast<int16_t>(kPhoneStateFrames[s] * 512);
    pauseLeaf[5 + s] = 1;
    phoneLeaf[5 + s] = static_cast<int16_t>(2 + s);
  }
  m.durations = {pauseLeaf, phoneLeaf};
  // Phone durations: style 0 slow (twice the state sum), 1 as modelled, 2 fast.
  for (int k = 0; k < 3; ++k) {
    m.phoneDuration[k].nodes = {{0, mw::Child::Leaf(1), mw::Child::Leaf(2)}};
    int factor[3] = {4, 2, 1};
    m.phoneDurations[k] = {{static_cast<int16_t>(5 * kPauseStateFrames * 512 * factor[k] / 2), 4},
                           {static_cast<int16_t>(13 * 512 * factor[k] / 2), 4}};
  }
  for (int s = 0; s < 5; ++s) {
    // Log-F0: leaf 1 voiced, leaf 2 flagged unvoiced.
    m.logF0[s].nodes = {{1, mw::Child::Leaf(2), mw::Child::Leaf(1)}};
    mw::LogF0Leaf voiced;
    voiced.mean[0] = kVoicedLogF0 + 400 * (s - 2);
    voiced.precision[0] = 800;
    voiced.precision[1] = 300;
    voiced.precision[2] = 100;
    mw::LogF0Leaf unvoiced = voiced;
    unvoiced.unvoiced = true;
    m.logF0Leaves[s] = {voiced, unvoiced};
    // Spectrum: leaf 1 ordinary phones, leaf 2 pauses (lower gain).
    m.spectrum[s].nodes = {{0, mw::Child::Leaf(2), mw::Child::Leaf(1)}};
    for (int leafNo = 0; leafNo < 2; ++leafNo) {
      std::vector<mw::SpectrumDim> leaf(static_cast<size_t>(order + 1));
      leaf[0].mean = static_cast<uint16_t>(leafNo == 0 ? kGainMean : kGainMean + 1024);
      leaf[0].precision = 400;
      leaf[0].deltaPrecision = 50;
      leaf[0].deltaDeltaPrecision = 20;
      for (int j = 1; j <= order; ++j) {
        leaf[j].mean = static_cast<uint16_t>(j * kLsfStep + (leafNo == 0 ? 100 * s : 0));
        leaf[j].precision = 600;
        leaf[j].deltaPrecision = 80;
        leaf[j].deltaDeltaPrecision = 30;
      }
      m.spectrumLeaves[s].push_back(leaf);
    }
  }
  return m;
}

Voice::Voice(int windows, int sampleRate, Tweak tweak) {
  const std::vector<std::string> phones = PhoneNames();
  std::vector<std::vector<uint8_t>> sections(18);
  sections[7] = mw::WriteNameTable(kSyllables);
  sections[8] = mw::WriteNameTable(kInitials);
  sections[9] = mw::WriteNameTable(kFinals);
  sections[10] = mw::WriteNameTable(phones);
  sections[11] = Voicing(phones);
  auto id = [&](const char* n) { return static_cast<uint8_t>(Index(phones, n)); };
  const uint8_t zero = id("0");
  // Letter A: "ei" alone; letter B: "b" "i"; Greek alpha: "a" "l" "f" "a".
  std::vector<std::vector<mw::PhoneContext>> letters(51), greek(51);
  letters[0] = {{zero, zero, id("ei"), zero, zero}};
  letters[1] = {{zero, zero, id("b"), id("i"), zero}, {zero, id("b"), id("i"), zero, zero}};
  greek[0] = {{zero, zero, id("a"), id("l"), id("f")},
              {zero, id("a"), id("l"), id("f"), id("a")},
              {id("a"), id("l"), id("f"), id("a"), zero},
              {id("l"), id("f"), id("a"), zero, zero}};
  mw::WriteUnitTable(letters, &sections[13], &sections[14]);
  mw::WriteUnitTable(greek, &sections[15], &sections[16]);

  mw::LibraryHeader header;
  header.sampleRate = sampleRate;
  header.twoWindows = windows == 2 ? 1 : 0;
  const int order = backend::SpectralOrderForRate(sampleRate);
  std::string error;
  mw::VoiceModelDescription description = MakeModel(windows, order);
  if (tweak != nullptr) tweak(description);
  file = mw::WriteLibrary(header, sections, description, &modelPosition, &error);
  EXPECT_FALSE(file.empty()) << error;
  if (file.empty()) return;

  arenaBlock.resize(4u << 20);
  arena = backend::ScratchArena(arenaBlock.data(), arenaBlock.size());
  std::vector<Section> chain = WalkChain(file);
  EXPECT_EQ(chain.size(), 19u);
  symbols.tones = file[31] == 1 ? 6 : 5;
  EXPECT_TRUE(backend::ParseNameTable(chain[7].data, chain[7].size, arena, &symbols.syllables));
  EXPECT_TRUE(backend::ParseNameTable(chain[8].data, chain[8].size, arena, &symbols.initials));
  EXPECT_TRUE(backend::ParseNameTable(chain[9].data, chain[9].size, arena, &symbols.finals));
  EXPECT_TRUE(backend::ParseNameTable(chain[10].data, chain[10].size, arena, &symbols.phones));
  symbols.voicing = chain[11].data;
  symbols.voicingCount = static_cast<int>(chain[11].size);
  EXPECT_TRUE(
      backend::ParseUnitTable(chain[13].data, chain[13].size, chain[14].data, chain[14].size, &symbols.letters));
  EXPECT_TRUE(backend::ParseUnitTable(chain[15].data, chain[15].size, chain[16].data, chain[16].size, &symbols.greek));
  const Section& model = chain[18];
  EXPECT_EQ(model.position, modelPosition);
  backend::ModelSource source = backend::MakeMemorySource(model.data, model.size, model.position);
  const int modelWindows = file[kvo_library::kWindowsOffset] != 0 ? 2 : 3;
  EXPECT_EQ(backend::LoadVoiceModel(source, modelWindows, order, arena, &chinese), backend::AcousticStatus::kOk);
  EXPECT_EQ(backend::LoadVoiceModel(source, modelWindows, order, arena, &english), backend::AcousticStatus::kOk);
  voice.symbols = &symbols;
  voice.chinese = &chinese;
  voice.english = &english;
  voice.order = order;
}

uint8_t Voice::Phone(const char* name) const { return backend::PhoneId(symbols, name); }

uint16_t Voice::Code(const char* syllable, int tone) const {
  int s = backend::FindName(symbols.syllables, syllable);
  EXPECT_GE(s, 0) << syllable;
  return static_cast<uint16_t>(s * symbols.tones + tone - 1);
}

AnalysisItem Syllable(uint16_t code, int posInWord, int wordLength, int phraseIndex, int phraseCount) {
  AnalysisItem a;
  std::memset(&a, 0, sizeof(a));
  a.unit = code;
  a.character = 0xBBD2;
  a.position_in_prosodic_word = static_cast<uint8_t>(posInWord);
  a.prosodic_word_length = static_cast<uint8_t>(wordLength);
  a.phrase_index = static_cast<uint8_t>(phraseIndex);
  a.phrase_count = static_cast<uint8_t>(phraseCount);
  a.flags = posInWord == 0 ? kItemFlagProsodicWordStart : 0;
  return a;
}

AnalysisItem Pause(uint16_t code, int pauseMs) {
  AnalysisItem a;
  std::memset(&a, 0, sizeof(a));
  a.unit = code;
  a.character = 0xA3AC;
  a.flags = kItemFlagPause;
  a.pause_length = static_cast<int16_t>(pauseMs);
  return a;
}

AnalysisItem English(int phone, int phraseIndex, int phraseCount) {
  AnalysisItem a;
  std::memset(&a, 0, sizeof(a));
  a.character = 'a';
  a.flags = kItemFlagTerminator;
  a.language = kItemLanguageEnglish;
  a.label_count = 1;
  a.phrase_index = static_cast<uint8_t>(phraseIndex);
  a.phrase_count = static_cast<uint8_t>(phraseCount);
  std::memset(a.context, 0xFF, sizeof(a.context));
  a.context[0] = a.context[1] = a.context[3] = a.context[4] = 0;
  a.context[2] = static_cast<int8_t>(phone);
  return a;
}

}  // namespace testvoice
}  // namespace kvo
