// Floating-point maximum-likelihood trajectory of the same band system as
// the engine's integer solver; only the tests use it, to bound the
// integer solver's error.
#pragma once

#include <vector>

#include "backend/acoustic/band_solver.h"

namespace kvo {
namespace testvoice {

std::vector<double> ReferenceTrajectory(const backend::TrajectoryInput& input);

}  // namespace testvoice
}  // namespace kvo
