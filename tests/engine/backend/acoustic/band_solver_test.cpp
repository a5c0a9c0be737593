#include "backend/acoustic/band_solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "reference_trajectory.h"

namespace kvo {
namespace backend {
namespace {

struct Observations {
  std::vector<int32_t> mean[3], precision[3];
  TrajectoryInput Input(int windows) const {
    TrajectoryInput in;
    in.frames = static_cast<int>(mean[0].size());
    in.windows = windows;
    for (int k = 0; k < 3; ++k) {
      in.mean[k] = mean[k].data();
      in.precision[k] = precision[k].data();
    }
    return in;
  }
};

// Random observations shaped like the engine's: static means in a band,
// static precisions dominating the dynamic ones, piecewise constant over
// "states" of a few frames, dynamic terms switched off at the edges.
Observations RandomObservations(std::mt19937& rng, int frames, int32_t meanLo, int32_t meanHi, int32_t precHi) {
  Observations o;
  std::uniform_int_distribution<int32_t> mean(meanLo, meanHi), delta(-200, 200), state(1, 8);
  std::uniform_int_distribution<int32_t> prec(precHi / 8, precHi), dprec(0, precHi / 4);
  for (int k = 0; k < 3; ++k) {
    o.mean[k].resize(frames);
    o.precision[k].resize(frames);
  }
  int t = 0;
  while (t < frames) {
    int len = state(rng);
    int32_t m0 = mean(rng), m1 = delta(rng), m2 = delta(rng) / 4;
    int32_t p0 = prec(rng), p1 = dprec(rng), p2 = dprec(rng) / 2;
    for (int f = 0; f < len && t < frames; ++f, ++t) {
      o.mean[0][t] = m0;
      o.mean[1][t] = m1;
      o.mean[2][t] = m2;
      o.precision[0][t] = p0;
      o.precision[1][t] = p1;
      o.precision[2][t] = p2;
    }
  }
  for (int k = 1; k < 3; ++k) {
    o.precision[k][0] = o.precision[k][frames - 1] = 0;
  }
  return o;
}

struct SolverCase {
  const char* name;
  int windows;
  int frames;
  int32_t meanLo, meanHi, precHi;
};

// Log-F0-like values (means about 2700, 12-bit precisions) and spectrum-
// like values (16-bit means, 15-bit precisions), with two and three windows.
const SolverCase kCases[] = {
    {"logf0_two_windows", 2, 60, 2300, 3000, 4095},
    {"logf0_three_windows", 3, 60, 2300, 3000, 4095},
    {"spectrum_two_windows", 2, 200, 1000, 65000, 32767},
    {"spectrum_three_windows", 3, 200, 1000, 65000, 32767},
    {"single_frame", 3, 1, 100, 200, 500},
    {"two_frames", 2, 2, 100, 200, 500},
};

constexpr double kBound = 6.0;

class SolverVersusReference : public ::testing::TestWithParam<SolverCase> {};

TEST_P(SolverVersusReference, StaysWithinFewUnitsOfFloatSolution) {
  const SolverCase& c = GetParam();
  std::mt19937 rng(1234);
  std::vector<uint8_t> block(1 << 20);
  ScratchArena arena(block.data(), block.size());
  for (int round = 0; round < 50; ++round) {
    Observations o = RandomObservations(rng, c.frames, c.meanLo, c.meanHi, c.precHi);
    TrajectoryInput in = o.Input(c.windows);
    std::vector<int64_t> out(c.frames);
    ASSERT_TRUE(SolveTrajectory(in, out.data(), arena));
    EXPECT_EQ(arena.Mark(), 0u);
    std::vector<double> ref = testvoice::ReferenceTrajectory(in);
    // Truncating divisions and 16.16 factors cost a few units at most
    // (measured worst about 4.3 on these inputs).
    for (int t = 0; t < c.frames; ++t)
      ASSERT_LE(std::fabs(static_cast<double>(out[t]) - ref[t]), kBound)
          << "round " << round << " frame " << t << " ref " << ref[t];
  }
}

INSTANTIATE_TEST_SUITE_P(Acoustic, SolverVersusReference, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SolverCase>& i) { return std::string(i.param.name); });

TEST(AcousticBandSolver, ConstantStaticMeansGiveHalfTheMean) {
  // The system is scaled so that a flat track solves to half its mean,
  // the unit the frame conversions expect.
  std::vector<int32_t> m0(10, 4000), p0(10, 300), zero(10, 0);
  TrajectoryInput in;
  in.frames = 10;
  in.windows = 3;
  in.mean[0] = m0.data();
  in.precision[0] = p0.data();
  for (int k = 1; k < 3; ++k) in.mean[k] = in.precision[k] = zero.data();
  std::vector<uint8_t> block(4096);
  ScratchArena arena(block.data(), block.size());
  std::vector<int64_t> out(10);
  ASSERT_TRUE(SolveTrajectory(in, out.data(), arena));
  for (int64_t v : out) EXPECT_EQ(v, 2000);
}

// Exact solutions, recorded: the solver's integer arithmetic has no room
// for an approximation, whatever way it is computed. Inputs come from a
// fixed generator and include frames without precision (the degenerate
// pivot), negative means, values beyond the solver's limits (its clamps)
// and runs of one, two and three frames. Update a value only for an
// intended change of the trajectories.
TEST(AcousticBandSolver, SolutionsMatchTheRecordedFingerprints) {
  struct Case {
    int windows, frames;
    int32_t meanSpan, precSpan;
    uint64_t hash;
  };
  const Case cases[] = {
      {2, 1, 3000, 4095, 0x44babcd473c8d4fcull},         {3, 2, 3000, 4095, 0xa76ec000d055feacull},
      {3, 3, 65000, 32767, 0xf1229eb3e7abdbccull},       {2, 57, 3000, 4095, 0x4c0418bce79bdb9ull},
      {3, 57, 3000, 4095, 0xa5563640a57928e2ull},        {2, 400, 65000, 32767, 0x9b835cc90a8ce558ull},
      {3, 400, 65000, 32767, 0xc96769da2980f645ull},     {3, 300, 1 << 30, 1 << 30, 0x573c85608e8da8dcull},
      {2, 300, 1 << 30, 1 << 30, 0xe81cf70453be3d89ull},
  };
  uint64_t seed = 2024;
  auto next = [&seed](int32_t span) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int32_t>((seed >> 33) % static_cast<uint64_t>(span));
  };
  std::vector<uint8_t> block(1 << 16);
  for (const Case& c : cases) {
    Observations o;
    for (int k = 0; k < 3; ++k) {
      o.mean[k].resize(c.frames);
      o.precision[k].resize(c.frames);
    }
    for (int t = 0; t < c.frames; ++t) {
      const bool silent = next(10) == 0;  // no precision at all in this frame
      for (int k = 0; k < 3; ++k) {
        o.mean[k][t] = k == 0 ? next(c.meanSpan) : next(c.meanSpan / 8 + 1) - c.meanSpan / 16;
        o.precision[k][t] = silent ? 0 : next(c.precSpan >> (2 * k)) + (k == 0 ? 1 : 0);
      }
    }
    ScratchArena arena(block.data(), block.size());
    std::vector<int64_t> out(c.frames);
    ASSERT_TRUE(SolveTrajectory(o.Input(c.windows), out.data(), arena));
    uint64_t hash = 1469598103934665603ull;
    for (int64_t v : out) hash = (hash ^ static_cast<uint64_t>(v)) * 1099511628211ull;
    EXPECT_EQ(hash, c.hash) << c.windows << " windows, " << c.frames << " frames: 0x" << std::hex << hash;
  }
}

TEST(AcousticBandSolver, DegenerateAndHostileInputDoNotCrash) {
  // Zero precision everywhere, negative and huge values.
  std::vector<int32_t> m(8, INT32_MAX), p(8, 0), big(8, INT32_MAX), neg(8, INT32_MIN);
  std::vector<uint8_t> block(4096);
  ScratchArena arena(block.data(), block.size());
  std::vector<int64_t> out(8);
  TrajectoryInput in;
  in.frames = 8;
  in.windows = 3;
  in.mean[0] = m.data();
  in.precision[0] = p.data();
  in.mean[1] = neg.data();
  in.precision[1] = big.data();
  in.mean[2] = big.data();
  in.precision[2] = neg.data();
  EXPECT_TRUE(SolveTrajectory(in, out.data(), arena));
  in.precision[0] = big.data();
  EXPECT_TRUE(SolveTrajectory(in, out.data(), arena));
  EXPECT_EQ(arena.Mark(), 0u);
}

TEST(AcousticBandSolver, ReportsArenaExhaustionAndKeepsLevel) {
  std::vector<int32_t> m(100, 10), p(100, 10);
  std::vector<uint8_t> block(1000);
  ScratchArena arena(block.data(), block.size());
  arena.Take(16);
  const size_t level = arena.Mark();
  TrajectoryInput in;
  in.frames = 100;
  in.windows = 2;
  in.mean[0] = in.mean[1] = m.data();
  in.precision[0] = in.precision[1] = p.data();
  std::vector<int64_t> out(100);
  EXPECT_FALSE(SolveTrajectory(in, out.data(), arena));
  EXPECT_EQ(arena.Mark(), level);
}

}  // namespace
}  // namespace backend
}  // namespace kvo
