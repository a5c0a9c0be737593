#include "tone_classifier.h"

#include <cmath>
#include <limits>

namespace kvo_bench {

namespace {

constexpr int kN = kToneFeatures;
// Added to the covariance diagonal (semitones squared): keeps a class
// whose examples hardly vary from becoming infinitely sharp.
constexpr double kRidge = 0.1;
constexpr size_t kLeastExamples = 20;

// Inverse and log-determinant of a symmetric positive definite matrix by
// Gauss-Jordan elimination; false when it is singular.
bool Invert(double m[kN][kN], double inverse[kN][kN], double* logDet) {
  double a[kN][2 * kN];
  for (int i = 0; i < kN; ++i)
    for (int j = 0; j < 2 * kN; ++j) a[i][j] = j < kN ? m[i][j] : (j - kN == i ? 1.0 : 0.0);
  *logDet = 0.0;
  for (int c = 0; c < kN; ++c) {
    int pivot = c;
    for (int r = c + 1; r < kN; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (std::fabs(a[pivot][c]) < 1e-12) return false;
    if (pivot != c)
      for (int j = 0; j < 2 * kN; ++j) std::swap(a[c][j], a[pivot][j]);
    const double p = a[c][c];
    *logDet += std::log(std::fabs(p));
    for (int j = 0; j < 2 * kN; ++j) a[c][j] /= p;
    for (int r = 0; r < kN; ++r) {
      if (r == c) continue;
      const double f = a[r][c];
      for (int j = 0; j < 2 * kN; ++j) a[r][j] -= f * a[c][j];
    }
  }
  for (int i = 0; i < kN; ++i)
    for (int j = 0; j < kN; ++j) inverse[i][j] = a[i][j + kN];
  return true;
}

}  // namespace

bool ToneFeaturesOf(const std::vector<double>& semitones, const std::vector<double>& before, double median,
                    ToneFeatures* out) {
  constexpr int kParts = 5;
  auto partMean = [&](const std::vector<double>& v, int k) {
    const size_t from = v.size() * k / kParts, to = v.size() * (k + 1) / kParts;
    double sum = 0.0;
    for (size_t t = from; t < to; ++t) sum += v[t] - median;
    return sum / double(to - from);
  };
  if (semitones.size() < static_cast<size_t>(kParts)) return false;
  for (int k = 0; k < kParts; ++k) (*out)[k] = partMean(semitones, k);
  (*out)[kParts] = before.size() >= static_cast<size_t>(kParts) ? partMean(before, kParts - 1) : (*out)[0];
  return true;
}

void ToneClassifier::Add(int tone, bool phraseFinal, const ToneFeatures& f) {
  if (tone < 1 || tone > 4) return;
  classes_[tone - 1][phraseFinal ? 1 : 0].samples.push_back(f);
}

bool ToneClassifier::Fit() {
  for (int tone = 0; tone < 4; ++tone) {
    bool any = false;
    for (Gaussian& g : classes_[tone]) {
      g.fitted = false;
      if (g.samples.size() < kLeastExamples) continue;
      const double n = double(g.samples.size());
      g.mean.fill(0.0);
      for (const ToneFeatures& s : g.samples)
        for (int i = 0; i < kN; ++i) g.mean[i] += s[i] / n;
      double cov[kN][kN] = {};
      for (const ToneFeatures& s : g.samples)
        for (int i = 0; i < kN; ++i)
          for (int j = 0; j < kN; ++j) cov[i][j] += (s[i] - g.mean[i]) * (s[j] - g.mean[j]) / n;
      for (int i = 0; i < kN; ++i) cov[i][i] += kRidge;
      g.fitted = Invert(cov, g.inverse, &g.logDet);
      any = any || g.fitted;
    }
    if (!any) return false;
  }
  return true;
}

int ToneClassifier::Classify(const ToneFeatures& f) const {
  int best = 0;
  double bestScore = -std::numeric_limits<double>::infinity();
  for (int tone = 0; tone < 4; ++tone)
    for (const Gaussian& g : classes_[tone]) {
      if (!g.fitted) continue;
      double d[kN];
      for (int i = 0; i < kN; ++i) d[i] = f[i] - g.mean[i];
      double q = 0.0;
      for (int i = 0; i < kN; ++i)
        for (int j = 0; j < kN; ++j) q += d[i] * g.inverse[i][j] * d[j];
      const double score = -0.5 * q - 0.5 * g.logDet;
      if (score > bestScore) {
        bestScore = score;
        best = tone + 1;
      }
    }
  return best;
}

int ToneClassifier::Examples() const {
  size_t n = 0;
  for (const auto& tone : classes_)
    for (const Gaussian& g : tone) n += g.samples.size();
  return static_cast<int>(n);
}

}  // namespace kvo_bench
