#pragma once

#include <span>

#include "dynamics/driver.hpp"
#include "dynamics/simulate.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// Newmark's average-acceleration method (γ = 1/2, β = 1/4): second order and unconditionally
/// stable for positive semi-definite C and K. The initial acceleration solves
/// M·a₀ = F(0) − C·v₀ − K·x₀; step j solves K̂·x_{j+1} = F(t_{j+1}) + M·(4/dt²·x_j + 4/dt·v_j + a_j)
/// + C·(2/dt·x_j + v_j) at t_{j+1} = (j + 1)·dt, with K̂ = K + 2/dt·C + 4/dt²·M factored once,
/// then a_{j+1} = 4/dt²·(x_{j+1} − x_j) − 4/dt·v_j − a_j and v_{j+1} = v_j + dt/2·(a_j + a_{j+1}).
/// observe receives step j with the state at t_{j+1}. No drives: the free system.
/// Returns SingularMass, having printed "Error, Singular" as alloc_inverse_matrix does, when
/// |det M| < 1e-8, and SingularNewmarkMatrix when K̂ is singular to working precision; nothing is
/// integrated then. A step costs O(non-zeros of M, C and the factors of K̂).
SimulationStatus newmark_integrate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                   std::span<const double> initialPositions,
                                   std::span<const double> initialVelocities,
                                   std::span<const Driver> drives, double dt, int steps,
                                   const StepObserver& observe);

/// newmark_integrate under any force (a model's ModelForce, say), evaluated at the same times; a
/// HarmonicForce gives the drive table's bits.
SimulationStatus newmark_integrate_force(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                         std::span<const double> initialPositions,
                                         std::span<const double> initialVelocities,
                                         const ForceFunction& force, double dt, int steps,
                                         const StepObserver& observe);

}  // namespace lsde
