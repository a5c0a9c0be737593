// Leaf statistics to model fields: the units and fractional bits the
// engine's generator reads (docs/voice-model-format.md).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "train/model_quantiser.h"

namespace {

using voicetrain::LeafMoments;
using voicetrain::Moments;
namespace mw = kvo::modelwriter;

// Moments of values drawn evenly from mean +- spread.
Moments Of(double mean, double spread, int n = 50) {
  Moments m;
  for (int i = 0; i < n; ++i) m.Add(mean + spread * (2.0 * i / (n - 1) - 1.0));
  return m;
}

TEST(VoicetrainQuantiser, DurationsInFramesTimes512) {
  LeafMoments leaf(5);
  const double frames[5] = {2, 3.5, 10, 4, 0.2};
  for (int s = 0; s < 5; ++s) leaf.At(s, 0) = Of(frames[s], 0.5);
  mw::VoiceModelDescription model;
  voicetrain::QuantiseDurations({leaf}, &model);
  ASSERT_EQ(model.durations.size(), 1u);
  EXPECT_EQ(model.bits[0].mean[0], 9);
  EXPECT_EQ(model.durations[0][0], 1024);
  EXPECT_EQ(model.durations[0][1], 1792);
  EXPECT_EQ(model.durations[0][2], 5120);
  EXPECT_EQ(model.durations[0][4], 512);  // at least one frame
  for (int s = 0; s < 5; ++s) EXPECT_GE(model.durations[0][5 + s], 1);
  for (int style = 0; style < 3; ++style) ASSERT_EQ(model.phoneDurations[style].size(), 1u);
  // Normal keeps the model's timing (the weakest pull); plain is longer
  // and pulled hardest, vivid shorter and pulled in between.
  const auto& normal = model.phoneDurations[0][0];
  const auto& plain = model.phoneDurations[1][0];
  const auto& vivid = model.phoneDurations[2][0];
  EXPECT_NEAR(normal[0] / 64.0, 19.7, 0.1);  // the phone's frames
  EXPECT_EQ(normal[1], 32767);
  EXPECT_EQ(plain[0], normal[0] * 11 / 10);
  EXPECT_EQ(vivid[0], normal[0] * 9 / 10);
  EXPECT_LT(plain[1], vivid[1]);
  EXPECT_LT(vivid[1], normal[1]);
}

TEST(VoicetrainQuantiser, SpectrumMeansDeltasAndPrecisions) {
  // Two leaves of a 2-dimensional spectrum (gain + 2 LSFs).
  mw::VoiceModelDescription model;
  model.order = 2;
  LeafMoments global(3);
  std::vector<std::vector<LeafMoments>> leaves(5);
  for (int s = 0; s < 5; ++s) {
    for (int l = 0; l < 2; ++l) {
      LeafMoments leaf(3);
      leaf.At(0, 0) = Of(8000 + 1000 * l, 300);  // log-gain value v
      leaf.At(0, 1) = Of(160, 40);               // v rising: the level falls
      leaf.At(0, 2) = Of(0, 30);
      leaf.At(1, 0) = Of(12000 + 500 * l, 400);
      leaf.At(1, 1) = Of(-320, 100);
      leaf.At(1, 2) = Of(0, 50);
      leaf.At(2, 0) = Of(30000, 100 + 900 * l);
      leaf.At(2, 1) = Of(0, 60);
      leaf.At(2, 2) = Of(0, 60);
      leaves[s].push_back(leaf);
    }
  }
  for (int d = 0; d < 3; ++d)
    for (int k = 0; k < 3; ++k) global.At(d, k) = Of(0, 500);  // floors below every leaf
  voicetrain::QuantiseSpectrum(leaves, global, &model);
  ASSERT_EQ(model.spectrumLeaves[0].size(), 2u);
  const auto& gain = model.spectrumLeaves[0][1][0];
  const auto& line = model.spectrumLeaves[0][1][1];
  EXPECT_EQ(gain.mean, 9000);
  EXPECT_EQ(gain.delta, -10);  // deltas describe -v, in units of 16
  EXPECT_EQ(line.mean, 12500);
  EXPECT_EQ(line.delta, -20);
  // The steadier leaf of dimension 2 fills the static field; the other
  // is (1000/100)^2 less precise.
  const auto& steady = model.spectrumLeaves[0][0][2];
  const auto& loose = model.spectrumLeaves[0][1][2];
  EXPECT_NEAR(steady.precision, 60000, 1);
  EXPECT_NEAR(double(steady.precision) / loose.precision, 100.0, 2.0);
  // Delta precisions use their field without overflowing it.
  int largest = 0;
  for (const auto& leaf : model.spectrumLeaves[0])
    for (const auto& dim : leaf) largest = std::max<int>(largest, dim.deltaPrecision);
  EXPECT_GT(largest, 127);
  for (int stream : {1, 3}) {
    EXPECT_EQ(model.bits[stream].mean[0], 16);
    EXPECT_GE(model.bits[stream].precision[1], 0);
    EXPECT_LE(model.bits[stream].precision[1], 24);
  }
}

TEST(VoicetrainQuantiser, DegenerateLeavesKeepEveryPrecisionUsable) {
  // A leaf of one frame (no variance) and a constant leaf: the floor at 1%
  // of the global variance keeps them from taking the whole range, so the
  // ordinary leaf's precision does not round to 0.
  mw::VoiceModelDescription model;
  model.order = 2;
  LeafMoments global(3);
  for (int d = 0; d < 3; ++d)
    for (int k = 0; k < 3; ++k) global.At(d, k) = Of(0, 3000);
  std::vector<std::vector<LeafMoments>> leaves(5);
  for (int s = 0; s < 5; ++s) {
    LeafMoments single(3), constant(3), ordinary(3);
    for (int d = 0; d < 3; ++d) {
      single.At(d, 0).Add(20000);
      constant.At(d, 0) = Of(20000, 0.0);
      ordinary.At(d, 0) = Of(20000, 1500);
    }
    leaves[s] = {single, constant, ordinary};
  }
  voicetrain::QuantiseSpectrum(leaves, global, &model);
  for (const auto& leaf : model.spectrumLeaves[4])
    for (const auto& dim : leaf) EXPECT_GE(dim.precision, 2);
  EXPECT_LT(model.spectrumLeaves[4][0][1].precision, model.spectrumLeaves[4][1][1].precision);  // global variance
}

TEST(VoicetrainQuantiser, LogF0VoicingAndUnits) {
  mw::VoiceModelDescription model;
  std::vector<std::vector<LeafMoments>> leaves(5);
  std::vector<std::vector<double>> share(5);
  const double ln150 = std::log(150.0) * 4096;
  for (int s = 0; s < 5; ++s) {
    LeafMoments voiced(1), empty(1);
    voiced.At(0, 0) = Of(ln150, 200);
    voiced.At(0, 1) = Of(40, 20);
    voiced.At(0, 2) = Of(0, 10);
    leaves[s] = {voiced, empty, voiced};
    share[s] = {0.9, 0.0, 0.3};
  }
  std::vector<Moments> global = {Of(ln150, 1500), Of(0, 60), Of(0, 30)};
  voicetrain::QuantiseLogF0(leaves, share, global, &model);
  ASSERT_EQ(model.logF0Leaves[2].size(), 3u);
  const auto& v = model.logF0Leaves[2][0];
  EXPECT_FALSE(v.unvoiced);
  EXPECT_EQ(v.mean[0], static_cast<int>(std::lround(ln150)));
  EXPECT_EQ(v.mean[1], 640);  // delta in ln x 65536
  EXPECT_GE(v.precision[0], 1);
  EXPECT_LE(v.precision[0], 4095);
  EXPECT_TRUE(model.logF0Leaves[2][1].unvoiced);  // no voiced frames
  EXPECT_EQ(model.logF0Leaves[2][1].precision[0], 1);
  EXPECT_TRUE(model.logF0Leaves[2][2].unvoiced);  // mostly unvoiced
  EXPECT_EQ(model.bits[2].mean[0], 12);
}

}  // namespace
