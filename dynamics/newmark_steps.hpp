#pragma once

#include <functional>
#include <span>

#include "dynamics/verlet.hpp"

namespace lsde {

/// The weights of a step: its right-hand side F + M·(massX·x + massV·v + a) + C·(dampingX·x + v),
/// and half the step for the velocity's update.
struct NewmarkWeights {
  double massX, massV, dampingX, halfStep;
};

/// One coordinate's update from its new position: the new acceleration, then v, a and x.
inline void newmarkUpdate(const NewmarkWeights& w, double next, double& x, double& v, double& a) {
  const double acceleration = w.massX * (next - x) - w.massV * v - a;
  v = v + w.halfStep * (a + acceleration);
  a = acceleration;
  x = next;
}

/// What Newmark's steps need of a model, whatever its storage: products that add A·v to sums,
/// solves in place, and the force at a time (written over all n entries).
struct NewmarkOperators {
  std::function<void(std::span<const double> v, std::span<double> sums)> addMass, addDamping,
      addStiffness;
  std::function<void(std::span<double> b)> solveMass, solveEffective;
  std::function<void(double t, std::span<double> force)> force;
  /// Optional: a step's whole right-hand side at t in one pass, in place of force, addMass and
  /// addDamping, where the storage saves memory traffic that way.
  std::function<void(double t, const NewmarkWeights& w, std::span<const double> x,
                     std::span<const double> v, std::span<const double> a, std::span<double> rhs)>
      stepLoad;
  /// Optional: a whole step at t in place (right-hand side, solve and update), where the storage
  /// can fuse them; used in place of everything above but the initial acceleration.
  std::function<void(double t, const NewmarkWeights& w, std::span<double> x, std::span<double> v,
                     std::span<double> a)>
      fusedStep;
  /// Optional: addMass(u, sums) then addDamping(w, sums), fused where the storage gains by it.
  std::function<void(std::span<const double> u, std::span<const double> w, std::span<double> sums)>
      addMassAndDamping;
};

/// Newmark's average acceleration from the initial state: the initial acceleration solves
/// M·a₀ = F(0) − C·v₀ − K·x₀ (the products added to F in that order); then each step j forms
/// F(t_{j+1}) + M·(4/dt²·x + 4/dt·v + a) + C·(2/dt·x + v), solves with K̂ and updates a, v, x.
/// solveEffective must solve with K̂ = K + 2/dt·C + 4/dt²·M.
void newmarkSteps(const NewmarkOperators& ops, int n, std::span<const double> initialPositions,
                  std::span<const double> initialVelocities, double dt, int steps,
                  const StepObserver& observe);

}  // namespace lsde
