#include "train/model_quantiser.h"

#include <algorithm>
#include <cmath>

namespace voicetrain {

namespace mw = kvo::modelwriter;

namespace {

constexpr int kStreamDuration = 0, kStreamSpectrum = 1, kStreamLogF0 = 2, kStreamGain = 3;
constexpr int kPrecisionBits = 24;
constexpr double kStaticSpectrumPrecision = 30000.0;  // u16 field holds it doubled
constexpr double kStaticLogF0Precision = 4000.0;      // 12-bit field

long Clamp(double v, long lo, long hi) { return std::clamp(std::lround(v), lo, hi); }

double Floored(const Moments& m, double globalVariance) {
  const double floor = std::max(kVarianceFloor * globalVariance, 1e-6);
  if (m.n < 2) return std::max(globalVariance, floor);
  return std::max(m.Variance(), floor);
}

// Smallest shift s >= 0 with value / 2^s <= limit.
int ShiftFor(double value, double limit) {
  int s = 0;
  while (s < 23 && value / std::ldexp(1.0, s) > limit) ++s;
  return s;
}

}  // namespace

void QuantiseDurations(const std::vector<LeafMoments>& leaves, mw::VoiceModelDescription* model) {
  model->bits[kStreamDuration] = mw::StreamBits{{9, 0, 0}, {2, 0, 0}};
  model->durations.clear();
  double phoneMean = 0.0, phoneVar = 0.0, weight = 0.0;
  for (const LeafMoments& leaf : leaves) {
    std::array<int16_t, 10> d{};
    double sumMean = 0.0, sumVar = 0.0;
    for (int s = 0; s < 5; ++s) {
      const Moments& m = leaf.At(s, 0);
      d[s] = static_cast<int16_t>(Clamp(m.Mean() * 512.0, 512, 32767));
      d[5 + s] = static_cast<int16_t>(Clamp(std::max(m.Variance(), 0.25) * 4.0, 1, 32767));
      sumMean += m.Mean();
      sumVar += m.Variance();
    }
    model->durations.push_back(d);
    phoneMean += sumMean * leaf.At(0, 0).n;
    phoneVar += sumVar * leaf.At(0, 0).n;
    weight += leaf.At(0, 0).n;
  }
  // Voice styles: one leaf each (styles are not trained from this corpus).
  // The engine pulls every phone's length towards its style's leaf, the
  // harder the smaller the leaf's variance is against the phone's own.
  // Normal: the largest variance, so the model's own timing stays.
  // Plain: a tenth longer than the average phone with the average
  // variance (slower and even). Vivid: a tenth shorter with ten times it
  // (brisker, halfway towards even). Plain and vivid are derived from the
  // quantised average, so that they keep their proportions.
  if (weight > 0) {
    phoneMean /= weight;
    phoneVar /= weight;
  }
  const long mean = Clamp(phoneMean * 64.0, 64, 32767);
  const long variance = Clamp(std::max(phoneVar, 1.0), 1, 32767);
  const long styleLeaves[3][2] = {
      {mean, 32767}, {std::min(mean * 11 / 10, 32767L), variance}, {mean * 9 / 10, std::min(variance * 10, 32767L)}};
  for (int style = 0; style < 3; ++style) {
    model->bits[4 + style] = mw::StreamBits{{6, 0, 0}, {0, 0, 0}};
    model->phoneDurations[style] = {
        {static_cast<int16_t>(styleLeaves[style][0]), static_cast<int16_t>(styleLeaves[style][1])}};
    model->phoneDuration[style] = mw::Tree();
  }
}

void QuantiseLogF0(const std::vector<std::vector<LeafMoments>>& leaves,
                   const std::vector<std::vector<double>>& voicedShare, const std::vector<Moments>& global,
                   mw::VoiceModelDescription* model) {
  // Solver units are ln(Hz) x 1024: static stored / 4, deltas stored / 64.
  const double toSolver = 1.0 / 16.0;  // variance from (x 4096)^2 to (x 1024)^2
  double minStatic = 1e300;
  for (const auto& state : leaves)
    for (const LeafMoments& leaf : state)
      if (leaf.At(0, 0).n > 0) minStatic = std::min(minStatic, Floored(leaf.At(0, 0), global[0].Variance()) * toSolver);
  if (minStatic == 1e300) minStatic = 1.0;
  const double scale = kStaticLogF0Precision * minStatic;
  double largest[3] = {0, 0, 0};
  for (const auto& state : leaves)
    for (const LeafMoments& leaf : state)
      for (int k = 1; k < 3; ++k)
        if (leaf.At(0, 0).n > 0)
          largest[k] = std::max(largest[k], scale / (Floored(leaf.At(0, k), global[k].Variance()) * toSolver));
  int shift[3] = {0, ShiftFor(largest[1], 65535.0), ShiftFor(largest[2], 65535.0)};
  model->bits[kStreamLogF0] =
      mw::StreamBits{{12, 16, 16}, {kPrecisionBits, kPrecisionBits - 3 - shift[1], kPrecisionBits - 3 - shift[2]}};
  const double reference = std::log(125.0) * 4096.0;
  for (size_t s = 0; s < leaves.size(); ++s) {
    model->logF0Leaves[s].clear();
    for (size_t l = 0; l < leaves[s].size(); ++l) {
      const LeafMoments& leaf = leaves[s][l];
      mw::LogF0Leaf out;
      out.unvoiced = voicedShare[s][l] < 0.5;
      if (leaf.At(0, 0).n == 0) {
        out.mean[0] = static_cast<int>(std::lround(reference));
        out.precision[0] = 1;
      } else {
        out.mean[0] = static_cast<int>(Clamp(leaf.At(0, 0).Mean(), 0, 32767));
        out.mean[1] = static_cast<int>(Clamp(leaf.At(0, 1).Mean() * 16.0, -32768, 32767));
        out.mean[2] = static_cast<int>(Clamp(leaf.At(0, 2).Mean() * 16.0, -32768, 32767));
        out.precision[0] =
            static_cast<int>(Clamp(scale / (Floored(leaf.At(0, 0), global[0].Variance()) * toSolver), 1, 4095));
        for (int k = 1; k < 3; ++k)
          out.precision[k] = static_cast<int>(Clamp(
              scale / (Floored(leaf.At(0, k), global[k].Variance()) * toSolver) / std::ldexp(1.0, shift[k]), 0, 65535));
      }
      model->logF0Leaves[s].push_back(out);
    }
  }
}

void QuantiseSpectrum(const std::vector<std::vector<LeafMoments>>& leaves, const LeafMoments& global,
                      mw::VoiceModelDescription* model) {
  const int dims = model->order + 1;
  // Per dimension: the scale that puts its largest static precision at
  // the top of the field.
  std::vector<double> scale(static_cast<size_t>(dims), 1.0);
  for (int d = 0; d < dims; ++d) {
    double least = 1e300;
    for (const auto& state : leaves)
      for (const LeafMoments& leaf : state) least = std::min(least, Floored(leaf.At(d, 0), global.At(d, 0).Variance()));
    scale[d] = kStaticSpectrumPrecision * (least == 1e300 ? 1.0 : least);
  }
  // Delta shifts per stream (gain: dim 0; spectrum: the rest).
  int shift[2][3] = {{0, 0, 0}, {0, 0, 0}};
  for (int k = 1; k < 3; ++k) {
    double largest[2] = {0, 0};
    for (const auto& state : leaves)
      for (const LeafMoments& leaf : state)
        for (int d = 0; d < dims; ++d) {
          const double p = scale[d] / Floored(leaf.At(d, k), global.At(d, k).Variance());
          largest[d == 0 ? 0 : 1] = std::max(largest[d == 0 ? 0 : 1], p);
        }
    shift[0][k] = ShiftFor(largest[0], 255.0);
    shift[1][k] = ShiftFor(largest[1], 255.0);
  }
  model->bits[kStreamGain] = mw::StreamBits{
      {16, 12, 12}, {kPrecisionBits, kPrecisionBits - 1 - shift[0][1], kPrecisionBits - 1 - shift[0][2]}};
  model->bits[kStreamSpectrum] = mw::StreamBits{
      {16, 12, 12}, {kPrecisionBits, kPrecisionBits - 1 - shift[1][1], kPrecisionBits - 1 - shift[1][2]}};
  for (size_t s = 0; s < leaves.size(); ++s) {
    model->spectrumLeaves[s].clear();
    for (const LeafMoments& leaf : leaves[s]) {
      std::vector<mw::SpectrumDim> record(static_cast<size_t>(dims));
      for (int d = 0; d < dims; ++d) {
        mw::SpectrumDim& r = record[d];
        // The generator negates the gain's static mean; its deltas
        // are taken as given, so they describe -v.
        const double sign = d == 0 ? -1.0 : 1.0;
        r.mean = static_cast<uint16_t>(Clamp(leaf.At(d, 0).Mean(), 0, 65535));
        r.delta = static_cast<int8_t>(Clamp(sign * leaf.At(d, 1).Mean() / 16.0, -127, 127));
        r.deltaDelta = static_cast<int8_t>(Clamp(sign * leaf.At(d, 2).Mean() / 16.0, -127, 127));
        const double p0 = scale[d] / Floored(leaf.At(d, 0), global.At(d, 0).Variance());
        r.precision = static_cast<uint16_t>(Clamp(2.0 * p0, 2, 65535));
        const int* sh = shift[d == 0 ? 0 : 1];
        r.deltaPrecision = static_cast<uint8_t>(
            Clamp(scale[d] / Floored(leaf.At(d, 1), global.At(d, 1).Variance()) / std::ldexp(1.0, sh[1]), 0, 255));
        r.deltaDeltaPrecision = static_cast<uint8_t>(
            Clamp(scale[d] / Floored(leaf.At(d, 2), global.At(d, 2).Variance()) / std::ldexp(1.0, sh[2]), 0, 255));
      }
      model->spectrumLeaves[s].push_back(record);
    }
  }
}

}  // namespace voicetrain
