// LSF to LPC conversion: exact cases, formant placement and stability whatever the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "backend/vocoder/lsf_to_lpc.h"

namespace {

using namespace kvo::backend;

const double kPi = 3.14159265358979323846;

// Reflection coefficients of 1 + sum a_i z^-i (Q15), in double: all below 1 in magnitude for a stable filter.
bool StableByStepDown(const int32_t* aq15, int order) {
  std::vector<double> a(order + 1);
  for (int i = 1; i <= order; ++i) a[i] = aq15[i - 1] / 32768.0;
  for (int m = order; m >= 1; --m) {
    double k = a[m];
    if (std::fabs(k) >= 1.0) return false;
    std::vector<double> b(a);
    for (int i = 1; i < m; ++i) b[i] = (a[i] - k * a[m - i]) / (1 - k * k);
    a = b;
  }
  return true;
}

// Frequency (Hz) where |1/A| peaks.
double EnvelopePeak(const int32_t* a, int order, double rate) {
  double best = 0, bestMag = -1;
  for (double f = 20; f < rate / 2; f += 5) {
    std::complex<double> s = 1;
    for (int i = 1; i <= order; ++i) s += a[i - 1] / 32768.0 * std::polar(1.0, -2 * kPi * f * i / rate);
    double mag = 1 / std::abs(s);
    if (mag > bestMag) {
      bestMag = mag;
      best = f;
    }
  }
  return best;
}

// Lines in units of pi/65536 (stored as int16 bit patterns).
int16_t Line(double hz, double rate) {
  return static_cast<int16_t>(static_cast<uint16_t>(std::lround(hz / (rate / 2) * 65536)));
}

// Evenly spread lines with one close pair around `formantHz`.
std::vector<int16_t> FormantLines(int order, double rate, double formantHz) {
  std::vector<double> hz;
  for (int k = 0; k < order; ++k) hz.push_back((k + 1) * (rate / 2) / (order + 1));
  int nearest = 0;
  for (int k = 0; k < order; ++k)
    if (std::fabs(hz[k] - formantHz) < std::fabs(hz[nearest] - formantHz)) nearest = k;
  int other = (nearest + 1 < order && hz[nearest] < formantHz) || nearest == 0 ? nearest + 1 : nearest - 1;
  hz[std::min(nearest, other)] = formantHz - 25;
  hz[std::max(nearest, other)] = formantHz + 25;
  std::vector<int16_t> lines;
  for (double f : hz) lines.push_back(Line(f, rate));
  return lines;
}

TEST(BackendLsfToLpc, EvenlySpacedLinesGiveAFlatFilter) {
  for (int order : {12, 14, 20, 24}) {
    SCOPED_TRACE(order);
    std::vector<int16_t> lines;
    for (int k = 0; k < order; ++k)
      lines.push_back(static_cast<int16_t>(static_cast<uint16_t>((k + 1) * 65536 / (order + 1))));
    int32_t a[kMaxLpcOrder];
    ASSERT_TRUE(LsfToLpc(lines.data(), order, a));
    for (int i = 0; i < order; ++i) EXPECT_LE(std::abs(a[i]), 600) << "a" << i + 1;
  }
}

TEST(BackendLsfToLpc, ClosePairPlacesTheEnvelopePeakAtTheFormant) {
  struct Case {
    int order;
    double rate, formant;
  } cases[] = {{20, 16000, 1000}, {20, 16000, 2500}, {12, 8000, 700}, {14, 11025, 1800}, {24, 22050, 3000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, formant " << c.formant);
    std::vector<int16_t> lines = FormantLines(c.order, c.rate, c.formant);
    int32_t a[kMaxLpcOrder];
    ASSERT_TRUE(LsfToLpc(lines.data(), c.order, a));
    EXPECT_TRUE(StableByStepDown(a, c.order));
    EXPECT_NEAR(EnvelopePeak(a, c.order, c.rate), c.formant, 60);
  }
}

TEST(BackendLsfToLpc, LineOrderDoesNotMatter) {
  std::vector<int16_t> lines = FormantLines(20, 16000, 1500);
  std::vector<int16_t> reversed(lines.rbegin(), lines.rend());
  int32_t a[kMaxLpcOrder], b[kMaxLpcOrder];
  ASSERT_TRUE(LsfToLpc(lines.data(), 20, a));
  ASSERT_TRUE(LsfToLpc(reversed.data(), 20, b));
  EXPECT_EQ(std::vector<int32_t>(a, a + 20), std::vector<int32_t>(b, b + 20));
}

// Lines out of order, repeated, at 0 or at the top of the range, or random:
// the filter is always stable.
TEST(BackendLsfToLpc, AnyInputGivesAStableFilter) {
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int16_t>(seed >> 16);
  };
  for (int order : {12, 14, 20, 24}) {
    std::vector<std::vector<int16_t>> sets = {
        std::vector<int16_t>(order, 0),
        std::vector<int16_t>(order, -1),  // 65535: just below pi
        std::vector<int16_t>(order, 12000),
    };
    std::vector<int16_t> descending, pairs;
    for (int k = 0; k < order; ++k) descending.push_back(static_cast<int16_t>(60000 - k * 2000));
    for (int k = 0; k < order; ++k) pairs.push_back(static_cast<int16_t>(1000 + (k / 2) * 5000 + (k % 2) * 16));
    sets.push_back(descending);
    sets.push_back(pairs);
    for (int r = 0; r < 300; ++r) {
      std::vector<int16_t> random(order);
      for (int16_t& v : random) v = next();
      sets.push_back(random);
    }
    for (size_t s = 0; s < sets.size(); ++s) {
      int32_t a[kMaxLpcOrder];
      ASSERT_TRUE(LsfToLpc(sets[s].data(), order, a));
      ASSERT_TRUE(StableByStepDown(a, order)) << "order " << order << " set " << s;
      ASSERT_TRUE(LpcIsStable(a, order));
    }
  }
}

// The stability check's step-down recursion in Q30, every quotient taken
// by a 128-bit division: the check itself takes most quotients another way,
// and must decide exactly as this does.
bool StableByQ30StepDown(const int32_t* a, int order) {
  __extension__ typedef __int128 Wide;
  const int64_t one = int64_t{1} << 30;
  const int64_t limit = one - (one >> 12);
  const int64_t bound = int64_t{1} << 56;
  int64_t c[kMaxLpcOrder + 1], t[kMaxLpcOrder + 1];
  for (int i = 1; i <= order; ++i) c[i] = static_cast<int64_t>(a[i - 1]) * 32768;
  for (int m = order; m >= 1; --m) {
    const int64_t k = c[m];
    if (k >= limit || k <= -limit) return false;
    const int64_t den = one - static_cast<int64_t>((static_cast<Wide>(k) * k) >> 30);
    for (int i = 1; i < m; ++i) {
      const Wide v = (static_cast<Wide>(c[i]) * one - static_cast<Wide>(k) * c[m - i]) / den;
      if (v > bound || v < -bound) return false;
      t[i] = static_cast<int64_t>(v);
    }
    for (int i = 1; i < m; ++i) c[i] = t[i];
  }
  return true;
}

// Coefficients of every size: from reflection coefficients up to the
// limit (stable, with the last steps dividing by almost nothing), plain
// random values of 16 and 32 bits, and the filters of random lines.
TEST(BackendLsfToLpc, StabilityCheckDecidesAsTheWideStepDown) {
  uint64_t seed = 99;
  auto next = [&seed]() {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(seed >> 32);
  };
  int stable = 0, unstable = 0;
  for (int order = 2; order <= kMaxLpcOrder; order += 2) {
    for (int r = 0; r < 600; ++r) {
      int32_t a[kMaxLpcOrder];
      switch (r % 4) {
        case 0: {  // step-up from reflection coefficients, some beyond the limit
          double poly[kMaxLpcOrder + 1] = {1}, prev[kMaxLpcOrder + 1];
          const double reach = (r / 4) % 3 == 0 ? 0.99995 : 0.999;
          for (int m = 1; m <= order; ++m) {
            const double k = (static_cast<double>(next()) / 4294967296.0 * 2 - 1) * reach;
            for (int i = 0; i <= order; ++i) prev[i] = poly[i];
            for (int i = 1; i < m; ++i) poly[i] = prev[i] + k * prev[m - i];
            poly[m] = k;
          }
          for (int i = 1; i <= order; ++i) {
            const double v = std::round(poly[i] * 32768);
            a[i - 1] = static_cast<int32_t>(std::max(-2147483647.0, std::min(2147483647.0, v)));
          }
          break;
        }
        case 1:
          for (int i = 0; i < order; ++i) a[i] = static_cast<int16_t>(next());
          break;
        case 2:
          for (int i = 0; i < order; ++i) a[i] = static_cast<int32_t>(next());
          break;
        default: {
          int16_t lines[kMaxLpcOrder];
          for (int i = 0; i < order; ++i) lines[i] = static_cast<int16_t>(next());
          ASSERT_TRUE(LsfToLpc(lines, order, a));
          break;
        }
      }
      const bool expected = StableByQ30StepDown(a, order);
      ASSERT_EQ(LpcIsStable(a, order), expected) << "order " << order << " case " << r;
      ++(expected ? stable : unstable);
    }
  }
  // Both answers were exercised.
  EXPECT_GT(stable, 1000);
  EXPECT_GT(unstable, 1000);
}

TEST(BackendLsfToLpc, StabilityCheckRejectsAPoleOutsideTheUnitCircle) {
  const int32_t unstable[2] = {0, 40000};  // 1 + 1.22 z^-2
  const int32_t stable[2] = {-30000, 20000};
  EXPECT_FALSE(LpcIsStable(unstable, 2));
  EXPECT_TRUE(LpcIsStable(stable, 2));
}

TEST(BackendLsfToLpc, RejectsAnInvalidOrder) {
  int16_t lines[kMaxLpcOrder + 2] = {};
  int32_t a[kMaxLpcOrder + 2];
  EXPECT_FALSE(LsfToLpc(lines, 0, a));
  EXPECT_FALSE(LsfToLpc(lines, 13, a));
  EXPECT_FALSE(LsfToLpc(lines, 26, a));
  EXPECT_FALSE(LsfToLpc(nullptr, 12, a));
}

}  // namespace
