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

/// Called after every step j with j and the state after it (the n positions and n velocities);
/// the spans are valid during the call only.
using StepObserver = std::function<void(int step, std::span<const double> positions,
                                        std::span<const double> velocities)>;

/// Runs integrate with an observer that stores every state, and returns them as a trajectory of
/// 2n rows and `steps` columns.
Trajectory recordTrajectory(int n, int steps,
                            const std::function<void(const StepObserver&)>& integrate);

/// Two-rate Verlet: every step j (t = j·dt, formed afresh) advances each velocity by
/// cv[j%2]·(a·dt) and then each position by cx[j%2]·(v·dt) with the new velocity, where
/// cv = {1, 1} and cx = {0, 2}: positions move on odd steps only, by twice the step.
/// The acceleration is called exactly once per step with the state at the start of that step.
/// Throws std::invalid_argument when it returns fewer than n values.
Trajectory multiVerlet(const AccelerationFunction& acceleration, int n,
                       std::span<const double> initialPositions,
                       std::span<const double> initialVelocities, double dt, int steps);

/// The same steps, bit for bit, handing each state to observe instead of storing it: memory
/// stays O(n) whatever the number of steps.
void multiVerlet(const AccelerationFunction& acceleration, int n,
                 std::span<const double> initialPositions,
                 std::span<const double> initialVelocities, double dt, int steps,
                 const StepObserver& observe);

}  // namespace lsde
