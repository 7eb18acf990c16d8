#pragma once

#include <optional>
#include <span>

#include "dynamics/driver.hpp"
#include "dynamics/system.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// Solves M·x'' + C·x' + K·x = F(t) and prints the trajectory report. Returns false, having
/// printed "Error, Singular" and nothing else, when M is singular.
/// Throws std::invalid_argument for a report interval of 0, before any work.
bool printDrivenLSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                     std::span<const double> initialPositions,
                     std::span<const double> initialVelocities, double dt, int steps,
                     std::span<const Driver> drives, int interval);

/// Inverts M, builds the system matrix and integrates; nothing when M is singular.
std::optional<Trajectory> driven_LSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                      std::span<const double> initialPositions,
                                      std::span<const double> initialVelocities, double dt,
                                      int steps, std::span<const Driver> drives);

/// Integrates with the acceleration S·[x; v] + M⁻¹·F(t), M⁻¹ applied to the force every step.
Trajectory driven_linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                                   std::span<const double> initialVelocities, int n, double dt,
                                   int steps, const Matrix& inverseMass,
                                   std::span<const Driver> drives);

/// The same integration, handing each state to observe instead of storing it.
void driven_linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                             std::span<const double> initialVelocities, int n, double dt, int steps,
                             const Matrix& inverseMass, std::span<const Driver> drives,
                             const StepObserver& observe);

/// The same with S's product prepared by the caller, who may have used it before.
void driven_linear_integrate(SystemProduct& system, std::span<const double> initialPositions,
                             std::span<const double> initialVelocities, int n, double dt, int steps,
                             const Matrix& inverseMass, std::span<const Driver> drives,
                             const StepObserver& observe);

/// The same under any force (a model's ModelForce, say): M⁻¹ is applied to the n entries force
/// writes at each step's time. A HarmonicForce gives the drive table's bits.
void driven_linear_integrate(SystemProduct& system, std::span<const double> initialPositions,
                             std::span<const double> initialVelocities, int n, double dt, int steps,
                             const Matrix& inverseMass, const ForceFunction& force,
                             const StepObserver& observe);

}  // namespace lsde
