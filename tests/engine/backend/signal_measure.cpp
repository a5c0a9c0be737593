#include "signal_measure.h"

#include <cmath>

namespace {
const double kPi = 3.14159265358979323846;
}

std::vector<int16_t> Sine(double freqHz, double rate, int count, double amplitude) {
  std::vector<int16_t> v(count);
  for (int i = 0; i < count; ++i)
    v[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * kPi * freqHz * i / rate)));
  return v;
}

double ToneMagnitude(const std::vector<double>& x, double freqHz, double rate) {
  double re = 0, im = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    double w = 0.5 - 0.5 * std::cos(2 * kPi * i / x.size());  // Hann: sharper bins
    re += w * x[i] * std::cos(2 * kPi * freqHz * i / rate);
    im += w * x[i] * std::sin(2 * kPi * freqHz * i / rate);
  }
  return 2 * std::sqrt(re * re + im * im) / x.size();
}

double DominantFrequency(const std::vector<double>& x, double rate, double stepHz) {
  double best = 0, bestMag = -1;
  for (double f = stepHz; f < rate / 2; f += stepHz) {
    double m = ToneMagnitude(x, f, rate);
    if (m > bestMag) {
      bestMag = m;
      best = f;
    }
  }
  return best;
}

double Rms(const std::vector<double>& x) {
  double e = 0;
  for (double v : x) e += v * v;
  return x.empty() ? 0 : std::sqrt(e / x.size());
}

double SnrDb(const std::vector<double>& reference, const std::vector<double>& test) {
  double s = 0, e = 0;
  for (size_t i = 0; i < reference.size() && i < test.size(); ++i) {
    s += reference[i] * reference[i];
    e += (reference[i] - test[i]) * (reference[i] - test[i]);
  }
  return 10 * std::log10(s / (e > 0 ? e : 1e-9));
}

int BestLag(const std::vector<double>& x, int minLag, int maxLag, double* value) {
  int best = minLag;
  double bestR = -2;
  for (int lag = minLag; lag <= maxLag; ++lag) {
    double r = 0, e0 = 0, e1 = 0;
    for (size_t i = lag; i < x.size(); ++i) {
      r += x[i] * x[i - lag];
      e0 += x[i] * x[i];
      e1 += x[i - lag] * x[i - lag];
    }
    double n = (e0 > 0 && e1 > 0) ? r / std::sqrt(e0 * e1) : 0;
    if (n > bestR) {
      bestR = n;
      best = lag;
    }
  }
  if (value) *value = bestR;
  return best;
}

std::vector<double> ToDouble(const int16_t* x, size_t n) { return std::vector<double>(x, x + n); }

double EnvelopePeakFrequency(const std::vector<double>& x, double rate, double loHz, double hiHz) {
  const size_t kFrame = 256, kHop = 128;
  const double kStep = 20;
  std::vector<double> power;
  for (double f = 0; f < rate / 2; f += kStep) {
    double p = 0;
    for (size_t at = 0; at + kFrame <= x.size(); at += kHop) {
      double re = 0, im = 0;
      for (size_t i = 0; i < kFrame; ++i) {
        double w = (0.5 - 0.5 * std::cos(2 * kPi * i / kFrame)) * x[at + i];
        re += w * std::cos(2 * kPi * f * i / rate);
        im += w * std::sin(2 * kPi * f * i / rate);
      }
      p += re * re + im * im;
    }
    power.push_back(p);
  }
  double best = loHz, bestPower = -1;
  for (size_t b = 0; b < power.size(); ++b) {
    double f = b * kStep;
    if (f < loHz || f > hiHz) continue;
    double s = 0;
    for (size_t j = b >= 5 ? b - 5 : 0; j <= b + 5 && j < power.size(); ++j) s += power[j];
    if (s > bestPower) {
      bestPower = s;
      best = f;
    }
  }
  return best;
}
