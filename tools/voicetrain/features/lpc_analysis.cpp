#include "features/lpc_analysis.h"

#include <algorithm>
#include <cmath>

namespace voicetrain {

double LpcFromSignal(const double* x, int n, int order, std::vector<double>& a, int rate, double lag_window_hz) {
  std::vector<double> r(static_cast<size_t>(order) + 1, 0.0);
  for (int k = 0; k <= order; ++k)
    for (int i = k; i < n; ++i) r[k] += x[i] * x[i - k];
  // White-noise floor (-40 dB) and a lag window (60 Hz by default): no
  // needle-sharp poles from stationary harmonics.
  r[0] = r[0] * 1.0001 + 1e-3;
  for (int k = 1; k <= order; ++k) {
    const double w = 2.0 * M_PI * lag_window_hz / rate * k;
    r[k] *= std::exp(-0.5 * w * w);
  }
  a.assign(static_cast<size_t>(order) + 1, 0.0);
  a[0] = 1.0;
  double err = r[0];
  std::vector<double> prev;
  for (int i = 1; i <= order; ++i) {
    double acc = r[i];
    for (int j = 1; j < i; ++j) acc += a[j] * r[i - j];
    const double k = -acc / err;
    prev = a;
    for (int j = 1; j < i; ++j) a[j] = prev[j] + k * prev[i - j];
    a[i] = k;
    err *= (1.0 - k * k);
    if (err <= 0) {
      err = 0;
      break;
    }
  }
  return err;
}

namespace {

// Sum f[m]/2 + f[k] T_(m-k)(x) over k < m: the symmetric polynomial
// P(z)/(1+z^-1) or Q(z)/(1-z^-1) on the unit circle at x = cos(w),
// without its linear phase.
double Chebyshev(const std::vector<double>& f, double x) {
  const int m = static_cast<int>(f.size()) - 1;
  double sum = f[m] / 2.0;
  double T[32];
  T[0] = 1.0;
  if (m >= 1) T[1] = x;
  for (int n = 2; n <= m; ++n) T[n] = 2.0 * x * T[n - 1] - T[n - 2];
  for (int k = 0; k < m; ++k) sum += f[k] * T[m - k];
  return sum;
}

const std::vector<double>& GridCosines() {
  static std::vector<double> grid = [] {
    std::vector<double> g(1025);
    for (int i = 0; i <= 1024; ++i) g[i] = std::cos(M_PI * i / 1024.0);
    return g;
  }();
  return grid;
}

}  // namespace

bool LpcToLsf(const std::vector<double>& a, std::vector<double>& lsf) {
  const int p = static_cast<int>(a.size()) - 1;
  lsf.clear();
  if (p % 2 != 0 || p > 60) return false;  // T[] holds 32 terms
  const int m = p / 2;
  std::vector<double> f1(static_cast<size_t>(m) + 1), f2(static_cast<size_t>(m) + 1);
  f1[0] = f2[0] = 1.0;
  for (int i = 0; i < m; ++i) {
    f1[i + 1] = a[i + 1] + a[p - i] - f1[i];
    f2[i + 1] = a[i + 1] - a[p - i] + f2[i];
  }
  const std::vector<double>& grid = GridCosines();
  for (const std::vector<double>* f : {&f1, &f2}) {
    double x0 = grid[0], v0 = Chebyshev(*f, x0);
    for (size_t g = 1; g < grid.size(); ++g) {
      const double x1 = grid[g], v1 = Chebyshev(*f, x1);
      if ((v0 < 0) != (v1 < 0)) {
        double lo = x0, hi = x1, vlo = v0;
        for (int it = 0; it < 30; ++it) {
          const double mid = 0.5 * (lo + hi);
          const double vm = Chebyshev(*f, mid);
          if ((vm < 0) == (vlo < 0)) {
            lo = mid;
            vlo = vm;
          } else {
            hi = mid;
          }
        }
        lsf.push_back(std::acos(0.5 * (lo + hi)));
      }
      x0 = x1;
      v0 = v1;
    }
  }
  std::sort(lsf.begin(), lsf.end());
  return static_cast<int>(lsf.size()) == p;
}

std::vector<double> LsfToLpcFloat(const std::vector<double>& lsf) {
  const int p = static_cast<int>(lsf.size());
  // P has the even-indexed lines (1st, 3rd, ...) and a root at z = -1,
  // Q the others and a root at z = +1.
  std::vector<double> P{1.0}, Q{1.0};
  auto multiply = [](std::vector<double>& poly, double c1, double c2) {
    std::vector<double> out(poly.size() + 2, 0.0);
    for (size_t i = 0; i < poly.size(); ++i) {
      out[i] += poly[i];
      out[i + 1] += c1 * poly[i];
      out[i + 2] += c2 * poly[i];
    }
    poly = out;
  };
  for (int i = 0; i < p; ++i) multiply(i % 2 == 0 ? P : Q, -2.0 * std::cos(lsf[i]), 1.0);
  std::vector<double> Pz(P.size() + 1, 0.0), Qz(Q.size() + 1, 0.0);
  for (size_t i = 0; i < P.size(); ++i) {
    Pz[i] += P[i];
    Pz[i + 1] += P[i];
    Qz[i] += Q[i];
    Qz[i + 1] -= Q[i];
  }
  std::vector<double> a(static_cast<size_t>(p) + 1);
  for (int i = 0; i <= p; ++i) a[i] = 0.5 * (Pz[i] + Qz[i]);
  return a;
}

uint16_t LsfUnits(double angle) {
  long v = std::lround(angle / M_PI * 65536.0);
  return static_cast<uint16_t>(std::clamp(v, 1L, 65535L));
}

namespace {

// Low-pass before taking every fourth sample for the pitch search: a
// 49-tap Hamming-windowed sinc with its half-power point at 1 kHz, so
// fricative noise above 2 kHz cannot fold down next to the new Nyquist
// frequency, where it would alternate in sign and correlate at every
// even lag like a periodic voice.
const std::vector<double>& DecimationFilter() {
  static const std::vector<double> taps = [] {
    constexpr int kTaps = 49;
    constexpr double kCutoff = 1.0 / 16.0;  // cycles per sample: 1 kHz at 16 kHz
    std::vector<double> h(kTaps);
    double sum = 0.0;
    for (int k = 0; k < kTaps; ++k) {
      const double m = k - (kTaps - 1) / 2.0;
      const double sinc = m == 0 ? 2 * kCutoff : std::sin(2 * M_PI * kCutoff * m) / (M_PI * m);
      h[k] = sinc * (0.54 - 0.46 * std::cos(2 * M_PI * k / (kTaps - 1)));
      sum += h[k];
    }
    for (double& v : h) v /= sum;
    return h;
  }();
  return taps;
}

// The signal without its DC offset and rumble: a second-order Butterworth
// high-pass at 50 Hz run forwards and then backwards, so nothing moves in
// time. Recordings (the teacher's consonants among them) can carry an
// offset that would pass for loudness, bend the envelope's lowest pole and
// correlate at every lag like a voice.
std::vector<double> WithoutRumble(const std::vector<int16_t>& input, int rate) {
  const double w0 = 2 * M_PI * 50.0 / rate, alpha = std::sin(w0) / std::sqrt(2.0), c = std::cos(w0);
  const double a0 = 1 + alpha;
  const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, b2 = b0, a1 = -2 * c / a0, a2 = (1 - alpha) / a0;
  std::vector<double> y(input.begin(), input.end());
  auto pass = [&](auto begin, auto end) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (auto it = begin; it != end; ++it) {
      const double x0 = *it, y0 = b0 * x0 + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = x0;
      y2 = y1;
      y1 = y0;
      *it = y0;
    }
  };
  pass(y.begin(), y.end());
  pass(y.rbegin(), y.rend());
  return y;
}

// The span of `span` samples around `centre` low-passed and taken at a
// quarter of the rate into d[span / 4]; returns the share of the span's
// power below 1 kHz.
double LowBand(const std::vector<double>& samples, int centre, int span, double* d) {
  const int n = static_cast<int>(samples.size());
  const int from = centre - span / 2;
  const std::vector<double>& lowPass = DecimationFilter();
  const int taps = static_cast<int>(lowPass.size()), half = taps / 2;
  double low = 0.0, all = 0.0;
  for (int i = 0; i < span / 4; ++i) {
    double v = 0.0;
    const int middle = from + 4 * i + 2;
    for (int k = 0; k < taps; ++k) {
      const int j = middle + k - half;
      if (j >= 0 && j < n) v += lowPass[static_cast<size_t>(k)] * samples[j];
    }
    d[i] = v;
    low += v * v;
  }
  for (int j = std::max(0, from); j < std::min(n, from + span); ++j) all += samples[j] * samples[j];
  return all > 0 ? std::min(1.0, 4.0 * low / all) : 0.0;
}

// Normalised autocorrelation of the whole band within four samples of
// `lag`: about the share of the power that repeats.
double FullBandPeriodicity(const std::vector<double>& samples, int centre, int span, int lag, int minLag, int maxLag) {
  const int n = static_cast<int>(samples.size());
  const int from = centre - span / 2;
  auto at = [&](int j) { return (j >= 0 && j < n) ? samples[j] : 0.0; };
  double best = 0.0;
  for (int l = std::max(minLag, lag - 4); l <= std::min(maxLag, lag + 4); ++l) {
    double c = 0.0, e1 = 0.0, e2 = 0.0;
    for (int i = 0; i + l < span; ++i) {
      const double u = at(from + i), v = at(from + i + l);
      c += u * v;
      e1 += u * u;
      e2 += v * v;
    }
    if (e1 > 0 && e2 > 0) best = std::max(best, c / std::sqrt(e1 * e2));
  }
  return best;
}

}  // namespace

