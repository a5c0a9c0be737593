// G.729 decoding of one frame: the parameters are turned into LSPs, LPC
// coefficients and an excitation, synthesised, postfiltered and high-passed.
// The arithmetic follows the standard's Q formats in plain 32/64-bit
// integers; intermediate sums are not truncated to 32 bits as the
// reference's basic operators do, so results can differ from it in the
// last bits while staying within the same ranges.
#include "backend/domain/g729_decoder.h"

#include <cstring>

#include "backend/domain/g729_tables.h"

namespace kvo::backend::g729 {

const int kParamBits[kParamCount] = {8, 10, 8, 1, 13, 4, 7, 5, 13, 4, 7};

namespace {

constexpr int kExcPast = kPitchMax + kInterpolLen;
constexpr int kResPast = kPitchMax + 1 + kLtpHalfLong;
constexpr int16_t kSharpMin = 3277;    // 0.2 in Q14
constexpr int16_t kSharpMax = 13017;   // 0.7945 in Q14
constexpr int16_t kGammaNum = 18022;   // 0.55: postfilter numerator A(z/0.55)
constexpr int16_t kGammaDen = 22938;   // 0.70: postfilter denominator
constexpr int32_t kAgcFactor = 32358;  // 0.9875 in Q15
constexpr int kImpulseLen = 20;

int16_t Sat16(int64_t v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<int16_t>(v);
}

int64_t RoundShift(int64_t v, int shift) { return (v + (int64_t{1} << (shift - 1))) >> shift; }

// log2 of a positive value: integer part and Q15 fraction by table
// interpolation; 0 for values <= 0.
void Log2(int64_t x, int* exponent, int32_t* fraction) {
  *exponent = 0;
  *fraction = 0;
  if (x <= 0) return;
  if (x > 0x7fffffff) x = 0x7fffffff;
  int n = 0;
  uint32_t v = static_cast<uint32_t>(x);
  while ((v & 0x40000000u) == 0) {
    v <<= 1;
    ++n;
  }
  *exponent = 30 - n;
  const int i = static_cast<int>(v >> 25) - 32;
  const int32_t a = static_cast<int32_t>((v >> 10) & 0x7fff);
  const int64_t y = (int64_t{kLog2Table[i]} << 16) - int64_t{kLog2Table[i] - kLog2Table[i + 1]} * a * 2;
  *fraction = static_cast<int32_t>(y >> 16);
}

// 2^(exponent + fraction/32768) for exponent 0..30.
int32_t Pow2(int exponent, int32_t fraction) {
  const int i = fraction >> 10;
  const int32_t a = (fraction & 0x3ff) << 5;
  const int64_t l = (int64_t{kPow2Table[i]} << 16) - int64_t{kPow2Table[i] - kPow2Table[i + 1]} * a * 2;
  const int shift = 30 - exponent;
  if (shift <= 0) return static_cast<int32_t>(l << -shift);
  return static_cast<int32_t>(RoundShift(l, shift));
}

// Pushes neighbouring LSFs at least `gap` apart (Q13).
void Expand(int16_t buf[kOrder], int gap) {
  for (int j = 1; j < kOrder; ++j) {
    const int tmp = (buf[j - 1] - buf[j] + gap) >> 1;
    if (tmp > 0) {
      buf[j - 1] = static_cast<int16_t>(buf[j - 1] - tmp);
      buf[j] = static_cast<int16_t>(buf[j] + tmp);
    }
  }
}

// Orders the LSFs and keeps them inside (40, 25681) with a minimum distance.
void Stabilise(int16_t lsf[kOrder]) {
  for (int j = 0; j < kOrder - 1; ++j) {
    if (lsf[j + 1] < lsf[j]) {
      const int16_t t = lsf[j + 1];
      lsf[j + 1] = lsf[j];
      lsf[j] = t;
    }
  }
  if (lsf[0] < 40) lsf[0] = 40;
  for (int j = 0; j < kOrder - 1; ++j) {
    if (lsf[j + 1] - lsf[j] < 321) lsf[j + 1] = Sat16(lsf[j] + 321);
  }
  if (lsf[kOrder - 1] > 25681) lsf[kOrder - 1] = 25681;
}

// LSF (Q13 radians) to LSP (Q15 cosine) by the 64-entry cosine table.
void LsfToLsp(const int16_t lsf[kOrder], int16_t lsp[kOrder]) {
  for (int i = 0; i < kOrder; ++i) {
    const int32_t freq = (int32_t{lsf[i]} * 20861) >> 15;  // 1/(2*pi) in Q17
    int ind = freq >> 8;
    const int32_t offset = freq & 0xff;
    if (ind > 63) ind = 63;
    if (ind < 0) ind = 0;
    lsp[i] = Sat16(kCosTable[ind] + ((int32_t{kCosSlope[ind]} * offset) >> 12));
  }
}

void DecodeLsp(G729Decoder* d, uint16_t p0, uint16_t p1, int16_t lsp[kOrder]) {
  const int mode = (p0 >> 7) & 1;
  const int c0 = p0 & 127;
  const int c1 = (p1 >> 5) & 31;
  const int c2 = p1 & 31;
  int16_t buf[kOrder];
  for (int j = 0; j < kOrder; ++j) {
    buf[j] = static_cast<int16_t>(kLspCb1[c0][j] + kLspCb2[j < 5 ? c1 : c2][j]);
  }
  Expand(buf, 10);
  Expand(buf, 5);
  int16_t lsf[kOrder];
  for (int j = 0; j < kOrder; ++j) {
    int64_t acc = int64_t{buf[j]} * kMaPredictorSum[mode][j];
    for (int k = 0; k < kMaOrder; ++k) acc += int64_t{d->lsfPast[k][j]} * kMaPredictor[mode][k][j];
    lsf[j] = Sat16(acc >> 15);
  }
  for (int k = kMaOrder - 1; k > 0; --k) std::memcpy(d->lsfPast[k], d->lsfPast[k - 1], sizeof(buf));
  std::memcpy(d->lsfPast[0], buf, sizeof(buf));
  Stabilise(lsf);
  LsfToLsp(lsf, lsp);
}

// Coefficients 0..5 of the symmetric polynomial prod (1 - 2 q z^-1 + z^-2)
// over q = lsp[0], lsp[2], ... (Q24).
void LspPolynomial(const int16_t* lsp, int64_t f[6]) {
  f[0] = int64_t{1} << 24;
  f[1] = -int64_t{lsp[0]} * 1024;
  for (int i = 2; i <= 5; ++i) {
    const int64_t q = lsp[2 * (i - 1)];
    f[i] = f[i - 2];
    for (int k = i; k >= 2; --k) f[k] = f[k] - ((2 * q * f[k - 1]) >> 15) + f[k - 2];
    f[1] -= q * 1024;
  }
}

void LspToAz(const int16_t lsp[kOrder], int16_t a[kOrder + 1]) {
  int64_t f1[6], f2[6];
  LspPolynomial(lsp, f1);
  LspPolynomial(lsp + 1, f2);
  for (int i = 5; i > 0; --i) {
    f1[i] += f1[i - 1];
    f2[i] -= f2[i - 1];
  }
  a[0] = 4096;
  for (int i = 1; i <= 5; ++i) {
    a[i] = Sat16(RoundShift(f1[i] + f2[i], 13));
    a[kOrder + 1 - i] = Sat16(RoundShift(f1[i] - f2[i], 13));
  }
}

void WeightAz(const int16_t a[kOrder + 1], int32_t gamma, int16_t out[kOrder + 1]) {
  out[0] = a[0];
  int32_t fac = gamma;
  for (int i = 1; i <= kOrder; ++i) {
    out[i] = Sat16(RoundShift(int64_t{a[i]} * fac, 15));
    fac = static_cast<int32_t>(RoundShift(int64_t{fac} * gamma, 15));
  }
}

// Pitch delay in 1/3 samples from the transmitted index; the second
// subframe's index is relative to the first subframe's delay t0.
void DecodeLag(int index, bool first, int* t0, int* frac) {
  if (first) {
    if (index < 197) {
      *t0 = (index + 2) / 3 + 19;
      *frac = index - *t0 * 3 + 58;
    } else {
      *t0 = index - 112;
      *frac = 0;
    }
    return;
  }
  int t_min = *t0 - 5;
  if (t_min < kPitchMin) t_min = kPitchMin;
  int t_max = t_min + 9;
  if (t_max > kPitchMax) {
    t_max = kPitchMax;
    t_min = t_max - 9;
  }
  const int i = (index + 2) / 3 - 1;
  *t0 = i + t_min;
  *frac = index - 2 - i * 3;
}

// Adaptive-codebook vector: the past excitation at delay t0 + frac/3 through
// the 1/3-resolution interpolation filter, written in place.
void PredictLongTerm(int16_t* exc, int t0, int frac) {
  const int16_t* x0 = exc - t0;
  frac = -frac;
  if (frac < 0) {
    frac += 3;
    --x0;
  }
  for (int j = 0; j < kSubframe; ++j) {
    const int16_t* x1 = x0 + j;
    const int16_t* x2 = x0 + j + 1;
    int64_t s = 0;
    for (int i = 0; i < 10; ++i) {
      s += int64_t{x1[-i]} * kPitchInterp[frac + 3 * i];
      s += int64_t{x2[i]} * kPitchInterp[3 - frac + 3 * i];
    }
    exc[j] = Sat16(RoundShift(s, 15));
  }
}

// 17-bit algebraic codebook: four signed unit pulses (Q13) on interleaved tracks.
void DecodeFixedCode(int index, int signs, int16_t code[kSubframe]) {
  int pos[4];
  pos[0] = (index & 7) * 5;
  index >>= 3;
  pos[1] = (index & 7) * 5 + 1;
  index >>= 3;
  pos[2] = (index & 7) * 5 + 2;
  index >>= 3;
  const int j = index & 1;
  index >>= 1;
  pos[3] = (index & 7) * 5 + 3 + j;
  std::memset(code, 0, sizeof(int16_t) * kSubframe);
  for (int k = 0; k < 4; ++k) {
    code[pos[k]] = (signs & 1) ? 8191 : -8192;
    signs >>= 1;
  }
}

// Conjugate-structure gains with MA prediction of the code energy.
void DecodeGains(G729Decoder* d, int index, const int16_t code[kSubframe], int16_t* gain_pitch, int16_t* gain_code) {
  const int i1 = kGainMap1[(index >> 4) & 7];
  const int i2 = kGainMap2[index & 15];
  *gain_pitch = Sat16(kGainCb1[i1][0] + kGainCb2[i2][0]);   // Q14
  const int32_t gbk12 = kGainCb1[i1][1] + kGainCb2[i2][1];  // Q13

  // Predicted code gain: 10^((mean energy - code energy + prediction) / 20).
  int64_t energy = 0;
  for (int i = 0; i < kSubframe; ++i) energy += int64_t{code[i]} * code[i] * 2;  // Q27
  int exponent;
  int32_t fraction;
  Log2(energy, &exponent, &fraction);
  // -3.0103 * log2(energy) + 127.298, in Q14.
  int64_t acc = (int64_t{exponent} * -24660 * 2) + ((int64_t{fraction} * -24660) >> 14);
  acc += 32588 * 32 * 2;
  acc *= 1024;  // Q24
  for (int i = 0; i < 4; ++i) {
    static constexpr int16_t kPred[4] = {5571, 4751, 2785, 1556};  // Q13
    acc += int64_t{kPred[i]} * d->pastEnergy[i] * 2;
  }
  const int32_t gcode0_db = static_cast<int32_t>(acc >> 16);                     // Q8
  const int32_t l = static_cast<int32_t>((int64_t{gcode0_db} * 5439 * 2) >> 8);  // log2 in Q16
  const int e = l >> 16;
  const int32_t f = (l - e * 65536) >> 1;
  const int32_t gcode0 = Pow2(14, f);
  const int exp_gcode0 = 14 - e;
  int64_t g = int64_t{gcode0} * (gbk12 >> 1) * 2;  // Q(12 - exp_gcode0 + 1)
  const int shift = -exp_gcode0 + 4;
  if (shift >= 0) {
    g *= int64_t{1} << shift;
  } else {
    g >>= -shift;
  }
  *gain_code = Sat16(g >> 16);  // Q1

  // Quantised energy of this subframe for the next predictions (Q10).
  for (int i = 3; i > 0; --i) d->pastEnergy[i] = d->pastEnergy[i - 1];
  Log2(gbk12, &exponent, &fraction);
  int64_t lg = int64_t{exponent - 13} * 65536 + int64_t{fraction} * 2;  // Q16
  lg *= 8192;
  if (lg > 0x7fffffff) lg = 0x7fffffff;
  if (lg < -0x7fffffffLL - 1) lg = -0x7fffffffLL - 1;
  const int32_t tmp = static_cast<int32_t>(lg >> 16);  // Q13
  d->pastEnergy[0] = Sat16((int64_t{tmp} * 24660) >> 15);
}

// 1/A(z) over n samples; returns true when a sample saturated.
bool Synthesise(const int16_t a[kOrder + 1], const int16_t* x, int16_t* y, int n, int16_t mem[kOrder], bool update) {
  int16_t buf[kOrder + kSubframe];
  std::memcpy(buf, mem, sizeof(int16_t) * kOrder);
  bool overflow = false;
  for (int i = 0; i < n; ++i) {
    int64_t s = int64_t{x[i]} * a[0];
    for (int j = 1; j <= kOrder; ++j) s -= int64_t{a[j]} * buf[kOrder + i - j];
    const int64_t r = RoundShift(s, 12);
    if (r > 32767 || r < -32768) overflow = true;
    buf[kOrder + i] = Sat16(r);
  }
  std::memcpy(y, buf + kOrder, sizeof(int16_t) * n);
  if (update) std::memcpy(mem, buf + n, sizeof(int16_t) * kOrder);
  return overflow;
}

int BitLength(uint64_t v) {
  int n = 0;
  while (v != 0) {
    v >>= 1;
    ++n;
  }
  return n;
}

// Delayed residual at delay (8 * k + f) / 8 through an interpolation filter
// of 2 * half taps; f = 0 takes the samples themselves.
void Delayed(const int16_t* res, int k, int f, int half, int16_t out[kSubframe]) {
  if (f == 0) {
    for (int n = 0; n < kSubframe; ++n) out[n] = res[n - k];
    return;
  }
  const int16_t* taps = half == 2 ? kLtpInterpShort[7 - f] : kLtpInterpLong[7 - f];
  for (int n = 0; n < kSubframe; ++n) {
    const int m = n - k - 1;
    int64_t s = 0;
    for (int i = -half + 1; i <= half; ++i) s += int64_t{res[m + i]} * taps[i + half - 1];
    out[n] = Sat16(RoundShift(s, 15));
  }
}

int64_t Dot(const int16_t* a, const int16_t* b) {
  int64_t s = 0;
  for (int n = 0; n < kSubframe; ++n) s += int64_t{a[n]} * b[n];
  return s;
}

// Long-term (harmonic) postfilter on the residual res[0..39] (with its past
// before it) around the decoded integer delay t0. Returns 1 when it filtered.
int LongTermPostfilter(const int16_t* res, int t0, int16_t out[kSubframe]) {
  int t_max = t0 + 1;
  if (t_max > kPitchMax) t_max = kPitchMax;
  int t_min = t_max - 2;
  int best_k = t_min;
  int64_t best_cor = INT64_MIN;
  for (int k = t_min; k <= t_max; ++k) {
    int64_t c = 0;
    for (int n = 0; n < kSubframe; ++n) c += int64_t{res[n]} * res[n - k];
    if (c > best_cor) {
      best_cor = c;
      best_k = k;
    }
  }
  std::memcpy(out, res, sizeof(int16_t) * kSubframe);
  if (best_cor <= 0) return 0;

  // Fractional refinement in 1/8 samples around best_k with the short filter:
  // the highest cor^2 / energy of the delayed signal.
  int64_t cors[15], ens[15];
  int16_t delayed[kSubframe];
  for (int c = 0; c < 15; ++c) {
    const int d8 = best_k * 8 - 7 + c;
    Delayed(res, d8 >> 3, d8 & 7, 2, delayed);
    cors[c] = Dot(res, delayed);
    ens[c] = Dot(delayed, delayed);
  }
  uint64_t max_cor = 1, max_en = 1;
  for (int c = 0; c < 15; ++c) {
    if (cors[c] > 0 && static_cast<uint64_t>(cors[c]) > max_cor) max_cor = static_cast<uint64_t>(cors[c]);
    if (static_cast<uint64_t>(ens[c]) > max_en) max_en = static_cast<uint64_t>(ens[c]);
  }
  const int cor_shift = BitLength(max_cor) > 20 ? BitLength(max_cor) - 20 : 0;
  const int en_shift = BitLength(max_en) > 21 ? BitLength(max_en) - 21 : 0;
  int best = -1;
  int64_t best_num = 0, best_den = 1;
  for (int c = 0; c < 15; ++c) {
    if (cors[c] <= 0) continue;
    const int64_t cr = cors[c] >> cor_shift;
    const int64_t num = cr * cr;
    const int64_t den = (ens[c] >> en_shift) + 1;
    // num / den > best_num / best_den, both sides below 2^62.
    if (best < 0 || (num >> 21) * best_den > (best_num >> 21) * den ||
        ((num >> 21) * best_den == (best_num >> 21) * den && c == 7)) {
      best = c;
      best_num = num;
      best_den = den;
    }
  }
  if (best < 0) return 0;

  const int d8 = best_k * 8 - 7 + best;
  Delayed(res, d8 >> 3, d8 & 7, kLtpHalfLong, delayed);
  const int64_t cor = Dot(res, delayed);
  const int64_t en_d = Dot(delayed, delayed);
  const int64_t en_x = Dot(res, res);
  if (cor <= 0 || en_d <= 0 || en_x <= 0) return 0;
  // Voiced enough when cor^2 >= 0.5 * en_x * en_d.
  const int sh = BitLength(static_cast<uint64_t>(en_x > en_d ? en_x : en_d)) > 30
                     ? BitLength(static_cast<uint64_t>(en_x > en_d ? en_x : en_d)) - 30
                     : 0;
  const int64_t c_s = cor >> sh, x_s = en_x >> sh, d_s = en_d >> sh;
  if (2 * c_s * c_s < x_s * d_s) return 0;
  const int64_t g = cor >= en_d ? 32768 : (cor * 32768) / en_d;     // Q15, at most 1
  const int64_t keep = (int64_t{32768} * 32768) / (32768 + g / 2);  // 1 / (1 + 0.5 g)
  for (int n = 0; n < kSubframe; ++n) {
    out[n] = Sat16(RoundShift(keep * res[n] + (32768 - keep) * delayed[n], 15));
  }
  return 1;
}

void Postfilter(G729Decoder* d, const int16_t* sig, const int16_t a[kOrder + 1], int t0, int16_t out[kSubframe]) {
  int16_t num[kOrder + 1], den[kOrder + 1];
  WeightAz(a, kGammaNum, num);
  WeightAz(a, kGammaDen, den);

  int16_t* res = d->residual + kResPast;
  for (int n = 0; n < kSubframe; ++n) {
    int64_t s = 0;
    for (int i = 0; i <= kOrder; ++i) s += int64_t{num[i]} * sig[n - i];
    res[n] = Sat16(RoundShift(s, 12));
  }
  int16_t ltp[kSubframe];
  const int vo = LongTermPostfilter(res, t0, ltp);
  if (vo != 0) d->voicing = static_cast<int16_t>(vo);

  // Impulse response of num/den: its gain normalises the short-term filter,
  // its first reflection coefficient sets the tilt compensation.
  int16_t h[kImpulseLen];
  int16_t zero_mem[kOrder] = {};
  int16_t impulse[kImpulseLen] = {};
  for (int i = 0; i <= kOrder; ++i) impulse[i] = num[i];
  {
    int16_t tmp[kSubframe];
    Synthesise(den, impulse, tmp, kImpulseLen, zero_mem, false);
    std::memcpy(h, tmp, sizeof(h));
  }
  int64_t sum_abs = 0, rh0 = 0, rh1 = 0;
  for (int i = 0; i < kImpulseLen; ++i) {
    sum_abs += h[i] < 0 ? -h[i] : h[i];
    rh0 += int64_t{h[i]} * h[i];
    if (i + 1 < kImpulseLen) rh1 += int64_t{h[i]} * h[i + 1];
  }
  if (sum_abs > 4096) {
    for (int n = 0; n < kSubframe; ++n) ltp[n] = Sat16((int64_t{ltp[n]} * 4096) / sum_abs);
  }
  int32_t k1 = 0;  // Q15, -rh1 / rh0
  if (rh0 > 0) {
    int64_t r = (-rh1 * 32768) / rh0;
    if (r > 32767) r = 32767;
    if (r < -32768) r = -32768;
    k1 = static_cast<int32_t>(r);
  }
  const int32_t gamma_t = k1 < 0 ? 29491 : 6554;  // 0.9 / 0.2
  const int32_t mu = static_cast<int32_t>((int64_t{k1} * gamma_t) >> 15);
  const int32_t abs_mu = mu < 0 ? -mu : mu;
  const int64_t tilt_gain = (int64_t{32768} * 32768) / (32768 - abs_mu + 1);  // 1 / (1 - |mu|), Q15
  int16_t tilted[kSubframe];
  int16_t prev = d->tiltMemory;
  for (int n = 0; n < kSubframe; ++n) {
    const int64_t v = int64_t{ltp[n]} * 32768 + int64_t{mu} * prev;
    prev = ltp[n];
    tilted[n] = Sat16(RoundShift(RoundShift(v, 15) * tilt_gain, 15));
  }
  d->tiltMemory = prev;

  int16_t y[kSubframe];
  Synthesise(den, tilted, y, kSubframe, d->stMemory, true);

  // Gain control: follow the level of the unfiltered synthesis.
  int64_t g_in = 0, g_out = 0;
  for (int n = 0; n < kSubframe; ++n) {
    g_in += sig[n] < 0 ? -sig[n] : sig[n];
    g_out += y[n] < 0 ? -y[n] : y[n];
  }
  int64_t g0 = 0;  // Q16 target gain times (1 - 0.9875)
  if (g_out > 0 && g_in > 0) {
    int64_t ratio = (g_in * 65536) / g_out;
    if (ratio > (int64_t{8} << 16)) ratio = int64_t{8} << 16;
    g0 = (ratio * (32768 - kAgcFactor)) >> 15;
  }
  int64_t g = d->agcGain;
  for (int n = 0; n < kSubframe; ++n) {
    g = ((g * kAgcFactor) >> 15) + g0;
    out[n] = Sat16(RoundShift(int64_t{y[n]} * g, 16));
  }
  d->agcGain = static_cast<int32_t>(g);

  std::memmove(d->residual, d->residual + kSubframe, sizeof(int16_t) * kResPast);
}

// 100 Hz high-pass (Q13 coefficients) and up-scaling by 2.
void PostProcess(G729Decoder* d, const int16_t* in, int16_t* out, int n) {
  for (int i = 0; i < n; ++i) {
    const int64_t x = in[i];
    const int64_t y =
        7699 * x - 15398 * int64_t{d->hpX1} + 7699 * int64_t{d->hpX2} + ((15836 * d->hpY1 - 7667 * d->hpY2) >> 13);
    d->hpX2 = d->hpX1;
    d->hpX1 = static_cast<int32_t>(x);
    d->hpY2 = d->hpY1;
    d->hpY1 = y;
    out[i] = Sat16(RoundShift(y, 12));
  }
}

}  // namespace

void UnpackFrame(const uint8_t frame[kFrameBytes], uint16_t params[kParamCount]) {
  uint16_t words[5];
  for (int i = 0; i < 5; ++i) words[i] = static_cast<uint16_t>(frame[2 * i] | (frame[2 * i + 1] << 8));
  int bit = 0;
  for (int p = 0; p < kParamCount; ++p) {
    uint16_t v = 0;
    for (int b = 0; b < kParamBits[p]; ++b, ++bit) {
      const int word = bit >> 4;
      const int shift = 15 - (bit & 15);
      v = static_cast<uint16_t>((v << 1) | ((words[word] >> shift) & 1));
    }
    params[p] = v;
  }
}

int PitchParityError(uint16_t p1, uint16_t p0) {
  int sum = 1;
  for (int i = 2; i < 8; ++i) sum += (p1 >> i) & 1;
  return (sum + p0) & 1;
}

void ResetDecoder(G729Decoder* d) {
  std::memset(d, 0, sizeof(*d));
  static constexpr int16_t kLspInit[kOrder] = {30000, 26000, 21000, 15000, 8000, 0, -8000, -15000, -21000, -26000};
  std::memcpy(d->lspOld, kLspInit, sizeof(kLspInit));
  for (auto& row : d->lsfPast) std::memcpy(row, kLsfReset, sizeof(row));
  for (auto& e : d->pastEnergy) e = -14336;
  d->sharp = kSharpMin;
  d->oldT0 = 60;
  d->voicing = 60;
  d->seed = 21845;
  d->agcGain = 1 << 16;
}

void DecodeFrame(G729Decoder* d, const uint8_t frame[kFrameBytes], int16_t out[kFrameSamples]) {
  uint16_t prm[kParamCount];
  UnpackFrame(frame, prm);

  int16_t lsp_new[kOrder], lsp_mid[kOrder];
  DecodeLsp(d, prm[0], prm[1], lsp_new);
  for (int i = 0; i < kOrder; ++i) lsp_mid[i] = static_cast<int16_t>((lsp_new[i] >> 1) + (d->lspOld[i] >> 1));
  int16_t az[2][kOrder + 1];
  LspToAz(lsp_mid, az[0]);
  LspToAz(lsp_new, az[1]);
  std::memcpy(d->lspOld, lsp_new, sizeof(lsp_new));

  int16_t* exc = d->excitation + kExcPast;
  int16_t* syn = d->synth + kOrder;
  int t0 = d->oldT0;
  int t0s[2];
  for (int s = 0; s < 2; ++s) {
    int16_t* e = exc + s * kSubframe;
    int frac = 0;
    if (s == 0) {
      if (PitchParityError(prm[2], prm[3]) == 0) {
        DecodeLag(prm[2], true, &t0, &frac);
        d->oldT0 = static_cast<int16_t>(t0);
      } else {
        t0 = d->oldT0;
        frac = 0;
        d->oldT0 = static_cast<int16_t>(d->oldT0 + 1 > kPitchMax ? kPitchMax : d->oldT0 + 1);
      }
    } else {
      DecodeLag(prm[7], false, &t0, &frac);
      d->oldT0 = static_cast<int16_t>(t0);
    }
    t0s[s] = t0;
    PredictLongTerm(e, t0, frac);

    int16_t code[kSubframe];
    DecodeFixedCode(prm[s == 0 ? 4 : 8], prm[s == 0 ? 5 : 9], code);
    const int32_t sharp15 = d->sharp * 2;  // Q14 -> Q15
    if (t0 < kSubframe) {
      for (int i = t0; i < kSubframe; ++i) code[i] = Sat16(code[i] + ((int32_t{code[i - t0]} * sharp15) >> 15));
    }
    int16_t gain_pitch, gain_code;
    DecodeGains(d, prm[s == 0 ? 6 : 10], code, &gain_pitch, &gain_code);
    d->sharp = gain_pitch > kSharpMax ? kSharpMax : (gain_pitch < kSharpMin ? kSharpMin : gain_pitch);
    for (int i = 0; i < kSubframe; ++i) {
      e[i] = Sat16(RoundShift(int64_t{e[i]} * gain_pitch + int64_t{code[i]} * gain_code, 14));
    }
    if (Synthesise(az[s], e, syn + s * kSubframe, kSubframe, d->synthMemory, false)) {
      // Too loud: scale the whole excitation history down and synthesise again.
      for (auto& v : d->excitation) v = static_cast<int16_t>(v >> 2);
    }
    Synthesise(az[s], e, syn + s * kSubframe, kSubframe, d->synthMemory, true);
  }
  std::memmove(d->excitation, d->excitation + kFrameSamples, sizeof(int16_t) * kExcPast);

  int16_t pf[kFrameSamples];
  for (int s = 0; s < 2; ++s) Postfilter(d, syn + s * kSubframe, az[s], t0s[s], pf + s * kSubframe);
  std::memmove(d->synth, d->synth + kFrameSamples, sizeof(int16_t) * kOrder);
  PostProcess(d, pf, out, kFrameSamples);
}

}  // namespace kvo::backend::g729
