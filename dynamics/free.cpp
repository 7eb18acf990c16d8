#include "dynamics/free.hpp"

namespace lsde {

bool printLSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
               std::span<const double> initialPositions, std::span<const double> initialVelocities,
               double dt, int steps, int interval) {
  requireReportInterval(interval);
  const std::optional<Trajectory> trajectory =
      LSDE(M, C, K, n, initialPositions, initialVelocities, dt, steps);
  if (!trajectory) return false;
  printTrajectoryReport(*trajectory, n, steps, interval);
  return true;
}

std::optional<Trajectory> LSDE(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                               std::span<const double> initialPositions,
                               std::span<const double> initialVelocities, double dt, int steps) {
  const std::optional<FirstOrderSystem> sys = makeFirstOrderSystem(M, C, K, n);
  if (!sys) return std::nullopt;
  return linear_integrate(sys->system, initialPositions, initialVelocities, n, dt, steps);
}

void linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                      std::span<const double> initialVelocities, int n, double dt, int steps,
                      const StepObserver& observe) {
  SystemProduct system(s, n);  // a banded S costs O(n) per step
  linear_integrate(system, initialPositions, initialVelocities, n, dt, steps, observe);
}

void linear_integrate(SystemProduct& system, std::span<const double> initialPositions,
                      std::span<const double> initialVelocities, int n, double dt, int steps,
                      const StepObserver& observe) {
  const auto g = [&system](std::span<const double> x, std::span<const double> v, double /*t*/,
                           int /*size*/) { return system(x, v); };
  multiVerlet(g, n, initialPositions, initialVelocities, dt, steps, observe);
}

Trajectory linear_integrate(const SystemMatrix& s, std::span<const double> initialPositions,
                            std::span<const double> initialVelocities, int n, double dt,
                            int steps) {
  return recordTrajectory(n, steps, [&](const StepObserver& observe) {
    linear_integrate(s, initialPositions, initialVelocities, n, dt, steps, observe);
  });
}

}  // namespace lsde
