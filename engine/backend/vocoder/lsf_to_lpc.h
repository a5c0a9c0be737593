// Line spectral frequencies to LPC predictor coefficients, in fixed point,
// with the repair that keeps every filter stable whatever the frame holds.
#pragma once

#include <cstdint>

namespace kvo::backend {

constexpr int kMaxLpcOrder = 24;

// Smallest distance kept between neighbouring LSFs and from 0 and pi, in
// units of pi/4096; closer lines would put poles on the unit circle.
constexpr int kLsfMinGap = 24;

// lsf: `order` values (even, 2..kMaxLpcOrder) in units of pi/65536, read as
// unsigned 16-bit. a: receives a_1..a_order in Q15 for the all-pole filter
// y[n] = x[n] - sum a_j y[n-j] / 32768.
// Out-of-order, duplicate or out-of-range lines are sorted and spread apart;
// a filter that still fails the stability check is bandwidth-expanded, and
// as a last resort flattened. Returns false only for an invalid order.
bool LsfToLpc(const int16_t* lsf, int order, int32_t* a);

// Reflection-coefficient check of a Q15 predictor: true when every
// reflection coefficient has magnitude below 1 (with a small margin).
bool LpcIsStable(const int32_t* a, int order);

}  // namespace kvo::backend
