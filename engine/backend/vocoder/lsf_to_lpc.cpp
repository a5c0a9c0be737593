#include "backend/vocoder/lsf_to_lpc.h"

#include "backend/vocoder/dsp_tables.h"
#include "core/reciprocal_divide.h"

namespace kvo::backend {

namespace {

__extension__ typedef __int128 Int128;

constexpr int kLsfUnits = 4096;  // pi

// Sorted, at least kLsfMinGap apart and from both ends.
void Spread(int32_t* l, int order) {
  for (int k = 1; k < order; ++k) {  // insertion sort: order is at most 24
    int32_t v = l[k];
    int j = k - 1;
    for (; j >= 0 && l[j] > v; --j) l[j + 1] = l[j];
    l[j + 1] = v;
  }
  int32_t prev = 0;
  for (int k = 0; k < order; ++k) {
    if (l[k] < prev + kLsfMinGap) l[k] = prev + kLsfMinGap;
    prev = l[k];
  }
  int32_t next = kLsfUnits;
  for (int k = order - 1; k >= 0; --k) {
    if (l[k] > next - kLsfMinGap) l[k] = next - kLsfMinGap;
    next = l[k];
  }
}

// Moves each interior line towards its nearer neighbour, computed from the
// unmoved lines: close pairs (formants) get closer, sharpening the envelope.
void Reposition(const int32_t* l, int order, int32_t* out) {
  out[0] = l[0];
  out[order - 1] = l[order - 1];
  for (int k = 1; k <= order - 2; ++k) {
    int64_t dk = (l[k] - l[k - 1]) >> 2;
    int64_t dk1 = (l[k + 1] - l[k]) >> 2;
    int64_t ek = dk * dk, ek1 = dk1 * dk1;
    out[k] = static_cast<int32_t>(l[k - 1] + dk + (ek + 1) * (l[k + 1] - l[k - 1] - dk1 - dk) / (ek + ek1 + 1));
  }
}

// Product of (1 + 2 t_k z^-1 + z^-2) over the given lines, t_k = -cos, in Q22.
void SumPolynomial(const int32_t* l, int order, int first, int64_t* f) {
  for (int i = 0; i <= order; ++i) f[i] = 0;
  f[0] = int64_t{1} << 22;
  int degree = 0;
  for (int k = first; k < order; k += 2) {
    int64_t t2 = -2 * static_cast<int64_t>(kCosineTable[l[k]]);  // Q15
    degree += 2;
    for (int i = degree; i >= 1; --i) {
      int64_t v = f[i] + ((t2 * f[i - 1]) >> 15);
      if (i >= 2) v += f[i - 2];
      f[i] = v;
    }
  }
}

void ExpandBandwidth(int32_t* a, int order) {
  const int64_t kGamma = 31457;  // 0.96 in Q15
  int64_t g = kGamma;
  for (int i = 0; i < order; ++i) {
    a[i] = static_cast<int32_t>((a[i] * g) >> 15);
    g = (g * kGamma) >> 15;
  }
}

}  // namespace

bool LpcIsStable(const int32_t* a, int order) {
  if (!a || order < 1 || order > kMaxLpcOrder) return false;
  // Step-down recursion in Q30 with 128-bit products: near |k| = 1 the
  // recursion divides by 1 - k^2, so 16-bit fractions would hide instability.
  const int64_t kOne = int64_t{1} << 30;
  const int64_t kLimit = kOne - (kOne >> 12);  // |k| < 0.99976
  const int64_t kBound = int64_t{1} << 56;
  int64_t c[kMaxLpcOrder + 1], t[kMaxLpcOrder + 1];
  for (int i = 1; i <= order; ++i) c[i] = static_cast<int64_t>(a[i - 1]) * 32768;
  for (int m = order; m >= 1; --m) {
    const int64_t km = c[m];
    if (km >= kLimit || km <= -kLimit) return false;
    const int64_t den = kOne - static_cast<int64_t>((static_cast<Int128>(km) * km) >> 30);
    // With every coefficient below 2^32 in size (the usual case) the
    // numerators stay below 2^63 and 64-bit arithmetic gives the same
    // quotients as 128-bit.
    bool narrow = true;
    for (int i = 1; i < m; ++i) narrow = narrow && c[i] < (int64_t{1} << 32) && c[i] > -(int64_t{1} << 32);
    if (narrow) {
      const uint64_t inv = ReciprocalOf(static_cast<uint64_t>(den));
      for (int i = 1; i < m; ++i) {
        const int64_t v = DivideByReciprocal(c[i] * kOne - km * c[m - i], static_cast<uint64_t>(den), inv);
        if (v > kBound || v < -kBound) return false;
        t[i] = v;
      }
    } else {
      for (int i = 1; i < m; ++i) {
        Int128 num = static_cast<Int128>(c[i]) * kOne - static_cast<Int128>(km) * c[m - i];
        Int128 v = num / den;
        if (v > kBound || v < -kBound) return false;
        t[i] = static_cast<int64_t>(v);
      }
    }
    for (int i = 1; i < m; ++i) c[i] = t[i];
  }
  return true;
}

bool LsfToLpc(const int16_t* lsf, int order, int32_t* a) {
  if (!lsf || !a || order < 2 || order > kMaxLpcOrder || (order & 1)) return false;
  int32_t l[kMaxLpcOrder], moved[kMaxLpcOrder];
  for (int k = 0; k < order; ++k) l[k] = static_cast<uint16_t>(lsf[k]) >> 4;
  Spread(l, order);
  Reposition(l, order, moved);
  Spread(moved, order);

  int64_t f1[kMaxLpcOrder + 1], f2[kMaxLpcOrder + 1];
  SumPolynomial(moved, order, 0, f1);
  SumPolynomial(moved, order, 1, f2);
  for (int i = 1; i <= order; ++i) {
    int64_t v = f1[i] + f1[i - 1] + f2[i] - f2[i - 1];  // twice a_i, Q22
    a[i - 1] = static_cast<int32_t>((v + (int64_t{1} << 7)) >> 8);
  }
  for (int tries = 0; tries < 16 && !LpcIsStable(a, order); ++tries) ExpandBandwidth(a, order);
  if (!LpcIsStable(a, order))
    for (int i = 0; i < order; ++i) a[i] = 0;
  return true;
}

}  // namespace kvo::backend
