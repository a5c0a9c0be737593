#include "test_voice_model.h"

#include <algorithm>
#include <cmath>

#include "backend/acoustic/voice_model.h"

namespace kvo::testmodel {

namespace mw = modelwriter;

namespace {

constexpr int kToneLabelByte = 9;
constexpr int kPhoneLabelByte = 2;
constexpr int kVoicingLabelByte = 53;
// Stored log-gain means (larger is quieter): excitation gains of about
// 11 for vowels, 9 for voiceless consonants and 5 for pauses.
constexpr uint16_t kVowelGain = 13400;
constexpr uint16_t kConsonantGain = 13800;
constexpr uint16_t kPauseGain = 15000;

int16_t LogF0(double hz) { return static_cast<int16_t>(std::lround(std::log(hz) * 4096.0)); }

// F0 per state (five states) for tones 1 ... 5.
const double kToneContour[5][5] = {
    {250, 250, 250, 250, 250},  // high level
    {170, 185, 205, 230, 255},  // rising
    {170, 150, 135, 145, 175},  // low dipping
    {280, 255, 220, 190, 165},  // falling
    {200, 195, 190, 185, 180},  // neutral
};

// Line spectral frequencies (units of pi/65536) with close pairs at the
// formants of an open vowel and the rest spread between them.
std::vector<uint16_t> VowelLsf(int order, int rate) {
  const double nyquist = rate / 2.0;
  const double formants[] = {700, 1200, 2600, 3400};
  std::vector<double> hz;
  for (double f : formants) {
    if (f + 110 >= nyquist * 0.9) continue;
    hz.push_back(f - 110);
    hz.push_back(f + 110);
  }
  // Fill the rest evenly over the band, away from the pairs.
  const int rest = order - static_cast<int>(hz.size());
  for (int k = 1; k <= rest; ++k) {
    double f = nyquist * k / (rest + 1);
    for (double g : formants)
      if (std::fabs(f - g) < 250) f = g + (f < g ? -250 : 250);
    hz.push_back(f);
  }
  std::sort(hz.begin(), hz.end());
  std::vector<uint16_t> out;
  for (double f : hz) out.push_back(static_cast<uint16_t>(std::lround(f / nyquist * 65536.0)));
  for (size_t k = 1; k < out.size(); ++k)
    if (out[k] <= out[k - 1]) out[k] = static_cast<uint16_t>(out[k - 1] + 200);
  return out;
}

std::vector<uint16_t> EvenLsf(int order) {
  std::vector<uint16_t> out;
  for (int j = 1; j <= order; ++j) out.push_back(static_cast<uint16_t>(j * 65536 / (order + 1)));
  return out;
}

std::vector<mw::SpectrumDim> SpectrumLeaf(uint16_t gain, const std::vector<uint16_t>& lsf) {
  std::vector<mw::SpectrumDim> leaf(lsf.size() + 1);
  leaf[0].mean = gain;
  leaf[0].precision = 400;
  leaf[0].deltaPrecision = 50;
  leaf[0].deltaDeltaPrecision = 20;
  for (size_t j = 0; j < lsf.size(); ++j) {
    leaf[j + 1].mean = lsf[j];
    leaf[j + 1].precision = 600;
    leaf[j + 1].deltaPrecision = 80;
    leaf[j + 1].deltaDeltaPrecision = 30;
  }
  return leaf;
}

}  // namespace

mw::VoiceModelDescription VowelVoiceModel(int order, int rate) {
  using kvo::backend::model_layout::kTestEqual;
  using kvo::backend::model_layout::kTestMember;
  mw::VoiceModelDescription m;
  m.windows = 3;
  m.order = order;
  m.questions.push_back({kTestMember, kPhoneLabelByte, {kEnglishPausePhone, kPausePhone}});           // q0 pause
  m.questions.push_back({kTestEqual, kVoicingLabelByte, {0}});                                        // q1 voiceless
  for (int tone = 1; tone <= 4; ++tone) m.questions.push_back({kTestEqual, kToneLabelByte, {tone}});  // q2..q5
  m.bits[0] = {{9, 0, 0}, {0, 0, 0}};
  m.bits[1] = {{16, 8, 8}, {1, 0, 0}};
  m.bits[2] = {{12, 12, 12}, {3, 0, 0}};
  m.bits[3] = {{0, 0, 0}, {1, 0, 0}};
  for (int k = 0; k < 3; ++k) m.bits[4 + k] = {{9, 0, 0}, {0, 0, 0}};

  // Durations in frames per state (9 fractional bits): pauses, voiceless
  // consonants, voiced phones.
  const int frames[3][5] = {{4, 4, 4, 4, 4}, {2, 2, 3, 2, 1}, {4, 6, 8, 6, 4}};
  m.duration.nodes = {{0, mw::Child::Leaf(1), mw::Child::Node(1)}, {1, mw::Child::Leaf(2), mw::Child::Leaf(3)}};
  for (const auto& f : frames) {
    std::array<int16_t, 10> leaf{};
    for (int s = 0; s < 5; ++s) {
      leaf[s] = static_cast<int16_t>(f[s] * 512);
      leaf[5 + s] = static_cast<int16_t>(2 + s);
    }
    m.durations.push_back(leaf);
  }
  // Voice styles, as the trained voice has them: normal keeps the model's
  // timing (the largest variance), plain pulls hard towards a quarter
  // slower, vivid towards half the length.
  const int styleQuarters[3] = {4, 5, 2};
  const int16_t styleVariance[3] = {32767, 4, 4};
  for (int k = 0; k < 3; ++k) {
    m.phoneDuration[k].nodes = {{0, mw::Child::Leaf(1), mw::Child::Leaf(2)}};
    m.phoneDurations[k] = {{static_cast<int16_t>(20 * 512 * styleQuarters[k] / 4), styleVariance[k]},
                           {static_cast<int16_t>(28 * 512 * styleQuarters[k] / 4), styleVariance[k]}};
  }

  const std::vector<uint16_t> vowel = VowelLsf(order, rate);
  const std::vector<uint16_t> flat = EvenLsf(order);
  for (int s = 0; s < 5; ++s) {
    // Log-F0: pauses and voiceless consonants unvoiced, else by tone.
    m.logF0[s].nodes = {{0, mw::Child::Leaf(1), mw::Child::Node(1)}, {1, mw::Child::Leaf(1), mw::Child::Node(2)},
                        {2, mw::Child::Leaf(2), mw::Child::Node(3)}, {3, mw::Child::Leaf(3), mw::Child::Node(4)},
                        {4, mw::Child::Leaf(4), mw::Child::Node(5)}, {5, mw::Child::Leaf(5), mw::Child::Leaf(6)}};
    mw::LogF0Leaf unvoiced;
    unvoiced.unvoiced = true;
    unvoiced.mean[0] = LogF0(200);
    unvoiced.precision[0] = 800;
    unvoiced.precision[1] = 300;
    unvoiced.precision[2] = 100;
    m.logF0Leaves[s].push_back(unvoiced);
    for (int tone = 0; tone < 5; ++tone) {
      mw::LogF0Leaf voiced = unvoiced;
      voiced.unvoiced = false;
      voiced.mean[0] = LogF0(kToneContour[tone][s]);
      m.logF0Leaves[s].push_back(voiced);
    }
    // Spectrum: pauses quiet, voiceless consonants flat, voiced phones vowel-like.
    m.spectrum[s].nodes = {{0, mw::Child::Leaf(1), mw::Child::Node(1)}, {1, mw::Child::Leaf(2), mw::Child::Leaf(3)}};
    m.spectrumLeaves[s].push_back(SpectrumLeaf(kPauseGain, flat));
    m.spectrumLeaves[s].push_back(SpectrumLeaf(kConsonantGain, flat));
    m.spectrumLeaves[s].push_back(SpectrumLeaf(kVowelGain, vowel));
  }
  return m;
}

std::vector<uint8_t> VowelVoiceModelPayload(const std::vector<std::vector<uint8_t>>& sectionsBefore, int rate,
                                            std::string* error) {
  uint32_t position = 64;
  for (const std::vector<uint8_t>& s : sectionsBefore) position += 8 + static_cast<uint32_t>(s.size());
  position += 8;
  const int order = backend::SpectralOrderForRate(rate);
  return mw::WriteVoiceModel(VowelVoiceModel(order, rate), position, error);
}

std::vector<uint8_t> CharacterLexicon(const std::vector<std::pair<uint32_t, uint16_t>>& readings) {
  // The index holds one 32-bit block offset per character; a block is the
  // character's default unit code and no words. Characters without a
  // reading get an empty block.
  constexpr uint32_t kCharacters = 6768;
  constexpr uint32_t kIndexBytes = kCharacters * 4;
  std::vector<uint16_t> reading(kCharacters, 0);
  std::vector<bool> has(kCharacters, false);
  for (const auto& r : readings) {
    if (r.first < kCharacters) {
      reading[r.first] = r.second;
      has[r.first] = true;
    }
  }
  std::vector<uint8_t> out(kIndexBytes, 0);
  uint32_t offset = kIndexBytes;
  for (uint32_t k = 0; k < kCharacters; ++k) {
    for (int b = 0; b < 4; ++b) out[4 * k + static_cast<uint32_t>(b)] = static_cast<uint8_t>(offset >> (8 * b));
    if (has[k]) {
      out.push_back(static_cast<uint8_t>(reading[k] & 0xFF));
      out.push_back(static_cast<uint8_t>(reading[k] >> 8));
      offset += 2;
    }
  }
  return out;
}

}  // namespace kvo::testmodel
