// Gaussian statistics of a stream's static, delta and delta-delta
// observations, accumulated per leaf after clustering.
#ifndef KVO_VOICETRAIN_STATE_STATISTICS_H
#define KVO_VOICETRAIN_STATE_STATISTICS_H

#include <vector>

namespace voicetrain {

constexpr int kWindows = 3;

struct Moments {
  double n = 0, sum = 0, sq = 0;
  void Add(double x) {
    n += 1;
    sum += x;
    sq += x * x;
  }
  double Mean() const { return n > 0 ? sum / n : 0.0; }
  double Variance() const {
    if (n < 2) return 0.0;
    const double m = Mean();
    const double v = sq / n - m * m;
    return v > 0 ? v : 0.0;
  }
};

// Per dimension and window.
struct LeafMoments {
  std::vector<Moments> m;  // dims x kWindows
  explicit LeafMoments(int dims = 0) : m(static_cast<size_t>(dims) * kWindows) {}
  Moments& At(int dim, int window) { return m[static_cast<size_t>(dim) * kWindows + window]; }
  const Moments& At(int dim, int window) const { return m[static_cast<size_t>(dim) * kWindows + window]; }
};

// Delta (-1/2, 0, 1/2) and delta-delta (1, -2, 1) windows of x at t; false
// when a neighbour is missing (outside [0, n) or not `present`).
template <typename Get, typename Present>
bool Windows(int t, int n, Get get, Present present, double* delta, double* deltaDelta) {
  if (t <= 0 || t + 1 >= n || !present(t - 1) || !present(t + 1)) return false;
  const double a = get(t - 1), b = get(t), c = get(t + 1);
  *delta = 0.5 * (c - a);
  *deltaDelta = a - 2 * b + c;
  return true;
}

}  // namespace voicetrain

#endif
