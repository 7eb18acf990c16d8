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

/// What Newmark's steps need of a model, whatever its storage: the products, solves and force of
/// the initial acceleration, the solve with K̂, and each step's right-hand side.
struct NewmarkOperators {
  /// sums ← sums + A·v.
  std::function<void(std::span<const double> v, std::span<double> sums)> addDamping, addStiffness;
  /// b ← A⁻¹·b.
  std::function<void(std::span<double> b)> solveMass, solveEffective;
  /// F(t), written over all n entries.
  std::function<void(double t, std::span<double> force)> force;
  /// A step's right-hand side at t, each row's sum running from F(t) over M's terms in
  /// (w.massX·x + w.massV·v + a), then over C's terms in (w.dampingX·x + v), in column order.
  std::function<void(double t, const NewmarkWeights& w, std::span<const double> x,
                     std::span<const double> v, std::span<const double> a, std::span<double> rhs)>
      rightHandSide;
  /// Optional: a whole step at t in place (right-hand side, solve and update), where the storage
  /// can fuse them; used in place of rightHandSide and solveEffective.
  std::function<void(double t, const NewmarkWeights& w, std::span<double> x, std::span<double> v,
                     std::span<double> a)>
      fusedStep;
};

/// Newmark's average acceleration from the initial state: the initial acceleration solves
/// M·a₀ = F(0) − C·v₀ − K·x₀ (the products added to F in that order); then each step j forms
/// F(t_{j+1}) + M·(4/dt²·x + 4/dt·v + a) + C·(2/dt·x + v), solves with K̂ and updates a, v, x.
/// solveEffective must solve with K̂ = K + 2/dt·C + 4/dt²·M.
void newmarkSteps(const NewmarkOperators& ops, int n, std::span<const double> initialPositions,
                  std::span<const double> initialVelocities, double dt, int steps,
                  const StepObserver& observe);

}  // namespace lsde
