#pragma once

#include <optional>
#include <span>

#include "dynamics/system.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// Solves the undriven M·x'' + C·x' + K·x = 0 and prints the trajectory report. Returns false,
/// having printed "Error, Singular" and nothing else, when M is singular.
/// Throws std::invalid_argument for a report interval of 0, before any work.
bool printLSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
               std::span<const double> initialPositions, std::span<const double> initialVelocities,
               double dt, int steps, int interval);

/// Inverts M, builds the system matrix and integrates; nothing when M is singular.
std::optional<Trajectory> LSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                               std::span<const double> initialPositions,
                               std::span<const double> initialVelocities, double dt, int steps);

/// Integrates with the acceleration S·[x; v]; the time plays no part.
Trajectory linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                            std::span<const double> initialVelocities, int n, double dt, int steps);

/// The same integration, handing each state to observe instead of storing it.
void linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                      std::span<const double> initialVelocities, int n, double dt, int steps,
                      const StepObserver& observe);

/// The same with S's product prepared by the caller, who may have used it before.
void linear_integrate(SystemProduct& system, std::span<const double> initialPositions,
                      std::span<const double> initialVelocities, int n, double dt, int steps,
                      const StepObserver& observe);

}  // namespace lsde
