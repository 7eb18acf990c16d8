#pragma once

#include <functional>
#include <span>
#include <vector>

#include "matrix/matrix.hpp"

namespace lsde {

/// Accelerations of a state: (positions, velocities, t, n) → at least n accelerations, in
/// coordinate order. Entries beyond the first n are ignored.
using AccelerationFunction = std::function<std::vector<double>(
    std::span<const double> positions, std::span<const double> velocities, double t, int n)>;

/// 2n rows, one column per step: positions in rows 0 … n−1, velocities in rows n … 2n−1.
/// Column j holds the state after step j (the initial state is not stored).
using Trajectory = Matrix;

/// Two-rate Verlet: every step j (t = j·dt, formed afresh) advances each velocity by
/// cv[j%2]·(a·dt) and then each position by cx[j%2]·(v·dt) with the new velocity, where
/// cv = {1, 1} and cx = {0, 2}: positions move on odd steps only, by twice the step.
/// The acceleration is called exactly once per step with the state at the start of that step.
/// Throws std::invalid_argument when it returns fewer than n values.
Trajectory multiVerlet(const AccelerationFunction& acceleration, int n,
                       std::span<const double> initialPositions,
                       std::span<const double> initialVelocities, double dt, int steps);

}  // namespace lsde
