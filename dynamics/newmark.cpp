#include "dynamics/newmark.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <vector>

#include "matrix/algebra.hpp"
#include "matrix/lu.hpp"
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

std::vector<double> forceAt(std::span<const Driver> drives, double t, int n) {
  if (drives.empty()) return std::vector<double>(static_cast<std::size_t>(n), 0.0);
  return driveForce(drives, t, n);
}

std::vector<double> negated(std::span<const double> values, int n) {
  std::vector<double> out(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out[i] = -values[i];
  return out;
}

}  // namespace

SimulationStatus newmark_integrate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                   std::span<const double> initialPositions,
                                   std::span<const double> initialVelocities,
                                   std::span<const Driver> drives, double dt, int steps,
                                   const StepObserver& observe) {
  n = std::max(n, 0);
  // The products skip the zero entries of M and C: a chain costs O(n) per step. They also check
  // the three matrices' sizes before anything is read.
  const SparseRows mass(M, n, n), damping(C, n, n), stiffness(K, n, n);
  if (reportedSingular(det(M, n))) return SimulationStatus::SingularMass;
  // 1/(β·dt²), 1/(β·dt) and γ/(β·dt) for γ = 1/2, β = 1/4.
  const double positionToMass = 4.0 / (dt * dt), velocityToMass = 4.0 / dt;
  const double positionToDamping = 2.0 / dt, halfStep = 0.5 * dt;
  const std::optional<LuDecomposition> effective =
      factorNonSingular(effectiveStiffness(M, C, K, n, positionToDamping, positionToMass), n);
  if (!effective) return SimulationStatus::SingularNewmarkMatrix;

  std::vector<double> x(initialPositions.begin(), initialPositions.begin() + n);
  std::vector<double> v(initialVelocities.begin(), initialVelocities.begin() + n);
  std::vector<double> a = forceAt(drives, 0.0, n);
  damping.accumulate(negated(v, n), 0, n, a);
  stiffness.accumulate(negated(x, n), 0, n, a);
  a = LuDecomposition(M, n).solve(a);

  std::vector<double> u(static_cast<std::size_t>(n)), w(u.size());
  for (int j = 0; j < steps; ++j) {
    for (int i = 0; i < n; ++i) {
      u[i] = positionToMass * x[i] + velocityToMass * v[i] + a[i];
      w[i] = positionToDamping * x[i] + v[i];
    }
    std::vector<double> rhs = forceAt(drives, static_cast<double>(j + 1) * dt, n);
    mass.accumulate(u, 0, n, rhs);
    damping.accumulate(w, 0, n, rhs);
    const std::vector<double> next = effective->solve(rhs);
    for (int i = 0; i < n; ++i) {
      const double acceleration = positionToMass * (next[i] - x[i]) - velocityToMass * v[i] - a[i];
      v[i] = v[i] + halfStep * (a[i] + acceleration);
      a[i] = acceleration;
      x[i] = next[i];
    }
    observe(j, x, v);
  }
  return SimulationStatus::Completed;
}

}  // namespace lsde