int LpcOrderForRate(int rate) {
  switch (rate) {
    case 8000:
      return 12;
    case 11025:
      return 14;
    case 16000:
      return 20;
    case 22050:
      return 24;
    default:
      return 0;
  }
}

bool AnalysisForRate(int rate, AnalysisSettings* settings) {
  const int order = LpcOrderForRate(rate);
  if (order == 0 || rate % 200 != 0) return false;
  AnalysisSettings s;
  s.rate = rate;
  s.order = order;
  s.hop = rate / 200;
  s.window = rate / 40;
  // Two periods at min_f0 (480 at 16 kHz), whole quarter-rate samples.
  s.pitch_span = (rate * 3 / 100 + 3) / 4 * 4;
  *settings = s;
  return true;
}

double TrainingLagWindowHz(int rate) { return rate >= 16000 ? 60.0 : 150.0; }

std::vector<FrameAnalysis> AnalyseSignal(const std::vector<int16_t>& input, const AnalysisSettings& s) {
  const std::vector<double> samples = WithoutRumble(input, s.rate);
  const int n = static_cast<int>(samples.size());
  const int frames = (n + s.hop - 1) / s.hop;
  std::vector<FrameAnalysis> out(static_cast<size_t>(frames));
  std::vector<double> window(static_cast<size_t>(s.window)), x(static_cast<size_t>(s.window));
  for (int i = 0; i < s.window; ++i) window[i] = 0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / s.window);
  std::vector<double> a, lsf;
  std::vector<uint16_t> previous;
  const int minLag = s.rate / s.max_f0, maxLag = s.rate / s.min_f0;
  const int decimated = s.pitch_span / 4;
  std::vector<double> d(static_cast<size_t>(decimated)), r(static_cast<size_t>(decimated) + 2);
  for (int t = 0; t < frames; ++t) {
    FrameAnalysis& f = out[static_cast<size_t>(t)];
    const int centre = t * s.hop + s.hop / 2;
    const int start = centre - s.window / 2;
    for (int i = 0; i < s.window; ++i) {
      const int j = start + i;
      x[i] = (j >= 0 && j < n) ? samples[j] * window[i] : 0.0;
    }
    // Level over the whole window: a 5-ms hop alone may fall between
    // two pitch pulses.
    double energy = 0.0, weight = 0.0;
    for (int i = 0; i < s.window; ++i) {
      energy += x[i] * x[i];
      weight += window[i] * window[i];
    }
    f.rms = std::sqrt(energy / weight);

    LpcFromSignal(x.data(), s.window, s.order, a, s.rate, s.lag_window_hz);
    if (LpcToLsf(a, lsf)) {
      f.lsf.resize(static_cast<size_t>(s.order));
      for (int i = 0; i < s.order; ++i) f.lsf[i] = LsfUnits(lsf[i]);
    } else if (!previous.empty()) {
      f.lsf = previous;
    } else {
      f.lsf.resize(static_cast<size_t>(s.order));
      for (int i = 0; i < s.order; ++i) f.lsf[i] = LsfUnits(M_PI * (i + 1) / (s.order + 1));
    }
    previous = f.lsf;

    // Voicing and F0: normalised autocorrelation peak within min_f0 ...
    // max_f0 (70 ... 400 Hz) over pitch_span samples of the unwindowed
    // signal (30 ms, two periods at 70 Hz; a longer span would smear
    // voicing into neighbouring consonants), low-passed to 1 kHz and
    // taken at a quarter of the rate (cheap; the fundamental lies far
    // below the new Nyquist frequency).
    double best = 0.0, lowShare = 0.0;
    int bestLag = 0;
    if (f.rms >= s.silence_rms) {
      std::fill(r.begin(), r.end(), 0.0);
      lowShare = LowBand(samples, centre, s.pitch_span, d.data());
      const int lo = minLag / 4, hi = std::min(maxLag / 4, decimated / 2);
      for (int lag = lo; lag <= hi + 1; ++lag) {
        double c = 0.0, e1 = 0.0, e2 = 0.0;
        for (int i = 0; i + lag < decimated; ++i) {
          c += d[i] * d[i + lag];
          e1 += d[i] * d[i];
          e2 += d[i + lag] * d[i + lag];
        }
        r[lag] = (e1 > 0 && e2 > 0) ? c / std::sqrt(e1 * e2) : 0.0;
        if (lag <= hi && r[lag] > best) {
          best = r[lag];
          bestLag = lag;
        }
      }
      // A multiple of the period correlates about as well as the
      // period itself: take the shortest lag that nearly matches.
      for (int lag = lo + 1; lag < bestLag; ++lag)
        if (r[lag] >= 0.8 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
          bestLag = lag;
          break;
        }
      if (bestLag > lo) {
        // Parabolic refinement between whole lags.
        const double before = r[bestLag - 1], peak = r[bestLag], after = r[bestLag + 1];
        const double denom = before - 2 * peak + after;
        const double shift = denom < 0 ? std::clamp(0.5 * (before - after) / denom, -0.5, 0.5) : 0.0;
        f.f0 = s.rate / (4.0 * (bestLag + shift));
      } else if (bestLag > 0) {
        f.f0 = s.rate / (4.0 * bestLag);
      }
    }
    // A repeating low band is a voice only when it carries a real part
    // of the power (a hum under a hiss is not), or when the whole signal
    // repeats (a buzz with little low band).
    f.voiced = best >= s.voicing_threshold &&
               (lowShare >= s.voiced_low_share ||
                FullBandPeriodicity(samples, centre, s.pitch_span, 4 * bestLag, minLag, maxLag) >= s.periodic_share);
  }
  // A frame far below the loudest is near silence, such as a stop's
  // closure: whatever repeats in it is not heard as a voice.
  double loudest = 0.0;
  for (const FrameAnalysis& f : out) loudest = std::max(loudest, f.rms);
  const double floor = loudest * std::pow(10.0, -s.quiet_floor_db / 20.0);
  for (FrameAnalysis& f : out)
    if (f.rms < floor) f.voiced = false;
  return out;
}

}  // namespace voicetrain
