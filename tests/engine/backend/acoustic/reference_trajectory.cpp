#include "reference_trajectory.h"

#include <cmath>
#include <utility>

namespace kvo {
namespace testvoice {

std::vector<double> ReferenceTrajectory(const backend::TrajectoryInput& in) {
  const int n = in.frames;
  const bool dd = in.windows == 3;
  auto mu = [&](int w, int t) { return (t < 0 || t >= n) ? 0.0 : static_cast<double>(in.mean[w][t]); };
  auto pr = [&](int w, int t) { return (t < 0 || t >= n) ? 0.0 : static_cast<double>(in.precision[w][t]); };
  // Dense symmetric system over the band; N is small in the tests.
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  std::vector<double> r(n, 0.0);
  for (int t = 0; t < n; ++t) {
    r[t] = 2 * pr(0, t) * mu(0, t) + pr(1, t - 1) * mu(1, t - 1) - pr(1, t + 1) * mu(1, t + 1);
    a[t][t] = 4 * pr(0, t) + pr(1, t - 1) + pr(1, t + 1);
    if (t + 2 < n) a[t][t + 2] = -pr(1, t + 1);
    if (dd) {
      r[t] += 2 * pr(2, t - 1) * mu(2, t - 1) - 4 * pr(2, t) * mu(2, t) + 2 * pr(2, t + 1) * mu(2, t + 1);
      a[t][t] += 4 * pr(2, t - 1) + 16 * pr(2, t) + 4 * pr(2, t + 1);
      if (t + 1 < n) a[t][t + 1] = -8 * pr(2, t) - 8 * pr(2, t + 1);
      if (t + 2 < n) a[t][t + 2] += 4 * pr(2, t + 1);
    }
  }
  for (int t = 0; t < n; ++t)
    for (int u = t + 1; u < n; ++u) a[u][t] = a[t][u];
  // Gaussian elimination with partial pivoting.
  std::vector<int> perm(n);
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
      if (std::abs(a[i][k]) > std::abs(a[p][k])) p = i;
    std::swap(a[k], a[p]);
    std::swap(r[k], r[p]);
    for (int i = k + 1; i < n; ++i) {
      double f = a[i][k] / a[k][k];
      for (int j = k; j < n; ++j) a[i][j] -= f * a[k][j];
      r[i] -= f * r[k];
    }
  }
  std::vector<double> c(n, 0.0);
  for (int k = n - 1; k >= 0; --k) {
    double s = r[k];
    for (int j = k + 1; j < n; ++j) s -= a[k][j] * c[j];
    c[k] = s / a[k][k];
  }
  return c;
}

}  // namespace testvoice
}  // namespace kvo
