#include "dynamics/driven.hpp"

#include <algorithm>

#include "matrix/algebra.hpp"

namespace lsde {

bool printDrivenLSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                     std::span<const double> initialPositions,
                     std::span<const double> initialVelocities, double dt, int steps,
                     std::span<const Driver> drives, int interval) {
  requireReportInterval(interval);
  const std::optional<Trajectory> trajectory =
      driven_LSDE(M, C, K, n, initialPositions, initialVelocities, dt, steps, drives);
  if (!trajectory) return false;
  printTrajectoryReport(*trajectory, n, steps, interval);
  return true;
}

std::optional<Trajectory> driven_LSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                                      std::span<const double> initialPositions,
                                      std::span<const double> initialVelocities, double dt,
                                      int steps, std::span<const Driver> drives) {
  const std::optional<FirstOrderSystem> sys = makeFirstOrderSystem(M, C, K, n);
  if (!sys) return std::nullopt;
  return driven_linear_integrate(sys->system, initialPositions, initialVelocities, n, dt, steps,
                                 sys->inverseMass, drives);
}

void driven_linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                             std::span<const double> initialVelocities, int n, double dt, int steps,
                             const Matrix& inverseMass, std::span<const Driver> drives,
                             const StepObserver& observe) {
  SystemProduct system(s, n);
  driven_linear_integrate(system, initialPositions, initialVelocities, n, dt, steps, inverseMass,
                          drives, observe);
}

void driven_linear_integrate(SystemProduct& system, std::span<const double> initialPositions,
                             std::span<const double> initialVelocities, int n, double dt, int steps,
                             const Matrix& inverseMass, std::span<const Driver> drives,
                             const StepObserver& observe) {
  const HarmonicForce force(drives, n);
  driven_linear_integrate(system, initialPositions, initialVelocities, n, dt, steps, inverseMass,
                          std::cref(force), observe);
}

void driven_linear_integrate(SystemProduct& system, std::span<const double> initialPositions,
                             std::span<const double> initialVelocities, int n, double dt, int steps,
                             const Matrix& inverseMass, const ForceFunction& forceAt,
                             const StepObserver& observe) {
  // Both products skip the zero entries of S and M⁻¹; each step then costs O(non-zeros).
  const SparseRows inverse(inverseMass, n, n);
  const auto g = [&](std::span<const double> x, std::span<const double> v, double t, int size) {
    std::vector<double> a = system(x, v);
    std::vector<double> force(static_cast<std::size_t>(std::max(size, 0)));
    forceAt(t, force);
    const std::vector<double> m = inverse.multiply(force);
    for (int i = 0; i < size; ++i) a[i] = m[i] + a[i];
    return a;
  };
  multiVerlet(g, n, initialPositions, initialVelocities, dt, steps, observe);
}

Trajectory driven_linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                                   std::span<const double> initialVelocities, int n, double dt,
                                   int steps, const Matrix& inverseMass,
                                   std::span<const Driver> drives) {
  return recordTrajectory(n, steps, [&](const StepObserver& observe) {
    driven_linear_integrate(s, initialPositions, initialVelocities, n, dt, steps, inverseMass,
                            drives, observe);
  });
}

}  // namespace lsde
