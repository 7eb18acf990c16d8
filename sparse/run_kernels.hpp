#pragma once

#include <cstddef>

namespace lsde::run_kernels {

/// acc[l] + Σ value[e]·x[e] over e ≡ l (mod 4) of the first count − count % 4 entries, for
/// l = 0 … 3, with the remaining entries added to acc[0] in order: four interleaved sums, so
/// that a long run's products overlap. Fixed at four lanes, the bits are the same on every
/// processor, whichever vector width it runs them with.
void dot(const double* value, const double* x, std::size_t count, double acc[4]);

/// y[e] ← y[e] − value[e]·a for e < count.
void subtractScaled(double* y, const double* value, std::size_t count, double a);

}  // namespace lsde::run_kernels
