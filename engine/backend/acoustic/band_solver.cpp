#include "backend/acoustic/band_solver.h"

#include "core/reciprocal_divide.h"

namespace kvo {
namespace backend {

namespace {

// Limits that keep every product below inside 64 bits; real models stay
// far below them, so they only matter for broken input.
constexpr int64_t kValueLimit = int64_t{1} << 40;
constexpr int64_t kFactorLimit = int64_t{1} << 23;
constexpr int64_t kInputLimit = int64_t{1} << 24;

int64_t Clamp(int64_t v, int64_t limit) { return v > limit ? limit : (v < -limit ? -limit : v); }

// a / d in 16.16, inv the reciprocal of d.
int64_t Factor(int64_t a, int64_t d, uint64_t inv) {
  return Clamp(DivideByReciprocal(a * 65536, static_cast<uint64_t>(d), inv), kFactorLimit);
}

int64_t Mul(int64_t factor, int64_t v) { return Clamp(MulFactor(factor, v), kValueLimit); }

}  // namespace

bool SolveTrajectory(const TrajectoryInput& in, int64_t* out, ScratchArena& arena) {
  const int n = in.frames;
  if (n <= 0) return true;
  const size_t mark = arena.Mark();
  int64_t* d = arena.TakeArray<int64_t>(n);
  int64_t* l1 = arena.TakeArray<int64_t>(n);
  int64_t* l2 = arena.TakeArray<int64_t>(n);
  int64_t* r = arena.TakeArray<int64_t>(n);
  if (d == nullptr || l1 == nullptr || l2 == nullptr || r == nullptr) {
    arena.Rewind(mark);
    return false;
  }
  const bool dd = in.windows == 3;
  auto mu = [&](int w, int t) -> int64_t { return (t < 0 || t >= n) ? 0 : Clamp(in.mean[w][t], kInputLimit); };
  auto pr = [&](int w, int t) -> int64_t {
    if (t < 0 || t >= n) return 0;
    int64_t p = in.precision[w][t];
    return p < 0 ? 0 : (p > kInputLimit ? kInputLimit : p);
  };

  // Band matrix rows: d holds the diagonal, l1 the distance-1 and l2 the
  // distance-2 entries until each row is factorised in place. The dynamic
  // windows' precisions p and weighted means w = p * mean of frames t - 1,
  // t and t + 1 roll along with t; `roll` shifts window w's triples one
  // frame on, frame `next` entering as t + 1.
  auto roll = [&](int w, int next, int64_t p[3], int64_t wm[3]) {
    p[0] = p[1];
    p[1] = p[2];
    p[2] = pr(w, next);
    wm[0] = wm[1];
    wm[1] = wm[2];
    wm[2] = p[2] * mu(w, next);
  };
  int64_t p1[3] = {0, 0, 0}, w1[3] = {0, 0, 0};
  int64_t p2[3] = {0, 0, 0}, w2[3] = {0, 0, 0};
  for (int next = 0; next < 2; ++next) {
    roll(1, next, p1, w1);
    if (dd) roll(2, next, p2, w2);
  }
  for (int t = 0; t < n; ++t) {
    const int64_t p0 = pr(0, t);
    int64_t rt = 2 * p0 * mu(0, t) + w1[0] - w1[2];
    int64_t a0 = 4 * p0 + p1[0] + p1[2];
    int64_t a1 = 0;
    int64_t a2 = t + 2 < n ? -p1[2] : 0;
    if (dd) {
      rt += 2 * w2[0] - 4 * w2[1] + 2 * w2[2];
      a0 += 4 * p2[0] + 16 * p2[1] + 4 * p2[2];
      a1 = t + 1 < n ? -8 * p2[1] - 8 * p2[2] : 0;
      if (t + 2 < n) a2 += 4 * p2[2];
      roll(2, t + 2, p2, w2);
    }
    roll(1, t + 2, p1, w1);
    r[t] = Clamp(rt, kValueLimit);
    d[t] = Clamp(a0, kValueLimit);
    l1[t] = Clamp(a1, kValueLimit);
    l2[t] = Clamp(a2, kValueLimit);
  }

  // A = L D L': L[t+1][t] = l1[t], L[t+2][t] = l2[t], row by row, and with
  // each row the forward substitution L y = r (y in r) and y / D (in out),
  // all three quotients of a row through one reciprocal of its pivot.
  for (int t = 0; t < n; ++t) {
    int64_t dt = d[t];
    int64_t e = l1[t];
    if (t >= 1) {
      dt -= Mul(l1[t - 1], Mul(l1[t - 1], d[t - 1]));
      e -= Mul(l2[t - 1], Mul(l1[t - 1], d[t - 1]));
    }
    if (t >= 2) dt -= Mul(l2[t - 2], Mul(l2[t - 2], d[t - 2]));
    dt = Clamp(dt, kValueLimit);
    uint64_t inv = 0;
    if (dt <= 0) {
      // A frame without any precision: keep it out of its neighbours.
      d[t] = 1;
      l1[t] = 0;
      l2[t] = 0;
    } else {
      d[t] = dt;
      inv = ReciprocalOf(static_cast<uint64_t>(dt));
      l1[t] = Factor(Clamp(e, kValueLimit), dt, inv);
      l2[t] = Factor(l2[t], dt, inv);
    }
    int64_t y = r[t];
    if (t >= 1) y -= Mul(l1[t - 1], r[t - 1]);
    if (t >= 2) y -= Mul(l2[t - 2], r[t - 2]);
    r[t] = Clamp(y, kValueLimit);
    out[t] = d[t] == 1 ? r[t] : DivideByReciprocal(r[t], static_cast<uint64_t>(d[t]), inv);
  }

  // c = y / D - L' c.
  for (int t = n - 1; t >= 0; --t) {
    int64_t c = out[t];
    if (t + 1 < n) c -= Mul(l1[t], out[t + 1]);
    if (t + 2 < n) c -= Mul(l2[t], out[t + 2]);
    out[t] = Clamp(c, kValueLimit);
  }
  arena.Rewind(mark);
  return true;
}

}  // namespace backend
}  // namespace kvo
