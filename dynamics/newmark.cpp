#include "dynamics/newmark.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <vector>

#include "dynamics/newmark_steps.hpp"
#include "matrix/algebra.hpp"
#include "matrix/lu.hpp"
#include "matrix/parallel.hpp"
#include "matrix/sparse_rows.hpp"

namespace lsde {

namespace {

// K̂ = K + c·C + m·M, entry by entry in that order.
Matrix effectiveStiffness(const Matrix& M, const Matrix& C, const Matrix& K, int n, double c,
                          double m) {
  Matrix kHat(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) kHat[i][j] = K[i][j] + c * C[i][j] + m * M[i][j];
  return kHat;
}

// The factors of K̂, or nothing when a pivot is no larger than the residue that rounding leaves
// where exact elimination would give 0: about n·ε times the largest finite entry.
std::optional<LuDecomposition> factorNonSingular(const Matrix& kHat, int n) {
  double largest = 0.0;
  const double* entries = kHat.data();
  for (std::size_t e = 0; e < static_cast<std::size_t>(n) * static_cast<std::size_t>(n); ++e)
    if (std::isfinite(entries[e])) largest = std::max(largest, std::abs(entries[e]));
  LuDecomposition lu(kHat, n);
  if (!(lu.smallestPivotMagnitude() > n * DBL_EPSILON * largest)) return std::nullopt;
  return lu;
}

}  // namespace

SimulationStatus newmark_integrate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                   std::span<const double> initialPositions,
                                   std::span<const double> initialVelocities,
                                   std::span<const Driver> drives, double dt, int steps,
                                   const StepObserver& observe) {
  const HarmonicForce force(drives, std::max(n, 0));
  return newmark_integrate_force(M, C, K, n, initialPositions, initialVelocities, std::cref(force),
                                 dt, steps, observe);
}

SimulationStatus newmark_integrate_force(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                         std::span<const double> initialPositions,
                                         std::span<const double> initialVelocities,
                                         const ForceFunction& force, double dt, int steps,
                                         const StepObserver& observe) {
  n = std::max(n, 0);
  // The products skip the zero entries of M and C: a chain costs O(n) per step. They also check
  // the three matrices' sizes before anything is read.
  const SparseRows mass(M, n, n), damping(C, n, n), stiffness(K, n, n);
  // Beyond the exact order det(M) is the product of M's LU pivots: those factors then also
  // serve the initial acceleration, instead of M being factored twice.
  std::optional<LuDecomposition> massFactors;
  if (n > kExactInverseMaxOrder) massFactors.emplace(M, n);
  if (reportedSingular(massFactors ? massFactors->determinant() : det(M, n)))
    return SimulationStatus::SingularMass;
  const std::optional<LuDecomposition> effective =
      factorNonSingular(effectiveStiffness(M, C, K, n, 2.0 / dt, 4.0 / (dt * dt)), n);
  if (!effective) return SimulationStatus::SingularNewmarkMatrix;

  const auto adder = [n](const SparseRows& rows) {
    return [&rows, n](std::span<const double> v, std::span<double> sums) {
      rows.accumulate(v, 0, n, sums);
    };
  };
  const std::size_t size = static_cast<std::size_t>(n);
  std::vector<double> solution(size), u(size), w(size);
  const auto solveEffective = [&effective, &solution](std::span<double> b) {
    effective->solve(b, solution);
    std::copy(solution.begin(), solution.end(), b.begin());
  };
  // M is solved with once, for the initial acceleration: its factors need not outlive that.
  const auto solveMass = [&M, &massFactors, n](std::span<double> b) {
    const std::vector<double> x =
        massFactors ? massFactors->solve(b) : LuDecomposition(M, n).solve(b);
    std::copy(x.begin(), x.end(), b.begin());
    massFactors.reset();
  };
  // newmarkSteps writes every entry of the force: an empty function is a zero one.
  const auto zero = [](double, std::span<double> f) { std::fill(f.begin(), f.end(), 0.0); };
  const ForceFunction forceAt = force ? force : ForceFunction(zero);
  // F(t) + M·u + C·w with u and w formed first; dense M and C are read in place, both in one
  // pass over the rows.
  const auto rightHandSide = [&](double t, const NewmarkWeights& weights, std::span<const double> x,
                                 std::span<const double> v, std::span<const double> a,
                                 std::span<double> rhs) {
    // Each coordinate on its own: a large model's vector work is shared among the threads.
    forEachRange(n, 4 * size, 512, [&](int begin, int end) {
      for (int i = begin; i < end; ++i) {
        u[i] = weights.massX * x[i] + weights.massV * v[i] + a[i];
        w[i] = weights.dampingX * x[i] + v[i];
      }
    });
    forceAt(t, rhs);
    if (mass.isDense() && damping.isDense()) {
      accumulateRowProductPair(M, u, C, w, n, rhs);
    } else {
      mass.accumulate(u, 0, n, rhs);
      damping.accumulate(w, 0, n, rhs);
    }
  };
  const NewmarkOperators ops{adder(damping), adder(stiffness), solveMass, solveEffective,
                             forceAt,        rightHandSide,    {}};
  newmarkSteps(ops, n, initialPositions, initialVelocities, dt, steps, observe);
  return SimulationStatus::Completed;
}

}  // namespace lsde
