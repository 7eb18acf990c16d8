#pragma once

#include <functional>
#include <span>

#include "dynamics/verlet.hpp"

namespace lsde {

/// What Newmark's steps need of a model, whatever its storage: products that add A·v to sums,
/// solves in place, and the force at a time (written over all n entries).
struct NewmarkOperators {
  std::function<void(std::span<const double> v, std::span<double> sums)> addMass, addDamping,
      addStiffness;
  std::function<void(std::span<double> b)> solveMass, solveEffective;
  std::function<void(double t, std::span<double> force)> force;
};

/// Newmark's average acceleration from the initial state: the initial acceleration solves
/// M·a₀ = F(0) − C·v₀ − K·x₀ (the products added to F in that order); then each step j forms
/// F(t_{j+1}) + M·(4/dt²·x + 4/dt·v + a) + C·(2/dt·x + v), solves with K̂ and updates a, v, x.
/// solveEffective must solve with K̂ = K + 2/dt·C + 4/dt²·M.
void newmarkSteps(const NewmarkOperators& ops, int n, std::span<const double> initialPositions,
                  std::span<const double> initialVelocities, double dt, int steps,
                  const StepObserver& observe);

}  // namespace lsde
